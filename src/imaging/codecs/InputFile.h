#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <sys/uio.h>

// A regular file open for reading at chosen offsets, for decoders that place
// pixel rows straight into their bitmap instead of going through a whole-file
// buffer. Anything else (a directory, FIFO, device or socket) is refused at
// once, before it is opened: a FIFO would block until a writer came and has no
// size, a device may never end. Errors name the file.
namespace pixmoth {

class InputFile {
public:
    explicit InputFile(const std::string& path);
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // The size when the file was opened.
    std::uint64_t Size() const { return mSize; }

    // Fills the pieces in order with the bytes from `offset` on; stops early at
    // the end of the file. Returns the number of bytes read.
    std::size_t ReadAt(std::uint64_t offset, const std::vector<iovec>& pieces);
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) {
        return ReadAt(offset, std::vector<iovec>{iovec{data, size}});
    }

private:
    std::string mPath;
    int mFd = -1;
    std::uint64_t mSize = 0;
};

} // namespace pixmoth
