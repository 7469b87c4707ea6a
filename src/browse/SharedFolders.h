#pragma once

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace pixmoth {

// Where the folders shared on the network are declared. Tests point these at
// files of their own.
struct ShareSources {
    std::string usershares = "/var/lib/samba/usershares"; // one file per Samba user share
    std::string exports = "/etc/exports";                 // NFS exports
    std::string exportsDir = "/etc/exports.d";            // more NFS exports, "*.exports"
};

// The "path=" of a Samba user share definition; "" when it has none.
std::string ParseUsersharePath(std::string_view text);

// The exported folders of an NFS exports file, in order: the first field of
// each line, quoted or with octal escapes (\040), lines joined at a trailing
// backslash, '#' comments and blank lines left out.
std::vector<std::string> ParseExports(std::string_view text);

// The folders shared through Samba user shares or NFS exports. Folders are told
// apart by device and inode, so a share declared through a symbolic link or
// with a stray slash still marks its folder. Sources that cannot be read (the
// user share folder is often closed to users outside its group) share nothing.
class SharedFolders {
public:
    explicit SharedFolders(ShareSources sources = ShareSources());

    // Reads the sources again: shares come and go while the program runs.
    void Read();
    // Whether the folder at `path` is shared itself (not merely below a share).
    bool IsShared(const std::string& path) const;
    bool Empty() const { return mShared.empty(); }

private:
    void Add(const std::string& path);

    ShareSources mSources;
    std::set<std::pair<dev_t, ino_t>> mShared;
};

} // namespace pixmoth
