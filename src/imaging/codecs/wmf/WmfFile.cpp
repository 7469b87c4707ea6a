#include "imaging/codecs/wmf/WmfFile.h"

#include <cstring>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/FileIO.h"
#include "imaging/codecs/LittleEndian.h"

namespace pixmoth {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableBytes = 22;
constexpr std::size_t kHeaderBytes = 18;
constexpr std::size_t kRecordHeaderBytes = 6;
constexpr std::uint16_t kEndOfFile = 0x0000;
// Metafiles are drawings: one this large is not worth reading whole.
constexpr std::uint64_t kMaxWmfBytes = std::uint64_t{256} << 20;

[[noreturn]] void Fail(const std::string& subject, const std::string& what) {
    throw Error(subject + " " + what);
}

} // namespace

WmfFile WmfFile::Parse(const std::uint8_t* data, std::size_t size) {
    return ParseNamed(data, size, "The data");
}

WmfFile WmfFile::Load(const std::string& path) {
    const std::vector<std::uint8_t> data = ReadFileBytes(path, kMaxWmfBytes);
    return ParseNamed(data.data(), data.size(), "File \"" + path + "\"");
}

WmfFile WmfFile::ParseNamed(const std::uint8_t* data, std::size_t size,
                            const std::string& subject) {
    WmfFile file;
    std::size_t at = 0;
    if (size >= 4 && Le32(data) == kPlaceableKey) {
        if (size < kPlaceableBytes) {
            Fail(subject, "is truncated");
        }
        // The checksum is not checked: writers often get it wrong, and nothing
        // read from the header depends on it.
        file.mPlaceable = true;
        file.mBounds = Rect{
            static_cast<std::int16_t>(Le16(data + 6)), static_cast<std::int16_t>(Le16(data + 8)),
            static_cast<std::int16_t>(Le16(data + 10)), static_cast<std::int16_t>(Le16(data + 12))};
        file.mUnitsPerInch = Le16(data + 14);
        at = kPlaceableBytes;
    }
    if (size >= 44 && Le32(data) == 1 && std::memcmp(data + 40, " EMF", 4) == 0) {
        Fail(subject, "is an enhanced metafile (EMF), which this program does not read");
    }
    if (size - at < kHeaderBytes) {
        Fail(subject, file.mPlaceable ? "is truncated" : "is not a Windows metafile");
    }
    const std::uint8_t* header = data + at;
    const std::uint16_t type = Le16(header);
    const std::uint16_t headerWords = Le16(header + 2);
    if ((type != 1 && type != 2) || headerWords != kHeaderBytes / 2) {
        Fail(subject, "is not a Windows metafile");
    }
    // The header's file size and largest record are not trusted: the records
    // themselves are checked against the data.
    file.mObjectCount = Le16(header + 10);
    at += kHeaderBytes;

    file.mData.assign(data + at, data + size);
    const std::uint8_t* records = file.mData.data();
    const std::size_t length = file.mData.size();
    std::size_t offset = 0;
    while (offset < length) {
        if (length - offset < kRecordHeaderBytes) {
            file.mDamage = "is truncated";
            break;
        }
        const std::uint64_t words = Le32(records + offset);
        const std::uint16_t function = Le16(records + offset + 4);
        if (function == kEndOfFile) {
            break;
        }
        // A size below the header's own would never advance; one past the end
        // is a file cut short. Either way the records before it are kept.
        if (words < kRecordHeaderBytes / 2) {
            file.mDamage = "is damaged (a record of " + std::to_string(words) + " words)";
            break;
        }
        if (words * 2 > length - offset) {
            file.mDamage = "is truncated";
            break;
        }
        const std::size_t bytes = static_cast<std::size_t>(words * 2);
        file.mRecords.push_back(
            WmfRecord{function, records + offset + kRecordHeaderBytes, bytes - kRecordHeaderBytes});
        offset += bytes;
    }
    return file;
}

} // namespace pixmoth
