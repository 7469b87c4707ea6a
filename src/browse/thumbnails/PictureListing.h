#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The picture files of one directory, as the thumbnail list shows them.
namespace pixmoth {

struct PictureEntry {
    std::string name; // the file name, the item's caption
    std::string path; // the directory with a trailing '/' ensured, then the name
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds since the epoch
};

// True for names ending in ".jpg", ".bmp", ".png" or ".wmf" in any case.
bool IsListedPictureName(const std::string& name);

// The files of `dir` whose names IsListedPictureName accepts, sorted by
// FileNameLess. Entries that are not files (a sub-directory named old.jpg, a
// dangling link) are left out. An empty `dir` is the root directory; a
// directory that does not exist or cannot be read gives an empty list.
std::vector<PictureEntry> CollectPictureFiles(const std::string& dir);

} // namespace pixmoth
