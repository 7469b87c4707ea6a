#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempDir.h"
#include "TestPictures.h"
#include "cli/CliRunner.h"
#include "icon/IconConversion.h"
#include "imaging/bitmap/Random.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/IconFile.h"
#include "imaging/codecs/JpegCodec.h"
#include "imaging/codecs/JpegTestFiles.h"
#include "imaging/codecs/PictureFile.h"
#include "imaging/codecs/PngCodec.h"
#include "imaging/effects/ColourEffects.h"
#include "imaging/effects/EnhancementTable.h"
#include "imaging/effects/TileEffects.h"
#include "imaging/effects/Transforms.h"
#include "imaging/resample/Resample.h"
#include "imaging/resample/ResampleFilters.h"

namespace pixmoth {
namespace {

using test::Outcome;
using test::PatternBitmap;
using test::RunCli;
using test::SamePicture;
using test::TempDir;

// Each case: the command's words around INPUT and OUTPUT, and the library call
// that must give the same picture.
struct PictureCase {
    const char* what;
    std::vector<std::string> before; // words before INPUT
    std::vector<std::string> after;  // words after OUTPUT
    std::function<Bitmap(Bitmap)> expected;
};

TEST(PictureCli, CommandsGiveExactlyTheLibrarysPictures) {
    TempDir temp;
    const Bitmap picture = PatternBitmap(37, 23);
    const std::string input = temp / "in.bmp";
    SaveBmp(picture, input);
    const std::vector<PictureCase> cases = {
        {"a turn",
         {"apply", "RotateRight"},
         {},
         [](Bitmap b) {
             Bitmap out;
             RotateRight(b, out);
             return out;
         }},
        {"an in-place transform",
         {"apply", "FlipDown"},
         {},
         [](Bitmap b) {
             FlipDown(b);
             return b;
         }},
        {"a source-and-destination effect",
         {"apply", "Posterize", "-3"},
         {},
         [](Bitmap b) {
             Bitmap out = b;
             Posterize(b, out, -3);
             return out;
         }},
        {"a real value",
         {"apply", "KeepRed", "1.5"},
         {},
         [](Bitmap b) {
             KeepRed(b, 1.5);
             return b;
         }},
        {"noise from seed 0, as at program start",
         {"apply", "AddColorNoise", "40"},
         {},
         [](Bitmap b) {
             SetRandSeed(0);
             AddColorNoise(b, 40);
             return b;
         }},
        {"noise from a given seed",
         {"apply", "AddMonoNoise", "40"},
         {"--seed", "4000000000"},
         [](Bitmap b) {
             SetRandSeed(4000000000u);
             AddMonoNoise(b, 40);
             return b;
         }},
        {"an enhancement entry",
         {"enhance", "23", "-2"},
         {},
         [](Bitmap b) {
             Bitmap work = b;
             RunEnhancement(23, -2, b, work);
             return work;
         }},
        {"a tile effect",
         {"apply", "TexturizeOverlap", "7"},
         {},
         [](Bitmap b) {
             TexturizeOverlap(b, 7);
             return b;
         }},
        {"a resample by name",
         {"resample", "mitchell", "11", "50"},
         {},
         [](Bitmap b) {
             Bitmap out(11, 50);
             const FilterEntry* filter = FindFilter("Mitchell");
             ResampleBitmap(b, out, filter->kernel, filter->support);
             return out;
         }},
    };
    for (const PictureCase& c : cases) {
        const std::string output = temp / "out.bmp";
        std::vector<std::string> words = c.before;
        words.push_back(input);
        words.push_back(output);
        words.insert(words.end(), c.after.begin(), c.after.end());
        const Outcome outcome = RunCli(temp, words);
        ASSERT_EQ(outcome.status, 0) << c.what << ": " << outcome.err;
        const Bitmap expected = c.expected(picture);
        Bitmap written = LoadBmp(output);
        written.To24Bit();
        EXPECT_TRUE(SamePicture(written, expected)) << c.what;
    }
}

TEST(PictureCli, TurnsOfABmpWriteTheFilesOfTurningTheLoadedPicture) {
    // A 24-bit BMP input is read in place, through a mapping of the file.
    TempDir temp;
    const std::string input = temp / "in.bmp";
    SaveBmp(PatternBitmap(301, 2003, 9), input);
    for (const char* turn : {"RotateRight", "RotateLeft"}) {
        Bitmap source = LoadBmp(input);
        Bitmap expected;
        (std::string(turn) == "RotateRight" ? RotateRight : RotateLeft)(source, expected);
        SaveBmp(expected, temp / "expected.bmp");
        for (const char* name : {"out.bmp", "out.png"}) {
            const Outcome outcome = RunCli(temp, {"apply", turn, input, temp / name});
            ASSERT_EQ(outcome.status, 0) << outcome.err;
        }
        EXPECT_EQ(ReadFileBytes(temp / "out.bmp"), ReadFileBytes(temp / "expected.bmp")) << turn;
        EXPECT_TRUE(SamePicture(LoadPicture(temp / "out.png"), expected)) << turn;
    }
}

TEST(PictureCli, ResampleOfAJpegGivesTheBytesOfTheWholeDecodedPicture) {
    // An upright JPEG streams through the resampler; one its Exif turns is
    // decoded whole first. Both must give what the library gives.
    TempDir temp;
    const Bitmap pattern = PatternBitmap(301, 203);
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < pattern.Height(); ++y) {
        for (int x = 0; x < pattern.Width(); ++x) {
            const std::uint8_t* p = pattern.ScanLine(y) + 3 * x;
            samples.insert(samples.end(), {p[2], p[1], p[0]});
        }
    }
    test::TestJpegOptions turned;
    turned.app1 = {test::ExifPayload(false, 6)};
    const std::string input = temp / "in.jpg";
    for (const auto& file : {EncodeJpeg(pattern), test::MakeTestJpeg(301, 203, samples, turned)}) {
        WriteFileAtomically(input, file);
        for (const char* filter : {"Lanczos3", "Box"}) {
            const Outcome outcome =
                RunCli(temp, {"resample", filter, "97", "61", input, temp / "out.bmp", "--time"});
            ASSERT_EQ(outcome.status, 0) << outcome.err;
            EXPECT_TRUE(std::regex_match(outcome.err, std::regex("time: [0-9]+\\.[0-9]{3} ms\n")))
                << outcome.err;
            Bitmap expected(97, 61);
            ResampleBitmap(LoadJpeg(input), expected, FindFilter(filter)->kernel,
                           FindFilter(filter)->support);
            EXPECT_TRUE(SamePicture(LoadBmp(temp / "out.bmp"), expected)) << filter;
        }
    }
}

TEST(PictureCli, WritesJpegByExtensionAndTimesTheOperation) {
    TempDir temp;
    const std::string input = temp / "in.bmp";
    SaveBmp(PatternBitmap(40, 30), input);
    const Outcome outcome =
        RunCli(temp, {"apply", "RotateLeft", input, temp / "out.JPEG", "--time"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(std::regex_match(outcome.err, std::regex("time: [0-9]+\\.[0-9]{3} ms\n")))
        << outcome.err;
    const Bitmap written = LoadJpeg(temp / "out.JPEG");
    EXPECT_EQ(written.Width(), 30);
    EXPECT_EQ(written.Height(), 40);
}

TEST(PictureCli, ReadsAndWritesPngLosslessly) {
    TempDir temp;
    Bitmap picture = PatternBitmap(37, 23);
    SavePng(picture, temp / "in.png");
    const Outcome outcome =
        RunCli(temp, {"apply", "RotateRight", temp / "in.png", temp / "out.PNG"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    Bitmap expected;
    RotateRight(picture, expected);
    EXPECT_TRUE(SamePicture(LoadPng(temp / "out.PNG"), expected));
}

TEST(PictureCli, BadCallsFailWithAMessageAndWriteNothing) {
    TempDir temp;
    const std::string input = temp / "in.bmp";
    SaveBmp(PatternBitmap(8, 8), input);
    const std::string out = temp / "out.bmp";
    const std::string missing = temp / "missing.bmp";
    const std::string fifo = temp / "fifo.bmp"; // no writer: reading it would wait for ever
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    struct Case {
        std::vector<std::string> words;
        const char* message; // a part of the error text
    };
    const std::vector<Case> cases = {
        {{"paint", input, out}, "Unknown command \"paint\""},
        {{"apply", "Blur", input, out}, "Unknown operation \"Blur\""},
        {{"apply", "Darken", input, out}, "usage: pixmoth-cli apply Darken VALUE INPUT OUTPUT"},
        {{"apply", "Invert", "3", input, out}, "usage: pixmoth-cli apply Invert INPUT OUTPUT"},
        {{"apply", "Darken", "ten", input, out}, "VALUE must be a whole number"},
        {{"apply", "Darken", "1.5", input, out}, "VALUE must be a whole number"},
        {{"apply", "Invert", missing, out}, "Cannot open file"},
        {{"apply", "Invert", input, temp / "out.gif"}, "must end in .jpg, .jpeg, .bmp or .png"},
        {{"apply", "Seamless", "0", input, out}, "Division by zero"},
        {{"apply", "Invert", input, out, "--colour"}, "Unknown option --colour"},
        {{"apply", "AddMonoNoise", "5", input, out, "--seed", "x"}, "--seed must be a whole"},
        {{"enhance", "24", "1", input, out}, "INDEX must lie between 0 and 23"},
        {{"resample", "Sharp", "4", "4", input, out}, "Unknown filter \"Sharp\""},
        {{"resample", "Box", "0", "4", input, out}, "WIDTH and HEIGHT must be at least 1"},
        // Limits of the result come before the input is read (it is missing here).
        {{"resample", "Box", "40000", "40000", missing, out},
         "(40000 x 40000 pixels) is too large for a BMP file"},
        // PNG has no such limit: the missing input is what fails.
        {{"resample", "Box", "40000", "40000", missing, temp / "out.png"}, "Cannot open file"},
        {{"resample", "Box", "70000", "10", missing, temp / "out.jpg"},
         "is too large for a JPEG file: a side may have at most 65500 pixels"},
        {{"resample", "Box", "20000000", "1", missing, out}, "a side may have at most 16777216"},
        {{"apply", "Invert", fifo, out}, "it is a FIFO (named pipe), not a regular file"},
        {{"icon", input, out, "--depth", "16"}, "--depth must be 32, 24, 8, 4 or 1, not 16"},
        {{"icon", input, out, "--size", "257"}, "--size must lie between 1 and 256"},
        {{"icon", input, out, "--transparent", "red"}, "--transparent must be a colour RRGGBB"},
        {{"icon", input, out, "--filter", "Sharp"}, "Unknown filter \"Sharp\""},
        {{"icon", input, temp / "out.png"}, "must end in .ico, .cur or .bmp"},
        {{"icon", input, temp / "no/such/out.ico"}, "Cannot write file"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunCli(temp, c.words);
        EXPECT_EQ(outcome.status, 1) << c.message;
        EXPECT_NE(outcome.err.find(c.message), std::string::npos)
            << "expected \"" << c.message << "\" in: " << outcome.err;
        EXPECT_EQ(outcome.err.rfind("pixmoth-cli: ", 0), 0u) << outcome.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.message;
        EXPECT_FALSE(std::filesystem::exists(temp / "out.png"));
    }
}

TEST(PictureCli, IconIsTheConvertersWithThePreviewsCornerTransparent) {
    TempDir temp;
    const std::string input = temp / "in.bmp";
    SaveBmp(PatternBitmap(50, 30), input);
    const Outcome outcome = RunCli(temp, {"icon", input, temp / "out.cur"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;

    // Size 32, 8 bits, Mitchell, aspect kept.
    Bitmap picture = PatternBitmap(50, 30);
    IconSettings settings;
    settings.transparent =
        ScaleToBox(picture, FilterTable[6], true, kPreviewWidth, kPreviewHeight).PixelColor(0, 0);
    std::vector<std::uint8_t> expected;
    ASSERT_EQ(EncodeIconFile(ConvertToIcon(picture, settings).icon, kIconDepth8, expected),
              kIconWritten);
    EXPECT_EQ(ReadFileBytes(temp / "out.cur"), expected);
}

TEST(PictureCli, AFailedWriteLeavesTheOldFileAsItWas) {
    TempDir temp;
    const std::string input = temp / "in.bmp";
    SaveBmp(PatternBitmap(8, 8), input);
    const Outcome outcome = RunCli(temp, {"apply", "Invert", input, temp / "no/such/dir/out.bmp"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("Cannot write file"), std::string::npos) << outcome.err;
}

} // namespace
} // namespace pixmoth
