#pragma once

#include <exception>
#include <fstream>
#include <functional>
#include <string>

#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

// Code run in a forked child: for what must happen in another real process,
// as another user or in a private mount namespace.
namespace pixmoth::test {

// What the child said: "" when all went well, "skip: why" when it could not
// set itself up, anything else is a failure. `status` is waitpid's.
struct ChildReport {
    int status = -1;
    std::string text;
    bool Skipped() const { return text.rfind("skip: ", 0) == 0; }
};

// Runs `body` in a child and returns its report (exceptions become their text).
inline ChildReport RunInChild(const std::function<std::string()>& body) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return {-1, "pipe failed"};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::string text;
        try {
            text = body();
        } catch (const std::exception& e) {
            text = std::string("exception: ") + e.what();
        }
        const char* p = text.data();
        for (std::size_t left = text.size(); left > 0;) {
            const ssize_t n = ::write(pipeEnds[1], p, left);
            if (n <= 0) {
                break;
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    ChildReport report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        report.text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    ::waitpid(child, &report.status, 0);
    if (child < 0) {
        report.text = "fork failed";
    }
    return report;
}

// Makes the calling (child) process an ordinary user: root becomes nobody
// (uid and gid 65534, no supplementary groups); anyone else already is one.
// Returns "" or a "skip: " reason.
inline std::string BecomeOrdinaryUser() {
    if (::geteuid() != 0) {
        return "";
    }
    if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
        ::setresuid(65534, 65534, 65534) != 0) {
        return "skip: cannot drop root to nobody here";
    }
    return "";
}

// Mounts a tmpfs of `kilobytes` on `directory`, seen only by the calling
// (child) process: a private mount namespace, with a user namespace first when
// not root. Returns "" or a "skip: " reason.
inline std::string MountPrivateTmpfs(const std::string& directory, int kilobytes) {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(uid == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        return "skip: no private mount namespace here (unshare refused)";
    }
    if (uid != 0) {
        // Root of the new user namespace, mapped to ourselves, so the files
        // we make there are ours.
        const auto put = [](const char* file, const std::string& text) {
            std::ofstream out(file);
            out << text;
            return static_cast<bool>(out.flush());
        };
        if (!put("/proc/self/setgroups", "deny") ||
            !put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
            return "skip: cannot map our user into a user namespace";
        }
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return "skip: cannot make the mounts private";
    }
    const std::string options = "size=" + std::to_string(kilobytes) + "k";
    if (::mount("tmpfs", directory.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        return "skip: cannot mount a tmpfs here";
    }
    return "";
}

} // namespace pixmoth::test
