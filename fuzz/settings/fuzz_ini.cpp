// Drives the in-memory ini editor with arbitrary text and a few reads, writes
// and deletions, checking after each edit that the written key reads back as
// written, that every other key reads as before, and that the text parses back
// to itself.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "FuzzRequire.h"
#include "imaging/bitmap/Error.h"
#include "settings/IniDocument.h"

namespace {

using pixmoth::IniDocument;

// Names as the document compares them: blanks around removed, ASCII case folded.
std::string Normalized(std::string_view name) {
    const std::string_view blanks = " \t\r\v\f";
    const auto first = name.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    name = name.substr(first, name.find_last_not_of(blanks) - first + 1);
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

const std::vector<std::string> kSections = {"s", "S", " s ", "t", "Bounds", "[x"};
const std::vector<std::string> kKeys = {"k", "K", "\tk", "j", "Left", "a=b"};

std::string PickName(FuzzedDataProvider& in, const std::vector<std::string>& vocabulary) {
    if (in.ConsumeBool()) {
        return in.ConsumeRandomLengthString(12);
    }
    return vocabulary[in.ConsumeIntegralInRange<std::size_t>(0, vocabulary.size() - 1)];
}

struct Probe {
    std::string section;
    std::string key;
    std::optional<std::string> value;
};

std::vector<Probe> ReadProbes(const IniDocument& document) {
    std::vector<Probe> probes;
    for (const std::string& section : kSections) {
        for (const std::string& key : kKeys) {
            probes.push_back({section, key, document.Find(section, key)});
        }
    }
    return probes;
}

// Every probe except the edited key reads as before, in the document and in
// the document parsed again from its text.
void CheckOthersUnchanged(const std::vector<Probe>& before, const IniDocument& document,
                          const std::string& section, const std::string& key) {
    const IniDocument reparsed(document.Text());
    Require(reparsed.Text() == document.Text(), "text parses back to itself");
    for (const Probe& probe : before) {
        const bool edited = Normalized(probe.section) == Normalized(section) &&
                            Normalized(probe.key) == Normalized(key);
        if (!edited) {
            Require(document.Find(probe.section, probe.key) == probe.value,
                    "untouched key unchanged");
            Require(reparsed.Find(probe.section, probe.key) == probe.value,
                    "untouched key unchanged after parsing again");
        }
    }
}

void CheckReads(const IniDocument& document, const std::string& section, const std::string& key) {
    const std::optional<std::string> found = document.Find(section, key);
    const std::string text = document.ReadString(section, key, "<none>");
    if (!found) {
        Require(text == "<none>", "missing key gives the default");
        Require(document.ReadInteger(section, key, 77) == 77, "missing integer gives the default");
        return;
    }
    Require(text.size() <= IniDocument::kMaxValueLength, "string cut to the limit");
    Require(found->compare(0, text.size(), text) == 0, "cut string is a prefix of the value");
    Require(text.size() == found->size() || text.size() + 3 >= IniDocument::kMaxValueLength,
            "only long strings are cut");
    const auto parsed = pixmoth::ParseIniInteger(text);
    Require(document.ReadInteger(section, key, 77) == parsed.value_or(77),
            "integer read agrees with the parser");
    if (parsed && *parsed >= 0 && text.find_first_not_of("0123456789") == std::string::npos &&
        text.size() <= 10) {
        Require(std::to_string(*parsed) == std::to_string(std::stoll(text)), "decimal value");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string original = in.ConsumeRandomLengthString(1 << 16);
    IniDocument document(original);
    Require(document.Text() == original, "unedited text comes back byte for byte");

    for (int step = 0; step < 8 && in.remaining_bytes() > 0; ++step) {
        const int action = in.ConsumeIntegralInRange(0, 4);
        const std::string section = PickName(in, kSections);
        const std::string key = PickName(in, kKeys);
        const std::vector<Probe> before = ReadProbes(document);
        const std::string textBefore = document.Text();
        try {
            switch (action) {
            case 0:
                CheckReads(document, section, key);
                break;
            case 1: {
                const std::string value =
                    in.ConsumeRandomLengthString(in.ConsumeBool() ? 3000 : 24);
                document.WriteString(section, key, value);
                Require(document.Find(section, key) == value, "written string reads back");
                break;
            }
            case 2: {
                const auto value = in.ConsumeIntegral<std::int32_t>();
                document.WriteInteger(section, key, value);
                Require(document.ReadInteger(section, key, value ^ 1) == value,
                        "written integer reads back");
                break;
            }
            case 3:
                document.DeleteKey(section, key);
                Require(!document.Find(section, key), "deleted key is gone");
                break;
            case 4: {
                // The settings writer's string write: delete, then write.
                const std::string value = in.ConsumeRandomLengthString(24);
                IniDocument::CheckEntry(section, key, value);
                document.DeleteKey(section, key);
                document.WriteString(section, key, value);
                Require(document.Find(section, key) == value, "rewritten string reads back");
                break;
            }
            }
        } catch (const pixmoth::Error&) {
            Require(document.Text() == textBefore, "a refused entry leaves the text alone");
            continue;
        }
        CheckOthersUnchanged(before, document, section, key);
        CheckReads(document, section, key);
    }
    return 0;
}
