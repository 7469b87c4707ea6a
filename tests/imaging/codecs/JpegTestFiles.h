#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include <jpeglib.h>

// JPEG files made at test time with libjpeg itself, in the kinds the program's
// own encoder never writes (grey, CMYK, YCCK, progressive, with Exif).
namespace pixmoth::test {

struct TestJpegOptions {
    J_COLOR_SPACE inSpace = JCS_RGB;     // what `samples` hold: JCS_RGB, JCS_GRAYSCALE, JCS_CMYK
    J_COLOR_SPACE fileSpace = JCS_YCbCr; // what the file stores
    int quality = 100;
    bool progressive = false;
    bool adobeMarker = true; // libjpeg writes one for CMYK and YCCK unless told not to
    const jpeg_scan_info* scans = nullptr; // a custom progressive scan script
    int scanCount = 0;
    std::vector<std::vector<std::uint8_t>> app1; // APP1 payloads, written in this order
};

// Writes `samples` (rows top-down, no padding, one byte per component) as a JPEG
// with every component at full resolution. libjpeg's default error handler
// ends the test program on a bad request, loudly.
inline std::vector<std::uint8_t> MakeTestJpeg(int width, int height,
                                              const std::vector<std::uint8_t>& samples,
                                              const TestJpegOptions& options = {}) {
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.in_color_space = options.inSpace;
    info.input_components =
        options.inSpace == JCS_GRAYSCALE ? 1 : (options.inSpace == JCS_CMYK ? 4 : 3);
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, options.fileSpace);
    jpeg_set_quality(&info, options.quality, TRUE);
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    info.write_Adobe_marker = options.adobeMarker ? info.write_Adobe_marker : FALSE;
    if (options.progressive) {
        jpeg_simple_progression(&info);
    }
    if (options.scans != nullptr) {
        info.scan_info = options.scans;
        info.num_scans = options.scanCount;
    }
    jpeg_start_compress(&info, TRUE);
    for (const auto& payload : options.app1) {
        jpeg_write_marker(&info, JPEG_APP0 + 1, payload.data(),
                          static_cast<unsigned int>(payload.size()));
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * info.input_components;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<std::uint8_t*>(samples.data()) + info.next_scanline * rowBytes;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> file(buffer, buffer + size);
    std::free(buffer);
    return file;
}

// An Exif APP1 payload: "Exif\0\0", a TIFF header in the chosen byte order and
// IFD0 holding a Make entry (4 inline bytes) and then the orientation, a SHORT
// unless `type` says otherwise.
inline std::vector<std::uint8_t> ExifPayload(bool bigEndian, unsigned orientation,
                                             unsigned type = 3) {
    std::vector<std::uint8_t> out = {'E', 'x', 'i', 'f', 0, 0};
    const auto put16 = [&](unsigned v) {
        const std::uint8_t hi = static_cast<std::uint8_t>(v >> 8);
        const std::uint8_t lo = static_cast<std::uint8_t>(v);
        out.insert(out.end(), bigEndian ? std::initializer_list<std::uint8_t>{hi, lo}
                                        : std::initializer_list<std::uint8_t>{lo, hi});
    };
    const auto put32 = [&](std::uint32_t v) {
        if (bigEndian) {
            put16(v >> 16);
            put16(v & 0xFFFF);
        } else {
            put16(v & 0xFFFF);
            put16(v >> 16);
        }
    };
    out.push_back(bigEndian ? 'M' : 'I');
    out.push_back(bigEndian ? 'M' : 'I');
    put16(42);
    put32(8); // IFD0 right after the header
    put16(2);
    put16(0x010F); // Make, ASCII, 4 bytes inline
    put16(2);
    put32(4);
    out.insert(out.end(), {'C', 'a', 'm', 0});
    put16(0x0112); // Orientation
    put16(type);
    put32(1);
    if (type == 4) {
        put32(orientation);
    } else {
        put16(orientation);
        put16(0);
    }
    put32(0); // no next IFD
    return out;
}

// The message of the Error that `decode` throws ("" when it throws none).
template <typename F>
std::string ErrorText(F decode) {
    try {
        decode();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "";
}

// The marker segments from SOI up to and including the first SOS, and where the
// scan data starts.
struct Segment {
    int marker;
    std::size_t at;                 // offset of the 0xFF
    std::vector<std::uint8_t> body; // without marker and length
};
inline std::vector<Segment> HeaderSegments(const std::vector<std::uint8_t>& file,
                                           std::size_t* scanData = nullptr) {
    std::vector<Segment> segments;
    for (std::size_t at = 2; at + 4 <= file.size();) {
        const int marker = file[at + 1];
        const std::size_t length = file[at + 2] << 8 | file[at + 3];
        segments.push_back(
            {marker, at,
             std::vector<std::uint8_t>(file.begin() + at + 4, file.begin() + at + 2 + length)});
        at += 2 + length;
        if (marker == 0xDA) {
            if (scanData) {
                *scanData = at;
            }
            break;
        }
    }
    return segments;
}

// Rewrites the frame header's picture size.
inline void PatchSize(std::vector<std::uint8_t>& file, int width, int height) {
    for (const Segment& s : HeaderSegments(file)) {
        if (s.marker >= 0xC0 && s.marker <= 0xCF && s.marker != 0xC4 && s.marker != 0xC8 &&
            s.marker != 0xCC) {
            file[s.at + 5] = std::uint8_t(height >> 8);
            file[s.at + 6] = std::uint8_t(height);
            file[s.at + 7] = std::uint8_t(width >> 8);
            file[s.at + 8] = std::uint8_t(width);
        }
    }
}

} // namespace pixmoth::test
