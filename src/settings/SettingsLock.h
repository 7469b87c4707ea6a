#pragma once

#include <string>

namespace pixmoth {

// An advisory lock that makes each settings call one step for every other
// copy of the program and every other thread: a writer holds it exclusively
// from reading the file to renaming the new one into place, so no update is
// lost; a reader holds it shared while it reads.
//
// It lies on a lock file beside the settings file (".NAME.lock", beside the
// file its symbolic links lead to), not on the settings file itself, which
// every write replaces: a lock on it would stay with the old file. The locks
// are open file description locks (fcntl F_OFD_SETLKW), which belong to the
// open file rather than to the process, so they also hold between threads,
// and are released when the descriptor closes, even by a crash.
//
// A writer creates the lock file and removes it again before it lets go, so
// none is left beside the user's files; whoever gets a lock checks that the
// name still leads to the file it locked, and starts again when it does not.
// A reader that finds no lock file reads unlocked (a whole file still, as
// every write replaces the file in one rename). Where the lock file cannot be
// made (a read-only folder) the call goes on unlocked, and fails or not as it
// would have.
class SettingsLock {
public:
    enum class Mode { Shared, Exclusive };

    // Waits until the lock is granted.
    SettingsLock(const std::string& file, Mode mode);
    SettingsLock(const SettingsLock&) = delete;
    SettingsLock& operator=(const SettingsLock&) = delete;
    ~SettingsLock();

    bool Held() const { return mHeld; }

private:
    std::string mPath;
    int mFd = -1;
    bool mHeld = false;
    bool mExclusive = false;
};

} // namespace pixmoth
