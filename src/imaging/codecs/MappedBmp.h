#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/bitmap/PixelRows.h"

namespace pixmoth {

// A 24-bit uncompressed BMP file read in place through a read-only mapping,
// for work that reads every pixel once into a new picture (a quarter turn):
// no pixel block to fault in and no copy of the file, which is about half of
// what loading it costs. The rows are the file's own, padding included, so
// they are exactly what LoadBmp would give.
//
// Should the file shrink while it is mapped, reading its lost pages would kill
// the process with SIGBUS; instead, while a MappedBmp lives, zero pages take
// their place and CheckIntact reports the damage. One file is mapped at a
// time.
class MappedBmp {
public:
    // The mapped file, or null when it is no such BMP (any other depth,
    // compression or damage, or not a BMP at all), cannot be mapped, or another
    // MappedBmp is alive: the caller then reads it the ordinary way, which
    // also gives the errors a damaged file deserves.
    static std::unique_ptr<MappedBmp> Open(const std::string& path);
    MappedBmp(const MappedBmp&) = delete;
    MappedBmp& operator=(const MappedBmp&) = delete;
    ~MappedBmp();

    const PixelRows& Rows() const { return mRows; }
    // Throws "File "PATH" is truncated" when the file lost pixels while it was
    // mapped (what was read of them is zero).
    void CheckIntact() const;

private:
    MappedBmp(std::string path, void* base, std::size_t length, const PixelRows& rows);

    std::string mPath;
    void* mBase;
    std::size_t mLength;
    PixelRows mRows;
};

} // namespace pixmoth
