#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pixmoth {

// Told how far a copy between file systems got; returning false cancels the
// move, which then leaves the source as it was.
using MoveProgress = std::function<bool(std::uint64_t copied, std::uint64_t total)>;

// Moves the file, symbolic link or folder `source` into `folder`, keeping its
// name. Nothing in `folder` is ever replaced: a name already taken there fails.
//
// Within one file system the entry is renamed (renameat2 with
// RENAME_NOREPLACE). Across file systems a regular file is copied into an
// unnamed or hidden temporary file in `folder`, flushed to disk, linked into
// place under its name without replacing anything, and only then removed from
// its old folder; its permission bits and times come along. Whenever a move
// stops part way (an error, a full drive, a cancel, even a crash), the file is
// either still in its old place or complete in its new one, never half there
// and never gone. Symbolic links are moved as links; folders are not copied
// between file systems.
//
// File systems without RENAME_NOREPLACE and without hard links (SMB shares)
// get a check for the name right before a plain rename: another program could
// take the name in between.
//
// Returns "" when the entry was moved (or is in `folder` already), otherwise
// why not, in words for a message: "a file of that name is already there".
std::string MoveIntoFolder(const std::string& source, const std::string& folder,
                           const MoveProgress& progress = {});

// A file that could not be moved, and why.
struct MoveFailure {
    std::string path;
    std::string reason;
};

// The one message for every file of a move that could not be moved:
// "These files could not be moved to FOLDER:" and a line "PATH: reason" each.
std::string MoveFailuresText(const std::string& folder, const std::vector<MoveFailure>& failures);

} // namespace pixmoth
