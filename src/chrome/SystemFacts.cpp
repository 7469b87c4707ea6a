#include "chrome/SystemFacts.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include <sys/sysinfo.h>
#include <sys/utsname.h>

namespace pixmoth {

namespace {

constexpr std::size_t kDrivesInFirstLine = 4;

} // namespace

SystemFacts ReadSystemFacts() {
    SystemFacts facts;
    struct utsname names {};
    if (::uname(&names) == 0) {
        facts.platform = names.sysname;
        facts.release = names.release;
    }
    struct sysinfo memory {};
    if (::sysinfo(&memory) == 0) {
        facts.totalMemory = std::uint64_t{memory.totalram} * memory.mem_unit;
        facts.availableMemory = std::uint64_t{memory.freeram} * memory.mem_unit;
    }
    std::ifstream meminfo("/proc/meminfo");
    std::stringstream text;
    text << meminfo.rdbuf();
    if (const auto available = MemAvailableOf(text.str())) {
        facts.availableMemory = *available;
    }
    return facts;
}

std::optional<std::uint64_t> MemAvailableOf(const std::string& meminfo) {
    std::istringstream lines(meminfo);
    std::string line;
    while (std::getline(lines, line)) {
        unsigned long long kib = 0;
        char unit[4] = {};
        if (std::sscanf(line.c_str(), "MemAvailable: %llu %3s", &kib, unit) == 2 &&
            std::string(unit) == "kB") {
            return std::uint64_t{kib} * 1024;
        }
    }
    return std::nullopt;
}

std::string VersionText(const std::string& release) {
    int numbers[3] = {0, 0, 0};
    std::size_t at = 0;
    for (int& number : numbers) {
        std::size_t digits = at;
        while (digits < release.size() && release[digits] >= '0' && release[digits] <= '9' &&
               digits - at < 9) {
            number = number * 10 + (release[digits] - '0');
            ++digits;
        }
        // Only numbers joined by points count: "6.1-rc2" has no third one.
        if (digits == at || digits >= release.size() || release[digits] != '.') {
            break;
        }
        at = digits + 1;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%d.%d   Build : %d", numbers[0], numbers[1], numbers[2]);
    return text;
}

std::string MemoryText(std::uint64_t totalBytes, std::uint64_t availableBytes) {
    char text[96];
    std::snprintf(text, sizeof text, "Tot: %llu KB     Avl: %llu KB",
                  static_cast<unsigned long long>(totalBytes / 1024),
                  static_cast<unsigned long long>(availableBytes / 1024));
    return text;
}

std::vector<std::string> DriveLines(const std::vector<DriveSpace>& drives) {
    std::vector<std::string> lines(2);
    for (std::size_t i = 0; i < drives.size(); ++i) {
        char mebibytes[32];
        std::snprintf(mebibytes, sizeof mebibytes, ": %llu MB  ",
                      static_cast<unsigned long long>(drives[i].freeBytes / 1048576));
        lines[i < kDrivesInFirstLine ? 0 : 1] += drives[i].name + mebibytes;
    }
    return lines;
}

std::string InformationText(const SystemFacts& facts, const std::vector<DriveSpace>& drives) {
    const std::vector<std::string> driveLines = DriveLines(drives);
    const std::string lines[] = {"You are probably Running " + facts.platform,
                                 "Version Info: " + VersionText(facts.release),
                                 "Free Memory: " +
                                     MemoryText(facts.totalMemory, facts.availableMemory),
                                 "Free Hard disk Space: ",
                                 driveLines[0],
                                 driveLines[1]};
    std::string text = lines[0];
    for (std::size_t i = 1; i < std::size(lines); ++i) {
        text += "\n\r" + lines[i];
    }
    return text;
}

} // namespace pixmoth
