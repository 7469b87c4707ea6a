#include "imaging/codecs/JpegCodec.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <jerror.h>
#include <jpeglib.h>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/ExifOrientation.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/InputFile.h"
#include "imaging/codecs/JpegErrors.h"

// Decoding; JpegCodec.cpp encodes.
namespace pixmoth {

namespace {

using jpeg::ErrorManager;
using jpeg::ErrorOf;
using jpeg::Guarded;
using jpeg::InstallErrorManager;
using jpeg::kRowsPerCall;
using jpeg::ThrowJpegError;

// libjpeg's working memory (coefficient buffers of progressive files, mostly),
// on top of the decoded picture. Progressive pictures need 3 bytes a pixel at
// 4:2:0 (all of them fit up to kMaxJpegPixels) and 6 at 4:4:4 (up to about 180
// megapixels); a small file whose header asks for many full-size components is
// refused instead of eating the machine's memory.
constexpr long kWorkMemoryBytes = 1L << 30;
// Every scan of a progressive file walks the whole coefficient buffer again.
// Encoders write about ten; thousands of tiny scans only make a file that takes
// minutes to open.
constexpr int kMaxScans = 500;
// Huffman-coded data spends at least one bit on every 8 x 8 block of every
// component, so no JPEG file holds more than 512 pixels per byte (a grey
// picture; colour needs more). A file claiming far more pixels than its bytes
// can describe is a small file that would cost seconds and gigabytes to
// decode into grey: refused beyond 2,000 pixels a byte, which leaves room for
// arithmetic coding and for pictures whose lower part is missing.
constexpr std::uint64_t kMaxPixelsPerByte = 2000;
// The header is read from files in pieces of this size, before the rest.
constexpr std::size_t kHeaderChunk = 64 * 1024;
// Larger files are refused before anything is read.
constexpr std::uint64_t kMaxJpegFileBytes = std::uint64_t{2} << 30;

void LimitScans(j_common_ptr info) {
    if (info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        ErrorOf(info).ownMessage = "The JPEG file has too many scans (more than 500)";
        (*info->err->error_exit)(info);
    }
}

// The length of `data` without a marker segment cut off by its end. libjpeg
// pads a file that ends early with an end marker, which makes a good end inside
// compressed data but garbage inside a segment (the tables before a later
// progressive scan, say): the whole picture would fail where its earlier scans
// could be shown. Cut back to the segment's start, every truncated file ends
// cleanly. Walks the markers only; compressed data is skipped with memchr.
std::size_t WholeSegmentsLength(const std::uint8_t* data, std::size_t size) {
    std::size_t at = 2; // after the start marker (whatever it is; libjpeg checks it)
    while (at < size) {
        if (data[at] != 0xFF) {
            const void* next = std::memchr(data + at, 0xFF, size - at);
            if (next == nullptr) {
                return size;
            }
            at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(next) - data);
        }
        std::size_t code = at + 1;
        while (code < size && data[code] == 0xFF) {
            ++code; // fill bytes before a marker
        }
        if (code >= size) {
            return size;
        }
        const std::uint8_t marker = data[code];
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
            at = code + 1; // a stuffed zero or a marker without a segment
            continue;
        }
        if (marker == 0xD9) {
            return size; // the end marker: the rest does not matter
        }
        if (size - code < 3) {
            return at;
        }
        const std::size_t length = std::size_t{data[code + 1]} << 8 | data[code + 2];
        if (length > size - code - 1) {
            return at;
        }
        at = code + 1 + length;
    }
    return size;
}

// Where libjpeg's bytes come from. Once they run out it gets an end marker (as
// from jpeg_mem_src) and `exhausted` is set, so the decoder can stop at once
// instead of decoding the rest of a large picture from nothing.
struct Source {
    jpeg_source_mgr base; // first: libjpeg only knows the pointer to this
    bool exhausted;
    // File sources: the file and all bytes read from it so far.
    InputFile* file;
    std::vector<std::uint8_t>* bytes;
};

