#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pixmoth {

// The text of one ini (Windows profile) file, read and edited in memory. The
// editor changes only the lines an edit is about; every other byte of the file
// (comments, blank lines, unknown keys, odd spacing, the byte order mark, the
// line ends) is given back exactly as it came.
//
// How the text is read:
// - Lines end with "\n" or "\r\n". New lines take the file's own end, that of
//   its first line; a file without any line end gets "\n".
// - A UTF-8 byte order mark at the very start is kept and otherwise ignored.
// - "[name]" opens a section; text after the first "]" is ignored. A line
//   "name = value" holds a key. Names and values lose the blanks around them
//   (space, tab, CR, VT, FF). A line starting with ";" is a comment; a line
//   without "=" (or a "[" without "]") holds nothing and never matches.
// - A value enclosed in a matching pair of double or single quotes loses the
//   pair, as the Windows profile functions do.
// - Section and key names are compared without regard to ASCII case. Only the
//   first section of a name counts (later duplicates are kept but never
//   read or edited), and within it the first line of a key. Keys before the
//   first section belong to no section and are never found.
// - Names given by the caller lose their surrounding blanks too.
//
// How the text is written:
// - Writing a key that exists replaces its value in place, keeping the line's
//   spelling and spacing up to the value. A new key goes right after the last
//   key line of its section (after the header when it has none); a new section
//   is appended to the file after a blank line, "[section]" then "key=value".
// - A value that would otherwise not read back as written (blanks at either
//   end, or a quote character at both ends) is stored between double quotes,
//   so every value without a line break reads back unchanged.
// - Names that cannot be stored so that they read back (empty, a section with
//   "]", a key with "=" or starting with "[" or ";"), and values or names with
//   a line break, are refused with an Error: they would corrupt the file.
//
// The document keeps the file's text as it came, in one string, and finds
// lines by scanning it: every operation is linear in the file's size and
// holds no per-line data, so a file of millions of short lines costs no more
// memory than its own size.
class IniDocument {
public:
    // A string value is cut to this many bytes when read (a 2048-byte buffer
    // with its terminator), backing off so a UTF-8 character is not split.
    static constexpr std::size_t kMaxValueLength = 2047;

    IniDocument() = default;
    explicit IniDocument(std::string text);
    explicit IniDocument(std::string_view text) : IniDocument(std::string(text)) {}
    explicit IniDocument(const char* text) : IniDocument(std::string(text)) {}

    // The whole file as it would be written.
    const std::string& Text() const { return mText; }

    // The stored value, quotes removed, not cut; none when the key is missing.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;
    // The value cut to kMaxValueLength, or `fallback` when the key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    // The value as an integer (see ParseIniInteger), or `fallback` when the key
    // is missing or its value is not a number.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t fallback) const;

    // Both throw the Error of CheckEntry for what cannot be stored.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Stored in decimal.
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    // Removes every line of the key in its section; false when there was none.
    bool DeleteKey(std::string_view section, std::string_view key);

    // Throws an Error naming the fault when the entry could not be stored so
    // that it reads back as given.
    static void CheckEntry(std::string_view section, std::string_view key, std::string_view value);

private:
    // Offsets into mText of one line: its text is [begin, end), its line end
    // (if any) runs to `next`, where the following line begins.
    struct Line {
        std::size_t begin;
        std::size_t end;
        std::size_t next;
    };
    struct SectionSpan {
        Line header;
        std::size_t end; // where the next section's header (or the text) begins
    };

    Line LineAt(std::size_t begin) const;
    std::string_view TextOf(const Line& line) const;
    // The first section header line starting at or after `from` (a line start).
    std::optional<Line> NextSectionHeader(std::size_t from) const;
    std::optional<SectionSpan> FindSection(std::string_view name) const;
    std::optional<Line> FindKey(const SectionSpan& span, std::string_view key) const;
    // Inserts a line at `at` (a line's start or the end of the text).
    void InsertLine(std::size_t at, std::string_view text);

    std::string mText;
    std::size_t mStart = 0; // after the byte order mark
    std::string mLineEnd = "\n";
};

// An integer as the settings reader accepts it: an optional sign, then decimal
// digits, or hexadecimal digits after "$", "0x" or "0X". A decimal value must
// lie in the signed 32-bit range; a hexadecimal one may use all 32 bits and
// wraps to a signed value ("$FFFFFFFF" is -1), as the Delphi-era conversion
// did. Anything else, including blanks inside, gives none.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

} // namespace pixmoth
