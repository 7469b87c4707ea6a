#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "cli/CliRunner.h"

namespace pixmoth {
namespace {

using test::ReadTextFile;
using test::RunCli;
using test::TempDir;
using test::WriteTextFile;

// Every file that can go goes; the one whose name is taken stays, and so does
// the file of that name, and the error lists it with the reason.
TEST(MoveCli, MovesWhatItCanAndListsTheRest) {
    TempDir temp;
    std::filesystem::create_directories(temp / "into");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        WriteTextFile(temp / name, name);
    }
    WriteTextFile(temp / "into/b.jpg", "other");
    const test::Outcome outcome =
        RunCli(temp, {"move", temp / "a.jpg", temp / "b.jpg", temp / "c.jpg", temp / "into"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "pixmoth-cli: These files could not be moved to " + temp / "into/" +
                               ":\n\n" + temp / "b.jpg" +
                               ": a file of that name is already there\n");
    EXPECT_EQ(ReadTextFile(temp / "into/a.jpg"), "a.jpg");
    EXPECT_EQ(ReadTextFile(temp / "into/c.jpg"), "c.jpg");
    EXPECT_EQ(ReadTextFile(temp / "into/b.jpg"), "other");
    EXPECT_EQ(ReadTextFile(temp / "b.jpg"), "b.jpg");

    EXPECT_EQ(RunCli(temp, {"move", temp / "b.jpg"}).status, 1);
    const test::Outcome noFolder = RunCli(temp, {"move", temp / "b.jpg", temp / "none"});
    EXPECT_EQ(noFolder.err,
              "pixmoth-cli: Cannot move into \"" + temp / "none" + "\": it is not a folder\n");
}

} // namespace
} // namespace pixmoth
