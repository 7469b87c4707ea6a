#include "chrome/MovieTags.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace pixmoth {

namespace {

constexpr int kLargestPointSize = 400;
constexpr std::int64_t kLargestColor = 0xFFFFFF;

std::string Lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// A whole number in decimal, "$hex" or "0xhex" within [0, largest].
std::optional<std::int64_t> WholeNumber(std::string_view text, std::int64_t largest) {
    text = Trimmed(text);
    int base = 10;
    if (text.starts_with('$')) {
        text.remove_prefix(1);
        base = 16;
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > largest) {
        return std::nullopt;
    }
    return value;
}

void ApplyTag(const std::string& tag, MovieLineStyle& style) {
    const std::string name = Lowered(tag);
    if (name == "b") {
        style.bold = true;
    } else if (name == "i") {
        style.italic = true;
    } else if (name == "u") {
        style.underline = true;
    } else if (name.starts_with("size=")) {
        if (const auto size = WholeNumber(std::string_view(tag).substr(5), kLargestPointSize);
            size && *size > 0) {
            style.pointSize = static_cast<int>(*size);
        }
    } else if (name.starts_with("color=")) {
        if (const auto color = WholeNumber(std::string_view(tag).substr(6), kLargestColor)) {
            style.color = static_cast<std::uint32_t>(*color);
        }
    } else if (name.starts_with("font=")) {
        const std::string_view family = Trimmed(std::string_view(tag).substr(5));
        if (!family.empty()) {
            style.fontName = std::string(family);
        }
    }
}

} // namespace

std::vector<MovieLine> ParseMovieText(const std::vector<std::string>& lines) {
    std::vector<MovieLine> parsed;
    parsed.reserve(lines.size());
    bool insideTag = false;
    for (const std::string& line : lines) {
        MovieLine& out = parsed.emplace_back();
        std::string tag;
        for (const char c : line) {
            if (c == '[') {
                insideTag = true;
            } else if (c == ']') {
                if (insideTag) {
                    ApplyTag(tag, out.style);
                    tag.clear();
                }
                insideTag = false;
            } else if (insideTag) {
                tag += c;
            } else {
                out.text += c;
            }
        }
    }
    return parsed;
}

} // namespace pixmoth
