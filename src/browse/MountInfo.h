#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pixmoth {

// One line of /proc/<pid>/mountinfo, its octal escapes (\040 for a space and
// the like) decoded.
struct MountEntry {
    int id = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;       // the part of the file system mounted here
    std::string mountPoint; // as the kernel shows it, "/" or without trailing '/'
    std::string options;
    std::string fsType; // "ext4", "fuse.sshfs"...
    std::string source; // "/dev/sda1", "server:/export", "tmpfs"...
    std::string superOptions;
};

// The mounts in the order the kernel lists them (the order they were made).
// Lines that do not have the documented layout are skipped: the table is read
// from the kernel, and one odd line must not hide every drive.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// Decodes backslash escapes of three octal digits ("\040" for a space), as
// the kernel writes them in mount tables and exportfs in its files.
std::string UnescapeOctal(std::string_view field);

// Reads and parses the file; a file that cannot be read gives no mounts.
std::vector<MountEntry> ReadMountInfo(const std::string& path);

} // namespace pixmoth