Source& SourceOf(j_decompress_ptr info) {
    return *reinterpret_cast<Source*>(info->src);
}

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean SupplyEndMarker(j_decompress_ptr info) {
    static const JOCTET kEnd[] = {0xFF, JPEG_EOI};
    SourceOf(info).exhausted = true;
    WARNMS(info, JWRN_JPEG_EOF);
    info->src->next_input_byte = kEnd;
    info->src->bytes_in_buffer = sizeof kEnd;
    return TRUE;
}

// Reads the next piece of the file onto the bytes read so far. A read error
// throws through libjpeg, which holds nothing to free at that point.
boolean FillFromFile(j_decompress_ptr info) {
    Source& source = SourceOf(info);
    std::vector<std::uint8_t>& bytes = *source.bytes;
    const std::size_t had = bytes.size();
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kHeaderChunk, source.file->Size() - had));
    std::size_t got = 0;
    if (want > 0) {
        bytes.resize(had + want);
        got = source.file->ReadAt(had, bytes.data() + had, want);
        bytes.resize(had + got);
    }
    if (got == 0) {
        return SupplyEndMarker(info);
    }
    info->src->next_input_byte = bytes.data() + had;
    info->src->bytes_in_buffer = got;
    return TRUE;
}

void SkipInput(j_decompress_ptr info, long count) {
    jpeg_source_mgr& source = *info->src;
    while (count > static_cast<long>(source.bytes_in_buffer)) {
        count -= static_cast<long>(source.bytes_in_buffer);
        source.bytes_in_buffer = 0;
        (*source.fill_input_buffer)(info);
        if (SourceOf(info).exhausted) {
            return;
        }
    }
    if (count > 0) {
        source.next_input_byte += count;
        source.bytes_in_buffer -= static_cast<std::size_t>(count);
    }
}

Source NewSource(boolean (*fill)(j_decompress_ptr)) {
    Source source{};
    source.base.init_source = InitSource;
    source.base.fill_input_buffer = fill;
    source.base.skip_input_data = SkipInput;
    source.base.resync_to_restart = jpeg_resync_to_restart;
    source.base.term_source = TermSource;
    return source;
}

// The data, cut back to whole segments (see WholeSegmentsLength).
Source MemorySource(const std::uint8_t* data, std::size_t size) {
    Source source = NewSource(SupplyEndMarker);
    source.base.next_input_byte = data;
    source.base.bytes_in_buffer = WholeSegmentsLength(data, size);
    return source;
}

// Reads the file piece by piece into `bytes`, as far as libjpeg asks.
Source FileSource(InputFile& file, std::vector<std::uint8_t>& bytes) {
    Source source = NewSource(FillFromFile);
    source.file = &file;
    source.bytes = &bytes;
    return source;
}

