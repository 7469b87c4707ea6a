#include "browse/FileMove.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "browse/TreePaths.h"
#include "imaging/codecs/FileDescriptor.h"
#include "imaging/codecs/FileKind.h"
#include "imaging/codecs/TempFile.h"
#include "platform/Paths.h"

namespace pixmoth {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;

std::string Reason(int error) {
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return "a file of that name is already there";
    case EACCES:
    case EPERM:
        return "permission denied";
    case EROFS:
        return "the drive is read-only";
    case ENOSPC:
    case EDQUOT:
        return "the drive is full";
    case ECANCELED:
        return "cancelled";
    default:
        return std::strerror(error);
    }
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `folder` is `directory` or lies below it, by their real paths.
bool IsWithin(const std::string& folder, const std::string& directory) {
    const std::unique_ptr<char, decltype(&std::free)> inner(::realpath(folder.c_str(), nullptr),
                                                            &std::free);
    const std::unique_ptr<char, decltype(&std::free)> outer(::realpath(directory.c_str(), nullptr),
                                                            &std::free);
    if (!inner || !outer) {
        return false;
    }
    const std::string in = WithTrailingSlash(inner.get());
    const std::string out = WithTrailingSlash(outer.get());
    return in.compare(0, out.size(), out) == 0;
}

bool NoHardLinks(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == EMLINK;
}

// The last resort where the file system can neither refuse a taken name in a
// rename nor make hard links: the name is looked at right before renaming.
int RenameAfterCheck(const std::string& from, const std::string& to) {
    struct stat there {};
    if (::lstat(to.c_str(), &there) == 0) {
        return EEXIST;
    }
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// A rename on a file system that does not know RENAME_NOREPLACE (NFS, SMB):
// a hard link refuses a taken name just as well.
int RenameWithoutFlag(const std::string& source, const std::string& target, bool directory) {
    if (!directory) {
        if (::link(source.c_str(), target.c_str()) == 0) {
            if (::unlink(source.c_str()) == 0) {
                return 0;
            }
            const int error = errno;
            ::unlink(target.c_str());
            return error;
        }
        if (!NoHardLinks(errno)) {
            return errno;
        }
    }
    return RenameAfterCheck(source, target);
}

int WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

// Copies all of `in` into the empty `out`; 0 or an errno (ECANCELED for a cancel).
int CopyData(int in, int out, std::uint64_t total, const MoveProgress& progress) {
    // Space first, where the file system can reserve it: a drive too full
    // then fails before any time goes into copying.
    if (total > 0 && ::fallocate(out, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(total)) != 0 &&
        (errno == ENOSPC || errno == EDQUOT)) {
        return errno;
    }
    std::uint64_t copied = 0;
    bool inKernel = true;
    std::vector<char> buffer;
    for (;;) {
        if (progress && !progress(copied, total)) {
            return ECANCELED;
        }
        ssize_t n = 0;
        if (inKernel) {
            n = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
            if (n < 0 &&
                (errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP || errno == ENOSYS)) {
                inKernel = false; // nothing was copied by the failed call
                continue;
            }
        } else {
            buffer.resize(kChunk);
            n = ::read(in, buffer.data(), buffer.size());
            if (n > 0) {
                if (const int error = WriteAll(out, buffer.data(), static_cast<std::size_t>(n))) {
                    return error;
                }
            }
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            return 0;
        }
        copied += static_cast<std::uint64_t>(n);
    }
}

// Copies the content, then what else of the file can come along, then flushes
// it to disk. Owner and times are best effort: not every drive keeps them.
int CopyFile(int in, int out, const struct stat& from, const MoveProgress& progress) {
    if (const int error = CopyData(in, out, static_cast<std::uint64_t>(from.st_size), progress)) {
        return error;
    }
    if (::geteuid() == 0) {
        (void)!::fchown(out, from.st_uid, from.st_gid);
    }
    (void)!::fchmod(out, from.st_mode & 07777);
    const struct timespec times[2] = {from.st_atim, from.st_mtim};
    (void)!::futimens(out, times);
    return ::fsync(out) == 0 ? 0 : errno;
}

// Puts the complete file `temporary` in place at `target`, never replacing.
int LinkIntoPlace(TempFile& temporary, const std::string& target) {
    if (::link(temporary.Path().c_str(), target.c_str()) == 0) {
        return 0; // the temporary name goes with `temporary`
    }
    if (!NoHardLinks(errno)) {
        return errno;
    }
    // FAT and exFAT drives have no hard links but refuse a taken name in a rename.
    int error = ::renameat2(AT_FDCWD, temporary.Path().c_str(), AT_FDCWD, target.c_str(),
                            RENAME_NOREPLACE) == 0
                    ? 0
                    : errno;
    if (error == EINVAL) {
        error = RenameAfterCheck(temporary.Path(), target);
    }
    if (error == 0) {
        temporary.Keep(); // renamed: there is no temporary name left to remove
    }
    return error;
}

bool HaveProc() {
    return ::access("/proc/self/fd", X_OK) == 0;
}

// The copy of a regular file to another file system, into place at `target`.
int CopyIntoPlace(const std::string& source, const std::string& folder, const std::string& target,
                  const struct stat& from, const MoveProgress& progress) {
    const FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (in.fd < 0) {
        return errno;
    }
    // An unnamed file vanishes by itself if anything stops the copy, even a
    // crash; only once complete does it get a name. Where the file system
    // cannot make one, a hidden temporary file takes its place.
    const FileDescriptor unnamed(
        HaveProc() ? ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600) : -1);
    if (unnamed.fd >= 0) {
        if (const int error = CopyFile(in.fd, unnamed.fd, from, progress)) {
            return error;
        }
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", unnamed.fd);
        return ::linkat(AT_FDCWD, self, AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0
                                                                                          : errno;
    }
    TempFile temporary(target, 0600);
    if (temporary.Fd() < 0) {
        return temporary.ErrorNumber();
    }
    if (const int error = CopyFile(in.fd, temporary.Fd(), from, progress)) {
        return error;
    }
    return LinkIntoPlace(temporary, target);
}

int FlushFolder(const std::string& folder) {
    const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return directory.fd >= 0 && ::fsync(directory.fd) == 0 ? 0 : errno;
}

// The move to another file system: the new entry first, complete and on disk,
// then the old one is removed; if that fails the new one goes again.
std::string MoveAcross(const std::string& source, const std::string& folder,
                       const std::string& target, const struct stat& from,
                       const MoveProgress& progress) {
    if (S_ISDIR(from.st_mode)) {
        return "a folder cannot be moved to another drive";
    }
    int error = 0;
    if (S_ISLNK(from.st_mode)) {
        std::vector<char> text(static_cast<std::size_t>(from.st_size) + PATH_MAX);
        const ssize_t length = ::readlink(source.c_str(), text.data(), text.size() - 1);
        if (length < 0) {
            return Reason(errno);
        }
        text[static_cast<std::size_t>(length)] = '\0';
        error = ::symlink(text.data(), target.c_str()) == 0 ? 0 : errno;
    } else if (S_ISREG(from.st_mode)) {
        error = CopyIntoPlace(source, folder, target, from, progress);
    } else {
        return FileKindName(from.st_mode) + " cannot be moved to another drive";
    }
    if (error != 0) {
        return Reason(error); // nothing of ours at `target`
    }
    // From here the new entry is ours: it goes again if the move cannot end.
    error = FlushFolder(folder);
    if (error == 0 && ::unlink(source.c_str()) != 0) {
        error = errno;
        ::unlink(target.c_str());
        return "it cannot be taken out of its folder (" + Reason(error) + ")";
    }
    if (error != 0) {
        ::unlink(target.c_str());
        return Reason(error);
    }
    return {};
}

} // namespace

std::string MoveIntoFolder(const std::string& source, const std::string& folderPath,
                           const MoveProgress& progress) {
    const std::string folder = WithTrailingSlash(folderPath);
    const std::string name = FileNamePart(RemoveTrailingSlash(source));
    struct stat from {};
    if (name.empty() || name == "." || name == ".." || ::lstat(source.c_str(), &from) != 0) {
        return "it no longer exists";
    }
    struct stat into {};
    if (::stat(folder.c_str(), &into) != 0 || !S_ISDIR(into.st_mode)) {
        return "the folder " + folder + " does not exist";
    }
    const std::string target = folder + name;
    struct stat there {};
    if (::lstat(target.c_str(), &there) == 0 && SameFile(there, from)) {
        return {}; // dropped on the folder it is in
    }
    const bool directory = S_ISDIR(from.st_mode);
    if (directory && IsWithin(folder, source)) {
        return "a folder cannot be moved into itself";
    }
    int error =
        ::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0
            ? 0
            : errno;
    if (error == EINVAL) {
        error = RenameWithoutFlag(source, target, directory);
    }
    if (error == EXDEV) {
        return MoveAcross(source, folder, target, from, progress);
    }
    return error == 0 ? std::string() : Reason(error);
}

std::string MoveFailuresText(const std::string& folder, const std::vector<MoveFailure>& failures) {
    std::string text = "These files could not be moved to " + folder + ":\n";
    for (const MoveFailure& failure : failures) {
        text += "\n" + failure.path + ": " + failure.reason;
    }
    return text;
}

} // namespace pixmoth
