#include "imaging/codecs/InputFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/FileKind.h"
#include "imaging/codecs/IoVectorCursor.h"

namespace pixmoth {

namespace {

void RequireRegular(const std::string& path, const struct stat& info) {
    if (S_ISDIR(info.st_mode)) {
        throw Error("Cannot open file \"" + path + "\": it is a directory");
    }
    if (!S_ISREG(info.st_mode)) {
        throw Error("Cannot open file \"" + path + "\": it is " + FileKindName(info.st_mode) +
                    ", not a regular file");
    }
}

} // namespace

InputFile::InputFile(const std::string& path) : mPath(path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        throw Error("Cannot open file \"" + path + "\": " + std::strerror(errno));
    }
    RequireRegular(path, info);
    // Non-blocking, in case a FIFO took the file's place since we looked.
    mFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (mFd < 0) {
        throw Error("Cannot open file \"" + path + "\": " + std::strerror(errno));
    }
    try {
        if (::fstat(mFd, &info) != 0) {
            throw Error("Cannot read file \"" + path + "\": " + std::strerror(errno));
        }
        RequireRegular(path, info);
    } catch (...) {
        ::close(mFd);
        throw;
    }
    mSize = static_cast<std::uint64_t>(info.st_size);
}

InputFile::~InputFile() {
    ::close(mFd);
}

std::size_t InputFile::ReadAt(std::uint64_t offset, const std::vector<iovec>& pieces) {
    IoVectorCursor cursor(pieces);
    std::size_t done = 0;
    iovec batch[IOV_MAX];
    while (!cursor.Done()) {
        const ssize_t n =
            ::preadv(mFd, batch, cursor.Next(batch), static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw Error("Cannot read file \"" + mPath + "\": " + std::strerror(errno));
        }
        if (n == 0) {
            break; // end of file
        }
        done += static_cast<std::size_t>(n);
        cursor.Advance(static_cast<std::size_t>(n));
    }
    return done;
}

} // namespace pixmoth
