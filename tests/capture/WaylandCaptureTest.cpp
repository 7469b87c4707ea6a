#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeEnvironment.h"
#include "capture/WaylandCapture.h"

namespace pixmoth {
namespace {

TEST(WaylandCaptureTest, SessionIsWaylandByEitherVariable) {
    const struct {
        std::map<std::string, std::string> variables;
        bool wayland;
    } cases[] = {
        {{}, false},
        {{{"DISPLAY", ":0"}, {"XDG_SESSION_TYPE", "x11"}}, false},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {{{"WAYLAND_DISPLAY", ""}, {"XDG_SESSION_TYPE", "x11"}}, false},
        {{{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":0"}}, true},
        {{{"XDG_SESSION_TYPE", "tty"}}, false},
    };
    for (const auto& c : cases) {
        test::FakeEnvironment environment;
        environment.variables = c.variables;
        EXPECT_EQ(IsWaylandSession(environment), c.wayland)
            << ::testing::PrintToString(c.variables);
    }
}

TEST(WaylandCaptureTest, RequestPathIsBuiltFromSenderAndToken) {
    EXPECT_EQ(PortalRequestPath(":1.42", "pixmoth7_1"),
              "/org/freedesktop/portal/desktop/request/1_42/pixmoth7_1");
    EXPECT_EQ(PortalRequestPath(":12.3456", "t"),
              "/org/freedesktop/portal/desktop/request/12_3456/t");
}

TEST(WaylandCaptureTest, OnlyPicturesAmongTemporaryFilesAreDeleted) {
    test::FakeEnvironment environment;
    environment.variables["TMPDIR"] = "/run/user/1000/tmp//";
    const std::vector<std::string> folders = TemporaryFolders(environment);
    EXPECT_EQ(folders, (std::vector<std::string>{"/run/user/1000/tmp", "/tmp", "/var/tmp"}));
    const struct {
        const char* path;
        bool temporary;
    } cases[] = {
        {"/tmp/out.png", true},
        {"/tmp/portal/Screenshot-1.png", true},
        {"/var/tmp/shot.png", true},
        {"/run/user/1000/tmp/shot.png", true},
        {"/home/me/Pictures/Screenshot.png", false},
        {"/tmpfoo/out.png", false}, // a prefix of the name is not the folder
        {"/tmp", false},            // the folder itself
        {"/tmp/../home/me/a.png", false},
        {"/run/user/1000/doc/abc/picture.png", false}, // the document portal's view of a user file
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InTemporaryFolder(c.path, folders), c.temporary) << c.path;
    }
    EXPECT_EQ(TemporaryFolders(test::FakeEnvironment{}),
              (std::vector<std::string>{"/tmp", "/var/tmp"}));
}

TEST(WaylandCaptureTest, BlackIgnoresTheUnusedByteAndFindsTheLastPixel) {
    for (PixelFormat format : {PixelFormat::Bit24, PixelFormat::Bit32}) {
        Bitmap picture(7, 5, format);
        EXPECT_TRUE(IsAllBlack(picture));
        if (format == PixelFormat::Bit32) {
            picture.ScanLine(2)[4 * 3 + 3] = 0xFF; // the unused byte of pixel (3, 2)
            EXPECT_TRUE(IsAllBlack(picture));
        }
        const int bytes = format == PixelFormat::Bit32 ? 4 : 3;
        picture.ScanLine(4)[bytes * 6 + 2] = 1; // red of the last pixel
        EXPECT_FALSE(IsAllBlack(picture));
    }
}

} // namespace
} // namespace pixmoth
