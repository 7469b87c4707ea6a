#include "settings/IniDocument.h"

#include <algorithm>
#include <utility>

#include "imaging/bitmap/Error.h"

namespace pixmoth {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string Joined(std::string_view a, std::string_view b, std::string_view c) {
    std::string text;
    text.reserve(a.size() + b.size() + c.size());
    text += a;
    text += b;
    text += c;
    return text;
}

// What one line of the file holds.
struct ParsedLine {
    enum class Kind { Nothing, Section, Key } kind = Kind::Nothing;
    std::string_view name;
    std::size_t valueStart = 0; // Key: offset of the value's first non-blank byte
};

ParsedLine ParseLine(std::string_view text) {
    ParsedLine parsed;
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) {
        ++start;
    }
    if (start == text.size() || text[start] == ';') {
        return parsed;
    }
    if (text[start] == '[') {
        const std::size_t close = text.find(']', start + 1);
        if (close != std::string_view::npos) {
            parsed.kind = ParsedLine::Kind::Section;
            parsed.name = Trim(text.substr(start + 1, close - start - 1));
        }
        return parsed;
    }
    const std::size_t equals = text.find('=', start);
    if (equals == std::string_view::npos) {
        return parsed;
    }
    parsed.kind = ParsedLine::Kind::Key;
    parsed.name = Trim(text.substr(start, equals - start));
    std::size_t value = equals + 1;
    while (value < text.size() && IsBlank(text[value])) {
        ++value;
    }
    parsed.valueStart = value;
    return parsed;
}

