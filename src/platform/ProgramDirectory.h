#pragma once

#include <string>

#include "platform/Environment.h"

// Where the program keeps Pixmoth.ini, Shots/ and its help page.
namespace pixmoth {

// In this order: $PIXMOTH_HOME when set and not empty (tests, portable
// installs); the executable's directory when it is writable (a program unpacked
// or built in the user's own directory); otherwise $XDG_DATA_HOME/Pixmoth/, by
// default ~/.local/share/Pixmoth/. Always with a trailing '/'.
std::string ProgramDirectory(const Environment& environment,
                             const std::string& executableDirectory);

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
