#include "cli/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "imaging/bitmap/Error.h"

namespace pixmoth::cli {

CommandLine::CommandLine(const std::vector<std::string>& words, const std::set<std::string>& valued,
                         const std::set<std::string>& flags) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        // "-5" is a value (a negative factor), not an option.
        if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
            const std::string name = word.substr(2);
            if (valued.count(name)) {
                if (i + 1 >= words.size()) {
                    throw Error("Option --" + name + " needs a value");
                }
                mValues[name] = words[++i];
            } else if (flags.count(name)) {
                mFlags.insert(name);
            } else {
                throw Error("Unknown option " + word);
            }
        } else {
            mPositional.push_back(word);
        }
    }
}

std::optional<std::string> CommandLine::Value(const std::string& name) const {
    const auto it = mValues.find(name);
    if (it == mValues.end()) {
        return std::nullopt;
    }
    return it->second;
}

void CommandLine::ExpectPositional(std::size_t min, std::size_t max,
                                   const std::string& usage) const {
    if (mPositional.size() < min || mPositional.size() > max) {
        throw Error("usage: " + usage);
    }
}

long long ParseInt64(const std::string& text, const std::string& what) {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE) {
        throw Error(what + " must be a whole number, not \"" + text + "\"");
    }
    return value;
}

int ParseInt(const std::string& text, const std::string& what) {
    const long long value = ParseInt64(text, what);
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        throw Error(what + " is out of range: " + text);
    }
    return static_cast<int>(value);
}

double ParseReal(const std::string& text, const std::string& what) {
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(value)) {
        throw Error(what + " must be a number, not \"" + text + "\"");
    }
    return value;
}

} // namespace pixmoth::cli
