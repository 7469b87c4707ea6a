#include "settings/SettingsLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/codecs/FileIO.h"

namespace pixmoth {

namespace {

std::string LockFileOf(const std::string& file) {
    const std::string target = FollowSymbolicLinks(file);
    const auto slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return directory + "." + name + ".lock";
}

} // namespace

SettingsLock::SettingsLock(const std::string& file, Mode mode)
    : mPath(LockFileOf(file)), mExclusive(mode == Mode::Exclusive) {
    for (;;) {
        mFd = mExclusive ? ::open(mPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666)
                         : ::open(mPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (mFd < 0) {
            return;
        }
        struct flock lock {};
        lock.l_type = mExclusive ? F_WRLCK : F_RDLCK;
        lock.l_whence = SEEK_SET; // l_start = l_len = 0: the whole file
        int result;
        do {
            result = ::fcntl(mFd, F_OFD_SETLKW, &lock);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            return; // no locks on this file system: go on unlocked
        }
        // The holder before us may have removed the file we waited on.
        struct stat locked {};
        struct stat named {};
        if (::fstat(mFd, &locked) == 0 && ::stat(mPath.c_str(), &named) == 0 &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
            mHeld = true;
            return;
        }
        ::close(mFd);
        mFd = -1;
    }
}

SettingsLock::~SettingsLock() {
    if (mHeld && mExclusive) {
        ::unlink(mPath.c_str()); // while still holding it: see the check above
    }
    if (mFd >= 0) {
        ::close(mFd);
    }
}

} // namespace pixmoth
