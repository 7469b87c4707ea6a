#include "settings/SaveBoundsPath.h"

#include <sys/stat.h>

#include "settings/IniStuff.h"

namespace pixmoth {

namespace {

const char* const kSection = "Bounds";

// The name with its extension replaced, or ".ini" added when it has none. A dot
// that starts the file name (a hidden file) is not an extension.
std::string WithIniExtension(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = path.rfind('.');
    if (dot != std::string::npos && dot > nameStart) {
        return path.substr(0, dot) + ".ini";
    }
    return path + ".ini";
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

std::string SaveBoundsSettingsPath(const std::string& executablePath, const std::string& programDir,
                                   const std::string& iniFile, bool useStdIni) {
    if (useStdIni) {
        return WithIniExtension(executablePath);
    }
    if (iniFile.empty()) {
        return {};
    }
    return programDir + WithIniExtension(iniFile);
}

std::string ResolveBoundsPath(const std::string& path, const std::string& homeDir) {
    if (path.empty() || path.front() == '/') {
        return path;
    }
    if (homeDir.empty() || homeDir.back() == '/') {
        return homeDir + path;
    }
    return homeDir + "/" + path;
}

std::optional<Rect> ReadSavedBounds(const std::string& path, const std::string& homeDir) {
    const std::string file = ResolveBoundsPath(path, homeDir);
    if (file.empty() || !IsRegularFile(file)) {
        return std::nullopt;
    }
    Rect bounds;
    bounds.left = IniReadInteger(file, kSection, "Left", 10);
    bounds.top = IniReadInteger(file, kSection, "Top", 10);
    bounds.right = IniReadInteger(file, kSection, "Right", 600);
    bounds.bottom = IniReadInteger(file, kSection, "Bottom", 500);
    return bounds;
}

void WriteSavedBounds(const std::string& path, const std::string& homeDir, const Rect& bounds) {
    const std::string file = ResolveBoundsPath(path, homeDir);
    if (file.empty()) {
        return;
    }
    IniWriteInteger(file, kSection, "Left", bounds.left);
    IniWriteInteger(file, kSection, "Top", bounds.top);
    IniWriteInteger(file, kSection, "Right", bounds.right);
    IniWriteInteger(file, kSection, "Bottom", bounds.bottom);
}

} // namespace pixmoth
