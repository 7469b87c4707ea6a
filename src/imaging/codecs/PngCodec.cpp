#include "imaging/codecs/PngCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <png.h>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/AlphaOnWhite.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/InputFile.h"

namespace pixmoth {

namespace {

const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Deflate never packs more than 1032 bytes into one (a 258-byte match in
// under two bits, over and over); a picture whose rows need more than that
// many times the file's size cannot be in the file.
constexpr std::uint64_t kMaxDeflateRatio = 1032;
// Larger files are refused before anything is read.
constexpr std::uint64_t kMaxPngFileBytes = std::uint64_t{2} << 30;
// Files are read in pieces of this size.
constexpr std::size_t kReadPiece = 256 * 1024;
// Rows handed to libpng per call.
constexpr int kRowsPerCall = 16;
// Mutated data seldom keeps its checksums right: fuzzing builds read past
// them, so the search reaches the code behind the header.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool kCheckCrc = false;
#else
constexpr bool kCheckCrc = true;
#endif
// What a read that ran past the end reports through png_error.
const char* const kTruncated = "truncated";

// libpng reports a fatal error through a callback that must not return. It
// jumps back into Guarded, which turns the error into a return value; the C++
// code around it then throws. No C++ frame with a destructor lies between the
// setjmp and the jump.
struct ErrorState {
    std::jmp_buf jump;
    char message[256];
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    auto* state = static_cast<ErrorState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message);
    std::longjmp(state->jump, 1);
}

// Warnings are about ancillary chunks, which are then left out, or about
// harmless oddities: the picture is still whole. Nothing is printed.
void OnWarning(png_structp, png_const_charp) {}

// Runs `step` (calls into libpng and plain pointer work only: nothing with a
// destructor, nothing that throws) and returns false when libpng gave up.
template <typename Step>
bool Guarded(ErrorState& state, Step&& step) {
    if (setjmp(state.jump) != 0) {
        return false;
    }
    step();
    return true;
}

// Where libpng's bytes come from: a block of memory, or a file read in pieces.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : mData(data), mSize(size) {}
    explicit Input(InputFile& file) : mFile(&file), mSize(file.Size()) {}

    std::uint64_t Size() const { return mSize; }

    // Copies the next `length` bytes to `out`; false when the data ends first.
    // File errors are thrown.
    bool Read(std::uint8_t* out, std::size_t length) {
        if (mFile == nullptr) {
            if (length > mSize - mAt) {
                return false;
            }
            std::memcpy(out, mData + mAt, length);
            mAt += length;
            return true;
        }
        while (length > 0) {
            if (mBufferAt == mBuffer.size()) {
                Refill();
                if (mBuffer.empty()) {
                    return false;
                }
            }
            const std::size_t n = std::min(length, mBuffer.size() - mBufferAt);
            std::memcpy(out, mBuffer.data() + mBufferAt, n);
            mBufferAt += n;
            out += n;
            length -= n;
        }
        return true;
    }

    // Room for the text of a read error, handed to png_error.
    char failure[256] = {};

private:
    void Refill() {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kReadPiece, mSize - mAt));
        mBuffer.resize(want);
        mBuffer.resize(want > 0 ? mFile->ReadAt(mAt, mBuffer.data(), want) : 0);
        mAt += mBuffer.size();
        mBufferAt = 0;
    }

    const std::uint8_t* mData = nullptr;
    InputFile* mFile = nullptr;
    std::uint64_t mSize = 0;
    std::uint64_t mAt = 0; // memory: next byte; file: end of what was read
    std::vector<std::uint8_t> mBuffer;
    std::size_t mBufferAt = 0;
};

void ReadData(png_structp png, png_bytep out, std::size_t length) {
    Input& input = *static_cast<Input*>(png_get_io_ptr(png));
    bool whole = false;
    bool failed = false;
    try {
        whole = input.Read(out, length);
    } catch (const std::exception& error) {
        std::snprintf(input.failure, sizeof input.failure, "%s", error.what());
        failed = true;
    }
    // Outside the handler: png_error jumps away and must leave no exception behind.
    if (!whole) {
        png_error(png, failed ? input.failure : kTruncated);
    }
}

