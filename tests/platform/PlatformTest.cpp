#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FakeEnvironment.h"
#include "TempDir.h"
#include "imaging/bitmap/Error.h"
#include "platform/DisplayPlatform.h"
#include "platform/PaintProgram.h"
#include "platform/Paths.h"
#include "platform/ProgramDirectory.h"

namespace pixmoth {
namespace {

namespace fs = std::filesystem;
using test::FakeEnvironment;

// A scratch directory, held with a trailing '/' as the program holds directories.
class ScratchDirectory {
public:
    std::string Path() const { return mDirectory.Path() + "/"; }

private:
    test::TempDir mDirectory;
};

// Root may write anywhere, so a folder is read-only only to someone else: as
// root, `check` runs in a child process that became "nobody". None when the
// child could not drop its rights.
std::optional<bool> AsUnprivilegedUser(const std::function<bool()>& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(2);
        }
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 2) {
        return std::nullopt;
    }
    return WEXITSTATUS(status) == 0;
}

// A build folder, an install under the prefix built for, one under another
// prefix (recognised by its installed help page) and a link into the first.
class InstallTree : public testing::Test {
protected:
    InstallTree() {
        for (const char* folder : {"build", "prefix/bin", "prefix-copy/bin", "other/bin",
                                   "other/share/pixmoth", "readonly"}) {
            fs::create_directories(root + folder);
        }
        test::WriteTextFile(root + "other/share/pixmoth/Pixmoth.html", "<html></html>");
        fs::create_directory_symlink(root + "prefix", root + "link");
    }

    ScratchDirectory scratch;
    const std::string root = scratch.Path();
    const InstallLayout layout{root + "prefix", "../share/pixmoth/"};
};

TEST_F(InstallTree, ProgramDirectoryIsAWritableFolderOutsideInstallsElseTheUsersData) {
    const std::map<std::string, std::string> xdg = {{"XDG_DATA_HOME", "/data/u"}};
    const std::string data = "/data/u/Pixmoth/";
    struct Case {
        const char* meaning;
        std::map<std::string, std::string> variables;
        std::string executableDirectory;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"PIXMOTH_HOME wins, slash added",
         {{"PIXMOTH_HOME", "/srv/pm"}, {"XDG_DATA_HOME", "/data/u"}},
         root + "build/",
         "/srv/pm/"},
        {"empty PIXMOTH_HOME is ignored", {{"PIXMOTH_HOME", ""}}, root + "build/", root + "build/"},
        {"a build folder", xdg, root + "build/", root + "build/"},
        {"without its trailing slash", xdg, root + "build", root + "build/"},
        {"under the prefix built for", xdg, root + "prefix/bin/", data},
        {"under the prefix through a link", xdg, root + "link/bin/", data},
        {"a name that only begins like the prefix", xdg, root + "prefix-copy/bin/",
         root + "prefix-copy/bin/"},
        {"installed into another prefix", xdg, root + "other/bin/", data},
        {"a system folder", xdg, "/usr/bin/", data},
        {"a missing folder", xdg, root + "not-there/", data},
        {"relative XDG_DATA_HOME is ignored",
         {{"XDG_DATA_HOME", "data"}, {"HOME", "/home/u"}},
         "/usr/bin/",
         "/home/u/.local/share/Pixmoth/"},
        {"no XDG_DATA_HOME", {{"HOME", "/home/u/"}}, "/opt/", "/home/u/.local/share/Pixmoth/"},
    };
    for (const Case& c : cases) {
        FakeEnvironment environment;
        environment.variables = c.variables;
        EXPECT_EQ(ProgramDirectory(environment, c.executableDirectory, layout), c.expected)
            << c.meaning;
    }

    // Read-only to a user who can reach it.
    fs::permissions(root, fs::perms::others_exec, fs::perm_options::add);
    fs::permissions(root + "readonly", fs::perms::owner_write, fs::perm_options::remove);
    FakeEnvironment environment;
    environment.variables = xdg;
    const auto readOnlyIsLeft = AsUnprivilegedUser(
        [&] { return ProgramDirectory(environment, root + "readonly/", layout) == data; });
    if (!readOnlyIsLeft) {
        GTEST_SKIP() << "could not run as an unprivileged user";
    }
    EXPECT_TRUE(*readOnlyIsLeft) << "a read-only folder is not the program directory";
}

