#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "TempDir.h"
#include "browse/BrowseTestSupport.h"
#include "browse/FileMove.h"

namespace pixmoth {
namespace {

namespace fs = std::filesystem;
using test::ReadTextFile;
using test::TempDir;
using test::WriteTextFile;

// Every name in `folder`, hidden ones too: a move must leave no temporary file.
std::string Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : " ") + name;
    }
    return text;
}

struct MoveCase {
    const char* what;
    std::string source;
    std::string folder;
    std::string reason;    // "" = moved
    std::string leftThere; // what the target folder holds afterwards
    bool sourceStays;
    MoveProgress progress = {};
};

// disk/ is the test's own folder; ram/ a tmpfs, full/ a tiny tmpfs and ro/ a
// read-only one, all in a private mount namespace.
std::string RunMoves(const std::string& root) {
    const std::string disk = root + "/disk/";
    const std::string ram = root + "/ram/";
    const std::string full = root + "/full/";
    const std::string ro = root + "/ro/";
    if (std::string reason = test::MountPrivateTmpfs(ram, 4096); !reason.empty()) {
        return reason;
    }
    if (::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") != 0 ||
        ::mount("tmpfs", ro.c_str(), "tmpfs", 0, "size=64k") != 0) {
        return "skip: cannot mount more tmpfs here";
    }
    for (const char* folder :
         {"disk/into", "disk/same", "disk/taken", "disk/album/sub", "ram/dir"}) {
        fs::create_directories(root + "/" + folder);
    }
    for (const char* file : {"disk/a.jpg", "disk/b.jpg", "disk/album/x.jpg", "disk/e.jpg",
                             "ram/c.jpg", "ram/d.jpg", "ram/f.jpg", "ro/g.jpg"}) {
        WriteTextFile(root + "/" + file, file);
    }
    WriteTextFile(disk + "taken/b.jpg", "other b");
    WriteTextFile(disk + "into/d.jpg", "other d");
    WriteTextFile(disk + "big.bin", std::string(200 * 1024, 'x'));
    fs::create_symlink("c.jpg", ram + "link");
    ::chmod((ram + "c.jpg").c_str(), 0640);
    const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, (ram + "c.jpg").c_str(), old, 0);
    if (::mount(nullptr, ro.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        return "skip: cannot make a tmpfs read-only here";
    }

    const std::vector<MoveCase> cases = {
        {"same file system", disk + "a.jpg", disk + "same", "", "a.jpg", false},
        {"folder, same file system", disk + "album", disk + "same/", "", "a.jpg album", false},
        {"dropped on its own folder", disk + "e.jpg", disk, "", "", true},
        {"name taken", disk + "b.jpg", disk + "taken/", "a file of that name is already there",
         "b.jpg", true},
        {"across file systems", ram + "c.jpg", disk + "into/", "", "c.jpg d.jpg", false},
        {"across, name taken", ram + "d.jpg", disk + "into/",
         "a file of that name is already there", "c.jpg d.jpg", true},
        {"symbolic link across", ram + "link", disk + "into/", "", "c.jpg d.jpg link", false},
        {"cancelled", ram + "f.jpg", disk + "into/", "cancelled", "c.jpg d.jpg link", true,
         [](std::uint64_t, std::uint64_t) { return false; }},
        {"folder across", ram + "dir", disk + "into/", "a folder cannot be moved to another drive",
         "c.jpg d.jpg link", true},
        {"folder into itself", disk + "same/album", disk + "same/album/sub/",
         "a folder cannot be moved into itself", "", true},
        {"read-only target", disk + "e.jpg", ro, "the drive is read-only", "g.jpg", true},
        {"full target", disk + "big.bin", full, "the drive is full", "", true},
        {"source cannot be removed", ro + "g.jpg", disk + "into/",
         "it cannot be taken out of its folder (the drive is read-only)", "c.jpg d.jpg link", true},
        {"source gone", disk + "missing.jpg", disk + "into/", "it no longer exists",
         "c.jpg d.jpg link", false},
    };
    std::string failures;
    for (const MoveCase& c : cases) {
        const std::string before = ReadTextFile(c.source);
        const std::string reason = MoveIntoFolder(c.source, c.folder, c.progress);
        const std::string name = fs::path(c.source).filename();
        const std::string target = (c.folder.back() == '/' ? c.folder : c.folder + "/") + name;
        std::string wrong;
        if (reason != c.reason) {
            wrong += " reason \"" + reason + "\"";
        }
        if (c.folder != disk + "same/album/sub/" && c.folder != disk &&
            Listing(c.folder) != c.leftThere) {
            wrong += " folder holds \"" + Listing(c.folder) + "\"";
        }
        if (fs::exists(fs::symlink_status(c.source)) != c.sourceStays) {
            wrong += " source there: " + std::to_string(!c.sourceStays);
        }
        if (c.sourceStays && ReadTextFile(c.source) != before) {
            wrong += " source changed";
        }
        if (!c.sourceStays && fs::is_regular_file(fs::symlink_status(target)) &&
            ReadTextFile(target) != before) {
            wrong += " target holds \"" + ReadTextFile(target) + "\"";
        }
        if (!wrong.empty()) {
            failures += std::string(c.what) + ":" + wrong + "\n";
        }
    }
    // Killed part way through a copy, a move leaves the source whole and
    // nothing in the target folder, not even a hidden piece.
    constexpr std::uintmax_t kCrashSize = (2 << 20) + 1;
    fs::create_directory(disk + "crashed");
    WriteTextFile(ram + "crash.bin", std::string(kCrashSize, 'c'));
    const pid_t mover = ::fork();
    if (mover == 0) {
        MoveIntoFolder(ram + "crash.bin", disk + "crashed/", [](std::uint64_t copied, auto) {
            if (copied > 0) {
                ::raise(SIGKILL);
            }
            return true;
        });
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(mover, &status, 0);
    if (!WIFSIGNALED(status) || !Listing(disk + "crashed/").empty() ||
        fs::file_size(ram + "crash.bin") != kCrashSize) {
        failures += "a move killed part way left \"" + Listing(disk + "crashed/") + "\"\n";
    }
    if (ReadTextFile(disk + "taken/b.jpg") != "other b" ||
        ReadTextFile(disk + "into/d.jpg") != "other d") {
        failures += "a file already there was touched\n";
    }
    struct stat copied {};
    ::stat((disk + "into/c.jpg").c_str(), &copied);
    if ((copied.st_mode & 07777) != 0640 || copied.st_mtim.tv_sec != 1000000000) {
        failures += "the copy lost its permissions or time\n";
    }
    if (fs::read_symlink(disk + "into/link") != "c.jpg") {
        failures += "the link does not lead where it led\n";
    }
    return failures;
}

TEST(FileMove, MovesWithinAndAcrossFileSystemsNeverReplacingNorLosingAFile) {
    TempDir root;
    for (const char* folder : {"disk", "ram", "full", "ro"}) {
        fs::create_directory(root / folder);
    }
    const test::ChildReport report = test::RunInChild([&] { return RunMoves(root.Path()); });
    if (report.Skipped()) {
        GTEST_SKIP() << report.text;
    }
    EXPECT_EQ(report.text, "");
}

// A FAT drive, as on a memory stick, has neither unnamed temporary files nor
// hard links, and names that differ in case only are one name.
TEST(FileMove, OntoAFatDriveThroughAHiddenTemporaryFile) {
    TempDir root;
    for (const char* folder : {"ram", "fat"}) {
        fs::create_directory(root / folder);
    }
    const test::ChildReport report = test::RunInChild([&]() -> std::string {
        const std::string ram = root / "ram/";
        const std::string fat = root / "fat/";
        if (std::string reason = test::MountPrivateTmpfs(ram, 256); !reason.empty()) {
            return reason;
        }
        if (std::string reason = test::MountLoopImage("mkfs.vfat", root / "fat.img", fat, 1024);
            !reason.empty()) {
            return "skip: " + reason;
        }
        fs::create_directory(ram + "upper");
        WriteTextFile(ram + "h.jpg", "lower");
        WriteTextFile(ram + "upper/H.JPG", "upper");
        std::string failures;
        if (const std::string reason = MoveIntoFolder(ram + "h.jpg", fat); !reason.empty()) {
            failures += "moving onto FAT: " + reason + "\n";
        }
        if (MoveIntoFolder(ram + "upper/H.JPG", fat) != "a file of that name is already there") {
            failures += "H.JPG took the place of h.jpg\n";
        }
        if (Listing(fat) != "h.jpg" || ReadTextFile(fat + "h.jpg") != "lower" ||
            ReadTextFile(ram + "upper/H.JPG") != "upper" || fs::exists(ram + "h.jpg")) {
            failures += "afterwards FAT holds \"" + Listing(fat) + "\"\n";
        }
        ::umount2(fat.c_str(), MNT_DETACH);
        return failures;
    });
    if (report.Skipped()) {
        GTEST_SKIP() << report.text;
    }
    EXPECT_EQ(report.text, "");
}

} // namespace
} // namespace pixmoth