// A decompression object that is destroyed on every way out.
class Decompressor {
public:
    Decompressor() {
        InstallErrorManager(mError);
        mInfo.err = &mError.base;
        if (!Guarded(mError, [this] { jpeg_create_decompress(&mInfo); })) {
            jpeg_destroy_decompress(&mInfo);
            ThrowJpegError(mError);
        }
        mInfo.mem->max_memory_to_use = kWorkMemoryBytes;
        mProgress.progress_monitor = LimitScans;
        mInfo.progress = &mProgress;
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    ~Decompressor() { jpeg_destroy_decompress(&mInfo); }

    jpeg_decompress_struct& Info() { return mInfo; }
    // Runs a guarded step and throws libjpeg's error when it fails.
    template <typename Step>
    void Run(Step&& step) {
        if (!Guarded(mError, std::forward<Step>(step))) {
            ThrowJpegError(mError);
        }
    }

private:
    ErrorManager mError{};
    jpeg_progress_mgr mProgress{};
    jpeg_decompress_struct mInfo{};
};

// Reads the markers up to the first scan from `source`, whose file holds
// `dataSize` bytes. With `limitPixels`, a picture larger than kMaxJpegPixels,
// or than its data can describe, is refused here, before libjpeg allocates
// anything for it.
void ReadHeader(Decompressor& decompressor, Source& source, std::uint64_t dataSize,
                bool limitPixels) {
    jpeg_decompress_struct& info = decompressor.Info();
    info.src = &source.base;
    decompressor.Run([&] {
        if (dataSize == 0) {
            ERREXIT(&info, JERR_INPUT_EMPTY);
        }
        jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
        jpeg_read_header(&info, TRUE);
    });
    if (!limitPixels) {
        return;
    }
    const std::uint64_t pixels = std::uint64_t{info.image_width} * info.image_height;
    const std::string claim = "The JPEG file claims a picture of " +
                              std::to_string(info.image_width) + " x " +
                              std::to_string(info.image_height) + " pixels";
    if (pixels > kMaxJpegPixels) {
        throw Error(claim + ", more than this program opens");
    }
    if (pixels > kMaxPixelsPerByte * dataSize) {
        throw Error(claim + " in only " + std::to_string(dataSize) +
                    " bytes, more than JPEG data of that size can describe");
    }
}

// The orientation of the first Exif block among the saved APP1 markers (XMP
// and others share the marker).
int OrientationOf(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr;
         marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 &&
            std::equal(marker->data, marker->data + 6, "Exif\0\0")) {
            return ExifOrientation(marker->data, marker->data_length);
        }
    }
    return 1;
}

