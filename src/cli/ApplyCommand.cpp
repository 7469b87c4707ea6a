#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "cli/Commands.h"
#include "cli/Operations.h"
#include "imaging/bitmap/Error.h"
#include "imaging/bitmap/PixelMemoryWarmer.h"
#include "imaging/codecs/MappedBmp.h"
#include "imaging/codecs/PictureFile.h"

namespace pixmoth::cli {

void ApplyCommand(const CommandLine& line, Stopwatch& stopwatch) {
    const auto& words = line.Positional();
    const std::string usage = "pixmoth-cli apply OPERATION [VALUE] INPUT OUTPUT [--seed N]";
    line.ExpectPositional(3, 4, usage);
    const Operation* op = FindOperation(words[0]);
    if (op == nullptr) {
        std::string names;
        for (const Operation& known : AllOperations()) {
            names += (names.empty() ? "" : " ") + known.name;
        }
        throw Error("Unknown operation \"" + words[0] + "\"; operations: " + names);
    }
    const bool takesValue = op->value != Operation::Value::None;
    if (words.size() != (takesValue ? 4u : 3u)) {
        throw Error(takesValue ? "usage: pixmoth-cli apply " + op->name + " VALUE INPUT OUTPUT"
                               : "usage: pixmoth-cli apply " + op->name + " INPUT OUTPUT");
    }
    double value = 0;
    if (op->value == Operation::Value::Integer) {
        value = ParseInt(words[1], "VALUE");
    } else if (op->value == Operation::Value::Real) {
        value = ParseReal(words[1], "VALUE");
    }
    const std::string& input = words[takesValue ? 2 : 1];
    const std::string& output = words[takesValue ? 3 : 2];
    CheckOutputName(output);
    SeedFromOption(line);

    // A 24-bit BMP that the operation only reads is read where it lies, in
    // the page cache, instead of being copied into a picture first.
    std::unique_ptr<MappedBmp> mapped;
    if (op->runOnRows && PictureKindOf(input) == PictureKind::Bmp) {
        mapped = MappedBmp::Open(input);
    }
    // A fresh picture's first touch costs page faults; taken on the other core
    // while this one reads the input, they are off the critical path. A
    // mapped input takes no reading, and the turn's threads fault in their
    // own parts of the result side by side.
    std::optional<PixelMemoryWarmer> warmer;
    if (op->newPicture && !mapped) {
        if (const auto size = ReadPictureSize(input)) {
            warmer.emplace(std::max(RowBytes(size->width, PixelFormat::Bit24) *
                                        static_cast<std::size_t>(size->height),
                                    RowBytes(size->height, PixelFormat::Bit24) *
                                        static_cast<std::size_t>(size->width)));
        }
    }
    Bitmap picture;
    if (!mapped) {
        picture = LoadPicture(input);
    }
    if (warmer) {
        warmer->Wait();
    }
    stopwatch.Start();
    Bitmap result = mapped ? op->runOnRows(mapped->Rows()) : op->run(picture, value);
    stopwatch.Stop();
    if (mapped) {
        mapped->CheckIntact();
        mapped.reset(); // before the output, which may be the same file
    }
    SavePicture(result, output);
}

} // namespace pixmoth::cli
