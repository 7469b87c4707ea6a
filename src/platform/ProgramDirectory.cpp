#include "platform/ProgramDirectory.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "imaging/bitmap/Error.h"
#include "platform/Paths.h"

namespace pixmoth {

namespace {

namespace fs = std::filesystem;

const char* const kHelpPage = "Pixmoth.html";

bool NonEmpty(const std::optional<std::string>& value) {
    return value.has_value() && !value->empty();
}

// Symbolic links resolved, so /usr/local reached through a link still counts,
// and without a trailing separator, so paths compare component by component.
fs::path Resolved(const std::string& directory) {
    std::error_code error;
    fs::path path = fs::weakly_canonical(directory, error);
    if (error) {
        path = fs::path(directory).lexically_normal();
    }
    return path.has_filename() ? path : path.parent_path();
}

// By whole components: /usrlocal is not inside /usr. The root holds everything,
// so a prefix of "/" says nothing and is left out.
bool IsInside(const fs::path& path, const fs::path& root) {
    if (root.empty() || root == root.root_path()) {
        return false;
    }
    return std::mismatch(root.begin(), root.end(), path.begin(), path.end()).first == root.end();
}

std::string InstalledDataDirectory(const std::string& executableDirectory,
                                   const InstallLayout& layout) {
    if (layout.dataFromBin.empty()) {
        return {};
    }
    const std::string data =
        WithTrailingSlash((fs::path(WithTrailingSlash(executableDirectory)) / layout.dataFromBin)
                              .lexically_normal()
                              .string());
    return IsRegularFile(data + kHelpPage) ? data : std::string();
}

bool IsInstallLocation(const std::string& executableDirectory, const InstallLayout& layout) {
    const fs::path directory = Resolved(executableDirectory);
    for (const char* system : {"/usr", "/opt", "/bin", "/sbin"}) {
        if (IsInside(directory, system)) {
            return true;
        }
    }
    return (!layout.prefix.empty() && IsInside(directory, Resolved(layout.prefix))) ||
           !InstalledDataDirectory(executableDirectory, layout).empty();
}

} // namespace

InstallLayout BuiltInstallLayout() {
    return {PIXMOTH_INSTALL_PREFIX, PIXMOTH_DATA_FROM_BIN};
}

std::string HomeDirectory(const Environment& environment) {
    const auto home = environment.Variable("HOME");
    return NonEmpty(home) ? WithTrailingSlash(*home) : std::string("/");
}

std::string ProgramDirectory(const Environment& environment, const std::string& executableDirectory,
                             const InstallLayout& layout) {
    const auto own = environment.Variable("PIXMOTH_HOME");
    if (NonEmpty(own)) {
        return WithTrailingSlash(*own);
    }
    if (IsDirectory(executableDirectory) && ::access(executableDirectory.c_str(), W_OK) == 0 &&
        !IsInstallLocation(executableDirectory, layout)) {
        return WithTrailingSlash(executableDirectory);
    }
    // The XDG rules ignore a relative XDG_DATA_HOME.
    const auto data = environment.Variable("XDG_DATA_HOME");
    if (NonEmpty(data) && data->front() == '/') {
        return WithTrailingSlash(*data) + "Pixmoth/";
    }
    return HomeDirectory(environment) + ".local/share/Pixmoth/";
}

std::string HelpPagePath(const std::string& programDirectory,
                         const std::string& executableDirectory, const InstallLayout& layout) {
    const std::string installed = InstalledDataDirectory(executableDirectory, layout);
    return (installed.empty() ? WithTrailingSlash(programDirectory) : installed) + kHelpPage;
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
