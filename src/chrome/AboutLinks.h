#pragma once

#include <string>

#include "platform/Environment.h"
#include "platform/PaintProgram.h"

namespace pixmoth {

// Where the about box points: the project's home page, its mail address, and
// the local pages of its second page. The addresses are placeholders until the
// project has a site of its own.
inline constexpr const char* kMakerSite = "pixmoth.example.org";
inline constexpr const char* kHomePage = "https://pixmoth.example.org/";
inline constexpr const char* kMailAddress = "feedback@pixmoth.example.org";
inline constexpr const char* kWebPage = "qrc:/about/home.html";
inline constexpr const char* kSoftwareListPage = "qrc:/about/software.html";

// "mailto:" + address + "?subject=" + the subject, percent-encoded as a URI
// query wants it (a path with spaces or "&" stays one subject).
std::string MailtoUri(const std::string& address, const std::string& subject);

// The call that hands a mailto: URI to the desktop's mail program: xdg-email
// when it is on PATH, else xdg-open; program "" when neither is there.
ProgramCall MailLinkCall(const Environment& environment, const std::string& uri);

} // namespace pixmoth
