#include "imaging/codecs/JpegCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <jerror.h>
#include <jpeglib.h>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/ExifOrientation.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/InputFile.h"

namespace pixmoth {

namespace {

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
// Rows handed to libjpeg per call; more rows per call mean fewer calls.
constexpr int kRowsPerCall = 16;
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

// libjpeg reports a fatal error through a callback that must not return. It
// jumps back into Guarded, which turns the error into a return value; the C++
// code around it then throws. No C++ frame with a destructor lies between the
// setjmp and the jump.
struct ErrorManager {
    jpeg_error_mgr base; // first: libjpeg only knows the pointer to this
    std::jmp_buf jump;
    const char* ownMessage; // when set, replaces libjpeg's text
    char message[JMSG_LENGTH_MAX];
};

ErrorManager& ErrorOf(j_common_ptr info) {
    return *reinterpret_cast<ErrorManager*>(info->err);
}

[[noreturn]] void ExitOnError(j_common_ptr info) {
    ErrorManager& error = ErrorOf(info);
    if (error.ownMessage == nullptr && info->err->msg_code == JERR_NO_BACKING_STORE) {
        // libjpeg asks for a temporary file when the memory limit is reached.
        error.ownMessage = "The JPEG picture needs more working memory than allowed (1 GB)";
    }
    if (error.ownMessage == nullptr) {
        (*info->err->format_message)(info, error.message);
    }
    std::longjmp(error.jump, 1);
}

// Warnings (damaged or missing data) are not fatal: the picture shows what could
// be decoded. libjpeg counts them; nothing is printed.
void OnMessage(j_common_ptr info, int level) {
    if (level < 0) {
        ++info->err->num_warnings;
    }
}

void InstallErrorManager(ErrorManager& error) {
    jpeg_std_error(&error.base);
    error.base.error_exit = ExitOnError;
    error.base.emit_message = OnMessage;
    error.ownMessage = nullptr;
    error.message[0] = '\0';
}

// Runs `step` (calls into libjpeg and plain pointer work only: nothing with a
// destructor, nothing that throws) and returns false when libjpeg gave up.
template <typename Step>
bool Guarded(ErrorManager& error, Step&& step) {
    if (setjmp(error.jump) != 0) {
        return false;
    }
    step();
    return true;
}

[[noreturn]] void ThrowJpegError(const ErrorManager& error) {
    throw Error(error.ownMessage != nullptr ? error.ownMessage : error.message);
}

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

// Decodes at the scaling chosen by `target`, upright.
Bitmap Decode(const std::uint8_t* data, std::size_t size, const ScaleTarget& target) {
    Source source = MemorySource(data, size);
    Decompressor decompressor;
    jpeg_decompress_struct& info = decompressor.Info();
    ReadHeader(decompressor, source, size, true);
    const int orientation = OrientationOf(info);

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    const bool inverted = info.saw_Adobe_marker;
    // libjpeg has no CMYK to RGB conversion; everything else it writes as BGR,
    // straight into the bitmap's rows.
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
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

    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    Bitmap bitmap;
    bitmap.Reset(width, height, PixelFormat::Bit24);
    std::uint8_t* const bits = bitmap.Bits();
    const std::ptrdiff_t stride = bitmap.Stride();
    std::vector<std::uint8_t> cmykRows;
    if (cmyk) {
        cmykRows.resize(static_cast<std::size_t>(width) * 4 * kRowsPerCall);
    }
    std::uint8_t* const cmykBuffer = cmykRows.data();
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
    decompressor.Run([&] {
        JSAMPROW rows[kRowsPerCall];
        while (info.output_scanline < stop) {
            const JDIMENSION first = info.output_scanline;
            const JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, info.output_height - first);
            for (JDIMENSION i = 0; i < count; ++i) {
                rows[i] = cmyk ? cmykBuffer + i * static_cast<std::size_t>(width) * 4
                               : bits + (first + i) * stride;
            }
            const JDIMENSION done = jpeg_read_scanlines(&info, rows, count);
            if (done == 0) {
                break; // cannot happen with a memory source; never loop forever
            }
            for (JDIMENSION i = 0; cmyk && i < done; ++i) {
                CmykToBgr(rows[i], bits + (first + i) * stride, width, inverted);
            }
            if (decodedAsRead && source.exhausted && stop == info.output_height) {
                stop = std::min(info.output_height, info.output_scanline + rowsAfterEnd);
            }
        }
    });
    // The rows that were not delivered hold stale memory; show them mid-grey, as
    // libjpeg does for missing data. jpeg_finish_decompress is not called: it
    // only reads on to the end marker, and junk there must not cost the picture.
    for (int y = static_cast<int>(info.output_scanline); y < height; ++y) {
        std::fill_n(bits + y * stride, static_cast<std::size_t>(width) * 3, std::uint8_t{128});
    }
    ApplyExifOrientation(bitmap, orientation);
    return bitmap;
}

// A destination in one malloc'd block, grown with realloc (which moves large
// blocks by remapping pages, not copying). Plain memory rather than a vector:
// its pages are only touched as libjpeg writes, not zero-filled first.
struct MemoryDestination {
    jpeg_destination_mgr base; // first: libjpeg only knows the pointer to this
    std::uint8_t* block;       // freed by the Compressor
    std::size_t capacity;
};

MemoryDestination& DestinationOf(j_compress_ptr info) {
    return *reinterpret_cast<MemoryDestination*>(info->dest);
}

void InitDestination(j_compress_ptr info) {
    MemoryDestination& destination = DestinationOf(info);
    destination.block = static_cast<std::uint8_t*>(std::malloc(destination.capacity));
    if (destination.block == nullptr) {
        ERREXIT(info, JERR_OUT_OF_MEMORY);
    }
    destination.base.next_output_byte = destination.block;
    destination.base.free_in_buffer = destination.capacity;
}

// Called when the whole block is full.
boolean GrowDestination(j_compress_ptr info) {
    MemoryDestination& destination = DestinationOf(info);
    const std::size_t used = destination.capacity;
    void* grown = std::realloc(destination.block, used * 2);
    if (grown == nullptr) {
        ERREXIT(info, JERR_OUT_OF_MEMORY);
    }
    destination.block = static_cast<std::uint8_t*>(grown);
    destination.capacity = used * 2;
    destination.base.next_output_byte = destination.block + used;
    destination.base.free_in_buffer = destination.capacity - used;
    return TRUE;
}

void TermDestination(j_compress_ptr) {}

// A compression object writing into memory, destroyed on every way out.
class Compressor {
public:
    explicit Compressor(std::size_t initialCapacity) {
        InstallErrorManager(mError);
        mInfo.err = &mError.base;
        if (!Guarded(mError, [this] { jpeg_create_compress(&mInfo); })) {
            jpeg_destroy_compress(&mInfo);
            ThrowJpegError(mError);
        }
        mDestination.base.init_destination = InitDestination;
        mDestination.base.empty_output_buffer = GrowDestination;
        mDestination.base.term_destination = TermDestination;
        mDestination.capacity = initialCapacity;
        mInfo.dest = &mDestination.base;
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
    ~Compressor() {
        jpeg_destroy_compress(&mInfo);
        std::free(mDestination.block);
    }

    jpeg_compress_struct& Info() { return mInfo; }
    template <typename Step>
    void Run(Step&& step) {
        if (!Guarded(mError, std::forward<Step>(step))) {
            ThrowJpegError(mError);
        }
    }
    // The bytes written so far.
    std::vector<std::uint8_t> Output() const {
        const std::size_t used = mDestination.capacity - mDestination.base.free_in_buffer;
        return std::vector<std::uint8_t>(mDestination.block, mDestination.block + used);
    }

private:
    ErrorManager mError{};
    MemoryDestination mDestination{};
    jpeg_compress_struct mInfo{};
};

// Hands rows first .. first + count - 1 to the encoder, the pointers taken from `row(y)`.
template <typename RowOf>
void WriteRows(Compressor& compressor, int first, int count, RowOf row) {
    jpeg_compress_struct& info = compressor.Info();
    compressor.Run([&] {
        JSAMPROW rows[kRowsPerCall];
        for (int done = 0; done < count;) {
            const int n = std::min(kRowsPerCall, count - done);
            for (int i = 0; i < n; ++i) {
                rows[i] = row(first + done + i);
            }
            done += static_cast<int>(jpeg_write_scanlines(&info, rows, static_cast<JDIMENSION>(n)));
        }
    });
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

// The header is read first, straight from the file, and checked; only then is
// the rest read, so a huge file that is no picture, or claims one it cannot
// hold, fails at once.
Bitmap LoadJpeg(const std::string& path) {
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
            // A file that ended inside its header fails below, as from memory,
            // with the same message.
            if (data.size() != file.Size()) {
                throw;
            }
        }
        const std::size_t head = data.size();
        data.resize(static_cast<std::size_t>(file.Size()));
        data.resize(head + file.ReadAt(head, data.data() + head, data.size() - head));
        return DecodeJpeg(data.data(), data.size());
    } catch (const Error& error) {
        throw Error("Cannot read JPEG file \"" + path + "\": " + error.what());
    }
}

void CheckJpegSize(int width, int height) {
    if (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION) {
        throw Error("The picture (" + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels) is too large for a JPEG file: a side may have at most " +
                    std::to_string(JPEG_MAX_DIMENSION) + " pixels");
    }
}

