#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "FakeEnvironment.h"
#include "TempDir.h"
#include "imaging/bitmap/Error.h"
#include "platform/DesktopWallpaper.h"
#include "platform/SimpleMail.h"

namespace pixmoth {
namespace {

using test::FakeEnvironment;
using Calls = std::vector<ProgramCall>;

const std::string kFile = "/home/u/Pixmoth/Wallpaper-1.jpg";
const std::string kUri = "file:///home/u/Pixmoth/Wallpaper-1.jpg";

Calls CallsOf(const FakeEnvironment& environment) {
    Calls calls;
    for (const auto& start : environment.started) {
        calls.push_back({start.program, start.arguments});
    }
    return calls;
}

// Programs answer with exit status 0 and the output given for their first
// arguments ("gsettings list-keys"), or as `failing` says.
FakeEnvironment DesktopEnvironment(const std::optional<std::string>& desktop,
                                   std::map<std::string, std::string> outputs,
                                   std::map<std::string, ProgramResult> failing = {}) {
    FakeEnvironment environment;
    if (desktop) {
        environment.variables["XDG_CURRENT_DESKTOP"] = *desktop;
    }
    environment.results = [outputs, failing](const FakeEnvironment::Start& start) {
        const std::string key =
            start.program + (start.arguments.empty() ? "" : " " + start.arguments.front());
        if (const auto found = failing.find(key); found != failing.end()) {
            return found->second;
        }
        ProgramResult result{true, 0, "", ""};
        if (const auto found = outputs.find(key); found != outputs.end()) {
            result.output = found->second;
        }
        return result;
    };
    return environment;
}

TEST(DesktopWallpaper, EachDesktopKeepsTheWallpaperItsOwnWay) {
    const std::string gnomeKeys = "color-shading-type\npicture-uri\npicture-uri-dark\n";
    const std::string xfceList = "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
                                 "/backdrop/screen0/monitorHDMI-1/workspace0/image-style\n"
                                 "/backdrop/screen0/monitoreDP-1/workspace0/last-image\n";
    const ProgramCall listKeys{"gsettings", {"list-keys", "org.gnome.desktop.background"}};
    struct Case {
        const char* meaning;
        std::optional<std::string> desktop;
        std::map<std::string, std::string> outputs;
        Calls expected;
    };
    const std::vector<Case> cases = {
        {"GNOME 42 and later: light and dark",
         "ubuntu:GNOME",
         {{"gsettings list-keys", gnomeKeys}},
         {listKeys,
          {"gsettings", {"set", "org.gnome.desktop.background", "picture-uri", kUri}},
          {"gsettings", {"set", "org.gnome.desktop.background", "picture-uri-dark", kUri}}}},
        {"older GNOME has no dark key",
         "Unity",
         {{"gsettings list-keys", "picture-uri\npicture-uri-darker\n"}},
         {listKeys, {"gsettings", {"set", "org.gnome.desktop.background", "picture-uri", kUri}}}},
        {"Cinnamon",
         "X-Cinnamon",
         {},
         {{"gsettings", {"set", "org.cinnamon.desktop.background", "picture-uri", kUri}}}},
        {"KDE Plasma", "KDE", {}, {{"plasma-apply-wallpaperimage", {kFile}}}},
        {"Xfce: every monitor's last image",
         "XFCE",
         {{"xfconf-query -c", xfceList}},
         {{"xfconf-query", {"-c", "xfce4-desktop", "-l"}},
          {"xfconf-query",
           {"-c", "xfce4-desktop", "-p", "/backdrop/screen0/monitorHDMI-1/workspace0/last-image",
            "-s", kFile}},
          {"xfconf-query",
           {"-c", "xfce4-desktop", "-p", "/backdrop/screen0/monitoreDP-1/workspace0/last-image",
            "-s", kFile}}}},
        {"Xfce without a backdrop yet",
         "xfce",
         {},
         {{"xfconf-query", {"-c", "xfce4-desktop", "-l"}},
          {"xfconf-query",
           {"-c", "xfce4-desktop", "-p", "/backdrop/screen0/monitor0/workspace0/last-image", "-n",
            "-t", "string", "-s", kFile}}}},
        {"MATE",
         "MATE",
         {},
         {{"gsettings", {"set", "org.mate.background", "picture-filename", kFile}}}},
        {"an unknown desktop", "LXQt", {}, {{"feh", {"--bg-max", kFile}}}},
        {"no desktop named", std::nullopt, {}, {{"feh", {"--bg-max", kFile}}}},
    };
    for (const Case& c : cases) {
        FakeEnvironment environment = DesktopEnvironment(c.desktop, c.outputs);
        SetDesktopWallpaper(environment, kFile);
        EXPECT_EQ(CallsOf(environment), c.expected) << c.meaning;
    }
    EXPECT_EQ(FileUri("/a b/ü%.jpg"), "file:///a%20b/%C3%BC%25.jpg");
}

TEST(DesktopWallpaper, AFailureNamesTheDesktopAndTheCommand) {
    struct Case {
        std::string desktop;
        std::string failingCall;
        ProgramResult result;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"GNOME",
         "gsettings list-keys",
         {true, 1, "", "No such schema \xE2\x80\x9Corg.gnome.desktop.background\xE2\x80\x9D\n"},
         "The wallpaper could not be set on GNOME.\r\n"
         "gsettings list-keys org.gnome.desktop.background: it ended with exit status 1 (No such "
         "schema \xE2\x80\x9Corg.gnome.desktop.background\xE2\x80\x9D)"},
        {"KDE",
         "plasma-apply-wallpaperimage " + kFile,
         {true, -1, "", ""},
         "The wallpaper could not be set on KDE Plasma.\r\n"
         "plasma-apply-wallpaperimage " +
             kFile + ": it was stopped"},
        {"Sway",
         "feh --bg-max",
         {false, -1, "", ""},
         "The wallpaper could not be set on Sway.\r\nfeh --bg-max " + kFile +
             ": feh was not found on PATH"},
    };
    for (const Case& c : cases) {
        FakeEnvironment environment =
            DesktopEnvironment(c.desktop, {}, {{c.failingCall, c.result}});
        try {
            SetDesktopWallpaper(environment, kFile);
            ADD_FAILURE() << c.desktop << ": no error";
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()), c.message);
        }
    }
}