// A read structure destroyed on every way out.
class Reader {
public:
    explicit Reader(const std::string& subject) : mSubject(subject) {
        png_structp png = nullptr;
        png_infop info = nullptr;
        const bool made = Guarded(mState, [&] {
            png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &mState, OnError, OnWarning);
            if (png != nullptr) {
                info = png_create_info_struct(png);
            }
        });
        mPng = png;
        mInfo = info;
        if (!made || mPng == nullptr || mInfo == nullptr) {
            png_destroy_read_struct(mPng != nullptr ? &mPng : nullptr, nullptr, nullptr);
            throw Error(mSubject + " cannot be read: out of memory");
        }
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    ~Reader() { png_destroy_read_struct(&mPng, &mInfo, nullptr); }

    png_structp Png() { return mPng; }
    png_infop Info() { return mInfo; }
    const std::string& Subject() const { return mSubject; }

    // Runs a guarded step and throws libpng's error, in words, when it fails.
    template <typename Step>
    void Run(Step&& step) {
        if (!Guarded(mState, std::forward<Step>(step))) {
            if (std::strcmp(mState.message, kTruncated) == 0) {
                throw Error(mSubject + " is truncated");
            }
            throw Error(mSubject + " is damaged (" + mState.message + ")");
        }
    }

private:
    std::string mSubject;
    ErrorState mState{};
    png_structp mPng = nullptr;
    png_infop mInfo = nullptr;
};

// Reads the header, checks the picture's claims and decodes it into a bitmap
// of `format`, 24 or 32 bits.
Bitmap Decode(Input& input, const std::string& subject, PixelFormat format) {
    std::uint8_t signature[8];
    if (input.Size() < sizeof signature || !input.Read(signature, sizeof signature) ||
        std::memcmp(signature, kSignature, sizeof signature) != 0) {
        throw Error(subject + " is not a PNG picture");
    }
    Reader reader(subject);
    png_structp png = reader.Png();
    png_infop info = reader.Info();
    reader.Run([&] {
        png_set_read_fn(png, &input, ReadData);
        png_set_sig_bytes(png, sizeof signature);
        if (!kCheckCrc) {
            png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
        }
        // The size is checked below, with a message that says what is wrong.
        png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
        png_read_info(png, info);
    });

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colorType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    const bool interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    const std::string claim = " claims a picture of " + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels";
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (pixels > kMaxPngPixels) {
        throw Error(subject + claim + ", more than this program opens");
    }
    // The filtered rows deflate packs: a filter byte and the samples of each row.
    const std::uint64_t rawBytes =
        height * (1 + (std::uint64_t{width} * png_get_channels(png, info) * depth + 7) / 8);
    if (rawBytes > kMaxDeflateRatio * input.Size()) {
        throw Error(subject + claim + " in only " + std::to_string(input.Size()) +
                    " bytes, more than PNG data of that size can hold");
    }

    const bool alpha =
        (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool fourBytes = format == PixelFormat::Bit32;
    int passes = 1;
    reader.Run([&] {
        if (colorType == PNG_COLOR_TYPE_PALETTE) {
            png_set_palette_to_rgb(png);
        }
        if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) {
            png_set_expand_gray_1_2_4_to_8(png);
        }
        if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
            png_set_tRNS_to_alpha(png);
        }
        if (depth == 16) {
            png_set_strip_16(png);
        }
        if ((colorType & PNG_COLOR_MASK_COLOR) == 0) {
            png_set_gray_to_rgb(png);
        }
        png_set_bgr(png);
        if (fourBytes && !alpha) {
            png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        }
        passes = png_set_interlace_handling(png);
        png_read_update_info(png, info);
    });

    Bitmap bitmap;
    bitmap.Reset(static_cast<int>(width), static_cast<int>(height),
                 fourBytes ? PixelFormat::Bit32 : PixelFormat::Bit24);
    const int outBytes = fourBytes ? 4 : 3;
    std::uint8_t* const bits = bitmap.Bits();
    const std::size_t stride = static_cast<std::size_t>(bitmap.Stride());
    const std::size_t alphaStride = std::size_t{width} * 4;
    if (!alpha) {
        // Rows straight into the bitmap; interlaced pictures fill them pass by pass.
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y) {
            rows[y] = bits + y * stride;
        }
        reader.Run([&] {
            for (int pass = 0; pass < passes; ++pass) {
                for (png_uint_32 y = 0; y < height; y += kRowsPerCall) {
                    png_read_rows(png, rows.data() + y, nullptr,
                                  std::min<png_uint_32>(kRowsPerCall, height - y));
                }
            }
        });
    } else if (!interlaced) {
        std::vector<std::uint8_t> band(alphaStride * kRowsPerCall);
        std::uint8_t* const bandRows = band.data();
        reader.Run([&] {
            png_bytep rows[kRowsPerCall];
            for (png_uint_32 y = 0; y < height; y += kRowsPerCall) {
                const png_uint_32 count = std::min<png_uint_32>(kRowsPerCall, height - y);
                for (png_uint_32 i = 0; i < count; ++i) {
                    rows[i] = bandRows + i * alphaStride;
                }
                png_read_rows(png, rows, nullptr, count);
                for (png_uint_32 i = 0; i < count; ++i) {
                    AlphaOnWhite(rows[i], bits + (y + i) * stride, static_cast<int>(width),
                                 outBytes);
                }
            }
        });
    } else {
        // Later passes fill in earlier rows: the whole picture is kept with its
        // alpha until the last pass.
        std::vector<std::uint8_t> whole(alphaStride * height);
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y) {
            rows[y] = whole.data() + y * alphaStride;
        }
        reader.Run([&] { png_read_image(png, rows.data()); });
        for (png_uint_32 y = 0; y < height; ++y) {
            AlphaOnWhite(rows[y], bits + y * stride, static_cast<int>(width), outBytes);
        }
    }
    // The rest of the file (text after the picture, the end chunk) is not read:
    // the checksums of the picture data were checked as it was read, and a
    // file that lacks only its end is still a whole picture.
    return bitmap;
}

