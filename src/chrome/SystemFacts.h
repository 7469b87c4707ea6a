#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pixmoth {

// The facts the about box's information button shows, and their text.
struct SystemFacts {
    std::string platform;              // the kernel's name, "Linux"
    std::string release;               // the kernel's release, "6.1.0-18-amd64"
    std::uint64_t totalMemory = 0;     // bytes of physical memory
    std::uint64_t availableMemory = 0; // bytes that programs can still have
};

struct DriveSpace {
    std::string name; // the mount point
    std::uint64_t freeBytes = 0;
};

// The running system: uname, sysinfo, and MemAvailable of /proc/meminfo (the
// free memory plus what the kernel can drop from its caches) where the kernel
// reports it, otherwise sysinfo's free memory.
SystemFacts ReadSystemFacts();

// MemAvailable of a /proc/meminfo text in bytes; nullopt when it has none.
std::optional<std::uint64_t> MemAvailableOf(const std::string& meminfo);

// "6.1.0-18-amd64" -> "6.1   Build : 0": the first three numbers of the
// release; missing ones count as 0.
std::string VersionText(const std::string& release);
// "Tot: 524288 KB     Avl: 204800 KB": both in KiB, truncated.
std::string MemoryText(std::uint64_t totalBytes, std::uint64_t availableBytes);
// The free space of each drive as "NAME: N MB  " (MiB, truncated), the first
// four in the first line and the others in the second.
std::vector<std::string> DriveLines(const std::vector<DriveSpace>& drives);
// The whole message: platform, version, memory, then the two drive lines,
// each line ended by "\n\r" but the last.
std::string InformationText(const SystemFacts& facts, const std::vector<DriveSpace>& drives);

} // namespace pixmoth