TEST(SimpleMail, TheMessageGoesToXdgEmailAndItsExitStatusBecomesAMapiResult) {
    const MailMessage message{"Send mail with Pixmoth", "I like this program!!", "a@example.org",
                              "a@example.org",          "a@example.org",         "a@example.org",
                              "/p/My Photo.jpg",        "/p/My Photo.jpg"};
    EXPECT_EQ(XdgEmailCall(message), (ProgramCall{"xdg-email",
                                                  {"--utf8", "--subject", "Send mail with Pixmoth",
                                                   "--body", "I like this program!!", "--attach",
                                                   "/p/My Photo.jpg", "a@example.org"}}));
    EXPECT_EQ(XdgEmailCall(MailMessage{}), (ProgramCall{"xdg-email", {"--utf8"}}))
        << "empty fields are left out";
    const std::map<int, int> results = {{0, 0}, {1, 2}, {2, 11}, {3, 1}, {4, 2}, {5, 2}, {-1, 1}};
    for (const auto& [exitStatus, result] : results) {
        EXPECT_EQ(MapiResultOfXdgEmail(exitStatus), result) << "exit status " << exitStatus;
    }
}

// Stand-in programs on PATH that record how they were called, for the real
// process path from the program to the desktop's tools.
class StandIns : public testing::Test {
protected:
    StandIns() : mPath(std::getenv("PATH") ? std::getenv("PATH") : "") {
        ::setenv("PATH", (mBin.Path() + ":" + mPath).c_str(), 1);
    }
    ~StandIns() override { ::setenv("PATH", mPath.c_str(), 1); }