// An output block grown with realloc, as libpng writes: large blocks move by
// remapping pages, not copying, and untouched pages cost nothing.
struct Output {
    std::uint8_t* block = nullptr;
    std::size_t used = 0;
    std::size_t capacity = 0;
    Output() = default;
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    ~Output() { std::free(block); }
};

void WriteData(png_structp png, png_bytep data, std::size_t length) {
    Output& output = *static_cast<Output*>(png_get_io_ptr(png));
    if (length > output.capacity - output.used) {
        const std::size_t capacity = std::max(output.capacity * 2, output.used + length);
        void* grown = std::realloc(output.block, capacity);
        if (grown == nullptr) {
            png_error(png, "out of memory");
        }
        output.block = static_cast<std::uint8_t*>(grown);
        output.capacity = capacity;
    }
    std::memcpy(output.block + output.used, data, length);
    output.used += length;
}

void FlushData(png_structp) {}

// A write structure destroyed on every way out.
class Writer {
public:
    Writer() {
        png_structp png = nullptr;
        png_infop info = nullptr;
        const bool made = Guarded(mState, [&] {
            png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &mState, OnError, OnWarning);
            if (png != nullptr) {
                info = png_create_info_struct(png);
            }
        });
        mPng = png;
        mInfo = info;
        if (!made || mPng == nullptr || mInfo == nullptr) {
            png_destroy_write_struct(mPng != nullptr ? &mPng : nullptr, nullptr);
            throw Error("A PNG file cannot be written: out of memory");
        }
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    ~Writer() { png_destroy_write_struct(&mPng, &mInfo); }

    png_structp Png() { return mPng; }
    png_infop Info() { return mInfo; }

    template <typename Step>
    void Run(Step&& step) {
        if (!Guarded(mState, std::forward<Step>(step))) {
            throw Error(std::string("A PNG file cannot be written: ") + mState.message);
        }
    }

private:
    ErrorState mState{};
    png_structp mPng = nullptr;
    png_infop mInfo = nullptr;
};

