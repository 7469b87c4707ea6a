#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "TempDir.h"

// Runs the built pixmoth-cli (path in PIXMOTH_CLI) as a separate process.
namespace pixmoth::test {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs the built pixmoth-cli with `words`, collecting its exit status and output.
inline Outcome RunCli(const TempDir& temp, const std::vector<std::string>& words) {
    std::string command = Quoted(PIXMOTH_CLI);
    for (const std::string& word : words) {
        command += ' ';
        command += Quoted(word);
    }
    command += " >";
    command += Quoted(temp / "stdout");
    command += " 2>";
    command += Quoted(temp / "stderr");
    const int raw = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = ReadTextFile(temp / "stdout");
    outcome.err = ReadTextFile(temp / "stderr");
    return outcome;
}

} // namespace pixmoth::test