std::string DecodeValue(std::string_view raw) {
    std::string_view value = Trim(raw);
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

// The stored form of a value, quoted where the reader would otherwise change it.
std::string EncodeValue(std::string_view value) {
    const bool needsQuotes =
        !value.empty() &&
        (IsBlank(value.front()) || IsBlank(value.back()) ||
         (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()));
    return needsQuotes ? Joined("\"", value, "\"") : std::string(value);
}

// Cuts at `limit` bytes, moving back over UTF-8 continuation bytes (at most
// three) so the last character stays whole.
std::string CutValue(std::string value, std::size_t limit) {
    if (value.size() <= limit) {
        return value;
    }
    std::size_t cut = limit;
    for (int back = 0; back < 3 && cut > 0; ++back) {
        if ((static_cast<unsigned char>(value[cut]) & 0xC0) != 0x80) {
            break;
        }
        --cut;
    }
    if ((static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) {
        cut = limit; // not UTF-8 text: keep the plain byte count
    }
    value.resize(cut);
    return value;
}

} // namespace

IniDocument::IniDocument(std::string text) : mText(std::move(text)) {
    if (std::string_view(mText).substr(0, kBom.size()) == kBom) {
        mStart = kBom.size();
    }
    // New lines take the end of the file's first line.
    const std::size_t newline = mText.find('\n', mStart);
    if (newline != std::string::npos && newline > mStart && mText[newline - 1] == '\r') {
        mLineEnd = "\r\n";
    }
}

IniDocument::Line IniDocument::LineAt(std::size_t begin) const {
    const std::size_t newline = mText.find('\n', begin);
    if (newline == std::string::npos) {
        return {begin, mText.size(), mText.size()};
    }
    const bool crlf = newline > begin && mText[newline - 1] == '\r';
    return {begin, crlf ? newline - 1 : newline, newline + 1};
}

std::string_view IniDocument::TextOf(const Line& line) const {
    return std::string_view(mText).substr(line.begin, line.end - line.begin);
}

// Section headers are found by their "[", not by reading every line: a file of
// millions of short lines and few sections is then crossed at memchr speed.
std::optional<IniDocument::Line> IniDocument::NextSectionHeader(std::size_t from) const {
    for (std::size_t bracket = mText.find('[', from); bracket != std::string::npos;
         bracket = mText.find('[', bracket + 1)) {
        // A header when only blanks stand between the "[" and the line's start.
        std::size_t begin = bracket;
        while (begin > mStart && begin > from && IsBlank(mText[begin - 1])) {
            --begin;
        }
        if (begin != mStart && mText[begin - 1] != '\n') {
            continue;
        }
        const Line line = LineAt(begin);
        if (ParseLine(TextOf(line)).kind == ParsedLine::Kind::Section) {
            return line;
        }
    }
    return std::nullopt;
}

std::optional<IniDocument::SectionSpan> IniDocument::FindSection(std::string_view name) const {
    name = Trim(name);
    for (auto header = NextSectionHeader(mStart); header;
         header = NextSectionHeader(header->next)) {
        if (SameName(ParseLine(TextOf(*header)).name, name)) {
            const auto next = NextSectionHeader(header->next);
            return SectionSpan{*header, next ? next->begin : mText.size()};
        }
    }
    return std::nullopt;
}

std::optional<IniDocument::Line> IniDocument::FindKey(const SectionSpan& span,
                                                      std::string_view key) const {
    key = Trim(key);
    for (std::size_t at = span.header.next; at < span.end;) {
        const Line line = LineAt(at);
        at = line.next;
        const ParsedLine parsed = ParseLine(TextOf(line));
        if (parsed.kind == ParsedLine::Kind::Key && SameName(parsed.name, key)) {
            return line;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    if (Trim(section).empty() || Trim(key).empty()) {
        return std::nullopt;
    }
    const auto span = FindSection(section);
    if (!span) {
        return std::nullopt;
    }
    const auto line = FindKey(*span, key);
    if (!line) {
        return std::nullopt;
    }
    const std::string_view text = TextOf(*line);
    return DecodeValue(text.substr(ParseLine(text).valueStart));
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
    auto value = Find(section, key);
    return value ? CutValue(std::move(*value), kMaxValueLength) : std::string(fallback);
}

std::int32_t IniDocument::ReadInteger(std::string_view section, std::string_view key,
                                      std::int32_t fallback) const {
    const auto value = Find(section, key);
    if (!value) {
        return fallback;
    }
    return ParseIniInteger(CutValue(*value, kMaxValueLength)).value_or(fallback);
}

void IniDocument::InsertLine(std::size_t at, std::string_view text) {
    // The line before may be the file's last one, without a line end yet.
    if (at == mText.size() && at > mStart && mText.back() != '\n') {
        mText += mLineEnd;
        at = mText.size();
    }
    mText.insert(at, Joined(text, mLineEnd, ""));
}

void IniDocument::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    CheckEntry(section, key, value);
    const std::string_view sectionName = Trim(section);
    const std::string_view keyName = Trim(key);
    const std::string stored = EncodeValue(value);
    const auto span = FindSection(sectionName);
    if (!span) {
        // A blank line before the new section, unless the last line is blank.
        if (mText.size() > mStart) {
            const std::size_t lastEnd = mText.back() == '\n' ? mText.size() - 1 : mText.size();
            const std::size_t newline =
                lastEnd > mStart ? mText.rfind('\n', lastEnd - 1) : std::string::npos;
            const std::size_t lastBegin =
                newline == std::string::npos || newline < mStart ? mStart : newline + 1;
            if (!Trim(TextOf(LineAt(lastBegin))).empty()) {
                InsertLine(mText.size(), "");
            }
        }
        InsertLine(mText.size(), Joined("[", sectionName, "]"));
        InsertLine(mText.size(), Joined(keyName, "=", stored));
        return;
    }
    if (const auto line = FindKey(*span, keyName)) {
        const std::size_t valueStart = line->begin + ParseLine(TextOf(*line)).valueStart;
        mText.replace(valueStart, line->end - valueStart, stored);
        return;
    }
    Line after = span->header;
    for (std::size_t at = span->header.next; at < span->end;) {
        const Line line = LineAt(at);
        at = line.next;
        if (ParseLine(TextOf(line)).kind == ParsedLine::Kind::Key) {
            after = line;
        }
    }
    InsertLine(after.next, Joined(keyName, "=", stored));
}

void IniDocument::CheckEntry(std::string_view section, std::string_view key,
                             std::string_view value) {
    const std::string_view sectionName = Trim(section);
    if (sectionName.empty() || HasLineBreak(sectionName) ||
        sectionName.find(']') != std::string_view::npos) {
        throw Error("Invalid settings section name \"" + std::string(section) + "\"");
    }
    const std::string_view keyName = Trim(key);
    if (keyName.empty() || HasLineBreak(keyName) || keyName.find('=') != std::string_view::npos ||
        keyName.front() == '[' || keyName.front() == ';') {
        throw Error("Invalid settings key name \"" + std::string(key) + "\"");
    }
    if (HasLineBreak(value)) {
        throw Error("A settings value cannot hold a line break (key \"" + std::string(keyName) +
                    "\")");
    }
}

void IniDocument::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
    if (Trim(section).empty() || Trim(key).empty()) {
        return false;
    }
    const auto span = FindSection(section);
    if (!span) {
        return false;
    }
    // One pass that moves the kept lines down over the deleted ones.
    const std::string_view name = Trim(key);
    std::size_t kept = span->header.next;
    for (std::size_t at = span->header.next; at < span->end;) {
        const Line line = LineAt(at);
        at = line.next;
        const ParsedLine parsed = ParseLine(TextOf(line));
        if (parsed.kind == ParsedLine::Kind::Key && SameName(parsed.name, name)) {
            continue;
        }
        if (kept != line.begin) {
            std::copy(mText.begin() + static_cast<std::ptrdiff_t>(line.begin),
                      mText.begin() + static_cast<std::ptrdiff_t>(line.next),
                      mText.begin() + static_cast<std::ptrdiff_t>(kept));
        }
        kept += line.next - line.begin;
    }
    if (kept == span->end) {
        return false;
    }
    mText.erase(kept, span->end - kept);
    return true;
}

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    // Decimal values may reach 2^31 (for the negative limit); hexadecimal ones use all 32 bits.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : 0x80000000u;
    std::uint64_t value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > limit) {
            return std::nullopt;
        }
    }
    if (base == 10 && value == 0x80000000u && !negative) {
        return std::nullopt;
    }
    // Two's complement wrap: "$FFFFFFFF" is -1, and a sign negates the 32 bits.
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    if (negative) {
        bits = 0u - bits;
    }
    return static_cast<std::int32_t>(bits);
}

} // namespace pixmoth
