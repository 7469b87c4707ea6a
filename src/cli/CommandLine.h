#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The parsed words of one pixmoth-cli call: positional arguments in order, and
// options of the form --name VALUE or --flag anywhere among them.
namespace pixmoth::cli {

class CommandLine {
public:
    // `valued` names the options that take a value; every other --word is a flag.
    // Unknown options are errors, so a typo never passes silently.
    CommandLine(const std::vector<std::string>& words, const std::set<std::string>& valued,
                const std::set<std::string>& flags);

    const std::vector<std::string>& Positional() const { return mPositional; }
    bool Flag(const std::string& name) const { return mFlags.count(name) > 0; }
    std::optional<std::string> Value(const std::string& name) const;

    // Checks the number of positional arguments; throws the usage text otherwise.
    void ExpectPositional(std::size_t min, std::size_t max, const std::string& usage) const;

private:
    std::vector<std::string> mPositional;
    std::set<std::string> mFlags;
    std::map<std::string, std::string> mValues;
};

// Whole-string number parsing with messages that name the argument.
int ParseInt(const std::string& text, const std::string& what);
long long ParseInt64(const std::string& text, const std::string& what);
double ParseReal(const std::string& text, const std::string& what);

} // namespace pixmoth::cli
