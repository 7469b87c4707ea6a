#include "browse/TreePaths.h"

#include <algorithm>
#include <filesystem>

#include "platform/Paths.h"

namespace pixmoth {

int CountSlashes(const std::string& path) {
    return static_cast<int>(std::count(path.begin(), path.end(), '/'));
}

std::string PathPrefix(const std::string& path, int n) {
    std::size_t at = 0;
    for (int level = 0; level < n; ++level) {
        at = path.find('/', at);
        if (at == std::string::npos) {
            return path;
        }
        ++at;
    }
    return path.substr(0, at);
}

std::string RemoveTrailingSlash(const std::string& path) {
    return path.size() > 1 && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
}

std::string NormalFolderPath(const std::string& path, const std::string& base) {
    std::filesystem::path full(path);
    if (full.is_relative()) {
        full = std::filesystem::path(base) / full;
    }
    return WithTrailingSlash(full.lexically_normal().string());
}

} // namespace pixmoth
