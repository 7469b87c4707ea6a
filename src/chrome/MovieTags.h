#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pixmoth {

// What a credits line's tags change in the scroller's default font. A tag holds
// for the whole line, wherever it stands in it; the next line starts from the
// default font again.
struct MovieLineStyle {
    int pointSize = 0;    // 0: the default font's
    std::string fontName; // empty: the default font's
    bool bold = false;    // added to the default font's styles, never removed
    bool italic = false;
    bool underline = false;
    std::optional<std::uint32_t> color; // 0x00BBGGRR; none: the default font's

    friend bool operator==(const MovieLineStyle&, const MovieLineStyle&) = default;
};

struct MovieLine {
    std::string text; // the characters outside the tags
    MovieLineStyle style;

    friend bool operator==(const MovieLine&, const MovieLine&) = default;
};

// Splits credits lines into visible text and style. Tags stand in square
// brackets: [size=N] point size, [font=NAME], [b], [i], [u], [color=N] with N
// the colour's value, red in the low byte and blue in the high byte (255 is
// red), written in decimal, as $hex or as 0xhex. Tag names are read without
// regard to case. A tag that is unknown or whose number is not a whole number
// in range (sizes 1 to 400, colours 0 to $FFFFFF) is dropped. A tag left open
// at the end of a line goes on in the next one; a "[" inside a tag and a "]"
// outside one are dropped.
std::vector<MovieLine> ParseMovieText(const std::vector<std::string>& lines);

} // namespace pixmoth
