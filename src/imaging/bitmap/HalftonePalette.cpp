#include "imaging/bitmap/HalftonePalette.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace pixmoth {

namespace {

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

namespace {

// The colour space cut into 32 x 32 x 32 cells of 8 x 8 x 8 colours. For every
// cell the table lists the palette entries that can be nearest to some colour
// inside it: those whose smallest possible distance to the cell does not exceed
// the smallest largest-possible distance of any entry. A lookup then compares
// only those few entries (usually one to four), in index order so that ties go
// to the lower index exactly as in the exhaustive search.
struct CellCandidates {
    std::vector<std::uint32_t> first; // per cell, offset into `entries`; one extra at the end
    std::vector<std::uint8_t> entries;
};

int AxisMin(int value, int lo, int hi) {
    const int d = value < lo ? lo - value : (value > hi ? value - hi : 0);
    return d * d;
}

int AxisMax(int value, int lo, int hi) {
    const int d = std::max(std::abs(value - lo), std::abs(value - hi));
    return d * d;
}

CellCandidates BuildCells() {
    const auto& palette = HalftonePalette();
    CellCandidates cells;
    cells.first.reserve(32 * 32 * 32 + 1);
    std::array<int, 256> nearest{};
    for (int r = 0; r < 32; ++r) {
        for (int g = 0; g < 32; ++g) {
            for (int b = 0; b < 32; ++b) {
                int bound = 1 << 30;
                for (int i = 0; i < 256; ++i) {
                    const auto& e = palette[i];
                    const int far = AxisMax(e.red, r * 8, r * 8 + 7) +
                                    AxisMax(e.green, g * 8, g * 8 + 7) +
                                    AxisMax(e.blue, b * 8, b * 8 + 7);
                    bound = std::min(bound, far);
                    nearest[i] = AxisMin(e.red, r * 8, r * 8 + 7) +
                                 AxisMin(e.green, g * 8, g * 8 + 7) +
                                 AxisMin(e.blue, b * 8, b * 8 + 7);
                }
                cells.first.push_back(static_cast<std::uint32_t>(cells.entries.size()));
                for (int i = 0; i < 256; ++i) {
                    if (nearest[i] <= bound) {
                        cells.entries.push_back(static_cast<std::uint8_t>(i));
                    }
                }
            }
        }
    }
    cells.first.push_back(static_cast<std::uint32_t>(cells.entries.size()));
    return cells;
}

} // namespace

std::uint8_t NearestHalftoneIndex(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    static const CellCandidates cells = BuildCells();
    const auto& palette = HalftonePalette();
    const std::size_t cell = (static_cast<std::size_t>(red >> 3) << 10) |
                             (static_cast<std::size_t>(green >> 3) << 5) | (blue >> 3);
    const std::uint32_t end = cells.first[cell + 1];
    std::uint8_t best = cells.entries[cells.first[cell]];
    int bestDistance = Distance(palette[best], blue, green, red);
    for (std::uint32_t k = cells.first[cell] + 1; k < end; ++k) {
        const std::uint8_t i = cells.entries[k];
        const int d = Distance(palette[i], blue, green, red);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
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
