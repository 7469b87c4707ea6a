#pragma once

#include <cstdint>
#include <string>

#include "browse/DirTreeTypes.h"
#include "platform/Environment.h"

// Which folders the directory tree lists.
namespace pixmoth {

// Whether `path` (a folder, with trailing '/') lies below a trash folder of the
// freedesktop trash: a folder named ".Trash" or ".Trash-<uid>" at any level
// (the trash of each mounted volume), or the user's own trash `homeTrash`
// ($XDG_DATA_HOME/Trash/, with trailing '/'). A trash folder itself is not
// below one, so it is listed while what it holds is not.
bool IsBelowTrash(const std::string& path, const std::string& homeTrash);
// The user's own trash: $XDG_DATA_HOME/Trash/, by default
// ~/.local/share/Trash/.
std::string HomeTrashFolder(const Environment& environment);

// Whether `path` (with trailing '/') is such a trash folder itself.
bool IsTrashFolder(const std::string& path, const std::string& homeTrash);

// The attribute test of a folder entry against the folder kinds the tree
// lists: everything with dtAll; otherwise hidden, system and archive folders
// only when their kind is in the set, and what remains only with dtNormal or
// when it has one of those attributes.
bool AcceptAttributes(std::uint32_t attributes, TDirTypes types);

} // namespace pixmoth
