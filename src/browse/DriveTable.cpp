#include "browse/DriveTable.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace pixmoth {

namespace {

bool IsPseudoFileSystem(const std::string& type) {
    static const std::set<std::string> pseudo = {
        "autofs",     "binfmt_misc", "bpf",        "cgroup",     "cgroup2",   "configfs",
        "debugfs",    "devpts",      "devtmpfs",   "efivarfs",   "fusectl",   "fuse.gvfsd-fuse",
        "fuse.lxcfs", "fuse.portal", "hugetlbfs",  "mqueue",     "nfsd",      "nsfs",
        "proc",       "pstore",      "rpc_pipefs", "securityfs", "selinuxfs", "sysfs",
        "tracefs"};
    return pseudo.count(type) != 0;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool Below(const std::string& mountPoint, const std::string& folder) {
    return mountPoint == folder || StartsWith(mountPoint, folder + "/");
}

bool OnMediaFolder(const std::string& mountPoint) {
    return StartsWith(mountPoint, "/media/") || StartsWith(mountPoint, "/run/media/");
}

bool IsSystemRuntimeMount(const MountEntry& mount) {
    const std::string& at = mount.mountPoint;
    if (Below(at, "/proc") || Below(at, "/sys") || Below(at, "/dev")) {
        return true;
    }
    if (Below(at, "/run") && !OnMediaFolder(at)) {
        return true;
    }
    return mount.fsType == "squashfs" && StartsWith(at, "/snap/");
}

bool IsRemote(const std::string& type) {
    static const std::set<std::string> remote = {"nfs",   "nfs4",  "cifs",  "smb3",
                                                 "smbfs", "9p",    "sshfs", "fuse.sshfs",
                                                 "afs",   "ncpfs", "davfs", "fuse.rclone"};
    return remote.count(type) != 0;
}

std::string FileName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string LinkTarget(const std::string& path) {
    std::string target(4096, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0) {
        return {};
    }
    target.resize(static_cast<std::size_t>(length));
    return target;
}

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

struct BlockDevice {
    std::string name; // "" when the mount has no block device
    bool removable = false;
};

// The mount's block device from sysfs, by the device number the kernel
// reports; file systems with anonymous numbers (btrfs) are found through their
// source device instead.
BlockDevice LookUpBlockDevice(const MountEntry& mount, const DriveSources& sources) {
    unsigned major = mount.major;
    unsigned minor = mount.minor;
    std::string link =
        sources.sysDevBlock + "/" + std::to_string(major) + ":" + std::to_string(minor);
    struct stat info {};
    if (::lstat(link.c_str(), &info) != 0 && StartsWith(mount.source, "/dev/") &&
        ::stat(mount.source.c_str(), &info) == 0 && S_ISBLK(info.st_mode)) {
        major = ::major(info.st_rdev);
        minor = ::minor(info.st_rdev);
        link = sources.sysDevBlock + "/" + std::to_string(major) + ":" + std::to_string(minor);
    }
    BlockDevice device;
    device.name = FileName(LinkTarget(link));
    if (device.name.empty()) {
        return device;
    }
    // Whole disks carry the flag; a partition takes its disk's.
    std::string removable = FirstLine(link + "/removable");
    if (removable.empty()) {
        removable = FirstLine(link + "/../removable");
    }
    device.removable = removable == "1";
    return device;
}

// udev writes characters outside its safe set as \xHH in link names.
std::string UnescapeUdev(const std::string& name) {
    std::string text;
    for (std::size_t i = 0; i < name.size(); ++i) {
        unsigned value = 0;
        if (name.compare(i, 2, "\\x") == 0 && i + 3 < name.size() &&
            std::sscanf(name.c_str() + i + 2, "%2x", &value) == 1 &&
            std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
            text += static_cast<char>(value);
            i += 3;
        } else {
            text += name[i];
        }
    }
    return text;
}

// Name of the link in `folder` that points at the device `deviceName`.
std::string LinkNameFor(const std::string& folder, const std::string& deviceName) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return {};
    }
    std::string found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != ".." &&
            FileName(LinkTarget(folder + "/" + name)) == deviceName) {
            found = UnescapeUdev(name);
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::string MountPointOf(const std::string& drivePath) {
    return drivePath.size() > 1 && drivePath.back() == '/'
               ? drivePath.substr(0, drivePath.size() - 1)
               : drivePath;
}

} // namespace

