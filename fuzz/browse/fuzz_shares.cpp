// Parses arbitrary text as an NFS exports file and as a Samba user share
// definition: nothing may crash, every export is an absolute path, and a share
// path is one line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FuzzRequire.h"
#include "browse/SharedFolders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string& path : pixmoth::ParseExports(text)) {
        Require(!path.empty() && path.front() == '/', "exports are absolute paths");
    }
    const std::string share = pixmoth::ParseUsersharePath(text);
    Require(share.find('\n') == std::string::npos, "a share path is one line");
    return 0;
}
