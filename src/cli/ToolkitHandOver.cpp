#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/Commands.h"
#include "imaging/bitmap/Error.h"
#include "platform/ProgramDirectory.h"

namespace pixmoth::cli {

// pixmoth-cli-qt is installed and built beside pixmoth-cli, so it sees the
// same program directory (Shots/ and the rest).
void HandOverToToolkit(const std::vector<std::string>& words) {
    const std::string self = ExecutablePath();
    const auto slash = self.rfind('/');
    if (slash == std::string::npos) {
        return;
    }
    const std::string helper = self.substr(0, slash + 1) + "pixmoth-cli-qt";
    if (::access(helper.c_str(), X_OK) != 0) {
        return;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(helper.c_str()));
    for (const std::string& word : words) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    ::execv(helper.c_str(), argv.data());
    throw Error("Cannot start " + helper + ": " + std::strerror(errno));
}

} // namespace pixmoth::cli
