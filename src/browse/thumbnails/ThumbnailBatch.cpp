#include "browse/thumbnails/ThumbnailBatch.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace pixmoth {

ThumbnailBatch::ThumbnailBatch(std::vector<std::string> paths, WmfRenderer renderWmf, Done done,
                               unsigned maxThreads)
    : mPaths(std::move(paths)), mRenderWmf(std::move(renderWmf)), mDone(std::move(done)) {
    const unsigned cores = std::max(std::thread::hardware_concurrency(), 1u);
    const auto wanted =
        static_cast<unsigned>(std::min<std::size_t>({cores, maxThreads, mPaths.size()}));
    mRunning = wanted;
    for (unsigned i = 0; i < wanted; ++i) {
        try {
            mThreads.emplace_back([this, first = i == 0] { Work(first); });
        } catch (const std::system_error&) {
            mRunning -= wanted - i; // these never start
            break;
        }
    }
    if (mThreads.empty()) {
        mRunning = 1;
        Work(true);
    }
}

ThumbnailBatch::~ThumbnailBatch() {
    Cancel();
    for (std::thread& thread : mThreads) {
        thread.join();
    }
}

void ThumbnailBatch::Cancel() {
    const std::lock_guard lock(mMutex);
    mCancelled = true;
    mFirstMade.notify_all();
}

void ThumbnailBatch::Work(bool first) {
    if (!first) {
        std::unique_lock lock(mMutex);
        mFirstMade.wait(lock, [this] { return mFirstDone || mCancelled; });
    }
    for (;;) {
        const std::size_t index = mNext++;
        if (mCancelled || index >= mPaths.size()) {
            break;
        }
        mDone(index, MakeThumbnail(mPaths[index], mRenderWmf));
        if (index == 0) {
            const std::lock_guard lock(mMutex);
            mFirstDone = true;
            mFirstMade.notify_all();
        }
    }
    const std::lock_guard lock(mMutex);
    if (--mRunning == 0) {
        mStopped.notify_all();
    }
}

void ThumbnailBatch::Wait() {
    std::unique_lock lock(mMutex);
    mStopped.wait(lock, [this] { return mRunning == 0; });
}

} // namespace pixmoth
