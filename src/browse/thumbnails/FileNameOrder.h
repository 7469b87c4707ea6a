#pragma once

#include <string>

// The order of the thumbnail list: file names compared letter by letter with
// case ignored, the order the file system the program was made for lists a
// folder in (not the locale's collation, which the tree's folders follow).
namespace pixmoth {

// True when UTF-8 name `a` sorts before `b`: code points compared after
// turning small letters into capitals (ASCII, Latin-1, Latin Extended-A,
// Greek, Cyrillic), so "_" and "[" come after the letters; names equal that
// way by their bytes, so the order is total. Bytes that are not UTF-8 compare
// as themselves.
bool FileNameLess(const std::string& a, const std::string& b);

} // namespace pixmoth
