#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <sys/uio.h>

namespace pixmoth {

// Reads a whole file; errors name the file ("Cannot open file \"...\": reason").
// Files larger than `maxBytes` are refused before anything is read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path,
                                        std::uint64_t maxBytes = std::uint64_t{2} << 30);

// Replaces `path` with `data` without ever leaving a damaged file behind: the
// data goes to a temporary file in the same directory, is flushed to disk and
// renamed over the target. On any failure the old file is untouched, the
// temporary file is removed and an Error names the file and the reason.
void WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size);
inline void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& data) {
    WriteFileAtomically(path, data.data(), data.size());
}
// The same with the file's bytes given as pieces written one after another, so
// that a writer need not join them into one buffer first.
void WriteFileAtomically(const std::string& path, const std::vector<iovec>& pieces);

} // namespace pixmoth
