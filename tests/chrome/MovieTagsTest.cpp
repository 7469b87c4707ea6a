#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chrome/MovieTags.h"

namespace pixmoth {
namespace {

MovieLineStyle Bold() {
    MovieLineStyle style;
    style.bold = true;
    return style;
}

MovieLineStyle Colored(std::uint32_t color, bool bold = false) {
    MovieLineStyle style;
    style.color = color;
    style.bold = bold;
    return style;
}

MovieLineStyle PointSize(int points) {
    MovieLineStyle style;
    style.pointSize = points;
    return style;
}

MovieLineStyle SizedItalicUnderlined(int points) {
    MovieLineStyle style = PointSize(points);
    style.italic = true;
    style.underline = true;
    return style;
}

MovieLineStyle Family(const std::string& name) {
    MovieLineStyle style;
    style.fontName = name;
    return style;
}

TEST(MovieTags, TagsStyleTheWholeLineAndUnknownOrBadOnesAreDropped) {
    const struct {
        const char* meaning;
        std::vector<std::string> lines;
        std::vector<MovieLine> expected;
    } cases[] = {
        {"a tag holds for the whole line; the unknown /b is dropped",
         {"[b]Bold[/b] text"},
         {{"Bold text", Bold()}}},
        {"a tag in the middle styles the text before it too",
         {"plain [b]bold"},
         {{"plain bold", Bold()}}},
        {"color=255 is red", {"[color=255]Red"}, {{"Red", Colored(255)}}},
        {"colours in $hex and 0xhex, tag names in any case",
         {"[B][Color=$FF0000]Blue", "[COLOR=0x00ff00]Green"},
         {{"Blue", Colored(0xFF0000, true)}, {"Green", Colored(0x00FF00)}}},
        {"size, italic and underline",
         {"[size=14][i][u]Big"},
         {{"Big", SizedItalicUnderlined(14)}}},
        {"a font name keeps its spaces and case",
         {"[font=DejaVu Serif]Serif"},
         {{"Serif", Family("DejaVu Serif")}}},
        {"numbers that are not whole or out of range are dropped",
         {"[size=abc][size=0][size=401][size=12.5][color=-1][color=16777216][color=12red]x"},
         {{"x", {}}}},
        {"an empty font name is dropped", {"[font=]x"}, {{"x", {}}}},
        {"a stray ] outside a tag is dropped", {"[blink]x]y"}, {{"xy", {}}}},
        {"a [ inside a tag is dropped, the tag goes on", {"[si[ze=20]x"}, {{"x", PointSize(20)}}},
        {"a tag left open goes on in the next line, collected afresh",
         {"a[si", "b]c", "[b"},
         {{"a", {}}, {"c", Bold()}, {"", {}}}},
        {"an empty line", {""}, {{"", {}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.meaning);
        EXPECT_EQ(ParseMovieText(c.lines), c.expected);
    }
}

} // namespace
} // namespace pixmoth
