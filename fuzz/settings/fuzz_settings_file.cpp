// The settings routines on real files: arbitrary text in a settings file that
// is a plain file, a symbolic link, a dangling link or one of two hard links,
// then reads and writes through IniStuff. After each call the file holds
// exactly what the in-memory editor makes of the same edit, reads agree with
// it, and the folder holds no temporary or lock file; links stay links.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FuzzFolder.h"
#include "imaging/bitmap/Error.h"
#include "settings/IniDocument.h"
#include "settings/IniStuff.h"

namespace {

using pixmoth::IniDocument;
using pixmoth::fuzz::Folder;

enum class Kind { Plain, Link, Dangling, HardLink };

const std::vector<std::string> kSections = {"s", "S", " s ", "Bounds", "[x", ""};
const std::vector<std::string> kKeys = {"k", "K", "\tk", "Left", "a=b", ""};

std::string PickName(FuzzedDataProvider& in, const std::vector<std::string>& vocabulary) {
    if (in.ConsumeBool()) {
        return in.ConsumeRandomLengthString(10);
    }
    return vocabulary[in.ConsumeIntegralInRange<std::size_t>(0, vocabulary.size() - 1)];
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (const unsigned char c : text) {
        char hex[8];
        std::snprintf(hex, sizeof hex, c >= 32 && c < 127 ? "%c" : "\\x%02x", c);
        out += hex;
    }
    return out;
}

void Empty(const std::string& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::filesystem::remove_all(entry.path());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int quiet = (pixmoth::SetIniMessageSink([](const std::string&) {}), 0);
    static_cast<void>(quiet);
    FuzzedDataProvider in(data, size);
    const std::string& folder = Folder();
    Empty(folder);
    const auto kind = static_cast<Kind>(in.ConsumeIntegralInRange(0, 3));
    const std::string text = kind == Kind::Dangling ? "" : in.ConsumeRandomLengthString(4096);
    const std::string real = folder + "/real.ini";
    const std::string file = kind == Kind::Plain ? real : folder + "/Pixmoth.ini";
    if (kind != Kind::Dangling) {
        std::ofstream(real, std::ios::binary)
            .write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    if (kind == Kind::Link || kind == Kind::Dangling) {
        Require(::symlink("real.ini", file.c_str()) == 0, "symlink");
    } else if (kind == Kind::HardLink) {
        Require(::link(real.c_str(), file.c_str()) == 0, "link");
    }
    const std::set<std::string> names = kind == Kind::Plain
                                            ? std::set<std::string>{"real.ini"}
                                            : std::set<std::string>{"real.ini", "Pixmoth.ini"};

    IniDocument model(text);
    for (int step = 0; step < 6 && in.remaining_bytes() > 0; ++step) {
        // Every call reads the file afresh; so does the model.
        model = IniDocument(model.Text());
        const int action = in.ConsumeIntegralInRange(0, 3);
        const std::string section = PickName(in, kSections);
        const std::string key = PickName(in, kKeys);
        try {
            switch (action) {
            case 0:
                Require(pixmoth::IniReadString(file, section, key, "<none>") ==
                            model.ReadString(section, key, "<none>"),
                        "a string reads as the editor reads it");
                break;
            case 1:
                Require(pixmoth::IniReadInteger(file, section, key, 77) ==
                            model.ReadInteger(section, key, 77),
                        "an integer reads as the editor reads it");
                break;
            case 2: {
                const std::string value = in.ConsumeRandomLengthString(64);
                pixmoth::IniWriteString(file, section, key, value);
                model.DeleteKey(section, key);
                model.WriteString(section, key, value);
                break;
            }
            case 3: {
                const auto value = in.ConsumeIntegral<std::int32_t>();
                pixmoth::IniWriteInteger(file, section, key, value);
                model.WriteInteger(section, key, value);
                Require(pixmoth::IniReadInteger(file, section, key, value ^ 1) == value,
                        "a written integer reads back");
                break;
            }
            }
        } catch (const pixmoth::Error&) {
            // Refused entries: the editor refuses them too, and nothing changed.
        }
        if (ReadAll(real) != model.Text()) {
            std::fprintf(stderr,
                         "kind %d action %d section [%s] key [%s]\nfile: [%s]\nmodel: [%s]\n",
                         static_cast<int>(kind), action, section.c_str(), key.c_str(),
                         Escaped(ReadAll(real)).c_str(), Escaped(model.Text()).c_str());
            Require(false, "the file holds what the editor made");
        }
        // A dangling link's target appears with the first call that is not refused.
        std::set<std::string> found = Names(folder);
        if (kind == Kind::Dangling) {
            found.insert("real.ini");
        }
        if (found != names) {
            for (const std::string& name : Names(folder)) {
                std::fprintf(stderr, "in the folder: %s\n", name.c_str());
            }
            Require(false, "no temporary or lock file is left");
        }
    }
    struct stat info {};
    Require(::lstat(file.c_str(), &info) == 0, "the settings file is there");
    if (kind == Kind::Link || kind == Kind::Dangling) {
        Require(S_ISLNK(info.st_mode), "a link stays a link");
    } else if (kind == Kind::HardLink) {
        Require(info.st_nlink == 2, "hard links stay linked");
    }
    return 0;
}
