#include "browse/FolderReader.h"

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>

namespace pixmoth {

FolderReader::FolderReader(const std::string& path) : mDir(::opendir(path.c_str())) {}

FolderReader::~FolderReader() {
    if (mDir != nullptr) {
        ::closedir(mDir);
    }
}

bool FolderReader::Next(TDirRec& entry) {
    if (mDir == nullptr) {
        return false;
    }
    while (const dirent* item = ::readdir(mDir)) {
        const char* name = item->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        bool folder = item->d_type == DT_DIR;
        // Links, and file systems that do not report types, need a look at
        // the entry itself.
        if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
            struct stat info {};
            folder = ::fstatat(::dirfd(mDir), name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        entry.name = name;
        entry.attributes = (folder ? faDirectory : 0) | (name[0] == '.' ? faHidden : 0);
        return true;
    }
    return false;
}

} // namespace pixmoth
