#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "TempDir.h"
#include "browse/BrowseTestSupport.h"
#include "browse/DriveTable.h"
#include "browse/MountInfo.h"

namespace pixmoth {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string Line(int id, const std::string& device, const std::string& mountPoint,
                 const std::string& type, const std::string& source) {
    return std::to_string(id) + " 1 " + device + " / " + mountPoint + " rw,relatime shared:1 - " +
           type + " " + source + " rw\n";
}

TEST(MountInfo, ParsesFieldsDecodesEscapesAndSkipsMalformedLines) {
    const std::string text =
        "36 35 98:0 /mnt1 /mnt/my\\040disk rw,noatime master:1 shared:2 - ext3 /dev/root "
        "rw,errors=continue\n"
        "not a mount line\n"
        "40 1 0:5 / /no/separator rw ext4 /dev/x rw\n"
        "41 1 0:40 / /tmp rw - tmpfs tmpfs rw,size=1k\n";
    const std::vector<MountEntry> mounts = ParseMountInfo(text);
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0].id, 36);
    EXPECT_EQ(mounts[0].parentId, 35);
    EXPECT_EQ(mounts[0].major, 98u);
    EXPECT_EQ(mounts[0].minor, 0u);
    EXPECT_EQ(mounts[0].root, "/mnt1");
    EXPECT_EQ(mounts[0].mountPoint, "/mnt/my disk");
    EXPECT_EQ(mounts[0].fsType, "ext3");
    EXPECT_EQ(mounts[0].source, "/dev/root");
    EXPECT_EQ(mounts[0].superOptions, "rw,errors=continue");
    EXPECT_EQ(mounts[1].mountPoint, "/tmp");
    EXPECT_EQ(mounts[1].fsType, "tmpfs");
}

TEST(DriveTable, KindsFollowTypeSourceRemovableFlagAndMediaFolders) {
    struct Row {
        const char* type;
        const char* source;
        const char* mountPoint;
        bool block;
        bool removable;
        TDriveType expected;
    };
    const Row rows[] = {
        {"tmpfs", "tmpfs", "/tmp", false, false, TDriveType::drtRamDisk},
        {"ramfs", "none", "/mnt/r", false, false, TDriveType::drtRamDisk},
        {"nfs4", "server:/export", "/net", false, false, TDriveType::drtRemote},
        {"cifs", "//server/share", "/mnt/s", false, false, TDriveType::drtRemote},
        {"fuse.sshfs", "me@host:", "/mnt/h", false, false, TDriveType::drtRemote},
        {"9p", "share", "/mnt/9", false, false, TDriveType::drtRemote},
        {"iso9660", "/dev/loop3", "/mnt/iso", true, false, TDriveType::drtCDRom},
        {"udf", "/dev/sr0", "/media/dvd", true, true, TDriveType::drtCDRom},
        {"vfat", "/dev/sr1", "/mnt/odd", true, false, TDriveType::drtCDRom},
        {"vfat", "/dev/sdb1", "/mnt/stick", true, true, TDriveType::drtRemovable},
        {"ext4", "/dev/sdc1", "/media/ann/DISK", true, false, TDriveType::drtRemovable},
        {"exfat", "/dev/sdc2", "/run/media/ann/CARD", true, false, TDriveType::drtRemovable},
        {"ext4", "/dev/sda1", "/", true, false, TDriveType::drtFixed},
        {"overlay", "overlay", "/", false, false, TDriveType::drtUnknown},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.type) + " " + row.source + " on " + row.mountPoint);
        MountEntry mount;
        mount.fsType = row.type;
        mount.source = row.source;
        mount.mountPoint = row.mountPoint;
        EXPECT_EQ(DriveKindOf(mount, row.block, row.removable), row.expected);
    }
}

// A system of our own: sysfs device links, udev label and UUID links and mount
// points in a scratch folder.
class FakeSystem {
public:
    FakeSystem() {
        Folder("sys/devices/vda/vda1");
        Text("sys/devices/vda/removable", "0\n");
        Folder("sys/devices/sdb/sdb1");
        Text("sys/devices/sdb/removable", "1\n");
        Folder("sys/dev/block");
        Folder("disk/by-label");
        Folder("disk/by-uuid");
        fs::create_directory_symlink("../../devices/vda/vda1", Path("sys/dev/block/254:1"));
        fs::create_directory_symlink("../../devices/sdb/sdb1", Path("sys/dev/block/8:17"));
        fs::create_symlink("../../vda1", Path("disk/by-label/DATA"));
        fs::create_symlink("../../sdb1", Path("disk/by-label/My\\x20Stick"));
        fs::create_symlink("../../sdb1", Path("disk/by-uuid/1234-ABCD"));
        sources.mountInfo = Path("mountinfo");
        sources.sysDevBlock = Path("sys/dev/block");
        sources.diskByLabel = Path("disk/by-label");
        sources.diskByUuid = Path("disk/by-uuid");
    }
    std::string Path(const std::string& name) const { return mRoot / name; }
    void Folder(const std::string& name) const { fs::create_directories(Path(name)); }
    void Text(const std::string& name, const std::string& text) const {
        test::WriteTextFile(Path(name), text);
    }

    DriveSources sources;

private:
    TempDir mRoot;
};

