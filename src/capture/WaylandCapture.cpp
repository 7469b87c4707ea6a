#include "capture/WaylandCapture.h"

#include <cstring>

namespace pixmoth {

bool IsWaylandSession(const Environment& environment) {
    return !environment.Variable("WAYLAND_DISPLAY").value_or("").empty() ||
           environment.Variable("XDG_SESSION_TYPE").value_or("") == "wayland";
}

std::string PortalRequestPath(const std::string& uniqueName, const std::string& token) {
    std::string sender = uniqueName.starts_with(':') ? uniqueName.substr(1) : uniqueName;
    for (char& c : sender) {
        if (c == '.') {
            c = '_';
        }
    }
    return "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
}

std::vector<std::string> TemporaryFolders(const Environment& environment) {
    std::vector<std::string> folders;
    std::string tmpdir = environment.Variable("TMPDIR").value_or("");
    while (tmpdir.size() > 1 && tmpdir.back() == '/') {
        tmpdir.pop_back();
    }
    if (tmpdir.size() > 1 && tmpdir.front() == '/') {
        folders.push_back(tmpdir);
    }
    folders.emplace_back("/tmp");
    folders.emplace_back("/var/tmp");
    return folders;
}

bool InTemporaryFolder(const std::string& path, const std::vector<std::string>& folders) {
    // ".." could climb out of a folder that the prefix test accepted.
    if (path.find("/../") != std::string::npos || path.find("/./") != std::string::npos) {
        return false;
    }
    for (const std::string& folder : folders) {
        if (path.size() > folder.size() + 1 && path.starts_with(folder) &&
            path[folder.size()] == '/') {
            return true;
        }
    }
    return false;
}

bool IsAllBlack(const Bitmap& picture) {
    const int bytes = picture.Format() == PixelFormat::Bit32 ? 4 : 3;
    const auto width = static_cast<std::size_t>(picture.Width());
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.ScanLine(y);
        if (bytes == 4) {
            for (std::size_t x = 0; x < width; ++x) {
                std::uint32_t pixel;
                std::memcpy(&pixel, row + 4 * x, 4);
                if ((pixel & 0x00FFFFFFu) != 0) {
                    return false;
                }
            }
        } else {
            for (std::size_t i = 0; i < 3 * width; ++i) {
                if (row[i] != 0) {
                    return false;
                }
            }
        }
    }
    return true;
}

} // namespace pixmoth
