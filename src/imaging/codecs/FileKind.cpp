#include "imaging/codecs/FileKind.h"

#include <sys/stat.h>

namespace pixmoth {

std::string FileKindName(mode_t mode) {
    switch (mode & S_IFMT) {
    case S_IFREG:
        return "a regular file";
    case S_IFDIR:
        return "a directory";
    case S_IFCHR:
        return "a character device";
    case S_IFBLK:
        return "a block device";
    case S_IFIFO:
        return "a FIFO (named pipe)";
    case S_IFSOCK:
        return "a socket";
    case S_IFLNK:
        return "a symbolic link";
    default:
        return "a special file";
    }
}

} // namespace pixmoth
