#include "platform/ProgramDirectory.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "imaging/Error.h"
#include "platform/Paths.h"

namespace pixmoth {

namespace {

bool NonEmpty(const std::optional<std::string>& value) {
    return value.has_value() && !value->empty();
}

} // namespace

std::string HomeDirectory(const Environment& environment) {
    const auto home = environment.Variable("HOME");
    return NonEmpty(home) ? WithTrailingSlash(*home) : std::string("/");
}

std::string ProgramDirectory(const Environment& environment,
                             const std::string& executableDirectory) {
    const auto own = environment.Variable("PIXMOTH_HOME");
    if (NonEmpty(own)) {
        return WithTrailingSlash(*own);
    }
    if (IsDirectory(executableDirectory) && ::access(executableDirectory.c_str(), W_OK) == 0) {
        return WithTrailingSlash(executableDirectory);
    }
    // The XDG rules ignore a relative XDG_DATA_HOME.
    const auto data = environment.Variable("XDG_DATA_HOME");
    if (NonEmpty(data) && data->front() == '/') {
        return WithTrailingSlash(*data) + "Pixmoth/";
    }
    return HomeDirectory(environment) + ".local/share/Pixmoth/";
}

void EnsureDirectory(const std::string& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (!IsDirectory(directory)) {
        throw Error("Could not create " + directory);
    }
}

std::string ExecutablePath() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.string();
}

std::string ExecutableDirectory() {
    const std::string self = ExecutablePath();
    if (self.empty()) {
        std::error_code error;
        return WithTrailingSlash(std::filesystem::current_path(error).string());
    }
    return DirectoryPart(self);
}

} // namespace pixmoth
