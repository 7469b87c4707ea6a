#pragma once

#include <string>
#include <vector>

namespace pixmoth {

// Sorts folder names the way the tree lists them: by the collation of the
// user's locale (LC_COLLATE and LC_CTYPE from the environment; C.UTF-8 when
// that locale is not installed), case ignored. Names that differ only in case
// keep byte order, so a listing always comes out the same. Names that are not
// valid in the locale's encoding sort by their bytes where they are invalid.
void SortNamesIgnoringCase(std::vector<std::string>& names);

} // namespace pixmoth