    // A program `name` that appends its arguments to the record, one per line
    // and "--" after each call, prints `output` and exits with `status`.
    void Install(const std::string& name, const std::string& output, int status) {
        const std::string path = mBin / name;
        test::WriteTextFile(path, "#!/bin/sh\nprintf '%s\\n' \"$@\" -- >> '" + Record() +
                                      "'\nprintf '" + output + "'\nexit " + std::to_string(status) +
                                      "\n");
        ::chmod(path.c_str(), 0755);
    }
    std::string Record() const { return mBin / "record"; }

private:
    test::TempDir mBin;
    std::string mPath;
};

TEST_F(StandIns, EachDesktopsWallpaperToolRunsForReal) {
    Install("gsettings", "picture-uri\\npicture-uri-dark\\n", 0);
    Install("plasma-apply-wallpaperimage", "", 0);
    Install("xfconf-query", "/backdrop/screen0/monitorVirtual-1/workspace0/last-image\\n", 0);
    Install("feh", "", 0);
    const std::string uri = "file:///p/a%20b.jpg";
    const std::string xfce = "/backdrop/screen0/monitorVirtual-1/workspace0/last-image";
    const std::map<std::string, std::string> records = {
        {"GNOME", "list-keys\norg.gnome.desktop.background\n--\n"
                  "set\norg.gnome.desktop.background\npicture-uri\n" +
                      uri +
                      "\n--\n"
                      "set\norg.gnome.desktop.background\npicture-uri-dark\n" +
                      uri + "\n--\n"},
        {"KDE", "/p/a b.jpg\n--\n"},
        {"XFCE",
         "-c\nxfce4-desktop\n-l\n--\n-c\nxfce4-desktop\n-p\n" + xfce + "\n-s\n/p/a b.jpg\n--\n"},
        {"LXQt", "--bg-max\n/p/a b.jpg\n--\n"},
    };
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    const std::optional<std::string> saved =
        desktop ? std::optional<std::string>(desktop) : std::nullopt;
    SystemEnvironment system;
    for (const auto& [name, record] : records) {
        ::setenv("XDG_CURRENT_DESKTOP", name.c_str(), 1);
        std::remove(Record().c_str());
        SetDesktopWallpaper(system, "/p/a b.jpg");
        EXPECT_EQ(test::ReadTextFile(Record()), record) << name;
    }
    saved ? ::setenv("XDG_CURRENT_DESKTOP", saved->c_str(), 1) : ::unsetenv("XDG_CURRENT_DESKTOP");
}

TEST_F(StandIns, XdgEmailRunsForRealAndItsExitStatusComesBack) {
    Install("xdg-email", "", 2);
    SystemEnvironment system;
    const ProgramCall call = XdgEmailCall(
        MailMessage{"S", "N", "", "", "", "r@example.org", "/p/gone.jpg", "/p/gone.jpg"});
    std::mutex mutex;
    std::condition_variable ended;
    std::optional<int> exitStatus;
    system.StartWatched(call.program, call.arguments, [&](int status) {
        const std::lock_guard lock(mutex);
        exitStatus = status;
        ended.notify_one();
    });
    std::unique_lock lock(mutex);
    ASSERT_TRUE(
        ended.wait_for(lock, std::chrono::seconds(20), [&] { return exitStatus.has_value(); }));
    EXPECT_EQ(MapiResultOfXdgEmail(*exitStatus), kMapiAttachmentNotFound);
    EXPECT_EQ(test::ReadTextFile(Record()),
              "--utf8\n--subject\nS\n--body\nN\n--attach\n/p/gone.jpg\nr@example.org\n--\n");
}

TEST(SystemEnvironment, RunCollectsBothOutputsAndTheExitStatus) {
    SystemEnvironment system;
    // The helper it leaves behind holds standard error open; Run ends with the
    // program all the same.
    const auto start = std::chrono::steady_clock::now();
    const ProgramResult result =
        system.Run("sh", {"-c", "echo out; echo err >&2; (sleep 10 &) >/dev/null; exit 3"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(result.output, "out\n");
    EXPECT_EQ(result.errors, "err\n");
    const ProgramResult missing = system.Run("pm-no-such-program-anywhere", {});
    EXPECT_FALSE(missing.started);
    EXPECT_EQ(missing.exitStatus, -1);
}

} // namespace
} // namespace pixmoth
