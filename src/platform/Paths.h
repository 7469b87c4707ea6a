#pragma once

#include <string>

// Path pieces as the program holds them: POSIX paths, '/' separators, case
// kept, directories with a trailing '/'.
namespace pixmoth {

// "a/b/c.jpg" -> "a/b/"; a name without '/' has no directory part ("").
std::string DirectoryPart(const std::string& path);
// "a/b/c.jpg" -> "c.jpg".
std::string FileNamePart(const std::string& path);
// Appends '/' unless the text is empty or already ends in one.
std::string WithTrailingSlash(const std::string& directory);

bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);

} // namespace pixmoth
