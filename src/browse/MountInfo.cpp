#include "browse/MountInfo.h"

#include <charconv>
#include <fstream>
#include <iterator>

namespace pixmoth {

std::string UnescapeOctal(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                text += static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) |
                                          (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        text += field[i];
    }
    return text;
}

namespace {

// Fields are separated by single spaces; the kernel escapes spaces, tabs,
// newlines and backslashes inside a field as three octal digits.
std::vector<std::string_view> Split(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start <= line.size()) {
        const std::size_t end = std::min(line.find(' ', start), line.size());
        if (end > start) {
            fields.push_back(line.substr(start, end - start));
        }
        start = end + 1;
    }
    return fields;
}

template <typename T>
bool ToNumber(std::string_view text, T& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool ParseLine(std::string_view line, MountEntry& entry) {
    const std::vector<std::string_view> fields = Split(line);
    // id parent major:minor root mount-point options [optional...] - type source super
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") {
        ++separator;
    }
    if (fields.size() < 7 || separator + 3 > fields.size()) {
        return false;
    }
    const std::string_view device = fields[2];
    const std::size_t colon = device.find(':');
    if (colon == std::string_view::npos || !ToNumber(fields[0], entry.id) ||
        !ToNumber(fields[1], entry.parentId) || !ToNumber(device.substr(0, colon), entry.major) ||
        !ToNumber(device.substr(colon + 1), entry.minor)) {
        return false;
    }
    entry.root = UnescapeOctal(fields[3]);
    entry.mountPoint = UnescapeOctal(fields[4]);
    entry.options = UnescapeOctal(fields[5]);
    entry.fsType = UnescapeOctal(fields[separator + 1]);
    entry.source = UnescapeOctal(fields[separator + 2]);
    entry.superOptions = separator + 3 < fields.size() ? UnescapeOctal(fields[separator + 3]) : "";
    return !entry.mountPoint.empty() && entry.mountPoint.front() == '/';
}

} // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        MountEntry entry;
        if (ParseLine(text.substr(start, end - start), entry)) {
            mounts.push_back(std::move(entry));
        }
        start = end + 1;
    }
    return mounts;
}

std::vector<MountEntry> ReadMountInfo(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseMountInfo(text);
}

} // namespace pixmoth