TEST(DriveTable, ReadsVisibleDrivesInOrderWithKindsLabelsAndCaptions) {
    FakeSystem system;
    for (const char* folder : {"data", "stick", "ram", "hidden"}) {
        system.Folder(std::string("mnt/") + folder);
    }
    system.Text("hosts", "");
    const std::string mnt = system.Path("mnt");
    const std::string text =
        Line(20, "0:21", "/proc", "proc", "proc") + Line(21, "0:22", "/sys", "sysfs", "sysfs") +
        Line(22, "0:23", "/run/user/1000", "tmpfs", "tmpfs") +
        Line(23, "7:1", "/snap/core/17", "squashfs", "/dev/loop1") +
        Line(24, "254:1", mnt + "/stick", "ext4", "/dev/vda1") + // covered below
        Line(25, "8:17", mnt + "/stick", "vfat", "/dev/sdb1") +
        Line(26, "254:1", mnt + "/data", "ext4", "/dev/vda1") +
        Line(27, "0:40", mnt + "/ram", "tmpfs", "tmpfs") +
        Line(28, "0:41", "/net/server", "nfs4", "server:/export") +
        Line(29, "254:1", system.Path("hosts"), "ext4", "/dev/vda1") +
        Line(30, "0:42", "/", "overlay", "overlay");
    system.Text("mountinfo", text);

    const DriveTable table = DriveTable::Read(system.sources);
    struct Expected {
        std::string path;
        TDriveType type;
        std::string caption;
        std::string uuid;
    };
    const std::vector<Expected> expected = {
        {"/", TDriveType::drtUnknown, "(/)", ""},
        {"/net/server/", TDriveType::drtRemote, "(/net/server)", ""},
        {mnt + "/data/", TDriveType::drtFixed, "DATA (" + mnt + "/data)", ""},
        {mnt + "/ram/", TDriveType::drtRamDisk, "(" + mnt + "/ram)", ""},
        {mnt + "/stick/", TDriveType::drtRemovable, "My Stick (" + mnt + "/stick)", "1234-ABCD"},
    };
    ASSERT_EQ(table.Drives().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Drive& drive = table.Drives()[i];
        SCOPED_TRACE(drive.path);
        EXPECT_EQ(drive.path, expected[i].path);
        EXPECT_EQ(drive.type, expected[i].type);
        EXPECT_EQ(DriveCaption(drive), expected[i].caption);
        EXPECT_EQ(drive.uuid, expected[i].uuid);
    }
    EXPECT_EQ(DriveSerial(table.Drives()[4]), "1234-ABCD");
    EXPECT_EQ(table.DriveOf(mnt + "/data/photos/")->path, mnt + "/data/");
    EXPECT_EQ(table.DriveOf(mnt + "/data2/")->path, "/");
    EXPECT_EQ(table.OfTypes({TDriveType::drtFixed}).Drives().size(), 1u);
}

TEST(DriveTable, SerialIsTheUuidElseTheFileSystemIdElseMinusOne) {
    Drive withUuid;
    withUuid.path = "/nonexistent-pixmoth/";
    withUuid.uuid = "1234-ABCD";
    EXPECT_EQ(DriveSerial(withUuid), "1234-ABCD");
    Drive root;
    root.path = "/";
    EXPECT_EQ(DriveSerial(root).size(), 16u);
    Drive gone;
    gone.path = "/nonexistent-pixmoth/";
    EXPECT_EQ(DriveSerial(gone), kNoVolumeSerial);
}

// A real tmpfs, mounted in a private mount namespace by a child process,
// shows up as a RAM disk in the system's own table.
TEST(DriveTable, RealTmpfsMountIsARamDisk) {
    TempDir root;
    const std::string folder = root / "ram";
    fs::create_directory(folder);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::string report = test::MountPrivateTmpfs(folder);
        int status = report.empty() ? 0 : 77;
        if (status == 0) {
            const DriveTable table = DriveTable::Read();
            const Drive* drive = table.Find(folder + "/");
            if (drive == nullptr || drive->type != TDriveType::drtRamDisk ||
                DriveCaption(*drive) != "(" + folder + ")" ||
                DriveSerial(*drive) == kNoVolumeSerial) {
                report = drive == nullptr
                             ? "the tmpfs is not in the table"
                             : "wrong kind, caption or serial: " + DriveCaption(*drive);
                status = 1;
            }
        }
        (void)!::write(pipeEnds[1], report.data(), report.size());
        ::_exit(status);
    }
    ::close(pipeEnds[1]);
    std::string report;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << report;
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << report;
}

TEST(DriveTable, RootComesFirstThenMountPointsInByteOrder) {
    const std::vector<std::pair<std::string, std::string>> ordered = {
        {"/", "/a/"},           {"/", "/"},    {"/boot/", "/home/"}, {"/home/", "/home/ann/"},
        {"/home/", "/home-x/"}, {"/Z/", "/a/"}};
    for (const auto& [first, second] : ordered) {
        SCOPED_TRACE(first + " before " + second);
        EXPECT_EQ(DriveOrderBefore(first, second), first != second);
        EXPECT_FALSE(DriveOrderBefore(second, first));
    }
}

} // namespace
} // namespace pixmoth
