#include "imaging/codecs/FileIO.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/FileDescriptor.h"
#include "imaging/codecs/FileKind.h"
#include "imaging/codecs/InputFile.h"
#include "imaging/codecs/IoVectorCursor.h"
#include "imaging/codecs/TempFile.h"

namespace pixmoth {

namespace {

// Linux gives up after 40 links in one path; so do we.
constexpr int kMaxLinks = 40;

template <typename Buffer>
Buffer ReadWhole(const std::string& path, std::uint64_t maxBytes) {
    InputFile file(path);
    if (file.Size() > maxBytes) {
        throw Error("File \"" + path + "\" is too large (" + std::to_string(file.Size()) +
                    " bytes)");
    }
    Buffer data;
    data.resize(static_cast<std::size_t>(file.Size()));
    // A file that shrank since it was opened gives what is left.
    data.resize(file.ReadAt(0, reinterpret_cast<std::uint8_t*>(data.data()), data.size()));
    return data;
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// Writes every piece from `offset` on, with pwritev when `offset` is given.
int WriteAll(int fd, const std::vector<iovec>& pieces, off_t offset = -1) {
    IoVectorCursor cursor(pieces);
    iovec batch[IOV_MAX];
    while (!cursor.Done()) {
        const int count = cursor.Next(batch);
        const ssize_t n =
            offset < 0 ? ::writev(fd, batch, count) : ::pwritev(fd, batch, count, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        if (offset >= 0) {
            offset += n;
        }
        cursor.Advance(static_cast<std::size_t>(n));
    }
    return 0;
}

std::size_t TotalSize(const std::vector<iovec>& pieces) {
    std::size_t total = 0;
    for (const iovec& piece : pieces) {
        total += piece.iov_len;
    }
    return total;
}

// The directory entry of a rename reaches the disk only with its directory.
void SyncDirectory(const std::string& directory) {
    const FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd >= 0) {
        ::fsync(dir.fd);
    }
}

class Writer {
public:
    Writer(const std::string& path, const std::vector<iovec>& pieces)
        : mPath(path), mPieces(pieces), mTarget(FollowSymbolicLinks(path)) {}

    void Run() {
        OpenExisting();
        const bool exists = mExisting.fd >= 0;
        // An existing file's bits are set exactly below; until then nobody else
        // may read what is being written.
        TempFile temp(mTarget, exists ? (mOld.st_mode & 0600) : 0666);
        if (temp.Fd() < 0) {
            // A file we may write in a folder we may not: a plain write works
            // there, so this one must too, in place and without a copy.
            if (exists && (temp.ErrorNumber() == EACCES || temp.ErrorNumber() == EPERM)) {
                mStep = FileWriteError::Step::Write;
                RewriteInPlace(nullptr);
                return;
            }
            Fail(temp.ErrorNumber());
        }
        const bool inPlace = exists && (mOld.st_nlink > 1 || !KeepOwnerAndMode(temp.Fd()));
        mStep = FileWriteError::Step::Write;
        Check(WriteAll(temp.Fd(), mPieces));
        Check(::fsync(temp.Fd()) == 0 ? 0 : errno);
        if (inPlace) {
            RewriteInPlace(&temp);
            return;
        }
        Check(temp.Close());
        mStep = FileWriteError::Step::Replace;
        Check(temp.RenameTo(mTarget));
        SyncDirectory(DirectoryOf(mTarget));
    }

private:
    [[noreturn]] void Fail(int error) const { Fail(std::strerror(error)); }
    [[noreturn]] void Fail(const std::string& reason) const {
        throw FileWriteError("Cannot write file \"" + mPath + "\": " + reason, mStep);
    }
    void Check(int error) const {
        if (error != 0) {
            Fail(error);
        }
    }

    // Refuses what a plain write would not do: anything but a regular file, or
    // a file the user may not write (checked by opening it for writing, which
    // changes nothing and sees every rule: modes, ACLs, read-only mounts).
    void OpenExisting() {
        struct stat info {};
        if (::lstat(mTarget.c_str(), &info) != 0) {
            if (errno != ENOENT) {
                Fail(errno);
            }
            return;
        }
        RequireRegular(info);
        mExisting.fd =
            ::open(mTarget.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (mExisting.fd < 0) {
            Fail(errno);
        }
        if (::fstat(mExisting.fd, &mOld) != 0) {
            Fail(errno);
        }
        RequireRegular(mOld); // it may have been swapped since we looked
    }

    void RequireRegular(const struct stat& info) const {
        if (!S_ISREG(info.st_mode)) {
            Fail((mTarget == mPath ? std::string("it is ") : "\"" + mTarget + "\" is ") +
                 FileKindName(info.st_mode) + ", not a regular file");
        }
    }

    // Gives the new file the old one's owner, group and permission bits; false
    // when the owner or group cannot be kept (only root may give a file away),
    // in which case the old file is rewritten in place instead, so that saving
    // into someone else's writable file does not make it ours.
    bool KeepOwnerAndMode(int fd) const {
        struct stat made {};
        if (::fchown(fd, mOld.st_uid, mOld.st_gid) != 0 || ::fstat(fd, &made) != 0 ||
            made.st_uid != mOld.st_uid || made.st_gid != mOld.st_gid) {
            return false;
        }
        // After chown, which clears set-user-ID and set-group-ID bits.
        Check(::fchmod(fd, mOld.st_mode & 07777) == 0 ? 0 : errno);
        return true;
    }

    // `temp` holds the complete new content, or is null where none could be made.
    void RewriteInPlace(TempFile* temp) {
        const int fd = mExisting.fd;
        const std::size_t size = TotalSize(mPieces);
        if (size > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0 &&
            errno != EOPNOTSUPP && errno != ENOSYS) {
            Fail(errno); // nothing touched yet
        }
        int error = WriteAll(fd, mPieces, 0);
        if (error == 0 && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
            error = errno;
        }
        if (error == 0 && ::fsync(fd) != 0) {
            error = errno;
        }
        if (error != 0 && temp == nullptr) {
            Fail(std::string(std::strerror(error)) + "; the file may be damaged");
        }
        if (error != 0) {
            temp->Keep();
            Fail(std::string(std::strerror(error)) +
                 "; the file may be damaged, its new content is in \"" + temp->Path() + "\"");
        }
    }

    const std::string& mPath;
    const std::vector<iovec>& mPieces;
    const std::string mTarget;
    FileDescriptor mExisting{-1};
    struct stat mOld {};
    FileWriteError::Step mStep = FileWriteError::Step::Create;
};

} // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::uint64_t maxBytes) {
    return ReadWhole<std::vector<std::uint8_t>>(path, maxBytes);
}

std::string ReadFileText(const std::string& path, std::uint64_t maxBytes) {
    return ReadWhole<std::string>(path, maxBytes);
}

std::string FollowSymbolicLinks(const std::string& path) {
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof target);
        if (length <= 0 || length == static_cast<ssize_t>(sizeof target)) {
            return current; // the later steps report what is wrong with it
        }
        const std::string next(target, static_cast<std::size_t>(length));
        const auto slash = current.rfind('/');
        current = next.front() == '/' || slash == std::string::npos
                      ? next
                      : current.substr(0, slash + 1) + next;
    }
    throw FileWriteError("Cannot write file \"" + path + "\": " + std::strerror(ELOOP),
                         FileWriteError::Step::Create);
}

void WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size) {
    WriteFileAtomically(path, std::vector<iovec>{iovec{const_cast<std::uint8_t*>(data), size}});
}

void WriteFileAtomically(const std::string& path, const std::vector<iovec>& pieces) {
    Writer(path, pieces).Run();
}

} // namespace pixmoth
