#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "browse/thumbnails/ThumbnailSource.h"

// Thumbnails of a list of files, made on worker threads so the caller goes on.
namespace pixmoth {

class ThumbnailBatch {
public:
    // Called on the worker thread that made thumbnail `index` (of the paths as
    // given); calls may come from several threads at once. Must not throw.
    using Done = std::function<void(std::size_t index, Thumbnail thumbnail)>;

    // Starts at once: one worker per processor core (at most `maxThreads`,
    // never more than there are files), each taking the next file in list
    // order, so the first files are done first. The first file is made by one
    // worker alone and the others join when it is done: where other programs
    // keep the cores busy, the process gets a share of them, and a second
    // worker would halve the first one's part of it and delay the first
    // thumbnail the user waits for. When no thread can be started the work is
    // done here, before the constructor returns.
    ThumbnailBatch(std::vector<std::string> paths, WmfRenderer renderWmf, Done done,
                   unsigned maxThreads = 8);
    ThumbnailBatch(const ThumbnailBatch&) = delete;
    ThumbnailBatch& operator=(const ThumbnailBatch&) = delete;
    // Cancels and waits for the workers.
    ~ThumbnailBatch();

    // No file is started after this; the ones being made are finished and
    // handed over. Returns at once.
    void Cancel();
    // Blocks until every file is done or the batch was cancelled and the
    // workers have stopped.
    void Wait();
    bool Finished() const { return mRunning == 0; }

private:
    void Work(bool first);

    const std::vector<std::string> mPaths;
    const WmfRenderer mRenderWmf;
    const Done mDone;
    std::atomic<std::size_t> mNext{0};
    std::atomic<bool> mCancelled{false};
    std::atomic<unsigned> mRunning{0};
    bool mFirstDone = false; // guarded by mMutex
    std::mutex mMutex;
    std::condition_variable mStopped;
    std::condition_variable mFirstMade;
    std::vector<std::thread> mThreads;
};

} // namespace pixmoth
