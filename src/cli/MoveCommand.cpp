#include <cstdint>
#include <string>
#include <vector>

#include "browse/FileMove.h"
#include "cli/Commands.h"
#include "imaging/bitmap/Error.h"
#include "platform/Paths.h"

namespace pixmoth::cli {

const char* const kMoveUsage = "pixmoth-cli move FILE... FOLDER";

void MoveCommand(const CommandLine& line, Stopwatch& stopwatch) {
    line.ExpectPositional(2, SIZE_MAX, kMoveUsage);
    const std::vector<std::string>& words = line.Positional();
    const std::string folder = WithTrailingSlash(words.back());
    if (!IsDirectory(folder)) {
        throw Error("Cannot move into \"" + words.back() + "\": it is not a folder");
    }
    std::vector<MoveFailure> failures;
    stopwatch.Start();
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (std::string reason = MoveIntoFolder(words[i], folder); !reason.empty()) {
            failures.push_back({words[i], std::move(reason)});
        }
    }
    stopwatch.Stop();
    if (!failures.empty()) {
        throw Error(MoveFailuresText(folder, failures));
    }
}

} // namespace pixmoth::cli
