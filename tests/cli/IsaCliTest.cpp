#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempDir.h"
#include "TestPictures.h"
#include "cli/CliRunner.h"
#include "imaging/bitmap/InstructionSet.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/FileIO.h"

namespace pixmoth {
namespace {

using test::Outcome;
using test::PatternBitmap;
using test::RunCli;
using test::TempDir;

// Runs pixmoth-cli with PIXMOTH_ISA set to `isa` (unset for null).
Outcome RunWithIsa(const TempDir& temp, const char* isa, const std::vector<std::string>& words) {
    if (isa != nullptr) {
        ::setenv("PIXMOTH_ISA", isa, 1);
    } else {
        ::unsetenv("PIXMOTH_ISA");
    }
    Outcome outcome = RunCli(temp, words);
    ::unsetenv("PIXMOTH_ISA");
    return outcome;
}

TEST(IsaCli, NamesTheSetInUseTheProcessorsAndWhatLoweredIt) {
    TempDir temp;
    const std::string processor = InstructionSetName(ProcessorInstructionSet());
    const std::string avx2 =
        InstructionSetName(std::min(ProcessorInstructionSet(), InstructionSet::Avx2));
    struct Case {
        const char* isa;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {nullptr, "instruction set: " + processor + " (processor: " + processor + ")\n"},
        {"", "instruction set: " + processor + " (processor: " + processor + ")\n"},
        {"plain", "instruction set: plain (processor: " + processor + "; PIXMOTH_ISA=plain)\n"},
        {"AVX2",
         "instruction set: " + avx2 + " (processor: " + processor + "; PIXMOTH_ISA=AVX2)\n"},
        {"avx-9", "instruction set: " + processor + " (processor: " + processor +
                      "; PIXMOTH_ISA=avx-9 names none of plain, ssse3, avx2, avx512 and is "
                      "ignored)\n"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunWithIsa(temp, c.isa, {"isa"});
        EXPECT_EQ(outcome.status, 0) << (c.isa ? c.isa : "unset");
        EXPECT_EQ(outcome.out, c.expected) << (c.isa ? c.isa : "unset");
    }
}

TEST(IsaCli, EveryInstructionSetWritesTheSameBytes) {
    TempDir temp;
    // Large enough to be split between threads.
    const std::string input = temp / "in.bmp";
    SaveBmp(PatternBitmap(701, 503, 9), input);
    const std::vector<std::vector<std::string>> commands = {
        {"resample", "Lanczos3", "333", "251"},
        {"resample", "Mitchell", "1401", "1007"},
        {"apply", "RotateRight"},
        {"apply", "GreyScale"},
        {"apply", "Saturation", "70"},
        {"apply", "Posterize", "30"},
    };
    for (const auto& command : commands) {
        std::vector<std::uint8_t> first;
        for (const char* isa : {"plain", "ssse3", "avx2", "avx512"}) {
            std::vector<std::string> words = command;
            words.push_back(input);
            words.push_back(temp / "out.bmp");
            const Outcome outcome = RunWithIsa(temp, isa, words);
            ASSERT_EQ(outcome.status, 0) << outcome.err;
            const std::vector<std::uint8_t> bytes = ReadFileBytes(temp / "out.bmp");
            if (first.empty()) {
                first = bytes;
            } else {
                EXPECT_TRUE(bytes == first) << command[0] << " " << command[1] << ", " << isa;
            }
        }
    }
}

} // namespace
} // namespace pixmoth
