#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <sys/uio.h>

#include "imaging/bitmap/Error.h"

// Reading and writing whole files. Every file the program writes (pictures,
// settings, rectangle files, shots, icons, pages) goes through
// WriteFileAtomically, so that each gets the same care.
namespace pixmoth {

// Reads a whole regular file; errors name the file ("Cannot open file \"...\":
// reason"). Directories, FIFOs, devices and sockets are refused at once (see
// InputFile); files larger than `maxBytes` before anything is read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path,
                                        std::uint64_t maxBytes = std::uint64_t{2} << 30);
// The same into a string, for text files.
std::string ReadFileText(const std::string& path, std::uint64_t maxBytes = std::uint64_t{2} << 30);

// The file a write to `path` lands in: `path` itself, or the end of the chain
// of symbolic links starting there (which need not exist yet). Relative link
// contents are taken relative to the link's directory. Throws an Error for a
// loop of links.
std::string FollowSymbolicLinks(const std::string& path);

// What WriteFileAtomically throws, with the step that failed for callers that
// answer with result codes: making the new file (or opening the old one),
// writing the content, or putting the new file in place of the old one.
class FileWriteError : public Error {
public:
    enum class Step { Create, Write, Replace };
    FileWriteError(const std::string& message, Step step) : Error(message), mStep(step) {}
    Step FailedStep() const { return mStep; }

private:
    Step mStep;
};

// Replaces the file at `path` with `data`, never leaving a damaged file behind.
// Errors are FileWriteErrors reading "Cannot write file \"PATH\": reason"; on
// any of them the old file is as it was and no temporary file is left.
//
// - The data goes to a temporary file beside the target (".NAME.XXXXXX"), is
//   flushed to disk and renamed over the target; the directory is flushed too.
// - Symbolic links are followed: the link stays and the file it leads to is
//   replaced; a dangling link gets its target created.
// - An existing target that is not a regular file (directory, device, FIFO,
//   socket) is refused, and so is one the user may not write ("Permission
//   denied"), exactly where a plain write would fail.
// - The new file keeps the old one's permission bits, owner and group; a new
//   file gets 0666 less the umask.
// - A file with more than one hard link keeps its links, and a file whose
//   owner or group we cannot give a new file (someone else's file that we may
//   write) keeps them: once the new content is complete in the temporary file,
//   it is written over the old content in place. That is not atomic (a crash
//   in the middle leaves a mix, and a reader at that moment sees part of
//   each), but replacing the file would silently leave the other names with
//   the old content, or take the file from its owner. Space is reserved before the
//   old content is touched; should writing fail after that, the error says so
//   and names the temporary file, which is kept with the complete new content.
// - A file the user may write in a folder where no temporary file may be made
//   is rewritten in place the same way, without the copy, as a plain write
//   would do it.
// - SIGINT, SIGTERM and SIGHUP during the write remove the temporary file
//   before the process ends (see TempFile).
void WriteFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size);
inline void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& data) {
    WriteFileAtomically(path, data.data(), data.size());
}
// The same with the file's bytes given as pieces written one after another, so
// that a writer need not join them into one buffer first.
void WriteFileAtomically(const std::string& path, const std::vector<iovec>& pieces);

} // namespace pixmoth
