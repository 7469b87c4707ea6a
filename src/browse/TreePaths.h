#pragma once

#include <string>

// Path arithmetic of the directory tree. Folder paths are absolute, held with
// a trailing '/', and a path's levels end at its slashes: "/home/ann/" has the
// levels "/", "/home/" and "/home/ann/".
namespace pixmoth {

int CountSlashes(const std::string& path);
// The path up to and including its n-th '/'; the whole path if it has fewer.
std::string PathPrefix(const std::string& path, int n);
// Removes one trailing '/' unless the path is "/".
std::string RemoveTrailingSlash(const std::string& path);
// An absolute folder path with a trailing '/': relative paths are taken from
// `base`, and "//", "." and ".." are resolved lexically.
std::string NormalFolderPath(const std::string& path, const std::string& base);

} // namespace pixmoth
