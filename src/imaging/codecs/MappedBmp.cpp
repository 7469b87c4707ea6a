#include "imaging/codecs/MappedBmp.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdint>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/BmpHeader.h"
#include "imaging/codecs/FileDescriptor.h"

namespace pixmoth {

namespace {

// The mapping under guard, for the signal handler: plain atomics, no locks.
std::atomic<bool> gClaimed{false};
std::atomic<std::uintptr_t> gBegin{0};
std::atomic<std::uintptr_t> gEnd{0};
std::atomic<bool> gLost{false};
std::uintptr_t gPageSize = 4096;
struct sigaction gPrevious {};

// A read of a page the file no longer has: a private zero page is mapped in its
// place and the read repeats. (mmap is not on POSIX's list of signal-safe
// calls, but on Linux it is a plain system call with no user-space state.)
// Any other SIGBUS gets the action that was there before.
void OnBusError(int signal, siginfo_t* info, void*) {
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    if (info->si_code == BUS_ADRERR && at >= gBegin.load() && at < gEnd.load()) {
        void* page = reinterpret_cast<void*>(at & ~(gPageSize - 1));
        if (::mmap(page, gPageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
            MAP_FAILED) {
            gLost.store(true);
            return;
        }
    }
    ::sigaction(SIGBUS, &gPrevious, nullptr);
    if (info->si_code <= 0) {
        ::raise(signal); // sent, not a fault: a fault repeats by itself on return
    }
}

} // namespace

std::unique_ptr<MappedBmp> MappedBmp::Open(const std::string& path) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size <= 0) {
        return nullptr;
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    std::uint8_t head[kBmpHeadBytes];
    const ssize_t got = ::pread(file.fd, head, std::min<std::uint64_t>(size, sizeof head), 0);
    if (got <= 0) {
        return nullptr;
    }
    BmpHeader header;
    try {
        header = ParseBmpHeader(head, static_cast<std::size_t>(got), size, "File \"" + path + "\"");
    } catch (const Error&) {
        return nullptr;
    }
    if (header.bitCount != 24 || header.compression != BmpCompression::None || header.width <= 0 ||
        header.height <= 0) {
        return nullptr;
    }
    bool free = false;
    if (!gClaimed.compare_exchange_strong(free, true)) {
        return nullptr;
    }
    // Populated at once: one pass over the page tables instead of a fault per
    // few pages while the rows are read.
    void* base = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.fd, 0);
    if (base == MAP_FAILED) {
        gClaimed.store(false);
        return nullptr;
    }
    const long page = ::sysconf(_SC_PAGESIZE);
    gPageSize = page > 0 ? static_cast<std::uintptr_t>(page) : 4096;
    gLost.store(false);
    gBegin.store(reinterpret_cast<std::uintptr_t>(base));
    gEnd.store(reinterpret_cast<std::uintptr_t>(base) + size);
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &gPrevious);

    const auto stride = static_cast<std::ptrdiff_t>(header.FileRowBytes());
    const std::uint8_t* first = static_cast<const std::uint8_t*>(base) + header.pixelOffset;
    const PixelRows rows = header.topDown ? PixelRows{first, stride, header.width, header.height}
                                          : PixelRows{first + (header.height - 1) * stride, -stride,
                                                      header.width, header.height};
    return std::unique_ptr<MappedBmp>(new MappedBmp(path, base, size, rows));
}

MappedBmp::MappedBmp(std::string path, void* base, std::size_t length, const PixelRows& rows)
    : mPath(std::move(path)), mBase(base), mLength(length), mRows(rows) {}

MappedBmp::~MappedBmp() {
    ::sigaction(SIGBUS, &gPrevious, nullptr);
    gBegin.store(0);
    gEnd.store(0);
    ::munmap(mBase, mLength);
    gClaimed.store(false);
}

void MappedBmp::CheckIntact() const {
    if (gLost.load()) {
        throw Error("File \"" + mPath + "\" is truncated");
    }
}

} // namespace pixmoth
