#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ChildProcess.h"
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
// and writes fail with the ini writer's text. Returns what went otherwise.
std::string UncreatableFileFaults(const std::string& file) {
    CapturedMessages captured;
    std::string faults;
    if (IniReadString(file, "s", "k", "default") != "default") {
        faults += "the read did not give the default; ";
    }
    if (captured.messages != std::vector<std::string>{"Could not create " + file}) {
        faults += "not shown as \"Could not create\"; ";
    }
    try {
        IniWriteInteger(file, "s", "k", 1);
        faults += "the write did not fail";
    } catch (const Error& e) {
        if (e.what() != "Unable to write to " + file) {
            faults += e.what();
        }
    }
    return faults;
}

TEST(IniStuff, AnUncreatableFileIsReportedAndReadsGiveDefaults) {
    TempDir temp;
    // A link into a missing directory cannot be created through, even by root.
    const std::string link = temp / "dangling.ini";
    ASSERT_EQ(::symlink((temp / "missing/x.ini").c_str(), link.c_str()), 0);
    EXPECT_EQ(UncreatableFileFaults(link), "");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
}

TEST(IniStuff, AReadOnlyDirectoryIsReportedAndReadsGiveDefaults) {
    TempDir temp;
    ASSERT_EQ(::chmod(temp.Path().c_str(), 0555), 0);
    const test::ChildReport report = test::RunInChild([&]() -> std::string {
        if (std::string reason = test::BecomeOrdinaryUser(); !reason.empty()) {
            return reason;
        }
        return UncreatableFileFaults(temp / "x.ini");
    });
    if (report.Skipped()) {
        GTEST_SKIP() << report.text;
    }
    EXPECT_EQ(report.text, "");
    EXPECT_TRUE(Entries(temp.Path()).empty());
}

// Appended: GCC 12 warns wrongly (-Wrestrict) about "k" + std::to_string(n).
std::string Numbered(const char* prefix, int n) {
    std::string name = prefix;
    name += std::to_string(n);
    return name;
}

// Writer `who` of several at once: integers and strings on keys of its own.
void WriteManyKeys(const std::string& file, int who, int count) {
    const std::string section = Numbered("writer ", who);
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0) {
            IniWriteInteger(file, section, Numbered("k", i), i * 7);
        } else {
            IniWriteString(file, section, Numbered("k", i), std::to_string(i * 7));
        }
    }
}

void ExpectEveryKey(const std::string& file, int writers, int count) {
    for (int who = 0; who < writers; ++who) {
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(IniReadInteger(file, Numbered("writer ", who), Numbered("k", i), -1), i * 7)
                << "writer " << who << " key " << i;
        }
    }
}

TEST(IniStuff, ProcessesWritingAtOnceLoseNoUpdateAndReadersSeeWholeFiles) {
    constexpr int kWriters = 2;
    constexpr int kKeys = 40;
    TempDir temp;
    const std::string file = temp / "Pixmoth.ini";
    WriteTextFile(file, "[z]\nend=1\n");
    std::vector<pid_t> children;
    for (int who = 0; who < kWriters; ++who) {
        const pid_t child = ::fork();
        if (child == 0) {
            WriteManyKeys(file, who, kKeys);
            ::_exit(0);
        }
        children.push_back(child);
    }
    // Reads while they write: the last line of the file must always be there.
    int reads = 0;
    int running = kWriters;
    while (running > 0) {
        EXPECT_EQ(IniReadString(file, "z", "end", "half a file"), "1");
        ++reads;
        running = 0;
        for (const pid_t child : children) {
            running += ::waitpid(child, nullptr, WNOHANG) == 0 ? 1 : 0;
        }
    }
    ExpectEveryKey(file, kWriters, kKeys);
    EXPECT_EQ(Entries(temp.Path()), std::vector<std::string>{"Pixmoth.ini"});
    EXPECT_GT(reads, 1);
}

TEST(IniStuff, ThreadsWritingAtOnceLoseNoUpdate) {
    constexpr int kWriters = 4;
    constexpr int kKeys = 16;
    TempDir temp;
    const std::string file = temp / "Pixmoth.ini";
    std::vector<std::thread> threads;
    for (int who = 0; who < kWriters; ++who) {
        threads.emplace_back([&file, who] { WriteManyKeys(file, who, kKeys); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    ExpectEveryKey(file, kWriters, kKeys);
}

TEST(IniStuff, AnOrdinaryUserCannotReplaceAReadOnlySettingsFile) {
    TempDir temp;
    ASSERT_EQ(::chmod(temp.Path().c_str(), 0777), 0);
    const std::string file = temp / "Pixmoth.ini";
    WriteTextFile(file, "[Bounds]\nLeft=3\n");
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    const test::ChildReport report = test::RunInChild([&]() -> std::string {
        if (std::string reason = test::BecomeOrdinaryUser(); !reason.empty()) {
            return reason;
        }
        if (IniReadInteger(file, "Bounds", "Left", 10) != 3) {
            return "the file could not be read";
        }
        try {
            IniWriteInteger(file, "Bounds", "Left", 4);
        } catch (const Error& e) {
            return e.what() == "Unable to write to " + file ? "" : e.what();
        }
        return "the write succeeded";
    });
    if (report.Skipped()) {
        GTEST_SKIP() << report.text;
    }
    EXPECT_EQ(report.text, "");
    EXPECT_EQ(ReadTextFile(file), "[Bounds]\nLeft=3\n");
    EXPECT_EQ(Entries(temp.Path()), std::vector<std::string>{"Pixmoth.ini"});
}

} // namespace
} // namespace pixmoth