std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, int quality) {
    if (bitmap.Empty()) {
        throw Error("An empty picture cannot be written as JPEG");
    }
    CheckJpegSize(bitmap.Width(), bitmap.Height());
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    // 24 and 32 bits are fed to libjpeg as they lie in memory; the rest is
    // converted a band of rows at a time.
    const bool rows24 = bitmap.Format() == PixelFormat::Bit24;
    const bool rows32 = bitmap.Format() == PixelFormat::Bit32;

    // Photos at quality 90 take 2 to 4 bits a pixel; the block doubles when it
    // is not enough, and untouched pages of it cost nothing.
    Compressor compressor(65536 + static_cast<std::size_t>(width) * height * 3 / 4);
    jpeg_compress_struct& info = compressor.Info();
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = rows32 ? 4 : 3;
    info.in_color_space = rows32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    compressor.Run([&] {
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, quality, TRUE);
        // YCbCr with the chroma halved both ways (4:2:0); baseline, sequential.
        info.comp_info[0].h_samp_factor = 2;
        info.comp_info[0].v_samp_factor = 2;
        for (int c = 1; c < 3; ++c) {
            info.comp_info[c].h_samp_factor = 1;
            info.comp_info[c].v_samp_factor = 1;
        }
        jpeg_start_compress(&info, TRUE);
    });

    // libjpeg takes non-const rows but only reads them.
    std::uint8_t* const bits = const_cast<std::uint8_t*>(bitmap.Bits());
    const std::ptrdiff_t stride = bitmap.Stride();
    if (rows24 || rows32) {
        WriteRows(compressor, 0, height, [&](int y) { return bits + y * stride; });
    } else {
        std::vector<std::uint8_t> band(static_cast<std::size_t>(width) * 3 * kRowsPerCall);
        const std::size_t bandStride = static_cast<std::size_t>(width) * 3;
        for (int first = 0; first < height; first += kRowsPerCall) {
            const int count = std::min(kRowsPerCall, height - first);
            for (int i = 0; i < count; ++i) {
                bitmap.ReadRowBgr(first + i, 0, width, band.data() + i * bandStride);
            }
            WriteRows(compressor, first, count,
                      [&](int y) { return band.data() + (y - first) * bandStride; });
        }
    }
    compressor.Run([&] { jpeg_finish_compress(&info); });
    return compressor.Output();
}

void SaveJpeg(const Bitmap& bitmap, const std::string& path, int quality) {
    std::vector<std::uint8_t> data;
    try {
        data = EncodeJpeg(bitmap, quality);
    } catch (const Error& error) {
        throw Error("Cannot write file \"" + path + "\": " + error.what());
    }
    WriteFileAtomically(path, data);
}

} // namespace pixmoth
