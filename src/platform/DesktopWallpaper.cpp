#include "platform/DesktopWallpaper.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

#include "imaging/bitmap/Error.h"

namespace pixmoth {

namespace {

enum class Desktop { Gnome, Cinnamon, Kde, Xfce, Mate };

struct DesktopName {
    const char* entry; // as XDG_CURRENT_DESKTOP lists it, compared without case
    Desktop desktop;
    const char* shown;
};

const DesktopName kDesktops[] = {
    {"GNOME", Desktop::Gnome, "GNOME"},
    {"GNOME-Classic", Desktop::Gnome, "GNOME"},
    {"GNOME-Flashback", Desktop::Gnome, "GNOME"},
    {"Unity", Desktop::Gnome, "Unity"},
    {"Budgie", Desktop::Gnome, "Budgie"},
    {"Pantheon", Desktop::Gnome, "Pantheon"},
    {"X-Cinnamon", Desktop::Cinnamon, "Cinnamon"},
    {"Cinnamon", Desktop::Cinnamon, "Cinnamon"},
    {"KDE", Desktop::Kde, "KDE Plasma"},
    {"XFCE", Desktop::Xfce, "Xfce"},
    {"MATE", Desktop::Mate, "MATE"},
};

bool SameText(const std::string& a, const char* b) {
    const std::string other(b);
    return std::equal(a.begin(), a.end(), other.begin(), other.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The first entry of the colon-separated list that names a known desktop.
const DesktopName* KnownDesktop(const std::string& list) {
    std::istringstream entries(list);
    std::string entry;
    while (std::getline(entries, entry, ':')) {
        for (const DesktopName& name : kDesktops) {
            if (SameText(entry, name.entry)) {
                return &name;
            }
        }
    }
    return nullptr;
}

std::string CommandLine(const std::string& program, const std::vector<std::string>& arguments) {
    std::string line = program;
    for (const std::string& argument : arguments) {
        const bool plain =
            !argument.empty() && argument.find_first_of(" \t'\"") == std::string::npos;
        line += plain ? " " + argument : " '" + argument + "'";
    }
    return line;
}

std::string FirstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
        line.pop_back();
    }
    return line;
}

// Runs one step of setting the wallpaper; a failure ends the command.
class WallpaperSteps {
public:
    WallpaperSteps(Environment& environment, std::string desktop)
        : mEnvironment(environment), mDesktop(std::move(desktop)) {}

    std::string Run(const std::string& program, const std::vector<std::string>& arguments) {
        const ProgramResult result = mEnvironment.Run(program, arguments);
        if (result.exitStatus == 0) {
            return result.output;
        }
        std::string reason;
        if (!result.started) {
            reason = program + " was not found on PATH";
        } else if (result.exitStatus < 0) {
            reason = "it was stopped";
        } else {
            reason = "it ended with exit status " + std::to_string(result.exitStatus);
        }
        const std::string said = FirstLine(result.errors);
        throw Error("The wallpaper could not be set on " + mDesktop + ".\r\n" +
                    CommandLine(program, arguments) + ": " + reason +
                    (said.empty() ? std::string() : " (" + said + ")"));
    }

private:
    Environment& mEnvironment;
    std::string mDesktop;
};

bool ListsLine(const std::string& text, const std::string& wanted) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line == wanted) {
            return true;
        }
    }
    return false;
}

void SetGnome(WallpaperSteps& steps, const std::string& file) {
    const std::string schema = "org.gnome.desktop.background";
    const std::string uri = FileUri(file);
    // GNOME before 42 has no dark variant; setting it there would fail.
    const bool dark = ListsLine(steps.Run("gsettings", {"list-keys", schema}), "picture-uri-dark");
    steps.Run("gsettings", {"set", schema, "picture-uri", uri});
    if (dark) {
        steps.Run("gsettings", {"set", schema, "picture-uri-dark", uri});
    }
}

void SetXfce(WallpaperSteps& steps, const std::string& file) {
    const std::string channel = "xfce4-desktop";
    // One property per monitor and workspace, named after the monitor's output.
    std::istringstream properties(steps.Run("xfconf-query", {"-c", channel, "-l"}));
    std::string property;
    bool any = false;
    while (std::getline(properties, property)) {
        const std::string suffix = "/last-image";
        if (property.size() > suffix.size() &&
            property.compare(property.size() - suffix.size(), suffix.size(), suffix) == 0) {
            steps.Run("xfconf-query", {"-c", channel, "-p", property, "-s", file});
            any = true;
        }
    }
    if (!any) {
        // A desktop that never had a backdrop chosen has none of them yet.
        steps.Run("xfconf-query",
                  {"-c", channel, "-p", "/backdrop/screen0/monitor0/workspace0/last-image", "-n",
                   "-t", "string", "-s", file});
    }
}

} // namespace

std::string FileUri(const std::string& path) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        }
    }
    return uri;
}

void SetDesktopWallpaper(Environment& environment, const std::string& file) {
    const std::string list = environment.Variable("XDG_CURRENT_DESKTOP").value_or("");
    const DesktopName* known = KnownDesktop(list);
    if (known == nullptr) {
        WallpaperSteps steps(environment, list.empty() ? "this desktop" : list);
        steps.Run("feh", {"--bg-max", file});
        return;
    }
    WallpaperSteps steps(environment, known->shown);
    switch (known->desktop) {
    case Desktop::Gnome:
        SetGnome(steps, file);
        break;
    case Desktop::Cinnamon:
        steps.Run("gsettings",
                  {"set", "org.cinnamon.desktop.background", "picture-uri", FileUri(file)});
        break;
    case Desktop::Kde:
        steps.Run("plasma-apply-wallpaperimage", {file});
        break;
    case Desktop::Xfce:
        SetXfce(steps, file);
        break;
    case Desktop::Mate:
        steps.Run("gsettings", {"set", "org.mate.background", "picture-filename", file});
        break;
    }
}

} // namespace pixmoth