TEST_F(InstallTree, HelpPageIsTheInstalledOneWhereAnInstallShipsIt) {
    const std::string program = "/data/u/Pixmoth/";
    const std::string installed = root + "other/share/pixmoth/Pixmoth.html";
    EXPECT_EQ(HelpPagePath(program, root + "other/bin/", layout), installed);
    EXPECT_EQ(HelpPagePath(program, root + "other/bin", layout), installed);
    EXPECT_EQ(HelpPagePath(program, root + "prefix/bin/", layout), program + "Pixmoth.html")
        << "an install that lost its page uses the program directory's copy";
    EXPECT_EQ(HelpPagePath(root + "build", root + "build/", layout), root + "build/Pixmoth.html");
}

TEST(ProgramDirectory, EnsureDirectoryCreatesParentsOrSaysWhichFailed) {
    ScratchDirectory scratch;
    const std::string deep = scratch.Path() + "a/b/Pixmoth/";
    EnsureDirectory(deep);
    EXPECT_TRUE(IsDirectory(deep));
    const std::string file = scratch.Path() + "plain";
    std::ofstream(file) << "x";
    try {
        EnsureDirectory(file + "/sub/");
        FAIL() << "a directory under a file was accepted";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Could not create " + file + "/sub/");
    }
}

TEST(PaintProgram, TakesTheFirstInstalledPaintProgramElseXdgOpen) {
    struct Case {
        const char* meaning;
        std::set<std::string> installed;
        std::string file;
        ProgramCall expected;
    };
    const std::vector<Case> cases = {
        {"preferred order", {"gimp", "pinta"}, "/p/a.jpg", {"/fake/bin/pinta", {"/p/a.jpg"}}},
        {"only the last one", {"krita"}, "/p/a.jpg", {"/fake/bin/krita", {"/p/a.jpg"}}},
        {"no paint program: the desktop's choice", {}, "/p/a.jpg", {"xdg-open", {"/p/a.jpg"}}},
        {"no file: the paint program alone", {"mtpaint"}, "", {"/fake/bin/mtpaint", {}}},
        {"no file and no paint program: nothing to run", {}, "", {}},
    };
    for (const Case& c : cases) {
        FakeEnvironment environment;
        environment.programs = c.installed;
        EXPECT_EQ(PaintProgramCall(environment, c.file), c.expected) << c.meaning;
    }
}

TEST(DisplayPlatform, XWaylandUnlessAPluginWasChosenOrThereIsNoXDisplay) {
    struct Case {
        const char* meaning;
        std::map<std::string, std::string> variables;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"Wayland session with XWayland",
         {{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_SESSION_TYPE", "wayland"}},
         "xcb"},
        {"X11 session", {{"DISPLAY", ":1"}}, "xcb"},
        {"empty choice counts as none", {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", ""}}, "xcb"},
        {"the user's choice stays", {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "offscreen"}}, ""},
        {"Wayland without XWayland: Qt decides", {{"WAYLAND_DISPLAY", "wayland-0"}}, ""},
        {"empty DISPLAY is no display", {{"DISPLAY", ""}}, ""},
    };
    for (const Case& c : cases) {
        FakeEnvironment environment;
        environment.variables = c.variables;
        EXPECT_EQ(ForcedQtPlatform(environment), c.expected) << c.meaning;
    }
}

TEST(SystemEnvironment, FindsExecutablesOnPathOnly) {
    ScratchDirectory scratch;
    const std::string tool = scratch.Path() + "pm-tool";
    std::ofstream(tool) << "#!/bin/sh\n";
    const std::string plain = scratch.Path() + "pm-plain";
    std::ofstream(plain) << "text";
    ::chmod(tool.c_str(), 0755);
    SystemEnvironment system;
    EXPECT_EQ(system.FindProgram("sh").empty(), false);
    EXPECT_EQ(system.FindProgram(tool), tool) << "a path is taken as it is";
    EXPECT_EQ(system.FindProgram(plain), "") << "not executable";
    EXPECT_EQ(system.FindProgram("pm-no-such-program-anywhere"), "");
}

TEST(SystemEnvironment, StartsDetachedProgramsAndReportsOnesThatCannotStart) {
    ScratchDirectory scratch;
    const std::string marker = scratch.Path() + "ran";
    SystemEnvironment system;
    ASSERT_TRUE(system.StartDetached("sh", {"-c", "echo \"$0\" > " + marker, "argument"}));
    // The shell creates the file before it writes the line: wait for the line.
    std::string text;
    for (int i = 0; i < 1000 && text.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(marker);
        std::getline(in, text);
    }
    EXPECT_EQ(text, "argument");
    EXPECT_FALSE(system.StartDetached(scratch.Path() + "missing-program", {}));
}

} // namespace
} // namespace pixmoth
