#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "FakeEnvironment.h"
#include "TempDir.h"
#include "imaging/Error.h"
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

TEST(ProgramDirectory, ChoosesTheOverrideThenTheWritableProgramFolderThenXdgData) {
    ScratchDirectory scratch;
    const std::string writable = scratch.Path() + "bin/";
    fs::create_directory(writable);
    const std::string missing = scratch.Path() + "not-there/";
    struct Case {
        const char* meaning;
        std::map<std::string, std::string> variables;
        std::string executableDirectory;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"PIXMOTH_HOME wins, slash added",
         {{"PIXMOTH_HOME", "/opt/pm"}, {"HOME", "/home/u"}},
         writable,
         "/opt/pm/"},
        {"empty PIXMOTH_HOME is ignored", {{"PIXMOTH_HOME", ""}}, writable, writable},
        {"portable: the executable's writable folder", {{"HOME", "/home/u"}}, writable, writable},
        {"installed: XDG_DATA_HOME",
         {{"XDG_DATA_HOME", "/data/u"}, {"HOME", "/home/u"}},
         missing,
         "/data/u/Pixmoth/"},
        {"relative XDG_DATA_HOME is ignored",
         {{"XDG_DATA_HOME", "data"}, {"HOME", "/home/u"}},
         missing,
         "/home/u/.local/share/Pixmoth/"},
        {"installed, no XDG_DATA_HOME",
         {{"HOME", "/home/u/"}},
         missing,
         "/home/u/.local/share/Pixmoth/"},
    };
    for (const Case& c : cases) {
        FakeEnvironment environment;
        environment.variables = c.variables;
        EXPECT_EQ(ProgramDirectory(environment, c.executableDirectory), c.expected) << c.meaning;
    }
    if (::geteuid() != 0) {
        fs::permissions(writable, fs::perms::owner_write, fs::perm_options::remove);
        FakeEnvironment environment;
        environment.variables = {{"HOME", "/home/u"}};
        EXPECT_EQ(ProgramDirectory(environment, writable), "/home/u/.local/share/Pixmoth/")
            << "a read-only program folder is not used";
    }
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
