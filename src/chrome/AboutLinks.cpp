#include "chrome/AboutLinks.h"

namespace pixmoth {

std::string MailtoUri(const std::string& address, const std::string& subject) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string uri = "mailto:" + address + "?subject=";
    for (const char c : subject) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                                byte == '_' || byte == '~' || byte == '/';
        if (unreserved) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        }
    }
    return uri;
}

ProgramCall MailLinkCall(const Environment& environment, const std::string& uri) {
    for (const char* program : {"xdg-email", "xdg-open"}) {
        if (!environment.FindProgram(program).empty()) {
            return {program, {uri}};
        }
    }
    return {};
}

} // namespace pixmoth
