#pragma once

#include <unistd.h>

namespace pixmoth {

// Closes a descriptor when the scope ends, whatever way it ends.
struct FileDescriptor {
    int fd = -1;
    explicit FileDescriptor(int f) : fd(f) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

} // namespace pixmoth
