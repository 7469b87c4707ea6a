#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "settings/SaveBoundsPath.h"

namespace pixmoth {
namespace {

using test::ReadTextFile;
using test::TempDir;
using test::WriteTextFile;

TEST(SaveBoundsPath, SettingsPathFromTheTwoProperties) {
    struct Case {
        const char* name;
        const char* iniFile;
        bool useStdIni;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"standard ini beside the executable", "", true, "/opt/pix.d/pixmoth.ini"},
        {"name gets .ini added", "Form", false, "/prog/Form.ini"},
        {"name's extension replaced", "Form.cfg", false, "/prog/Form.ini"},
        {"hidden name keeps its dot", ".form", false, "/prog/.form.ini"},
        {"no name, no file", "", false, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SaveBoundsSettingsPath("/opt/pix.d/pixmoth", "/prog/", c.iniFile, c.useStdIni),
                  c.expected)
            << c.name;
    }
    EXPECT_EQ(SaveBoundsSettingsPath("/opt/pixmoth.bin", "/p/", "", true), "/opt/pixmoth.ini");
}

TEST(SaveBoundsPath, RelativePathsAreTakenFromTheHomeDirectory) {
    EXPECT_EQ(ResolveBoundsPath("Pixmoth.ini", "/home/u"), "/home/u/Pixmoth.ini");
    EXPECT_EQ(ResolveBoundsPath("/etc/Pixmoth.ini", "/home/u"), "/etc/Pixmoth.ini");
    EXPECT_EQ(ResolveBoundsPath("", "/home/u"), "");
}

TEST(SaveBoundsPath, ReadsStoredEdgesOrDefaultsOnlyWhenTheFileExists) {
    TempDir home;
    EXPECT_FALSE(ReadSavedBounds("Pixmoth.ini", home.Path()));
    EXPECT_FALSE(ReadSavedBounds("", home.Path()));
    EXPECT_TRUE(std::filesystem::is_empty(home.Path())) << "a missing file must not be created";

    WriteTextFile(home / "Pixmoth.ini", "");
    EXPECT_EQ(ReadSavedBounds("Pixmoth.ini", home.Path()), (Rect{10, 10, 600, 500}));
    WriteTextFile(home / "Pixmoth.ini", "[bounds]\nleft=0x20\nTop=abc\nBottom=-7\n");
    EXPECT_EQ(ReadSavedBounds("Pixmoth.ini", home.Path()), (Rect{32, 10, 600, -7}));
}

TEST(SaveBoundsPath, WritesTheFourEdgesInOrderAndNothingForAnEmptyPath) {
    TempDir home;
    WriteSavedBounds("", home.Path(), {1, 2, 3, 4});
    EXPECT_TRUE(std::filesystem::is_empty(home.Path()));

    WriteSavedBounds("Pixmoth.ini", home.Path(), {-4, 20, 620, 530});
    EXPECT_EQ(ReadTextFile(home / "Pixmoth.ini"),
              "[Bounds]\nLeft=-4\nTop=20\nRight=620\nBottom=530\n");
    EXPECT_EQ(ReadSavedBounds(home / "Pixmoth.ini", "/elsewhere"), (Rect{-4, 20, 620, 530}));
}

} // namespace
} // namespace pixmoth
