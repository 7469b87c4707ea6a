#include "imaging/HalftonePalette.h"

#include <array>

namespace pixmoth {

namespace {

constexpr int kCubeFirst = 8;
constexpr int kGreyFirst = 224;

PaletteEntry Rgb(int r, int g, int b) {
    return PaletteEntry{static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(g),
                        static_cast<std::uint8_t>(r), 0};
}

const std::array<PaletteEntry, 16> kStandard = {
    Rgb(0, 0, 0),       Rgb(128, 0, 0),   Rgb(0, 128, 0),   Rgb(128, 128, 0),
    Rgb(0, 0, 128),     Rgb(128, 0, 128), Rgb(0, 128, 128), Rgb(192, 192, 192),
    Rgb(128, 128, 128), Rgb(255, 0, 0),   Rgb(0, 255, 0),   Rgb(255, 255, 0),
    Rgb(0, 0, 255),     Rgb(255, 0, 255), Rgb(0, 255, 255), Rgb(255, 255, 255)};

std::vector<PaletteEntry> BuildHalftone() {
    std::vector<PaletteEntry> palette;
    palette.reserve(256);
    for (int i = 0; i < 8; ++i) {
        palette.push_back(kStandard[i]);
    }
    for (int r = 0; r < 6; ++r) {
        for (int g = 0; g < 6; ++g) {
            for (int b = 0; b < 6; ++b) {
                palette.push_back(Rgb(r * 51, g * 51, b * 51));
            }
        }
    }
    for (int k = 1; k <= 24; ++k) {
        const int level = (255 * k * 2 + 25) / 50; // round(255 * k / 25), never a tie
        palette.push_back(Rgb(level, level, level));
    }
    for (int i = 8; i < 16; ++i) {
        palette.push_back(kStandard[i]);
    }
    return palette;
}

int Distance(const PaletteEntry& e, int b, int g, int r) {
    const int db = e.blue - b;
    const int dg = e.green - g;
    const int dr = e.red - r;
    return db * db + dg * dg + dr * dr;
}

} // namespace

const std::vector<PaletteEntry>& HalftonePalette() {
    static const std::vector<PaletteEntry> palette = BuildHalftone();
    return palette;
}

const std::vector<PaletteEntry>& StandardPalette16() {
    static const std::vector<PaletteEntry> palette(kStandard.begin(), kStandard.end());
    return palette;
}

std::uint8_t NearestHalftoneIndex(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    const auto& palette = HalftonePalette();
    // The cube is a grid, so its nearest point is the nearest level per channel;
    // 51 is odd, so an integer channel is never halfway between two levels and
    // that point is unique. Only the 40 other entries need a full comparison.
    const int cube =
        kCubeFirst + 36 * ((red + 25) / 51) + 6 * ((green + 25) / 51) + (blue + 25) / 51;
    int best = cube;
    int bestDistance = Distance(palette[cube], blue, green, red);
    for (int i = 0; i < kCubeFirst; ++i) {
        const int d = Distance(palette[i], blue, green, red);
        if (d <= bestDistance && (d < bestDistance || i < best)) {
            best = i;
            bestDistance = d;
        }
    }
    for (int i = kGreyFirst; i < 256; ++i) {
        const int d = Distance(palette[i], blue, green, red);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return static_cast<std::uint8_t>(best);
}

int NearestPaletteIndex(const std::vector<PaletteEntry>& palette, std::uint8_t blue,
                        std::uint8_t green, std::uint8_t red) {
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
        const int d = Distance(palette[i], blue, green, red);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace pixmoth
