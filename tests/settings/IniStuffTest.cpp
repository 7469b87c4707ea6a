#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TempDir.h"
#include "imaging/bitmap/Error.h"
#include "settings/IniStuff.h"

namespace pixmoth {
namespace {

using test::ReadTextFile;
using test::TempDir;
using test::WriteTextFile;

// Collects what EnsureIniFile would show, for the life of one test.
class CapturedMessages {
public:
    CapturedMessages() {
        mPrevious = SetIniMessageSink([this](const std::string& m) { messages.push_back(m); });
    }
    ~CapturedMessages() { SetIniMessageSink(mPrevious); }
    std::vector<std::string> messages;

private:
    IniMessageSink mPrevious;
};

std::vector<std::string> Entries(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(IniStuff, FirstUseCreatesTheDirectoryAndAnEmptyFileThenGivesDefaults) {
    TempDir temp;
    const std::string file = temp / "Program/Pixmoth.ini";
    CapturedMessages captured;
    EXPECT_EQ(IniReadString(file, "Start with", "StartDir", "/home/u/"), "/home/u/");
    EXPECT_EQ(ReadTextFile(file), "");
    EXPECT_EQ(IniReadInteger(file, "Bounds", "Left", 10), 10);
    EXPECT_TRUE(captured.messages.empty());

    IniWriteString(file, "Start with", "StartDir", "/pictures/");
    IniWriteInteger(file, "Bounds", "Left", -5);
    EXPECT_EQ(ReadTextFile(file), "[Start with]\nStartDir=/pictures/\n\n[Bounds]\nLeft=-5\n");
    EXPECT_EQ(IniReadInteger(file, "BOUNDS", "left", 10), -5);
    // Written through a temporary file that is gone afterwards.
    EXPECT_EQ(Entries(temp / "Program"), std::vector<std::string>{"Pixmoth.ini"});
}

TEST(IniStuff, WritesKeepTheRestOfTheFileAndMoveRewrittenStringsToTheEnd) {
    TempDir temp;
    const std::string file = temp / "a.ini";
    const std::string original = "; mine\r\n[Save Dir]\r\nvalue = /old/\r\nother=1\r\n\r\n"
                                 "[Bounds]\r\nLeft=1\r\nTop=2\r\n";
    WriteTextFile(file, original);
    IniWriteString(file, "save dir", "VALUE", "/new/");
    IniWriteInteger(file, "Bounds", "Left", 0x20);
    EXPECT_EQ(ReadTextFile(file), "; mine\r\n[Save Dir]\r\nother=1\r\nVALUE=/new/\r\n\r\n"
                                  "[Bounds]\r\nLeft=32\r\nTop=2\r\n");
    IniWriteString(file, "Save Dir", "value", "/newer/");
    const std::string text = ReadTextFile(file);
    EXPECT_EQ(text.find("/new/"), std::string::npos);
    EXPECT_EQ(text.find("alue="), text.rfind("alue=")) << text;
}

TEST(IniStuff, AChangeByAnotherProgramIsSeenOnTheNextCall) {
    TempDir temp;
    const std::string file = temp / "a.ini";
    IniWriteInteger(file, "Bounds", "Top", 1);
    EXPECT_EQ(IniReadInteger(file, "Bounds", "Top", 10), 1);
    WriteTextFile(file, "[Bounds]\nTop=$10\n");
    EXPECT_EQ(IniReadInteger(file, "Bounds", "Top", 10), 16);
    IniWriteInteger(file, "Bounds", "Left", 3);
    EXPECT_EQ(ReadTextFile(file), "[Bounds]\nTop=$10\nLeft=3\n");
}

TEST(IniStuff, AnUncreatableDirectoryRaisesAndLeavesNothing) {
    TempDir temp;
    WriteTextFile(temp / "plain", "not a directory");
    const std::string file = temp / "plain/sub/x.ini";
    const std::string directory = temp / "plain/sub";
    for (int call = 0; call < 2; ++call) {
        try {
            if (call == 0) {
                IniReadInteger(file, "s", "k", 1);
            } else {
                IniWriteString(file, "s", "k", "v");
            }
            ADD_FAILURE() << "no error for call " << call;
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "Could not create " + directory);
        }
    }
    EXPECT_EQ(ReadTextFile(temp / "plain"), "not a directory");
}

// The file cannot be created: shown as a message, then reads give the default
// and writes fail with the ini writer's text.
void ExpectUncreatableFile(const std::string& file) {
    CapturedMessages captured;
    EXPECT_EQ(IniReadString(file, "s", "k", "default"), "default");
    EXPECT_EQ(captured.messages, std::vector<std::string>{"Could not create " + file});
    try {
        IniWriteInteger(file, "s", "k", 1);
        ADD_FAILURE() << "the write did not fail";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + file);
    }
}

TEST(IniStuff, AnUncreatableFileIsReportedAndReadsGiveDefaults) {
    TempDir temp;
    // A link into a missing directory cannot be created through, even by root.
    const std::string link = temp / "dangling.ini";
    ASSERT_EQ(::symlink((temp / "missing/x.ini").c_str(), link.c_str()), 0);
    ExpectUncreatableFile(link);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
}

TEST(IniStuff, AReadOnlyDirectoryIsReportedAndReadsGiveDefaults) {
    TempDir temp;
    ASSERT_EQ(::chmod(temp.Path().c_str(), 0555), 0);
    if (::access(temp.Path().c_str(), W_OK) == 0) {
        GTEST_SKIP() << "running with the right to write anywhere";
    }
    ExpectUncreatableFile(temp / "x.ini");
}

} // namespace
} // namespace pixmoth
