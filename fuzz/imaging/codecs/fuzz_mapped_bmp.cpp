// Feeds arbitrary bytes, as a file, to the mapped BMP reader: it may refuse the
// file, but what it maps must lie inside the file and be the picture LoadBmp
// reads from it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

#include "FuzzRequire.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/MappedBmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = ::memfd_create("fuzz.bmp", MFD_CLOEXEC);
    Require(fd >= 0, "memfd_create");
    Require(::write(fd, data, size) == static_cast<ssize_t>(size), "write");
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (const auto mapped = pixmoth::MappedBmp::Open(path)) {
        const pixmoth::PixelRows& rows = mapped->Rows();
        const auto rowBytes = static_cast<std::size_t>(rows.width) * 3;
        if (rowBytes * static_cast<std::size_t>(rows.height) <= (std::size_t{1} << 22)) {
            const pixmoth::Bitmap loaded = pixmoth::LoadBmp(path);
            Require(loaded.Width() == rows.width && loaded.Height() == rows.height, "size");
            for (int y = 0; y < rows.height; ++y) {
                Require(std::memcmp(loaded.ScanLine(y), rows.top + y * rows.stride, rowBytes) == 0,
                        "rows");
            }
        }
        mapped->CheckIntact();
    }
    ::close(fd);
    return 0;
}
