#include "imaging/codecs/InputFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/IoVectorCursor.h"

namespace pixmoth {

InputFile::InputFile(const std::string& path) : mPath(path) {
    mFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (mFd < 0) {
        throw Error("Cannot open file \"" + path + "\": " + std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(mFd, &info) != 0) {
        const int error = errno;
        ::close(mFd);
        throw Error("Cannot read file \"" + path + "\": " + std::strerror(error));
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(mFd);
        throw Error("Cannot open file \"" + path + "\": it is a directory");
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
