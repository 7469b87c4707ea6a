#include "imaging/codecs/JpegCodec.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <jerror.h>
#include <jpeglib.h>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/JpegErrors.h"

// Encoding; JpegDecoder.cpp decodes.
namespace pixmoth {

namespace {

using jpeg::ErrorManager;
using jpeg::Guarded;
using jpeg::InstallErrorManager;
using jpeg::kRowsPerCall;
using jpeg::ThrowJpegError;

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
