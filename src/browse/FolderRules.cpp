#include "browse/FolderRules.h"

#include <algorithm>
#include <cctype>

#include "platform/Paths.h"
#include "platform/ProgramDirectory.h"

namespace pixmoth {

namespace {

bool IsTrashName(std::string_view name) {
    if (name == ".Trash") {
        return true;
    }
    constexpr std::string_view prefix = ".Trash-";
    return name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix &&
           std::all_of(name.begin() + prefix.size(), name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

} // namespace

std::string HomeTrashFolder(const Environment& environment) {
    // Relative values are invalid and to be ignored, says the base directory rule.
    const std::string dataHome = environment.Variable("XDG_DATA_HOME").value_or("");
    if (!dataHome.empty() && dataHome.front() == '/') {
        return WithTrailingSlash(dataHome) + "Trash/";
    }
    return HomeDirectory(environment) + ".local/share/Trash/";
}

bool IsBelowTrash(const std::string& path, const std::string& homeTrash) {
    if (!homeTrash.empty() && path.size() > homeTrash.size() &&
        path.compare(0, homeTrash.size(), homeTrash) == 0) {
        return true;
    }
    // Every component but the last, which is the folder itself.
    const std::string_view text = path;
    const std::size_t last = text.find_last_not_of('/');
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('/', start), text.size());
        if (end < last && IsTrashName(text.substr(start, end - start))) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool IsTrashFolder(const std::string& path, const std::string& homeTrash) {
    if (path == homeTrash) {
        return true;
    }
    const std::size_t end = path.find_last_not_of('/');
    if (end == std::string::npos) {
        return false;
    }
    const std::size_t start = path.rfind('/', end) + 1;
    return IsTrashName(std::string_view(path).substr(start, end + 1 - start));
}

bool AcceptAttributes(std::uint32_t attributes, TDirTypes types) {
    if (types.Contains(TDirType::dtAll)) {
        return true;
    }
    if (((attributes & faHidden) != 0 && !types.Contains(TDirType::dtHidden)) ||
        ((attributes & faSysFile) != 0 && !types.Contains(TDirType::dtSystem)) ||
        ((attributes & faArchive) != 0 && !types.Contains(TDirType::dtArchive))) {
        return false;
    }
    return types.Contains(TDirType::dtNormal) ||
           (attributes & (faHidden | faSysFile | faArchive)) != 0;
}

} // namespace pixmoth