void Encode(const Bitmap& bitmap, Output& output) {
    if (bitmap.Empty()) {
        throw Error("An empty picture cannot be written as PNG");
    }
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    const PixelFormat format = bitmap.Format();
    const bool palette = HasPalette(format);
    // Rows that libpng takes as they lie in memory; the rest goes through a
    // band of 24-bit rows.
    const bool direct = palette || format == PixelFormat::Bit24 || format == PixelFormat::Bit32;

    // Photos pack to about a third of their 24-bit size; the block grows when needed.
    output.capacity = 65536 + bitmap.ByteSize() / 2;
    output.block = static_cast<std::uint8_t*>(std::malloc(output.capacity));
    if (output.block == nullptr) {
        throw Error("A PNG file cannot be written: out of memory");
    }

    std::vector<png_color> colors;
    for (const PaletteEntry& entry : bitmap.Palette()) {
        colors.push_back(png_color{entry.red, entry.green, entry.blue});
    }
    Writer writer;
    png_structp png = writer.Png();
    png_infop info = writer.Info();
    writer.Run([&] {
        png_set_write_fn(png, &output, WriteData, FlushData);
        // Any picture the program holds (libpng's own limit is a million pixels a side).
        png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
        png_set_compression_level(png, kPngCompressionLevel);
        png_set_compression_buffer_size(png, 65536);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                     palette ? BitsPerPixel(format) : 8,
                     palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (palette) {
            png_set_PLTE(png, info, colors.data(), static_cast<int>(colors.size()));
        }
        png_write_info(png, info);
        if (!palette) {
            png_set_bgr(png);
        }
        if (format == PixelFormat::Bit32) {
            png_set_filler(png, 0, PNG_FILLER_AFTER); // drops the unused fourth byte
        }
    });

    // libpng takes non-const rows but only reads them.
    std::uint8_t* const bits = const_cast<std::uint8_t*>(bitmap.Bits());
    const std::size_t stride = static_cast<std::size_t>(bitmap.Stride());
    const std::size_t bandStride = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> band(direct ? 0 : bandStride * kRowsPerCall);
    png_bytep rows[kRowsPerCall];
    for (int first = 0; first < height; first += kRowsPerCall) {
        const int count = std::min(kRowsPerCall, height - first);
        for (int i = 0; i < count; ++i) {
            if (direct) {
                rows[i] = bits + static_cast<std::size_t>(first + i) * stride;
            } else {
                rows[i] = band.data() + static_cast<std::size_t>(i) * bandStride;
                bitmap.ReadRowBgr(first + i, 0, width, rows[i]);
            }
        }
        writer.Run([&] { png_write_rows(png, rows, static_cast<png_uint_32>(count)); });
    }
    writer.Run([&] { png_write_end(png, nullptr); });
}

std::string FileSubject(const std::string& path) {
    return "PNG file \"" + path + "\"";
}

} // namespace

bool IsPngData(const std::uint8_t* data, std::size_t size) {
    return size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

Bitmap DecodePng(const std::uint8_t* data, std::size_t size) {
    return DecodePng(data, size, "The PNG data");
}

Bitmap DecodePng(const std::uint8_t* data, std::size_t size, const std::string& subject,
                 PixelFormat format) {
    Input input(data, size);
    return Decode(input, subject, format);
}

Bitmap LoadPng(const std::string& path, PixelFormat format) {
    InputFile file(path);
    if (file.Size() > kMaxPngFileBytes) {
        throw Error("File \"" + path + "\" is too large (" + std::to_string(file.Size()) +
                    " bytes)");
    }
    Input input(file);
    return Decode(input, FileSubject(path), format);
}

PngSize ReadPngSize(const std::uint8_t* data, std::size_t size) {
    // The signature, then the header chunk: length 13, "IHDR", width, height.
    if (!IsPngData(data, size)) {
        throw Error("The data is not a PNG picture");
    }
    if (size < 24 || std::memcmp(data + 12, "IHDR", 4) != 0) {
        throw Error("The PNG data has no header");
    }
    const auto be32 = [](const std::uint8_t* p) {
        return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
               p[3];
    };
    const std::uint32_t width = be32(data + 16);
    const std::uint32_t height = be32(data + 20);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
        throw Error("The PNG data has an invalid header");
    }
    return PngSize{static_cast<int>(width), static_cast<int>(height)};
}

std::vector<std::uint8_t> EncodePng(const Bitmap& bitmap) {
    Output output;
    Encode(bitmap, output);
    return std::vector<std::uint8_t>(output.block, output.block + output.used);
}

void SavePng(const Bitmap& bitmap, const std::string& path) {
    Output output;
    try {
        Encode(bitmap, output);
    } catch (const Error& error) {
        throw Error("Cannot write file \"" + path + "\": " + error.what());
    }
    WriteFileAtomically(path, output.block, output.used);
}

} // namespace pixmoth
