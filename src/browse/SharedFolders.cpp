#include "browse/SharedFolders.h"

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

#include "browse/MountInfo.h"
#include "imaging/bitmap/Error.h"
#include "imaging/codecs/FileIO.h"

namespace pixmoth {

namespace {

// Share definitions are a few lines; anything larger is not one.
constexpr std::uint64_t kMaxSourceBytes = 1 << 20;

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The export point at the start of one joined line; "" for none.
std::string ExportPoint(std::string_view line) {
    line = line.substr(0, line.find('#'));
    line = Trimmed(line);
    if (line.empty()) {
        return {};
    }
    std::string_view field;
    if (line.front() == '"') {
        const auto close = line.find('"', 1);
        field =
            line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    } else {
        field = line.substr(0, line.find_first_of(" \t"));
    }
    std::string path = UnescapeOctal(field);
    return !path.empty() && path.front() == '/' ? path : std::string();
}

std::vector<std::string> FilesIn(const std::string& folder, std::string_view suffix) {
    std::vector<std::string> files;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return files;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        // Dot-names are lock and temporary files, not shares.
        if (!name.empty() && name.front() != '.' && EndsWith(name, suffix)) {
            files.push_back(folder + "/" + std::string(name));
        }
    }
    ::closedir(dir);
    std::sort(files.begin(), files.end());
    return files;
}

// The file's text, or "" when it cannot be read.
std::string TextOf(const std::string& path) {
    try {
        return ReadFileText(path, kMaxSourceBytes);
    } catch (const Error&) {
        return {};
    }
}

} // namespace

std::string ParseUsersharePath(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = Trimmed(text.substr(start, end - start));
        if (line.substr(0, 5) == "path=") {
            return std::string(line.substr(5));
        }
        start = end + 1;
    }
    return {};
}

std::vector<std::string> ParseExports(std::string_view text) {
    std::vector<std::string> paths;
    std::string joined;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty() && line.back() == '\\') {
            joined.append(line.substr(0, line.size() - 1)).push_back(' ');
            continue;
        }
        joined.append(line);
        std::string path = ExportPoint(joined);
        if (!path.empty()) {
            paths.push_back(std::move(path));
        }
        joined.clear();
    }
    std::string path = ExportPoint(joined);
    if (!path.empty()) {
        paths.push_back(std::move(path));
    }
    return paths;
}

SharedFolders::SharedFolders(ShareSources sources) : mSources(std::move(sources)) {}

void SharedFolders::Read() {
    mShared.clear();
    for (const std::string& file : FilesIn(mSources.usershares, "")) {
        Add(ParseUsersharePath(TextOf(file)));
    }
    std::vector<std::string> exportFiles = FilesIn(mSources.exportsDir, ".exports");
    exportFiles.insert(exportFiles.begin(), mSources.exports);
    for (const std::string& file : exportFiles) {
        for (const std::string& path : ParseExports(TextOf(file))) {
            Add(path);
        }
    }
}

void SharedFolders::Add(const std::string& path) {
    struct stat info {};
    if (!path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        mShared.emplace(info.st_dev, info.st_ino);
    }
}

bool SharedFolders::IsShared(const std::string& path) const {
    struct stat info {};
    return !mShared.empty() && ::stat(path.c_str(), &info) == 0 &&
           mShared.count({info.st_dev, info.st_ino}) != 0;
}

} // namespace pixmoth