DriveTable DriveTable::Read(const DriveSources& sources) {
    return FromMounts(ReadMountInfo(sources.mountInfo), sources);
}

DriveTable DriveTable::FromMounts(const std::vector<MountEntry>& mounts,
                                  const DriveSources& sources) {
    std::map<std::string, const MountEntry*> visible; // the last mount on each point
    for (const MountEntry& mount : mounts) {
        visible[mount.mountPoint] = &mount;
    }
    DriveTable table;
    for (const auto& [mountPoint, mount] : visible) {
        if (IsPseudoFileSystem(mount->fsType) || IsSystemRuntimeMount(*mount)) {
            continue;
        }
        Drive drive;
        drive.path = mountPoint == "/" ? mountPoint : mountPoint + "/";
        drive.fsType = mount->fsType;
        drive.source = mount->source;
        const BlockDevice device = LookUpBlockDevice(*mount, sources);
        drive.type = DriveKindOf(*mount, !device.name.empty(), device.removable);
        struct stat info {};
        // Files bind-mounted over files (a container's /etc/hosts) are no drives.
        if (drive.type != TDriveType::drtRemote &&
            (::stat(mountPoint.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))) {
            continue;
        }
        drive.device = device.name;
        if (!device.name.empty()) {
            drive.label = LinkNameFor(sources.diskByLabel, device.name);
            drive.uuid = LinkNameFor(sources.diskByUuid, device.name);
        }
        table.mDrives.push_back(std::move(drive));
    }
    std::sort(table.mDrives.begin(), table.mDrives.end(),
              [](const Drive& a, const Drive& b) { return DriveOrderBefore(a.path, b.path); });
    return table;
}

DriveTable DriveTable::OfTypes(TDriveTypes types) const {
    DriveTable table;
    for (const Drive& drive : mDrives) {
        if (types.Contains(drive.type)) {
            table.mDrives.push_back(drive);
        }
    }
    return table;
}

const Drive* DriveTable::Find(const std::string& drivePath) const {
    for (const Drive& drive : mDrives) {
        if (drive.path == drivePath) {
            return &drive;
        }
    }
    return nullptr;
}

const Drive* DriveTable::DriveOf(const std::string& path) const {
    const Drive* best = nullptr;
    for (const Drive& drive : mDrives) {
        if (StartsWith(path, drive.path) &&
            (best == nullptr || drive.path.size() > best->path.size())) {
            best = &drive;
        }
    }
    return best;
}

TDriveType DriveKindOf(const MountEntry& mount, bool blockDevice, bool removable) {
    if (mount.fsType == "tmpfs" || mount.fsType == "ramfs") {
        return TDriveType::drtRamDisk;
    }
    if (IsRemote(mount.fsType)) {
        return TDriveType::drtRemote;
    }
    if (mount.fsType == "iso9660" || mount.fsType == "udf" || StartsWith(mount.source, "/dev/sr")) {
        return TDriveType::drtCDRom;
    }
    if (removable || OnMediaFolder(mount.mountPoint)) {
        return TDriveType::drtRemovable;
    }
    return blockDevice ? TDriveType::drtFixed : TDriveType::drtUnknown;
}

bool DriveOrderBefore(const std::string& a, const std::string& b) {
    if ((a == "/") != (b == "/")) {
        return a == "/";
    }
    return MountPointOf(a) < MountPointOf(b);
}

std::string DriveCaption(const Drive& drive) {
    std::string caption = drive.label.empty() ? "(" : drive.label + " (";
    caption += MountPointOf(drive.path);
    caption += ')';
    return caption;
}

std::string DriveSerial(const Drive& drive) {
    if (!drive.uuid.empty()) {
        return drive.uuid;
    }
    struct statfs info {};
    if (::statfs(drive.path.c_str(), &info) != 0) {
        return kNoVolumeSerial;
    }
    int fsid[2];
    static_assert(sizeof fsid == sizeof info.f_fsid);
    std::memcpy(fsid, &info.f_fsid, sizeof fsid);
    char text[24];
    std::snprintf(text, sizeof text, "%08x%08x", static_cast<unsigned>(fsid[0]),
                  static_cast<unsigned>(fsid[1]));
    return text;
}

} // namespace pixmoth
