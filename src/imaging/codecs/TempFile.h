#pragma once

#include <string>

#include <sys/types.h>

namespace pixmoth {

// A new file beside another, ".NAME.XXXXXX" in the same directory, for writing
// a file's next content before it takes the file's place.
//
// Until it is renamed, kept or destroyed, the file is also removed when SIGINT,
// SIGTERM or SIGHUP ends the process: the first TempFile installs a handler for
// each of these whose action is still the default one, which removes every
// pending temporary file (unlink only: async-signal-safe) and then lets the
// default action run. Signals that the program ignores or handles itself are
// left alone. Up to 64 files are covered at a time; more are still created.
class TempFile {
public:
    // Creates the file for `target` with O_EXCL and `mode` (the umask applies),
    // open for reading and writing. On failure Fd() is -1 and ErrorNumber() says why.
    TempFile(const std::string& target, mode_t mode);
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    // Removes the file unless it was renamed or kept.
    ~TempFile();

    int Fd() const { return mFd; }
    int ErrorNumber() const { return mError; }
    const std::string& Path() const { return mPath; }

    // Closes the descriptor; returns 0 or the errno of close.
    int Close();
    // Moves the file onto `target`, replacing it; returns 0 or the errno of rename.
    int RenameTo(const std::string& target);
    // Leaves the file on disk, no longer removed by anything.
    void Keep();

private:
    void Release();

    std::string mPath;
    int mFd = -1;
    int mError = 0;
    int mSlot = -1;
    bool mOwned = false;
};

} // namespace pixmoth
