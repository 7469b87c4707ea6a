#pragma once

#include <string>
#include <vector>

#include "browse/DirTreeTypes.h"
#include "browse/MountInfo.h"

namespace pixmoth {

// Where the drive table reads the system's facts. Tests point these at trees
// of their own.
struct DriveSources {
    std::string mountInfo = "/proc/self/mountinfo";
    std::string sysDevBlock = "/sys/dev/block"; // "MAJOR:MINOR" links into sysfs
    std::string diskByLabel = "/dev/disk/by-label";
    std::string diskByUuid = "/dev/disk/by-uuid";
};

// A mounted file system the tree shows as a drive.
struct Drive {
    std::string path; // the mount point with a trailing '/'
    TDriveType type = TDriveType::drtUnknown;
    std::string fsType;
    std::string source;
    std::string device; // the block device's kernel name ("sda1"), "" when there is none
    std::string label;  // from /dev/disk/by-label, "" when there is none
    std::string uuid;   // from /dev/disk/by-uuid, "" when there is none
};

// The drives: every mount except pseudo file systems (proc, sysfs, cgroup...),
// the system's runtime mounts below /proc, /sys, /dev and /run (removable media
// under /run/media stay), package images under /snap and mount points that
// are files. Where several mounts share a mount point only the last, the one
// visible there, counts. `/` comes first, then the others by mount point.
//
// Reading the table queries no mounted file system except local ones for
// their root's type, so a dead network server cannot stall it.
class DriveTable {
public:
    DriveTable() = default;
    static DriveTable Read(const DriveSources& sources = DriveSources());
    static DriveTable FromMounts(const std::vector<MountEntry>& mounts,
                                 const DriveSources& sources = DriveSources());

    const std::vector<Drive>& Drives() const { return mDrives; }
    // The drives of the given kinds, in the same order.
    DriveTable OfTypes(TDriveTypes types) const;
    // The drive whose path is exactly `drivePath` (with trailing '/'), or null.
    const Drive* Find(const std::string& drivePath) const;
    // The drive holding `path`: the one whose path is its longest prefix.
    const Drive* DriveOf(const std::string& path) const;

private:
    std::vector<Drive> mDrives;
};

// The kind of a mount: tmpfs and ramfs are RAM disks; network file systems
// remote; iso9660, udf and /dev/sr* CD-ROMs; a block device flagged removable
// in sysfs, or anything mounted under /media or /run/media, removable; other
// block devices fixed; anything else unknown.
TDriveType DriveKindOf(const MountEntry& mount, bool blockDevice, bool removable);

// Whether drive path `a` comes before `b`: "/" first, then by mount point
// compared byte by byte.
bool DriveOrderBefore(const std::string& a, const std::string& b);

// label + " (" + mount point + ")", or "(" + mount point + ")" without a label;
// the mount point without its trailing '/' unless it is "/".
std::string DriveCaption(const Drive& drive);

// Tells one volume from another: the UUID, else the file system id from
// statfs (which asks the mounted file system), else "-1" when the mount
// cannot be queried.
std::string DriveSerial(const Drive& drive);
inline const std::string kNoVolumeSerial = "-1";

// What tells the medium in a drive from the next: its serial and its label, so
// a volume relabelled between two mounts counts as another medium too.
struct VolumeId {
    std::string serial = kNoVolumeSerial;
    std::string label;
    bool Readable() const { return serial != kNoVolumeSerial; }
    bool operator==(const VolumeId&) const = default;
};
inline VolumeId DriveVolume(const Drive& drive) {
    return {DriveSerial(drive), drive.label};
}

} // namespace pixmoth
