#pragma once

#include <string>

#include <dirent.h>

#include "browse/DirTreeTypes.h"

namespace pixmoth {

// Reads the entries of one folder, "." and ".." left out. Symbolic links count
// as what they point at, so a link to a folder is a folder. A folder that
// cannot be read (permissions, gone, not a folder) simply has no entries:
// nothing here throws.
//
// Attributes: faDirectory for folders, faHidden for dot-names.
class FolderReader {
public:
    explicit FolderReader(const std::string& path);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // Fills `entry` with the next entry; false at the end.
    bool Next(TDirRec& entry);

private:
    DIR* mDir = nullptr;
};

} // namespace pixmoth
