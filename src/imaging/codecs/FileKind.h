#pragma once

#include <string>

#include <sys/types.h>

namespace pixmoth {

// What a file of mode `mode` (st_mode) is, for messages that refuse anything but
// a regular file: "a directory", "a FIFO (named pipe)", "a character device"...
std::string FileKindName(mode_t mode);

} // namespace pixmoth
