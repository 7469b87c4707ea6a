#pragma once

#include <cstdint>

namespace pixmoth {

// Takes a picture's rows as a decoder gives them, top to bottom, into buffers
// of its own: for work that needs only a few rows at a time and never the
// whole picture. Rows are 24-bit (blue, green, red), Width * 3 bytes.
class RowReceiver {
public:
    virtual ~RowReceiver() = default;
    // The picture's size, before any row.
    virtual void Begin(int width, int height) = 0;
    // How many of the next rows may be written before the next Commit; at
    // least 1 until every row is in.
    virtual int Room() = 0;
    // Where row k of them goes, k < Room().
    virtual std::uint8_t* Row(int k) = 0;
    // The first `rows` of them now hold the next rows.
    virtual void Commit(int rows) = 0;
};

} // namespace pixmoth
