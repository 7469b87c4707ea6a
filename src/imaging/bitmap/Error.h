#pragma once

#include <stdexcept>
#include <string>

namespace pixmoth {

// The one exception type of the pure code. Its text is shown to the user as it
// stands, so it must say what went wrong in the program's own words.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace pixmoth
