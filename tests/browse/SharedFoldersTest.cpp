#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "browse/SharedFolders.h"

namespace pixmoth {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteTextFile;

TEST(SharedFolders, UsershareFilesGiveTheirPathLine) {
    const std::pair<const char*, const char*> rows[] = {
        {"#VERSION 2\npath=/home/ann/Public\ncomment=\nusershare_acl=S-1-1-0:R,\n",
         "/home/ann/Public"},
        {"path=/srv/with space\r\nsharename=x\r\n", "/srv/with space"},
        {"#VERSION 2\ncomment=path=/not/this\n", ""},
        {"", ""},
    };
    for (const auto& [text, path] : rows) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseUsersharePath(text), path);
    }
}

TEST(SharedFolders, ExportsGiveTheFirstFieldOfEachLine) {
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {"/srv/nfs 192.168.1.0/24(rw,sync)\n/home/ann\t*(ro)\n", {"/srv/nfs", "/home/ann"}},
        {"# comment\n\n   \n/a # trailing comment\n", {"/a"}},
        {"\"/srv/my share\" host(rw)\n/srv/other\\040share host\n",
         {"/srv/my share", "/srv/other share"}},
        {"/joined \\\n   host(rw)\n/next\r\n", {"/joined", "/next"}},
        {"relative host\n-rw /ignored\n\"/unclosed", {"/unclosed"}},
    };
    for (const auto& [text, paths] : rows) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseExports(text), paths);
    }
}

// Shares declared in every source mark exactly their own folders: not the
// folders above or below them, not a missing folder, not a file of another kind.
TEST(SharedFolders, MarkExactlyTheFoldersSharedThroughAnySource) {
    TempDir root;
    for (const char* folder :
         {"usershares", "exports.d", "pub/inner", "nfs", "my share", "plain", "other"}) {
        fs::create_directories(root / folder);
    }
    fs::create_directory_symlink(root / "other", root / "link");
    WriteTextFile(root / "usershares/pub", "#VERSION 2\npath=" + root / "pub" + "\n");
    WriteTextFile(root / "usershares/gone", "path=" + root / "missing" + "\n");
    WriteTextFile(root / "usershares/.lock", "path=" + root / "plain" + "\n");
    WriteTextFile(root / "exports", root / "nfs/" + " *(rw)\n");
    WriteTextFile(root / "exports.d/a.exports",
                  root.Path() + "/my\\040share host\n" + root / "link" + " host\n");
    WriteTextFile(root / "exports.d/b.conf", root / "plain" + " host\n");

    SharedFolders shares({root / "usershares", root / "exports", root / "exports.d"});
    EXPECT_TRUE(shares.Empty()); // nothing before Read
    shares.Read();
    const std::pair<const char*, bool> rows[] = {
        {"pub/", true},      {"pub", true},    {"pub/inner/", false}, {"nfs/", true},
        {"my share/", true}, {"other/", true}, {"link/", true},       {"plain/", false},
        {"missing/", false}, {"", false},
    };
    for (const auto& [folder, shared] : rows) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(shares.IsShared(root / folder), shared);
    }

    fs::remove(root / "usershares/pub");
    shares.Read();
    EXPECT_FALSE(shares.IsShared(root / "pub/"));
}

} // namespace
} // namespace pixmoth
