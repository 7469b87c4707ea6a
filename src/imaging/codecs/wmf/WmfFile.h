#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/bitmap/Bitmap.h"

// Windows metafiles (WMF): the optional placeable header, the metafile header
// and the list of records, each checked against the data before it is used.
namespace pixmoth {

// One record: its function number and its parameter bytes (after the 6-byte
// record header), in the file's own little-endian 16-bit words.
struct WmfRecord {
    std::uint16_t function = 0;
    const std::uint8_t* params = nullptr;
    std::size_t size = 0; // bytes of params

    // Parameter word `i` as stored; 0 past the end of the record, so a short
    // record reads as zeros instead of reading past it.
    std::uint16_t Word(std::size_t i) const {
        return 2 * i + 1 < size ? static_cast<std::uint16_t>(params[2 * i] | params[2 * i + 1] << 8)
                                : 0;
    }
    std::int16_t Int(std::size_t i) const { return static_cast<std::int16_t>(Word(i)); }
    // Two words, low word first.
    std::uint32_t Dword(std::size_t i) const { return Word(i) | std::uint32_t{Word(i + 1)} << 16; }
    std::size_t Words() const { return size / 2; }
};

// Records point into the file's own copy of the data, so a WmfFile moves but
// is not copied.
class WmfFile {
public:
    WmfFile(const WmfFile&) = delete;
    WmfFile& operator=(const WmfFile&) = delete;
    WmfFile(WmfFile&&) = default;
    WmfFile& operator=(WmfFile&&) = default;

    // Reads a metafile held in memory (copied). Throws an Error that says what
    // is wrong when the data is not a metafile. Records are read up to the end
    // record; a file cut short keeps the records that are whole, so the part of
    // the picture that is there can still be shown.
    static WmfFile Parse(const std::uint8_t* data, std::size_t size);
    // As Parse, from a file; error texts name the file.
    static WmfFile Load(const std::string& path);

    // The placeable header's frame in logical units and its units per inch
    // (placeable files only).
    bool Placeable() const { return mPlaceable; }
    const Rect& Bounds() const { return mBounds; }
    int UnitsPerInch() const { return mUnitsPerInch; }
    // Slots of the object table, from the metafile header.
    int ObjectCount() const { return mObjectCount; }
    const std::vector<WmfRecord>& Records() const { return mRecords; }
    // Empty when the records end with the end record or with the data; else
    // what is wrong ("is truncated", "is damaged (...)"), to follow the file's
    // name. The records before the damage are still there.
    const std::string& Damage() const { return mDamage; }

private:
    WmfFile() = default;
    static WmfFile ParseNamed(const std::uint8_t* data, std::size_t size,
                              const std::string& subject);

    std::vector<std::uint8_t> mData;
    std::vector<WmfRecord> mRecords;
    bool mPlaceable = false;
    Rect mBounds;
    int mUnitsPerInch = 0;
    int mObjectCount = 0;
    std::string mDamage;
};

} // namespace pixmoth
