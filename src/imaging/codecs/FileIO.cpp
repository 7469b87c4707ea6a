#include "imaging/codecs/FileIO.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/IoVectorCursor.h"

namespace pixmoth {

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

// Closes a descriptor when the scope ends, whatever way it ends.
struct FileDescriptor {
    int fd = -1;
    explicit FileDescriptor(int f) : fd(f) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// Saving through a symbolic link replaces the file it points to, not the link.
std::string ResolveTarget(const std::string& path) {
    char resolved[PATH_MAX];
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
        ::realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    return path;
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.fd < 0) {
        throw Error("Cannot open file \"" + path + "\": " + Reason(errno));
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        throw Error("Cannot read file \"" + path + "\": " + Reason(errno));
    }
    if (S_ISDIR(info.st_mode)) {
        throw Error("Cannot open file \"" + path + "\": it is a directory");
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        throw Error("File \"" + path + "\" is too large (" + std::to_string(info.st_size) +
                    " bytes)");
    }
    std::vector<std::uint8_t> data(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::read(file.fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw Error("Cannot read file \"" + path + "\": " + Reason(errno));
        }
        if (n == 0) {
            break; // the file shrank while we read it
        }
        done += static_cast<std::size_t>(n);
    }
    data.resize(done);
    return data;
}

void WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size) {
    WriteFileAtomically(path, std::vector<iovec>{iovec{const_cast<std::uint8_t*>(data), size}});
}

void WriteFileAtomically(const std::string& path, const std::vector<iovec>& pieces) {
    const std::string target = ResolveTarget(path);
    const auto slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = directory + "." + name + ".XXXXXX";
    const auto fail = [&](const std::string& what, int error) {
        throw Error("Cannot write file \"" + path + "\": " + what + Reason(error));
    };

    FileDescriptor file(::mkstemp(temp.data()));
    if (file.fd < 0) {
        fail("", errno);
    }
    bool renamed = false;
    try {
        struct stat old {};
        const mode_t mode =
            ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
        if (::fchmod(file.fd, mode) != 0) {
            fail("", errno);
        }
        IoVectorCursor cursor(pieces);
        iovec batch[IOV_MAX];
        while (!cursor.Done()) {
            const ssize_t n = ::writev(file.fd, batch, cursor.Next(batch));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                fail("", errno);
            }
            cursor.Advance(static_cast<std::size_t>(n));
        }
        if (::fsync(file.fd) != 0) {
            fail("", errno);
        }
        const int closed = ::close(file.fd);
        file.fd = -1;
        if (closed != 0) {
            fail("", errno);
        }
        if (::rename(temp.c_str(), target.c_str()) != 0) {
            fail("", errno);
        }
        renamed = true;
    } catch (...) {
        if (!renamed) {
            ::unlink(temp.c_str());
        }
        throw;
    }
}

} // namespace pixmoth
