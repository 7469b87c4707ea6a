#include "browse/thumbnails/FileNameOrder.h"

namespace pixmoth {

namespace {

// The next code point of `s` from `at` on (advancing `at`); a byte that does
// not start a well-formed sequence stands for itself.
char32_t NextCodePoint(const std::string& s, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char first = byte(at);
    int length = 0;
    char32_t code = 0;
    if (first >= 0xC2 && first < 0xE0) {
        length = 2;
        code = first & 0x1F;
    } else if (first >= 0xE0 && first < 0xF0) {
        length = 3;
        code = first & 0x0F;
    } else if (first >= 0xF0 && first < 0xF5) {
        length = 4;
        code = first & 0x07;
    }
    if (length == 0 || at + length > s.size()) {
        ++at;
        return first;
    }
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            ++at;
            return first;
        }
        code = code << 6 | (byte(at + i) & 0x3F);
    }
    at += length;
    return code;
}

// Small letters to capitals.
char32_t Fold(char32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return c - 32; // ASCII and Latin-1
    }
    if (c == 0xFF) {
        return 0x178; // y with diaeresis, whose capital is in Latin Extended-A
    }
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs capitals and small letters; the pairs start on
        // an even code point except in 0x139 .. 0x148 and 0x179 .. 0x17E.
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x178 || c == 0x17F) {
            return c; // dotted/dotless i, kra, 'n, capital Y diaeresis, long s
        }
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        return (c % 2 == 0) != oddPairs ? c : c - 1;
    }
    if (c == 0x3C2) {
        return 0x3A3; // final sigma
    }
    if ((c >= 0x3B1 && c <= 0x3C9) || (c >= 0x430 && c <= 0x44F)) {
        return c - 32; // Greek and basic Cyrillic
    }
    if (c >= 0x450 && c <= 0x45F) {
        return c - 80; // Cyrillic letters with marks
    }
    return c;
}

} // namespace

bool FileNameLess(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = Fold(NextCodePoint(a, i));
        const char32_t cb = Fold(NextCodePoint(b, j));
        if (ca != cb) {
            return ca < cb;
        }
    }
    if (i < a.size() || j < b.size()) {
        return j < b.size(); // the shorter name first
    }
    return a < b;
}

} // namespace pixmoth
