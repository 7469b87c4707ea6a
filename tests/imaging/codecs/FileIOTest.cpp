#include <csignal>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include "ChildProcess.h"
#include "TempDir.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/PictureFile.h"

namespace pixmoth {
namespace {

using test::ReadTextFile;
using test::TempDir;
using test::WriteTextFile;

void Write(const std::string& path, const std::string& text) {
    WriteFileAtomically(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::string WriteError(const std::string& path, const std::string& text = "new") {
    try {
        Write(path, text);
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

// Every name in the directory and below, so a stray temporary file shows.
std::set<std::string> Listing(const std::string& directory, const std::string& prefix = "") {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        const std::string name = prefix + entry.path().filename().string();
        names.insert(name);
        if (entry.symlink_status().type() == std::filesystem::file_type::directory) {
            names.merge(Listing(entry.path().string(), name + "/"));
        }
    }
    return names;
}

struct stat StatOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

TEST(SafeWrite, SymbolicLinksStayAndTheFileTheyLeadToIsReplaced) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links; // link -> contents
        std::string written; // the file that receives the new content
    };
    const std::vector<Case> cases = {
        {"relative link", {{"out.bmp", "real.bmp"}}, "real.bmp"},
        {"chain of links", {{"out.bmp", "mid"}, {"mid", "sub/real.bmp"}}, "sub/real.bmp"},
        {"link from a sub-folder", {{"sub/out.bmp", "../real.bmp"}}, "real.bmp"},
        {"dangling link", {{"out.bmp", "sub/made.bmp"}}, "sub/made.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir temp;
        std::filesystem::create_directory(temp / "sub");
        if (std::string(c.name) != "dangling link") {
            WriteTextFile(temp / c.written, "old");
        }
        for (const auto& [link, contents] : c.links) {
            ASSERT_EQ(::symlink(contents.c_str(), (temp / link).c_str()), 0);
        }
        const std::set<std::string> before = Listing(temp.Path());
        Write(temp / c.links.front().first, "new");
        EXPECT_EQ(ReadTextFile(temp / c.written), "new");
        for (const auto& link : c.links) {
            EXPECT_TRUE(std::filesystem::is_symlink(temp / link.first)) << link.first;
        }
        std::set<std::string> expected = before;
        expected.insert(c.written);
        EXPECT_EQ(Listing(temp.Path()), expected);
    }

    TempDir temp;
    ASSERT_EQ(::symlink("b", (temp / "a").c_str()), 0);
    ASSERT_EQ(::symlink("a", (temp / "b").c_str()), 0);
    EXPECT_EQ(WriteError(temp / "a"),
              "Cannot write file \"" + (temp / "a") + "\": Too many levels of symbolic links");
    EXPECT_EQ(Listing(temp.Path()), (std::set<std::string>{"a", "b"}));
}

TEST(SafeWrite, TargetsThatAreNotRegularFilesAreRefusedAndKept) {
    TempDir temp;
    const std::string fifo = temp / "fifo.bmp";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    std::filesystem::create_directory(temp / "folder.bmp");
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = temp / "socket.bmp";
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::symlink("fifo.bmp", (temp / "link.bmp").c_str()), 0);
    // A device node of our own (the null device's numbers) when we may make one.
    const bool device = ::mknod((temp / "device.bmp").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;

    struct Case {
        std::string name;
        std::string message;
        mode_t kind;
    };
    std::vector<Case> cases = {
        {"fifo.bmp", "it is a FIFO (named pipe), not a regular file", S_IFIFO},
        {"folder.bmp", "it is a directory, not a regular file", S_IFDIR},
        {"socket.bmp", "it is a socket, not a regular file", S_IFSOCK},
        {"link.bmp", "\"" + fifo + "\" is a FIFO (named pipe), not a regular file", S_IFIFO},
    };
    if (device) {
        ASSERT_EQ(::symlink("device.bmp", (temp / "device-link.bmp").c_str()), 0);
        cases.push_back({"device.bmp", "it is a character device, not a regular file", S_IFCHR});
        cases.push_back(
            {"device-link.bmp",
             "\"" + (temp / "device.bmp") + "\" is a character device, not a regular file",
             S_IFCHR});
    }
    const std::set<std::string> before = Listing(temp.Path());
    for (const Case& c : cases) {
        EXPECT_EQ(WriteError(temp / c.name),
                  "Cannot write file \"" + (temp / c.name) + "\": " + c.message);
        struct stat info {};
        ASSERT_EQ(::stat((temp / c.name).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & S_IFMT, c.kind) << c.name;
    }
    EXPECT_EQ(Listing(temp.Path()), before);
    ::close(sock);
}

TEST(SafeWrite, PermissionBitsOfOldFilesAreKeptAndNewFilesFollowTheUmask) {
    TempDir temp;
    for (const mode_t mode : {0600, 0640, 0755, 0604}) {
        const std::string path = temp / ("old" + std::to_string(mode));
        WriteTextFile(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        Write(path, "new");
        EXPECT_EQ(StatOf(path).st_mode & 07777, mode);
        EXPECT_EQ(ReadTextFile(path), "new");
    }
    for (const mode_t mask : {022, 077, 002}) {
        const std::string path = temp / ("new" + std::to_string(mask));
        const mode_t saved = ::umask(mask);
        Write(path, "new");
        ::umask(saved);
        EXPECT_EQ(StatOf(path).st_mode & 07777, 0666 & ~mask);
    }
}

TEST(SafeWrite, FilesWithSeveralLinksAreRewrittenInPlace) {
    TempDir temp;
    const std::string first = temp / "a.bmp";
    const std::string second = temp / "b.bmp";
    WriteTextFile(first, "the old content");
    ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
    ASSERT_EQ(::chmod(first.c_str(), 0640), 0);
    const ino_t inode = StatOf(first).st_ino;
    for (const std::string text : {"a longer new content than before", "short", ""}) {
        Write(second, text);
        EXPECT_EQ(ReadTextFile(first), text);
        EXPECT_EQ(ReadTextFile(second), text);
        EXPECT_EQ(StatOf(first).st_ino, inode);
        EXPECT_EQ(StatOf(first).st_nlink, 2u);
        EXPECT_EQ(StatOf(first).st_mode & 07777, 0640u);
    }
    EXPECT_EQ(Listing(temp.Path()), (std::set<std::string>{"a.bmp", "b.bmp"}));
}

TEST(SafeWrite, AnOrdinaryUserWritesWhatAPlainWriteWouldAndKeepsOthersOwners) {
    TempDir temp;
    ASSERT_EQ(::chmod(temp.Path().c_str(), 0777), 0);
    const std::string readOnly = temp / "read-only.bmp";
    const std::string shared = temp / "shared.bmp";
    // A file anyone may write in a folder where nobody may make a file.
    const std::string locked = temp / "locked/shared.bmp";
    std::filesystem::create_directory(temp / "locked");
    WriteTextFile(readOnly, "old");
    WriteTextFile(shared, "old");
    WriteTextFile(locked, "old");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0666), 0);
    ASSERT_EQ(::chmod((temp / "locked").c_str(), 0555), 0);
    const struct stat sharedBefore = StatOf(shared);

    const test::ChildReport report = test::RunInChild([&]() -> std::string {
        if (std::string reason = test::BecomeOrdinaryUser(); !reason.empty()) {
            return reason;
        }
        const std::string error = WriteError(readOnly);
        if (error != "Cannot write file \"" + readOnly + "\": Permission denied") {
            return "read-only file: " + error;
        }
        // Someone else's file that we may write: written, but still theirs.
        return WriteError(shared, "new") + WriteError(locked, "new in a locked folder");
    });
    if (report.Skipped()) {
        GTEST_SKIP() << report.text;
    }
    EXPECT_EQ(report.text, "");
    EXPECT_EQ(ReadTextFile(readOnly), "old");
    EXPECT_EQ(ReadTextFile(shared), "new");
    EXPECT_EQ(StatOf(shared).st_uid, sharedBefore.st_uid);
    if (::geteuid() == 0) { // then it was nobody writing root's file
        EXPECT_EQ(StatOf(shared).st_ino, sharedBefore.st_ino) << "rewritten in place";
    }
    EXPECT_EQ(ReadTextFile(locked), "new in a locked folder");
    ::chmod((temp / "locked").c_str(), 0755); // so that it can be removed
    EXPECT_EQ(Listing(temp.Path()), (std::set<std::string>{"read-only.bmp", "shared.bmp", "locked",
                                                           "locked/shared.bmp"}));
}

TEST(SafeWrite, EndingSignalsRemoveTheTemporaryFileThenEndTheProgram) {
    // A gigabyte of untouched zero pages: far more than is written before the signal comes.
    constexpr std::size_t kBytes = std::size_t{1} << 30;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        TempDir temp;
        const std::string out = temp / "out.bmp";
        WriteTextFile(out, "old");
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, temp.Path().c_str(), IN_CREATE), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            void* zeros = ::mmap(nullptr, kBytes, PROT_READ,
                                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
            try {
                WriteFileAtomically(out, static_cast<const std::uint8_t*>(zeros), kBytes);
            } catch (...) {
            }
            ::_exit(3);
        }
        // Waits for the temporary file, then signals.
        pollfd ready{watch, POLLIN, 0};
        ASSERT_EQ(::poll(&ready, 1, 20000), 1) << "no temporary file appeared";
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(watch);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status;
        EXPECT_EQ(Listing(temp.Path()), std::set<std::string>{"out.bmp"});
        EXPECT_EQ(ReadTextFile(out), "old");
    }
}

TEST(SafeWrite, AFullDiskLeavesEveryOldFileAsItWas) {
    TempDir temp;
    const std::string mount = temp / "disk";
    std::filesystem::create_directory(mount);
    const test::ChildReport report = test::RunInChild([&]() -> std::string {
        if (std::string reason = test::MountPrivateTmpfs(mount, 64); !reason.empty()) {
            return reason;
        }
        const std::string single = mount + "/single.bmp";
        const std::string linked = mount + "/linked.bmp";
        WriteTextFile(single, "old");
        WriteTextFile(linked, "old");
        if (::link(linked.c_str(), (mount + "/other.bmp").c_str()) != 0) {
            return "link failed";
        }
        // Too large for the disk; for the linked file the temporary copy fits,
        // but not a second copy written in place.
        std::string report;
        for (const auto& [path, size] : {std::pair{single, 256}, std::pair{linked, 40}}) {
            const std::string error = WriteError(path, std::string(size * 1024, 'x'));
            if (error != "Cannot write file \"" + path + "\": No space left on device") {
                report += "unexpected error: \"" + error + "\"; ";
            }
            if (ReadTextFile(path) != "old") {
                report += path + " changed; ";
            }
        }
        const std::set<std::string> names = Listing(mount);
        if (names != std::set<std::string>{"single.bmp", "linked.bmp", "other.bmp"}) {
            report += "files left behind: " + std::to_string(names.size());
        }
        return report;
    });
    if (report.Skipped()) {
        GTEST_SKIP() << report.text;
    }
    EXPECT_EQ(report.text, "");
}

TEST(FileRead, InputsThatAreNotRegularFilesAreRefusedAtOnce) {
    TempDir temp;
    const std::string lonely = temp / "lonely.jpg"; // no writer: opening would wait for one
    const std::string fed = temp / "fed.bmp";       // a writer holds it open
    ASSERT_EQ(::mkfifo(lonely.c_str(), 0666), 0);
    ASSERT_EQ(::mkfifo(fed.c_str(), 0666), 0);
    const int writer = ::open(fed.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    std::filesystem::create_directory(temp / "folder.bmp");
    ASSERT_EQ(::symlink("/dev/zero", (temp / "zero.bmp").c_str()), 0);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {lonely, "it is a FIFO (named pipe), not a regular file"},
        {fed, "it is a FIFO (named pipe), not a regular file"},
        {temp / "folder.bmp", "it is a directory"},
        {temp / "zero.bmp", "it is a character device, not a regular file"},
    };
    const test::ChildReport report = test::RunInChild([&]() -> std::string {
        ::alarm(20); // a reader that waits is a failure, not a hung test
        std::string failures;
        for (const auto& [path, reason] : cases) {
            for (int reader = 0; reader < 2; ++reader) {
                try {
                    reader == 0 ? static_cast<void>(LoadPicture(path))
                                : static_cast<void>(ReadFileBytes(path));
                    failures += path + " was read; ";
                } catch (const Error& e) {
                    if (e.what() != "Cannot open file \"" + path + "\": " + reason) {
                        failures += std::string(e.what()) + "; ";
                    }
                }
            }
        }
        return failures;
    });
    ::close(writer);
    EXPECT_EQ(report.text, "");
    EXPECT_TRUE(WIFEXITED(report.status)) << "status " << report.status;
}

} // namespace
} // namespace pixmoth
