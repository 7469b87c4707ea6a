#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeEnvironment.h"
#include "TempDir.h"
#include "browse/BrowseTestSupport.h"
#include "browse/FolderReader.h"
#include "browse/FolderRules.h"
#include "browse/NameOrder.h"
#include "browse/TreePaths.h"

namespace pixmoth {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(FolderRules, TrashFoldersAreListedButNothingBelowThem) {
    const std::string homeTrash = "/home/ann/.local/share/Trash/";
    struct Row {
        const char* path;
        bool below;
        bool trash;
    };
    const Row rows[] = {
        {"/home/ann/.local/share/Trash/", false, true},
        {"/home/ann/.local/share/Trash/files/", true, false},
        {"/home/ann/.local/share/Trash/files/old/", true, false},
        {"/media/stick/.Trash-1000/", false, true},
        {"/media/stick/.Trash-1000/files/", true, false},
        {"/srv/.Trash/", false, true},
        {"/srv/.Trash/1000/files/", true, false},
        {"/srv/.Trash-abc/files/", false, false},
        {"/srv/.trash/files/", false, false},
        {"/srv/Trash/files/", false, false},
        {"/home/ann/.local/share/Trashcan/", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(IsBelowTrash(row.path, homeTrash), row.below);
        EXPECT_EQ(IsTrashFolder(row.path, homeTrash), row.trash);
    }
}

TEST(FolderRules, HomeTrashFollowsXdgDataHomeWhenAbsolute) {
    struct Row {
        const char* dataHome; // nullptr: unset
        const char* expected;
    };
    const Row rows[] = {
        {nullptr, "/home/ann/.local/share/Trash/"},
        {"/data/ann", "/data/ann/Trash/"},
        {"/data/ann/", "/data/ann/Trash/"},
        {"relative/data", "/home/ann/.local/share/Trash/"},
        {"", "/home/ann/.local/share/Trash/"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dataHome == nullptr ? "unset" : row.dataHome);
        test::FakeEnvironment environment;
        environment.variables["HOME"] = "/home/ann";
        if (row.dataHome != nullptr) {
            environment.variables["XDG_DATA_HOME"] = row.dataHome;
        }
        EXPECT_EQ(HomeTrashFolder(environment), row.expected);
    }
}

TEST(FolderRules, AttributesAgainstDirTypes) {
    using enum TDirType;
    struct Row {
        TDirTypes types;
        bool plain;
        bool hidden;
    };
    const Row rows[] = {
        {{dtNormal}, true, false},
        {{dtNormal, dtHidden}, true, true},
        {{dtHidden}, false, true},
        {{dtAll}, true, true},
        {{dtNormal, dtAll}, true, true},
        {{dtReadOnly}, false, false},
        {{dtSystem, dtArchive}, false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(AcceptAttributes(faDirectory, row.types), row.plain);
        EXPECT_EQ(AcceptAttributes(faDirectory | faHidden, row.types), row.hidden);
    }
}

std::vector<std::string> Entries(const std::string& path, std::uint32_t attributes) {
    FolderReader reader(path);
    std::vector<std::string> names;
    TDirRec entry;
    while (reader.Next(entry)) {
        if (entry.attributes == attributes) {
            names.push_back(entry.name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FolderReader, ReportsFoldersLinksToFoldersAndDotNamesAsHidden) {
    TempDir root;
    fs::create_directories(root / "plain/sub");
    fs::create_directory(root / ".hidden");
    test::WriteTextFile(root / "file.jpg", "x");
    test::WriteTextFile(root / ".dotfile", "x");
    fs::create_directory_symlink(root / "plain", root / "link");
    fs::create_symlink(root / "missing", root / "dangling");

    EXPECT_EQ(Entries(root.Path(), faDirectory), (std::vector<std::string>{"link", "plain"}));
    EXPECT_EQ(Entries(root.Path(), faDirectory | faHidden), std::vector<std::string>{".hidden"});
    EXPECT_EQ(Entries(root.Path(), 0), (std::vector<std::string>{"dangling", "file.jpg"}));
    EXPECT_EQ(Entries(root.Path(), faHidden), std::vector<std::string>{".dotfile"});
    EXPECT_TRUE(Entries(root / "missing", faDirectory).empty());
    EXPECT_TRUE(Entries(root / "file.jpg", 0).empty());
}

TEST(FolderReader, UnreadableFolderHasNoEntries) {
    TempDir root;
    fs::create_directories(root / "locked/inside");
    fs::permissions(root.Path(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(root / "locked", fs::perms::none);
    struct Unlock {
        std::string folder;
        ~Unlock() { fs::permissions(folder, fs::perms::owner_all); }
    } unlock{root / "locked"};
    const test::AsNormalUser user;
    if (!user.Reason().empty()) {
        GTEST_SKIP() << user.Reason();
    }
    EXPECT_TRUE(Entries(root / "locked", faDirectory).empty());
    EXPECT_EQ(Entries(root.Path(), faDirectory), std::vector<std::string>{"locked"});
}

TEST(NameOrder, SortsIgnoringCaseAndTiesByBytes) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> rows = {
        {{"b", "A", "C"}, {"A", "b", "C"}},
        {{"a", "B", "A", "b"}, {"A", "a", "B", "b"}},
        {{"Zeta", "alpha", "Beta", "ALPHA2"}, {"alpha", "ALPHA2", "Beta", "Zeta"}},
        {{"x\xff", "X"}, {"X", "x\xff"}},
        {{}, {}},
    };
    for (const auto& [names, expected] : rows) {
        std::vector<std::string> sorted = names;
        SortNamesIgnoringCase(sorted);
        EXPECT_EQ(sorted, expected);
    }
}

TEST(TreePaths, LevelsPrefixesAndNormalForms) {
    EXPECT_EQ(CountSlashes("/home/ann/"), 3);
    EXPECT_EQ(PathPrefix("/home/ann/pics/", 1), "/");
    EXPECT_EQ(PathPrefix("/home/ann/pics/", 3), "/home/ann/");
    EXPECT_EQ(PathPrefix("/home/ann/pics/", 9), "/home/ann/pics/");
    EXPECT_EQ(RemoveTrailingSlash("/home/"), "/home");
    EXPECT_EQ(RemoveTrailingSlash("/"), "/");
    const std::pair<const char*, const char*> rows[] = {
        {"/home/ann", "/home/ann/"},
        {"/home//ann/./pics/../", "/home/ann/"},
        {"pics", "/base/pics/"},
        {"/", "/"},
        {"/..", "/"},
    };
    for (const auto& [path, expected] : rows) {
        EXPECT_EQ(NormalFolderPath(path, "/base/"), expected) << path;
    }
}

} // namespace
} // namespace pixmoth