// Ink to light: Adobe's CMYK files (and YCCK, once libjpeg has turned it into
// CMYK) store 255 - ink, so the stored value is the light that passes; files
// without Adobe's marker store the ink itself. Red = the light cyan lets through
// times the light black lets through, and so on.
void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted) {
    const unsigned flip = inverted ? 0 : 255;
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const unsigned c = cmyk[0] ^ flip;
        const unsigned m = cmyk[1] ^ flip;
        const unsigned y = cmyk[2] ^ flip;
        const unsigned k = cmyk[3] ^ flip;
        bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

// The size a decoding is shrunk towards: the longer side at least `longerSide`,
// or each side at least `width` and `height` (of the upright picture). Zero
// everywhere: full size.
struct ScaleTarget {
    int longerSide = 0;
    int width = 0;
    int height = 0;
};

bool LargeEnough(const jpeg_decompress_struct& info, const ScaleTarget& target, bool turned) {
    if (target.longerSide > 0) {
        return std::max(info.output_width, info.output_height) >=
               static_cast<JDIMENSION>(target.longerSide);
    }
    // A quarter turn still to come swaps the sides; a side smaller than asked
    // is only ever complete at full size.
    const auto width = static_cast<JDIMENSION>(turned ? target.height : target.width);
    const auto height = static_cast<JDIMENSION>(turned ? target.width : target.height);
    return info.output_width >= std::min(width, info.image_width) &&
           info.output_height >= std::min(height, info.image_height);
}

// Rows straight into a bitmap.
class BitmapRows : public RowReceiver {
public:
    explicit BitmapRows(Bitmap& bitmap) : mBitmap(bitmap) {}
    void Begin(int width, int height) override { mBitmap.Reset(width, height, PixelFormat::Bit24); }
    int Room() override { return mBitmap.Height() - mNext; }
    std::uint8_t* Row(int k) override { return mBitmap.ScanLine(mNext + k); }
    void Commit(int rows) override { mNext += rows; }

private:
    Bitmap& mBitmap;
    int mNext = 0;
};

// After jpeg_start_decompress: every output row to `receiver`, in order.
void DeliverRows(Decompressor& decompressor, const Source& source, RowReceiver& receiver) {
    jpeg_decompress_struct& info = decompressor.Info();
    const bool cmyk = info.out_color_space == JCS_CMYK;
    const bool inverted = info.saw_Adobe_marker;
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    receiver.Begin(width, height);
    std::vector<std::uint8_t> cmykRows;
    if (cmyk) {
        cmykRows.resize(static_cast<std::size_t>(width) * 4 * kRowsPerCall);
    }
    // A single-scan file is decoded as it is read: once the data runs out, the
    // rows still to come would only be grey, so decoding stops and the rest is
    // filled below. When the source runs dry libjpeg still holds up to 64 bits
    // of data, and a block takes at least 2 (its DC and end-of-block codes):
    // up to 32 more MCUs. Those, the row group being put out and the one it
    // waits for (upsampled chroma needs the rows below) are decoded first.
    // Multi-scan files have read all their data before the first row, and any
    // row may hold something.
    const bool decodedAsRead = !jpeg_has_multiple_scans(&info);
    const JDIMENSION mcusPerRow = std::max<JDIMENSION>(1, info.MCUs_per_row);
    const JDIMENSION rowsAfterEnd = (2 + (32 + mcusPerRow - 1) / mcusPerRow) *
                                    static_cast<JDIMENSION>(info.max_v_samp_factor) * DCTSIZE;
    JDIMENSION stop = info.output_height;
    JSAMPROW rows[kRowsPerCall];
    while (info.output_scanline < stop) {
        const auto count = static_cast<JDIMENSION>(
            std::min({kRowsPerCall, receiver.Room(),
                      static_cast<int>(info.output_height - info.output_scanline)}));
        for (JDIMENSION i = 0; i < count; ++i) {
            rows[i] = cmyk ? cmykRows.data() + i * static_cast<std::size_t>(width) * 4
                           : receiver.Row(static_cast<int>(i));
        }
        JDIMENSION done = 0;
        decompressor.Run([&] { done = jpeg_read_scanlines(&info, rows, count); });
        if (done == 0) {
            break; // cannot happen with a memory source; never loop forever
        }
        for (JDIMENSION i = 0; cmyk && i < done; ++i) {
            CmykToBgr(rows[i], receiver.Row(static_cast<int>(i)), width, inverted);
        }
        receiver.Commit(static_cast<int>(done));
        if (decodedAsRead && source.exhausted && stop == info.output_height) {
            stop = std::min(info.output_height, info.output_scanline + rowsAfterEnd);
        }
    }
    // The rows that were not delivered show what libjpeg makes of missing
    // data, so where decoding stopped does not show: every sample 128, which
    // is mid-grey for YCbCr and grey files and a darker grey once CMYK ink is
    // turned into light (YCCK's 128s become C = M = Y = 127, K = 128).
    // jpeg_finish_decompress is not called: it only reads on to the end
    // marker, and junk there must not cost the picture.
    std::uint8_t fill[3] = {128, 128, 128}; // always a grey: C = M = Y
    if (cmyk) {
        const std::uint8_t ink = info.jpeg_color_space == JCS_YCCK ? 127 : 128;
        const std::uint8_t nothing[4] = {ink, ink, ink, 128};
        CmykToBgr(nothing, fill, 1, inverted);
    }
    for (int next = static_cast<int>(info.output_scanline); next < height;) {
        const int count = std::min(receiver.Room(), height - next);
        for (int k = 0; k < count; ++k) {
            std::fill_n(receiver.Row(k), static_cast<std::size_t>(width) * 3, fill[0]);
        }
        receiver.Commit(count);
        next += count;
    }
}

// Reads the header from memory and sets the decoder up for BGR (or CMYK,
// which libjpeg cannot turn into RGB) rows; returns the Exif orientation.
int StartHeader(Decompressor& decompressor, Source& source, std::size_t size) {
    jpeg_decompress_struct& info = decompressor.Info();
    ReadHeader(decompressor, source, size, true);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    return OrientationOf(info);
}

// Decodes at the scaling chosen by `target`, upright.
Bitmap Decode(const std::uint8_t* data, std::size_t size, const ScaleTarget& target) {
    Source source = MemorySource(data, size);
    Decompressor decompressor;
    jpeg_decompress_struct& info = decompressor.Info();
    const int orientation = StartHeader(decompressor, source, size);
    if (target.longerSide > 0 || target.width > 0 || target.height > 0) {
        decompressor.Run([&] {
            for (unsigned eighths = 1; eighths <= 8; ++eighths) {
                info.scale_num = eighths;
                info.scale_denom = 8;
                jpeg_calc_output_dimensions(&info);
                if (LargeEnough(info, target, orientation >= 5)) {
                    break;
                }
            }
        });
    }
    decompressor.Run([&] { jpeg_start_decompress(&info); });
    Bitmap bitmap;
    BitmapRows rows(bitmap);
    DeliverRows(decompressor, source, rows);
    ApplyExifOrientation(bitmap, orientation);
    return bitmap;
}

[[noreturn]] void ThrowReadError(const std::string& path, const Error& error) {
    throw Error("Cannot read JPEG file \"" + path + "\": " + error.what());
}

// The whole file, its header read and checked first, so a huge file that is
// no picture, or claims one it cannot hold, fails before the rest is read.
std::vector<std::uint8_t> ReadJpegFile(const std::string& path) {
    InputFile file(path);
    if (file.Size() > kMaxJpegFileBytes) {
        throw Error("File \"" + path + "\" is too large (" + std::to_string(file.Size()) +
                    " bytes)");
    }
    std::vector<std::uint8_t> data;
    try {
        try {
            Source source = FileSource(file, data);
            Decompressor decompressor;
            ReadHeader(decompressor, source, file.Size(), true);
        } catch (const Error&) {
            // A file that ended inside its header fails when it is decoded,
            // as from memory, with the same message.
            if (data.size() != file.Size()) {
                throw;
            }
        }
        const std::size_t head = data.size();
        data.resize(static_cast<std::size_t>(file.Size()));
        data.resize(head + file.ReadAt(head, data.data() + head, data.size() - head));
    } catch (const Error& error) {
        ThrowReadError(path, error);
    }
    return data;
}

} // namespace

