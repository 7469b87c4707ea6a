#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "cli/CliRunner.h"

namespace pixmoth {
namespace {

using test::Outcome;
using test::ReadTextFile;
using test::RunCli;
using test::TempDir;
using test::WriteTextFile;

TEST(IniCli, WritesAndReadsBackStringsAndIntegers) {
    TempDir temp;
    const std::string file = temp / "Pixmoth.ini";
    EXPECT_EQ(RunCli(temp, {"ini", "write-string", file, "Start with", "StartDir", "/a b/"}).status,
              0);
    EXPECT_EQ(RunCli(temp, {"ini", "write-integer", file, "Bounds", "Left", "-5"}).status, 0);
    EXPECT_EQ(ReadTextFile(file), "[Start with]\nStartDir=/a b/\n\n[Bounds]\nLeft=-5\n");

    const Outcome text = RunCli(temp, {"ini", "read-string", file, "start WITH", "startdir", "x"});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out, "/a b/\n");
    EXPECT_EQ(RunCli(temp, {"ini", "read-integer", file, "Bounds", "Left", "10"}).out, "-5\n");
    EXPECT_EQ(RunCli(temp, {"ini", "read-integer", file, "Bounds", "Top", "10"}).out, "10\n");

    WriteTextFile(file, "[Bounds]\nLeft=0x20\nTop=abc\n");
    EXPECT_EQ(RunCli(temp, {"ini", "read-integer", file, "Bounds", "Left", "10"}).out, "32\n");
    EXPECT_EQ(RunCli(temp, {"ini", "read-integer", file, "Bounds", "Top", "10"}).out, "10\n");

    const Outcome timed =
        RunCli(temp, {"ini", "read-string", file, "Bounds", "Left", "", "--time"});
    EXPECT_EQ(timed.out, "0x20\n");
    EXPECT_EQ(timed.err.rfind("time: ", 0), 0u) << timed.err;
}

TEST(IniCli, BadArgumentsFailWithAMessageAndWriteNothing) {
    TempDir temp;
    const std::string file = temp / "Pixmoth.ini";
    WriteTextFile(temp / "plain", "");
    struct Case {
        std::vector<std::string> words;
        const char* message;
    };
    const std::vector<Case> cases = {
        {{"ini", "write-integer", file, "Bounds", "Left", "abc"}, "VALUE must be a whole number"},
        {{"ini", "write-integer", file, "Bounds", "Left", "9999999999"}, "out of range"},
        {{"ini", "read-integer", file, "Bounds", "Left", "ten"}, "DEFAULT must be a whole number"},
        {{"ini", "write-string", file, "Bounds", "a=b", "1"}, "Invalid settings key name"},
        {{"ini", "remove", file, "Bounds", "Left", "1"}, "Unknown ini action"},
        {{"ini", "read-string", file, "Bounds"}, "usage:"},
        {{"ini", "read-string", temp / "plain/sub/x.ini", "s", "k", ""}, "Could not create "},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunCli(temp, c.words);
        EXPECT_EQ(outcome.status, 1) << c.message;
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
        EXPECT_TRUE(outcome.out.empty()) << c.message;
        EXPECT_FALSE(std::filesystem::exists(file)) << c.message;
    }
}

} // namespace
} // namespace pixmoth
