#pragma once

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "browse/thumbnails/ThumbnailSource.h"
#include "cli/CommandLine.h"

// The commands of pixmoth-cli. Each reads its words from a CommandLine, times the
// operation itself (not decoding or writing) with the Stopwatch, and throws an
// Error with a message for the user on any failure, before anything is written.
namespace pixmoth::cli {

class Stopwatch {
public:
    void Start() { mStart = std::chrono::steady_clock::now(); }
    void Stop() { mTotal += std::chrono::steady_clock::now() - mStart; }
    double Milliseconds() const {
        return std::chrono::duration<double, std::milli>(mTotal).count();
    }

private:
    std::chrono::steady_clock::time_point mStart{};
    std::chrono::steady_clock::duration mTotal{};
};

struct Command {
    std::string name;
    std::string usage;
    std::set<std::string> valuedOptions;
    std::set<std::string> flags; // --time is always accepted
    void (*run)(const CommandLine& line, Stopwatch& stopwatch);
    // Whether the command needs the windowing toolkit (see HandOverToToolkit).
    bool toolkit = false;
};

const std::vector<Command>& AllCommands();

// The commands that need the windowing toolkit run in pixmoth-cli-qt, which
// pixmoth-cli starts in its own place with the same words (`words`, without
// the program's name): so the other commands start without loading the
// toolkit's libraries, which would cost every run several milliseconds and
// about 11 MB. Returns when the command is to run in this process: in
// pixmoth-cli-qt itself, in a build without the toolkit, or when
// pixmoth-cli-qt is not beside this program.
void HandOverToToolkit(const std::vector<std::string>& words);

void ApplyCommand(const CommandLine& line, Stopwatch& stopwatch);
void EnhanceCommand(const CommandLine& line, Stopwatch& stopwatch);
void ResampleCommand(const CommandLine& line, Stopwatch& stopwatch);
void IniCommand(const CommandLine& line, Stopwatch& stopwatch);
// Prints the instruction set the picture code uses, the processor's, and
// PIXMOTH_ISA when it is set.
void IsaCommand(const CommandLine& line, Stopwatch& stopwatch);
extern const char* const kIniUsage;
// The icon converter's Convert and Save: an icon or cursor file, or a glyph bitmap.
void IconCommand(const CommandLine& line, Stopwatch& stopwatch);
extern const char* const kIconUsage;

// Sets the shared random generator's seed from --seed when it is given.
void SeedFromOption(const CommandLine& line);
// Refuses an output name whose extension is not .jpg, .jpeg or .bmp before any
// work is done, so a typo never leaves a BMP file behind under another name.
void CheckOutputName(const std::string& path);

// One shot of the desktop (the X display, or a Wayland desktop through its
// screenshot portal) into the program directory's Shots/, as the
// capture overlay takes it; --time times the shot itself (not the screen grab).
void ShotCommand(const CommandLine& line, Stopwatch& stopwatch);
extern const char* const kShotUsage;

// The thumbnail list's listing of a directory: captions on stdout, --out
// writes the thumbnails side by side; --time times making the thumbnails.
void ThumbsCommand(const CommandLine& line, Stopwatch& stopwatch);
extern const char* const kThumbsUsage;
// Runs `body` with a metafile renderer: the windowing toolkit set up
// off-screen (text needs its fonts) for as long as `body` runs. Built without
// the toolkit the renderer is empty and metafiles get blank thumbnails.
void WithMetafileRenderer(const std::function<void(const WmfRenderer&)>& body);

// Moves files into a folder as a drop on a folder of the directory tree does:
// never replacing a file there; the files that cannot be moved are listed in
// the error, after the others were moved. --time times the moves.
void MoveCommand(const CommandLine& line, Stopwatch& stopwatch);
extern const char* const kMoveUsage;

} // namespace pixmoth::cli
