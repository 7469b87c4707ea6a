#include "capture/XcbShmReader.h"

#include <cstdlib>
#include <cstring>

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>

namespace pixmoth {

XcbShmReader::~XcbShmReader() {
    Detach();
}

bool XcbShmReader::Attach(std::size_t bytes) {
    if (mMemory != nullptr && mBytes >= bytes) {
        return true;
    }
    Detach();
    const int id = ::shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0) {
        return false;
    }
    void* memory = ::shmat(id, nullptr, 0);
    if (memory == reinterpret_cast<void*>(-1)) {
        ::shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    const xcb_shm_seg_t segment = xcb_generate_id(mConnection);
    xcb_generic_error_t* error =
        xcb_request_check(mConnection, xcb_shm_attach_checked(mConnection, segment,
                                                              static_cast<std::uint32_t>(id), 0));
    // Marked for removal at once: the segment lives until both sides let go, so
    // nothing is left behind however the program ends.
    ::shmctl(id, IPC_RMID, nullptr);
    if (error != nullptr) {
        std::free(error);
        ::shmdt(memory);
        return false;
    }
    mSegment = segment;
    mMemory = static_cast<std::uint8_t*>(memory);
    mBytes = bytes;
    return true;
}

void XcbShmReader::Detach() {
    if (mMemory == nullptr) {
        return;
    }
    xcb_shm_detach(mConnection, mSegment);
    xcb_flush(mConnection);
    ::shmdt(mMemory);
    mMemory = nullptr;
    mBytes = 0;
}

bool XcbShmReader::Prepare(int width, int height) {
    if (mUnavailable || width <= 0 || height <= 0) {
        return false;
    }
    if (mMemory == nullptr) {
        const xcb_query_extension_reply_t* shm = xcb_get_extension_data(mConnection, &xcb_shm_id);
        if (shm == nullptr || !shm->present) {
            mUnavailable = true;
            return false;
        }
    }
    const std::size_t bytes =
        static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height);
    const bool fresh = mMemory == nullptr || mBytes < bytes;
    if (!Attach(bytes)) {
        mUnavailable = true;
        return false;
    }
    if (fresh) {
        std::memset(mMemory, 0, bytes); // the page faults now rather than during a grab
    }
    return true;
}

bool XcbShmReader::Read(xcb_window_t root, int width, int height, Bitmap& pixels) {
    if (!Prepare(width, height)) {
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    xcb_generic_error_t* error = nullptr;
    xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
        mConnection,
        xcb_shm_get_image(mConnection, root, 0, 0, static_cast<std::uint16_t>(width),
                          static_cast<std::uint16_t>(height), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                          mSegment, 0),
        &error);
    std::free(error);
    if (reply == nullptr) {
        return false;
    }
    const bool usable =
        reply->depth == 24 && reply->size == rowBytes * static_cast<std::size_t>(height);
    std::free(reply);
    if (!usable) {
        mUnavailable = true;
        return false;
    }
    pixels.Reset(width, height, PixelFormat::Bit32);
    std::memcpy(pixels.Bits(), mMemory, rowBytes * static_cast<std::size_t>(height));
    return true;
}

} // namespace pixmoth
