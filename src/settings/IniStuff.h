#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The settings routines: each call opens the ini file, reads or writes one key
// and closes it again. Nothing is cached, so a change made by another process
// is seen by the next call. The text rules (case, quotes, spacing, what is kept)
// are those of IniDocument.
//
// A file that does not exist is created first (EnsureIniFile). Reading a file
// that cannot be read gives the default. Writing goes through a temporary file
// renamed over the old one (WriteFileAtomically), so a failed write never
// leaves a damaged file; a file that exists but cannot be read is never
// overwritten. Each write holds a lock from its read to its rename
// (SettingsLock), so copies of the program writing at once lose no update.
// Every call takes time linear in the file's size. Any write failure
// raises an Error "Unable to write to " + path. An entry IniDocument refuses
// (a name that cannot be stored, a value with a line break) raises its Error
// before the file is touched.
namespace pixmoth {

std::string IniReadString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& fallback);
// Decimal with an optional sign, or hexadecimal after "$", "0x" or "0X"; the
// default for a missing key or anything else.
std::int32_t IniReadInteger(const std::string& file, const std::string& section,
                            const std::string& key, std::int32_t fallback);
// Deletes the key and then writes it, so it ends up once, at its section's end.
void IniWriteString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
// Stored in decimal; an existing key keeps its place.
void IniWriteInteger(const std::string& file, const std::string& section, const std::string& key,
                     std::int32_t value);

// Creates the file's directory (one level) when it is missing, raising an Error
// "Could not create " + directory when that fails. Then creates the empty file
// when it is missing; when that fails the message "Could not create " + path
// goes to the message sink and the call returns normally.
void EnsureIniFile(const std::string& file);

// Where EnsureIniFile's message goes; the program shows it in a message box.
// The default writes it to stderr. Returns the sink it replaces.
using IniMessageSink = std::function<void(const std::string& message)>;
IniMessageSink SetIniMessageSink(IniMessageSink sink);

} // namespace pixmoth
