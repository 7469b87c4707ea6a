#pragma once

#include <string>

#include "platform/Environment.h"

// Where the program keeps Pixmoth.ini, Shots/ and its help page.
namespace pixmoth {

// How this build lays itself out when installed: the install prefix it was
// built for and its data folder (which holds the help page) as seen from the
// folder of the installed executable.
struct InstallLayout {
    std::string prefix;      // "/usr/local"
    std::string dataFromBin; // "../share/pixmoth/"
};

// The layout this build installs with (`cmake --install`).
InstallLayout BuiltInstallLayout();

// In this order: $PIXMOTH_HOME when set and not empty (tests, portable
// installs); the executable's directory when it is writable and no install
// location (a build tree or a copy unpacked in the user's own directory);
// otherwise $XDG_DATA_HOME/Pixmoth/, by default ~/.local/share/Pixmoth/.
// Install locations are /usr, /opt, /bin, /sbin, the layout's prefix, and any
// folder with the installed data folder beside it (an install into another
// prefix, such as ~/.local): an installed program never writes next to itself.
// Always with a trailing '/'.
std::string ProgramDirectory(const Environment& environment, const std::string& executableDirectory,
                             const InstallLayout& layout = BuiltInstallLayout());

// The help page "Pixmoth.html": the installed one when the executable runs from
// an install that ships it; otherwise the one in the program directory.
std::string HelpPagePath(const std::string& programDirectory,
                         const std::string& executableDirectory,
                         const InstallLayout& layout = BuiltInstallLayout());

// Creates the directory and its missing parents; throws "Could not create " +
// directory when that fails.
void EnsureDirectory(const std::string& directory);

// The user's home directory with a trailing '/' ("/" when HOME is unset): the
// default picture and save directory.
std::string HomeDirectory(const Environment& environment);

// The running executable's full path, and its directory with a trailing '/'.
std::string ExecutablePath();
std::string ExecutableDirectory();

} // namespace pixmoth
