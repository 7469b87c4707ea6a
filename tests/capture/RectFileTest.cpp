#include <string>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "capture/RectFile.h"

namespace pixmoth {
namespace {

using test::ReadTextFile;
using test::WriteTextFile;

TEST(RectFileTest, NewFileListsRightLeftTopBottomInThatOrder) {
    test::TempDir dir;
    const std::string file = dir / "kept.rec";
    // Dragged from (300, 200) to (100, 50): corners are stored as dragged.
    SaveRectFile(file, {300, 200, 100, 50});
    EXPECT_EQ(ReadTextFile(file), "[Rectangle]\nRight=100\nLeft=300\nTop=200\nBottom=50\n");
}

TEST(RectFileTest, RoundTripKeepsCornerOrderAndSigns) {
    test::TempDir dir;
    const std::string file = dir / "kept.rec";
    const Rect rect{-1280, 1079, -5, -2147483647 - 1};
    SaveRectFile(file, rect);
    EXPECT_EQ(LoadRectFile(file), rect);
}

TEST(RectFileTest, SavingTwiceLeavesOneSectionWithTheLatestValues) {
    test::TempDir dir;
    const std::string file = dir / "kept.rec";
    SaveRectFile(file, {1, 2, 3, 4});
    SaveRectFile(file, {10, 20, 30, 40});
    EXPECT_EQ(ReadTextFile(file), "[Rectangle]\nRight=30\nLeft=10\nTop=20\nBottom=40\n");
}

TEST(RectFileTest, OtherEntriesOfAnExistingFileAreKept) {
    test::TempDir dir;
    const std::string file = dir / "kept.rec";
    WriteTextFile(file, "; my rectangle\n[Rectangle]\nLeft=7\nNote=desk\n[Other]\nA=1\n");
    SaveRectFile(file, {10, 20, 30, 40});
    EXPECT_EQ(ReadTextFile(file),
              "; my rectangle\n[Rectangle]\nLeft=10\nNote=desk\nRight=30\nTop=20\nBottom=40\n"
              "[Other]\nA=1\n");
}

struct ReadCase {
    const char* name;
    const char* text;
    Rect rect;
};

const ReadCase kReadCases[] = {
    {"AllFour", "[Rectangle]\nLeft=1\nTop=2\nRight=3\nBottom=4\n", {1, 2, 3, 4}},
    {"MissingKeysReadZero", "[Rectangle]\nRight=640\n", {0, 0, 640, 0}},
    {"NotANumberReadsZero", "[Rectangle]\nLeft=abc\nTop=12px\nRight=3\nBottom=4\n", {0, 0, 3, 4}},
    {"OtherSectionIsNotRead", "[Rect]\nLeft=1\nTop=2\nRight=3\nBottom=4\n", {0, 0, 0, 0}},
    {"EmptyFile", "", {0, 0, 0, 0}},
    {"CaseOfNamesDoesNotMatter", "[rectangle]\nleft=5\nTOP=6\nRight=7\nbottom=8\n", {5, 6, 7, 8}},
};

class RectFileReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RectFileReadTest, Reads) {
    test::TempDir dir;
    const std::string file = dir / "kept.rec";
    WriteTextFile(file, GetParam().text);
    EXPECT_EQ(LoadRectFile(file), GetParam().rect);
}

INSTANTIATE_TEST_SUITE_P(Cases, RectFileReadTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RectFileTest, MissingFileReadsAllZero) {
    test::TempDir dir;
    EXPECT_EQ(LoadRectFile(dir / "never-saved.rec"), Rect{});
}

} // namespace
} // namespace pixmoth
