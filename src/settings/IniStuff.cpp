#include "settings/IniStuff.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/bitmap/Error.h"
#include "imaging/codecs/FileIO.h"
#include "settings/IniDocument.h"
#include "settings/SettingsLock.h"

namespace pixmoth {

namespace {

IniMessageSink& MessageSink() {
    static IniMessageSink sink = [](const std::string& message) {
        std::fprintf(stderr, "%s\n", message.c_str());
    };
    return sink;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The directory part of a path, without its trailing slash (but "/" for the
// root); empty for a bare file name.
std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file's text, or none when it cannot be read.
std::optional<std::string> ReadText(const std::string& file) {
    try {
        return ReadFileText(file);
    } catch (const Error&) {
        return std::nullopt;
    }
}

IniDocument OpenForReading(const std::string& file) {
    if (!Exists(file)) {
        EnsureIniFile(file);
    }
    const SettingsLock lock(file, SettingsLock::Mode::Shared);
    return IniDocument(ReadText(file).value_or(std::string()));
}

// Reads the file, writes the one key and writes the file back in one piece,
// all under the lock, so that a concurrent write is never lost.
// `moveToEnd` deletes the key first, so it ends up once, at its section's end.
void WriteKey(const std::string& file, const std::string& section, const std::string& key,
              const std::string& value, bool moveToEnd) {
    // Checked first, so a refused entry leaves no trace, not even a new file.
    IniDocument::CheckEntry(section, key, value);
    if (!Exists(file)) {
        EnsureIniFile(file);
    }
    const std::string failure = "Unable to write to " + file;
    const SettingsLock lock(file, SettingsLock::Mode::Exclusive);
    // A file we cannot read (or that vanished) must not be replaced by our one key.
    std::optional<std::string> text = ReadText(file);
    if (!text) {
        throw Error(failure);
    }
    IniDocument document(std::move(*text));
    if (moveToEnd) {
        document.DeleteKey(section, key);
    }
    document.WriteString(section, key, value);
    const std::string& result = document.Text();
    try {
        WriteFileAtomically(file, reinterpret_cast<const std::uint8_t*>(result.data()),
                            result.size());
    } catch (const Error&) {
        throw Error(failure);
    }
}

} // namespace

std::string IniReadString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& fallback) {
    return OpenForReading(file).ReadString(section, key, fallback);
}

std::int32_t IniReadInteger(const std::string& file, const std::string& section,
                            const std::string& key, std::int32_t fallback) {
    return OpenForReading(file).ReadInteger(section, key, fallback);
}

void IniWriteString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
    WriteKey(file, section, key, value, true);
}

void IniWriteInteger(const std::string& file, const std::string& section, const std::string& key,
                     std::int32_t value) {
    WriteKey(file, section, key, std::to_string(value), false);
}

void EnsureIniFile(const std::string& file) {
    const std::string directory = DirectoryOf(file);
    if (!directory.empty() && !IsDirectory(directory)) {
        if (::mkdir(directory.c_str(), 0777) != 0) {
            throw Error("Could not create " + directory);
        }
    }
    if (Exists(file)) {
        return;
    }
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (MessageSink()) {
            MessageSink()("Could not create " + file);
        }
        return;
    }
    ::close(fd);
}

IniMessageSink SetIniMessageSink(IniMessageSink sink) {
    return std::exchange(MessageSink(), std::move(sink));
}

} // namespace pixmoth
