#include <iostream>
#include <string>

#include "cli/Commands.h"
#include "imaging/bitmap/Error.h"
#include "settings/IniStuff.h"

namespace pixmoth::cli {

const char* const kIniUsage = "pixmoth-cli ini read-string FILE SECTION KEY DEFAULT\n"
                              "  pixmoth-cli ini read-integer FILE SECTION KEY DEFAULT\n"
                              "  pixmoth-cli ini write-string FILE SECTION KEY VALUE\n"
                              "  pixmoth-cli ini write-integer FILE SECTION KEY VALUE";

void IniCommand(const CommandLine& line, Stopwatch& stopwatch) {
    line.ExpectPositional(5, 5, kIniUsage);
    const auto& words = line.Positional();
    const std::string& action = words[0];
    const std::string& file = words[1];
    const std::string& section = words[2];
    const std::string& key = words[3];
    const std::string& last = words[4];

    if (action == "read-string") {
        stopwatch.Start();
        const std::string value = IniReadString(file, section, key, last);
        stopwatch.Stop();
        std::cout << value << "\n";
    } else if (action == "read-integer") {
        const int fallback = ParseInt(last, "DEFAULT");
        stopwatch.Start();
        const int value = IniReadInteger(file, section, key, fallback);
        stopwatch.Stop();
        std::cout << value << "\n";
    } else if (action == "write-string") {
        stopwatch.Start();
        IniWriteString(file, section, key, last);
        stopwatch.Stop();
    } else if (action == "write-integer") {
        const int value = ParseInt(last, "VALUE");
        stopwatch.Start();
        IniWriteInteger(file, section, key, value);
        stopwatch.Stop();
    } else {
        throw Error("Unknown ini action \"" + action + "\"\nusage: " + kIniUsage);
    }
}

} // namespace pixmoth::cli
