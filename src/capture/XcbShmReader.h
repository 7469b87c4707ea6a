#pragma once

#include <cstdint>

#include <xcb/xcb.h>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// Reads the root window through the X server's shared-memory extension: the
// server writes the pixels straight into memory we share with it, instead of
// sending 8 MB of a 1080p desktop through the socket (about four times
// faster). The segment is kept for the next grab. Read() returns false, and the
// caller reads the screen the ordinary way, whenever this path cannot serve:
// no MIT-SHM (a remote display, a sandbox without System V shared memory), or
// a root window that is not 24-bit colour in 32-bit pixels.
class XcbShmReader {
public:
    explicit XcbShmReader(xcb_connection_t* connection) : mConnection(connection) {}
    ~XcbShmReader();
    XcbShmReader(const XcbShmReader&) = delete;
    XcbShmReader& operator=(const XcbShmReader&) = delete;

    // The whole root window into `pixels` (32 bits, blue, green, red, unused).
    bool Read(xcb_window_t root, int width, int height, Bitmap& pixels);
    // Sets up (and touches) the shared segment for a root window of this size.
    bool Prepare(int width, int height);

private:
    bool Attach(std::size_t bytes);
    void Detach();

    xcb_connection_t* mConnection;
    bool mUnavailable = false;
    std::uint32_t mSegment = 0;
    std::uint8_t* mMemory = nullptr;
    std::size_t mBytes = 0;
};

} // namespace pixmoth
