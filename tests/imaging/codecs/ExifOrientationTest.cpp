#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "JpegTestFiles.h"
#include "imaging/codecs/ExifOrientation.h"

namespace pixmoth {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Orientation 6 in both byte orders, written out by hand from the TIFF layout.
const Bytes kLittleEndianSix = {
    'E',  'x',  'i', 'f', 0, 0, 'I', 'I', 0x2A, 0,   8,   0, 0, 0, // header, IFD0 at 8
    2,    0,                                                       // two entries
    0x0F, 0x01, 2,   0,   4, 0, 0,   0,   'C',  'a', 'm', 0,       // Make "Cam"
    0x12, 0x01, 3,   0,   1, 0, 0,   0,   6,    0,   0,   0,       // Orientation 6
    0,    0,    0,   0};
const Bytes kBigEndianSix = {'E',  'x',  'i', 'f', 0, 0, 'M', 'M', 0,   0x2A, 0,   0, 0, 8, //
                             0,    2,                                                       //
                             0x01, 0x0F, 0,   2,   0, 0, 0,   4,   'C', 'a',  'm', 0,       //
                             0x01, 0x12, 0,   3,   0, 0, 0,   1,   0,   6,    0,   0,       //
                             0,    0,    0,   0};
// Where the orientation entry's fields lie in those payloads.
constexpr std::size_t kTypeAt = 30;
constexpr std::size_t kCountAt = 32;
constexpr std::size_t kValueAt = 36;
constexpr std::size_t kEntryEnd = 40;

int OrientationOf(const Bytes& payload) {
    // An exact-size heap copy, so a read past the end is caught by the sanitizers.
    auto copy = std::make_unique<std::uint8_t[]>(payload.size());
    std::copy(payload.begin(), payload.end(), copy.get());
    return ExifOrientation(copy.get(), payload.size());
}

TEST(ExifOrientation, ReadsTheTagInBothByteOrders) {
    EXPECT_EQ(test::ExifPayload(false, 6), kLittleEndianSix);
    EXPECT_EQ(test::ExifPayload(true, 6), kBigEndianSix);
    for (bool bigEndian : {false, true}) {
        for (unsigned value = 1; value <= 8; ++value) {
            EXPECT_EQ(OrientationOf(test::ExifPayload(bigEndian, value)), int(value))
                << value << (bigEndian ? " big-endian" : " little-endian");
        }
        EXPECT_EQ(OrientationOf(test::ExifPayload(bigEndian, 3, 4)), 3) << "LONG value";
    }
}

TEST(ExifOrientation, DamagedOrForeignBlocksCountAsUpright) {
    struct Case {
        const char* name;
        std::function<void(Bytes&)> damage;
        int expected;
    };
    const Case cases[] = {
        {"value 0", [](Bytes& b) { b[kValueAt] = 0; }, 1},
        {"value 9", [](Bytes& b) { b[kValueAt] = 9; }, 1},
        {"no values", [](Bytes& b) { b[kCountAt] = 0; }, 1},
        {"ASCII type", [](Bytes& b) { b[kTypeAt] = 2; }, 1},
        {"byte order IM", [](Bytes& b) { b[7] = 'M'; }, 1},
        {"magic 43", [](Bytes& b) { b[8] = 43; }, 1},
        {"IFD past the end", [](Bytes& b) { b[10] = 200; }, 1},
        {"IFD at 0xFFFFFFFF", [](Bytes& b) { std::fill(b.begin() + 10, b.begin() + 14, 0xFF); }, 1},
        {"IFD inside the header", [](Bytes& b) { b[10] = 4; }, 1},
        {"IFD on the last byte", [](Bytes& b) { b[10] = static_cast<std::uint8_t>(b.size() - 7); },
         1},
        {"entry count 65535", [](Bytes& b) { b[14] = b[15] = 0xFF; }, 6},
        {"no signature", [](Bytes& b) { b[0] = 'e'; }, 1},
        {"XMP instead",
         [](Bytes& b) {
             b.assign({'h', 't', 't', 'p', ':', '/', '/', 0});
         },
         1},
        {"empty", [](Bytes& b) { b.clear(); }, 1},
    };
    for (const Case& c : cases) {
        Bytes payload = kLittleEndianSix;
        c.damage(payload);
        EXPECT_EQ(OrientationOf(payload), c.expected) << c.name;
    }
    EXPECT_EQ(ExifOrientation(nullptr, 0), 1);
}

TEST(ExifOrientation, EveryCutOfTheBlockIsReadSafely) {
    for (const Bytes* whole : {&kLittleEndianSix, &kBigEndianSix}) {
        for (std::size_t size = 0; size <= whole->size(); ++size) {
            const Bytes cut(whole->begin(), whole->begin() + size);
            EXPECT_EQ(OrientationOf(cut), size >= kEntryEnd ? 6 : 1) << size << " bytes";
        }
    }
}

} // namespace
} // namespace pixmoth