Bitmap DecodeJpeg(const std::uint8_t* data, std::size_t size) {
    return Decode(data, size, ScaleTarget{});
}

Bitmap DecodeJpegScaled(const std::uint8_t* data, std::size_t size, int maxSide) {
    return Decode(data, size, ScaleTarget{std::max(maxSide, 1)});
}

Bitmap DecodeJpegAtLeast(const std::uint8_t* data, std::size_t size, int minWidth, int minHeight) {
    return Decode(data, size, ScaleTarget{0, std::max(minWidth, 1), std::max(minHeight, 1)});
}

JpegSize ReadJpegSize(const std::uint8_t* data, std::size_t size) {
    Source source = MemorySource(data, size);
    Decompressor decompressor;
    ReadHeader(decompressor, source, size, false);
    const jpeg_decompress_struct& info = decompressor.Info();
    JpegSize result{static_cast<int>(info.image_width), static_cast<int>(info.image_height)};
    if (OrientationOf(info) >= 5) {
        std::swap(result.width, result.height);
    }
    return result;
}

Bitmap LoadJpeg(const std::string& path) {
    const std::vector<std::uint8_t> data = ReadJpegFile(path);
    try {
        return DecodeJpeg(data.data(), data.size());
    } catch (const Error& error) {
        ThrowReadError(path, error);
    }
}

Bitmap LoadJpegAtLeast(const std::string& path, int minWidth, int minHeight) {
    const std::vector<std::uint8_t> data = ReadJpegFile(path);
    try {
        return DecodeJpegAtLeast(data.data(), data.size(), minWidth, minHeight);
    } catch (const Error& error) {
        ThrowReadError(path, error);
    }
}

bool LoadJpegRows(const std::string& path, RowReceiver& receiver) {
    const std::vector<std::uint8_t> data = ReadJpegFile(path);
    try {
        Source source = MemorySource(data.data(), data.size());
        Decompressor decompressor;
        if (StartHeader(decompressor, source, data.size()) != 1) {
            return false;
        }
        decompressor.Run([&] { jpeg_start_decompress(&decompressor.Info()); });
        DeliverRows(decompressor, source, receiver);
        return true;
    } catch (const Error& error) {
        ThrowReadError(path, error);
    }
}

} // namespace pixmoth
