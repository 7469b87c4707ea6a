#include "imaging/codecs/TempFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <unistd.h>

namespace pixmoth {

namespace {

// The pending files, shared with the signal handler. A slot is claimed, filled,
// then published as active; the handler reads only active slots, and only
// lock-free atomics and unlink, so it is async-signal-safe.
constexpr int kSlots = 64;
enum SlotState : int { kFree, kFilling, kActive };
struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
Slot gSlots[kSlots];
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void RemovePendingFiles(int signal) {
    const int savedErrno = errno;
    for (Slot& slot : gSlots) {
        if (slot.state.load(std::memory_order_acquire) == kActive) {
            ::unlink(slot.path);
        }
    }
    // The signal stays blocked until the handler returns; then the default
    // action (ending the process) takes it.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
    errno = savedErrno;
}

void InstallHandlers() {
    for (const int signal : kSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0 ||
            current.sa_handler != SIG_DFL) {
            continue; // ignored or handled by the program: not ours to change
        }
        struct sigaction action {};
        action.sa_handler = RemovePendingFiles;
        sigemptyset(&action.sa_mask);
        for (const int other : kSignals) {
            sigaddset(&action.sa_mask, other);
        }
        ::sigaction(signal, &action, nullptr);
    }
}

// Holds the cleanup signals back while a file and its slot change together, so
// a signal never finds a file that no slot names.
class SignalBlock {
public:
    SignalBlock() {
        sigset_t set;
        sigemptyset(&set);
        for (const int signal : kSignals) {
            sigaddset(&set, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &set, &mSaved);
    }
    SignalBlock(const SignalBlock&) = delete;
    SignalBlock& operator=(const SignalBlock&) = delete;
    ~SignalBlock() { ::pthread_sigmask(SIG_SETMASK, &mSaved, nullptr); }

private:
    sigset_t mSaved;
};

int ClaimSlot(const std::string& path) {
    if (path.size() >= PATH_MAX) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (gSlots[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(gSlots[i].path, path.c_str(), path.size() + 1);
            gSlots[i].state.store(kActive, std::memory_order_release);
            return i;
        }
    }
    return -1;
}

// Six characters for the name; uniqueness comes from O_EXCL, this only makes
// collisions rare.
std::string RandomSuffix() {
    static std::atomic<unsigned long long> counter{0};
    unsigned long long bits = static_cast<unsigned long long>(
                                  std::chrono::steady_clock::now().time_since_epoch().count()) ^
                              (static_cast<unsigned long long>(::getpid()) << 32) ^
                              (++counter * 0x9E3779B97F4A7C15ull);
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix(6, 'X');
    for (char& c : suffix) {
        bits = bits * 6364136223846793005ull + 1442695040888963407ull;
        c = kAlphabet[(bits >> 33) % 62];
    }
    return suffix;
}

} // namespace

TempFile::TempFile(const std::string& target, mode_t mode) {
    static std::once_flag installed;
    std::call_once(installed, InstallHandlers);

    const auto slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = directory + "." + name + "." + RandomSuffix();
        const SignalBlock block;
        mFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (mFd >= 0) {
            mPath = path;
            mOwned = true;
            mSlot = ClaimSlot(path);
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    mError = errno;
}

TempFile::~TempFile() {
    Close();
    const SignalBlock block;
    if (mOwned) {
        ::unlink(mPath.c_str());
    }
    Release();
}

int TempFile::Close() {
    if (mFd < 0) {
        return 0;
    }
    const int result = ::close(mFd);
    mFd = -1;
    return result == 0 ? 0 : errno;
}

int TempFile::RenameTo(const std::string& target) {
    const SignalBlock block;
    if (::rename(mPath.c_str(), target.c_str()) != 0) {
        return errno;
    }
    mOwned = false;
    Release();
    return 0;
}

void TempFile::Keep() {
    const SignalBlock block;
    mOwned = false;
    Release();
}

void TempFile::Release() {
    if (mSlot >= 0) {
        gSlots[mSlot].state.store(kFree, std::memory_order_release);
        mSlot = -1;
    }
}

} // namespace pixmoth
