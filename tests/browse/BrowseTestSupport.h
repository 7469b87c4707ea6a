#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// Support for the browser tests: permissions that hold for root too, and real
// mounts that nobody else sees.
namespace pixmoth::test {

// For its lifetime the process acts as an ordinary user, so permissions apply:
// as root the effective user and group become nobody (65534). Files the test
// reaches must then be open to others (mode 0755 on the temporary folders).
class AsNormalUser {
public:
    AsNormalUser() {
        if (::geteuid() != 0) {
            return;
        }
        if (::setegid(65534) != 0 || ::seteuid(65534) != 0) {
            ::setegid(0);
            mReason = "running as root and cannot switch to the user nobody";
            return;
        }
        mSwitched = true;
    }
    ~AsNormalUser() {
        if (mSwitched) {
            (void)!::seteuid(0);
            (void)!::setegid(0);
        }
    }
    AsNormalUser(const AsNormalUser&) = delete;
    AsNormalUser& operator=(const AsNormalUser&) = delete;

    // Why permissions cannot be tested here; "" when they can.
    const std::string& Reason() const { return mReason; }

private:
    bool mSwitched = false;
    std::string mReason;
};

inline bool WriteProcFile(const char* path, const std::string& text) {
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fputs(text.c_str(), file) >= 0;
    return std::fclose(file) == 0 && written;
}

// Moves the calling process into a mount namespace of its own (as `unshare -m`
// does, mounts kept private) and mounts a 1 MiB tmpfs on `folder`. An ordinary
// user gets there through a user namespace of its own (`unshare -U -m`), where
// the kernel allows that, keeping its user and group ids. Returns why that
// failed, or "" on success.
inline std::string MountPrivateTmpfs(const std::string& folder) {
    if (::unshare(CLONE_NEWNS) != 0) {
        const std::string uid = std::to_string(::geteuid());
        const std::string gid = std::to_string(::getegid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            return "the kernel refused a mount namespace of our own (needs CAP_SYS_ADMIN or "
                   "unprivileged user namespaces in a single-threaded process)";
        }
        if (!WriteProcFile("/proc/self/setgroups", "deny") ||
            !WriteProcFile("/proc/self/uid_map", uid + " " + uid + " 1") ||
            !WriteProcFile("/proc/self/gid_map", gid + " " + gid + " 1")) {
            return "the kernel refused to map our ids into a user namespace";
        }
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return "the kernel refused to make the mounts private";
    }
    if (::mount("pixmoth-ram", folder.c_str(), "tmpfs", 0, "size=1m") != 0) {
        return "the kernel refused to mount a tmpfs";
    }
    return {};
}

// Makes an image of `kilobytes` with `mkfs` (a command taking the image last,
// as "mkfs.ext2 -L NAME") and mounts it through a loop device on `folder`, in
// the calling process's mount namespace. Returns why that failed, or "".
inline std::string MountLoopImage(const std::string& mkfs, const std::string& image,
                                  const std::string& folder, int kilobytes) {
    if (::geteuid() != 0) {
        return "loop devices need root";
    }
    if (std::FILE* created = std::fopen(image.c_str(), "w")) {
        std::fclose(created);
    }
    if (::truncate(image.c_str(), off_t{kilobytes} * 1024) != 0 ||
        std::system((mkfs + " '" + image + "' >/dev/null 2>&1").c_str()) != 0) {
        return "cannot make a file system with " + mkfs + " (scripts/deps.sh test)";
    }
    if (std::system(("mount -o loop '" + image + "' '" + folder + "' 2>/dev/null").c_str()) != 0) {
        return "the kernel refused to mount the image through a loop device (" + mkfs +
               " file systems may not be built in)";
    }
    return {};
}

} // namespace pixmoth::test
