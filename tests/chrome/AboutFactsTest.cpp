#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeEnvironment.h"
#include "chrome/AboutLinks.h"
#include "chrome/BinaryClock.h"
#include "chrome/SystemFacts.h"

namespace pixmoth {
namespace {

TEST(BinaryClock, LampsSpellTheTimeFromTheHighestWeightDown) {
    const struct {
        int value;
        std::span<const int> weights;
        std::vector<bool> lit;
    } cases[] = {
        {13, kHourWeights, {false, true, true, false, true}},          // 8 4 1
        {37, kMinuteWeights, {true, false, false, true, false, true}}, // 32 4 1
        {5, kSecondWeights, {false, false, false, true, false, true}}, // 4 1
        {0, kHourWeights, {false, false, false, false, false}},
        {23, kHourWeights, {true, false, true, true, true}},         // 16 4 2 1
        {59, kSecondWeights, {true, true, true, false, true, true}}, // 32 16 8 2 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(BinaryLamps(c.value, c.weights), c.lit);
    }
}

TEST(SystemFacts, MemoryIsCountedInWholeKilobytesWithoutOverflow) {
    constexpr std::uint64_t MiB = 1024 * 1024;
    EXPECT_EQ(MemoryText(512 * MiB, 200 * MiB), "Tot: 524288 KB     Avl: 204800 KB");
    EXPECT_EQ(MemoryText(64 * 1024 * MiB, 1023), "Tot: 67108864 KB     Avl: 0 KB");
}

TEST(SystemFacts, VersionTakesTheReleasesFirstThreeNumbers) {
    const struct {
        const char* release;
        const char* text;
    } cases[] = {
        {"6.1.0-18-amd64", "6.1   Build : 0"},
        {"5.15.133.1-microsoft-standard-WSL2", "5.15   Build : 133"},
        {"6.8-rc2", "6.8   Build : 0"},
        {"6", "6.0   Build : 0"},
        {"", "0.0   Build : 0"},
        {"99999999999.1.2", "999999999.0   Build : 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.release);
        EXPECT_EQ(VersionText(c.release), c.text);
    }
}

TEST(SystemFacts, AvailableMemoryComesFromMeminfo) {
    EXPECT_EQ(MemAvailableOf("MemTotal:  16000000 kB\nMemFree:  100 kB\nMemAvailable:  8000 kB\n"),
              8000u * 1024);
    EXPECT_EQ(MemAvailableOf("MemTotal:  16000000 kB\nMemFree:  100 kB\n"), std::nullopt);
}

TEST(SystemFacts, InformationTextListsFourDrivesInTheFirstLineAndTheRestInTheSecond) {
    constexpr std::uint64_t MiB = 1024 * 1024;
    const SystemFacts facts{"Linux", "6.1.0-18-amd64", 512 * MiB, 200 * MiB};
    const std::vector<DriveSpace> drives = {{"/", 1000 * MiB + MiB - 1},
                                            {"/boot", 300 * MiB},
                                            {"/home", 0},
                                            {"/media/usb", 7 * MiB},
                                            {"/srv", 12 * MiB}};
    EXPECT_EQ(InformationText(facts, drives),
              "You are probably Running Linux\n\r"
              "Version Info: 6.1   Build : 0\n\r"
              "Free Memory: Tot: 524288 KB     Avl: 204800 KB\n\r"
              "Free Hard disk Space: \n\r"
              "/: 1000 MB  /boot: 300 MB  /home: 0 MB  /media/usb: 7 MB  \n\r"
              "/srv: 12 MB  ");
    EXPECT_TRUE(InformationText(facts, {}).ends_with("Free Hard disk Space: \n\r\n\r"));
}

TEST(AboutLinks, MailGoesToTheMailProgramWithTheSubjectEncoded) {
    EXPECT_EQ(MailtoUri("me@example.org", "/opt/my app/pixmoth&x?ü"),
              "mailto:me@example.org?subject=/opt/my%20app/pixmoth%26x%3F%C3%BC");
    const struct {
        std::set<std::string> programs;
        const char* chosen;
    } cases[] = {
        {{"xdg-email", "xdg-open"}, "xdg-email"},
        {{"xdg-open"}, "xdg-open"},
        {{}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        test::FakeEnvironment environment;
        environment.programs = c.programs;
        const ProgramCall call = MailLinkCall(environment, "mailto:x");
        EXPECT_EQ(call.program, c.chosen);
        if (!call.program.empty()) {
            EXPECT_EQ(call.arguments, std::vector<std::string>{"mailto:x"});
        }
    }
}

} // namespace
} // namespace pixmoth
