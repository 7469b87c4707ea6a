#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "imaging/bitmap/Error.h"

namespace pixmoth::cli {

const char* const kShotUsage = "pixmoth-cli shot KEY [--rect LEFT,TOP,RIGHT,BOTTOM]";

const std::vector<Command>& AllCommands() {
    static const std::vector<Command> commands = {
        {"apply",
         "pixmoth-cli apply OPERATION [VALUE] INPUT OUTPUT [--seed N]",
         {"seed"},
         {},
         ApplyCommand},
        {"enhance",
         "pixmoth-cli enhance INDEX FACTOR INPUT OUTPUT [--seed N]",
         {"seed"},
         {},
         EnhanceCommand},
        {"resample",
         "pixmoth-cli resample FILTER WIDTH HEIGHT INPUT OUTPUT",
         {},
         {},
         ResampleCommand},
        {"ini", kIniUsage, {}, {}, IniCommand},
        {"isa", "pixmoth-cli isa", {}, {}, IsaCommand},
        {"move", kMoveUsage, {}, {}, MoveCommand},
        {"icon",
         kIconUsage,
         {"size", "depth", "filter", "transparent"},
         {"no-aspect"},
         IconCommand},
        {"shot", kShotUsage, {"rect"}, {}, ShotCommand, true},
        {"thumbs", kThumbsUsage, {"out"}, {}, ThumbsCommand, true},
    };
    return commands;
}

namespace {

std::string Usage() {
    std::string text = "usage:\n";
    for (const Command& command : AllCommands()) {
        text += "  " + command.usage + "\n";
    }
    return text + "Every command also takes --time (prints the operation's time on stderr).";
}

int Run(const std::vector<std::string>& words) {
    if (words.empty() || words[0] == "--help" || words[0] == "-h") {
        std::cout << Usage() << "\n";
        return words.empty() ? 1 : 0;
    }
    for (const Command& command : AllCommands()) {
        if (command.name == words[0]) {
            if (command.toolkit) {
                HandOverToToolkit(words);
            }
            std::set<std::string> flags = command.flags;
            flags.insert("time");
            const CommandLine line({words.begin() + 1, words.end()}, command.valuedOptions, flags);
            Stopwatch stopwatch;
            command.run(line, stopwatch);
            if (line.Flag("time")) {
                std::fprintf(stderr, "time: %.3f ms\n", stopwatch.Milliseconds());
            }
            return 0;
        }
    }
    throw Error("Unknown command \"" + words[0] + "\"\n" + Usage());
}

} // namespace
} // namespace pixmoth::cli

int main(int argc, char* argv[]) {
    try {
        return pixmoth::cli::Run({argv + 1, argv + argc});
    } catch (const std::exception& e) {
        std::cerr << "pixmoth-cli: " << e.what() << "\n";
        return 1;
    }
}
