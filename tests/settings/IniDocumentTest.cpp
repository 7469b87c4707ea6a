#include <climits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/bitmap/Error.h"
#include "settings/IniDocument.h"

namespace pixmoth {
namespace {

struct ReadCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

TEST(IniDocumentRead, ToleratesWhatHandEditedFilesHold) {
    const std::vector<ReadCase> cases = {
        {"spaces around names and =", "[ Bounds ]\n  Left =  32  \n", "Bounds", "Left", "32"},
        {"names ignore case", "[bOUNDS]\nLEFT=5\n", "Bounds", "left", "5"},
        {"caller's name is trimmed", "[s]\nk=1\n", " s ", "\tk", "1"},
        {"double quotes removed", "[s]\nk=\" a b \"\n", "s", "k", " a b "},
        {"single quotes removed", "[s]\nk='x'\n", "s", "k", "x"},
        {"unmatched quotes kept", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
        {"empty value is present", "[s]\nk=\n", "s", "k", ""},
        {"byte order mark ignored", "\xEF\xBB\xBF[s]\nk=1\n", "s", "k", "1"},
        {"CRLF line ends", "[s]\r\nk=v\r\nj=w\r\n", "s", "k", "v"},
        {"text after ] ignored", "[s] ; note\nk=1\n", "s", "k", "1"},
        {"first duplicate section wins", "[s]\nk=1\n[S]\nk=2\nj=3\n", "s", "k", "1"},
        {"later duplicate section unread", "[s]\nk=1\n[S]\nk=2\nj=3\n", "s", "j", std::nullopt},
        {"first duplicate key wins", "[s]\nk=1\nK=2\n", "s", "k", "1"},
        {"line without = skipped", "[s]\nk\nk=2\n", "s", "k", "2"},
        {"comment skipped", "[s]\n;k=1\nk=2\n", "s", "k", "2"},
        {"[ without ] is no section", "[s\nk=1\n", "s", "k", std::nullopt},
        {"keys before any section unread", "k=1\n[s]\n", "s", "k", std::nullopt},
        {"key of another section", "[a]\nk=1\n[b]\n", "b", "k", std::nullopt},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(IniDocument(c.text).Find(c.section, c.key), c.expected) << c.name;
    }
}

TEST(IniDocumentRead, IntegersInDecimalOrHexElseTheDefault) {
    const std::vector<std::pair<const char*, std::optional<std::int32_t>>> cases = {
        {"0x20", 32},
        {"0X1f", 31},
        {"$20", 32},
        {"$ff", 255},
        {"-12", -12},
        {"+7", 7},
        {"007", 7},
        {"-$10", -16},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"$FFFFFFFF", -1},
        {"0x80000000", INT_MIN},
        {"$000000001", 1},
        {"2147483648", std::nullopt},
        {"$100000000", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"-", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"1.5", std::nullopt},
        {"$-5", std::nullopt},
        {"10g", std::nullopt},
        {"0x1g", std::nullopt},
        {"++1", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ParseIniInteger(text), expected) << "\"" << text << "\"";
    }
    const IniDocument document("[Bounds]\nLeft=0x20\nTop=abc\nRight = '7'\n");
    EXPECT_EQ(document.ReadInteger("Bounds", "Left", 10), 32);
    EXPECT_EQ(document.ReadInteger("Bounds", "Top", 10), 10);
    EXPECT_EQ(document.ReadInteger("Bounds", "Right", 600), 7);
    EXPECT_EQ(document.ReadInteger("Bounds", "Bottom", 500), 500);
}

TEST(IniDocumentRead, StringsAreCutTo2047BytesWithoutSplittingACharacter) {
    const std::string longValue(3000, 'x');
    EXPECT_EQ(IniDocument("[s]\nk=" + longValue + "\n").ReadString("s", "k", ""),
              std::string(2047, 'x'));
    const std::string exact(2047, 'y');
    EXPECT_EQ(IniDocument("[s]\nk=" + exact + "\n").ReadString("s", "k", ""), exact);
    // "é" is two bytes and would straddle the limit.
    const std::string utf8 = std::string(2046, 'z') + "\xC3\xA9" + "tail";
    EXPECT_EQ(IniDocument("[s]\nk=" + utf8 + "\n").ReadString("s", "k", ""),
              std::string(2046, 'z'));
    EXPECT_EQ(IniDocument("").ReadString("s", "k", "fallback"), "fallback");
}

TEST(IniDocumentEdit, UntouchedTextComesBackByteForByte) {
    const std::string messy =
        "\xEF\xBB\xBF; settings\r\n\r\n[a]\nk = 1 \r\njunk line\n[b\n\t=\n[a]\nx=\"q\"";
    EXPECT_EQ(IniDocument(messy).Text(), messy);
}

struct EditCase {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

TEST(IniDocumentEdit, WritesReplaceInPlaceOrAppendToTheSectionOrFile) {
    const std::vector<EditCase> cases = {
        {"replace keeps spacing and neighbours",
         "; top\n[Bounds]\nLeft =  10  \nTop=10\n\n; end\n[Other]\nLeft=3\n", "bounds", "LEFT",
         "32", "; top\n[Bounds]\nLeft =  32\nTop=10\n\n; end\n[Other]\nLeft=3\n"},
        {"new key after the last key line", "[a]\nx=1\ny=2\n\n; about b\n[b]\nz=3\n", "a", "k", "v",
         "[a]\nx=1\ny=2\nk=v\n\n; about b\n[b]\nz=3\n"},
        {"new key in a keyless section", "[a]\n; nothing yet\n[b]\n", "a", "k", "v",
         "[a]\nk=v\n; nothing yet\n[b]\n"},
        {"new section after a blank line", "[a]\nx=1\n", "Bounds", "Left", "10",
         "[a]\nx=1\n\n[Bounds]\nLeft=10\n"},
        {"new section in an empty file", "", "Start with", "StartDir", "/home/u/",
         "[Start with]\nStartDir=/home/u/\n"},
        {"file without a final line end", "[a]\nx=1", "a", "y", "2", "[a]\nx=1\ny=2\n"},
        {"CRLF file stays CRLF", "[a]\r\nx=1\r\n", "b", "k", "v",
         "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n"},
        {"value that needs quotes", "[a]\n", "a", "k", " padded ", "[a]\nk=\" padded \"\n"},
    };
    for (const EditCase& c : cases) {
        IniDocument document(c.before);
        document.WriteString(c.section, c.key, c.value);
        EXPECT_EQ(document.Text(), c.after) << c.name;
        EXPECT_EQ(IniDocument(document.Text()).Find(c.section, c.key), c.value) << c.name;
    }
}

TEST(IniDocumentEdit, DeleteThenWriteLeavesExactlyOneLineAtTheSectionEnd) {
    IniDocument document("[s]\nk=1\nj=2\nK = 3\n[t]\nk=4\n");
    EXPECT_TRUE(document.DeleteKey("S", "k"));
    document.WriteString("s", "k", "new");
    EXPECT_EQ(document.Text(), "[s]\nj=2\nk=new\n[t]\nk=4\n");
    EXPECT_FALSE(document.DeleteKey("s", "missing"));
    EXPECT_FALSE(document.DeleteKey("none", "k"));
}

TEST(IniDocumentEdit, AwkwardValuesReadBackUnchanged) {
    const std::vector<std::string> values = {"",    " lead", "trail\t", "\"q\"", "'q'", "\"",
                                             "a=b", ";x",    "[x]",     "\"a' ", "  "};
    for (const std::string& value : values) {
        IniDocument document("[s]\nk=old\n");
        document.WriteString("s", "k", value);
        EXPECT_EQ(IniDocument(document.Text()).Find("s", "k"), value) << "[" << value << "]";
    }
}

TEST(IniDocumentEdit, RefusesWhatWouldCorruptTheFile) {
    const std::vector<std::vector<std::string>> entries = {
        {" ", "k", "v"},  {"a]b", "k", "v"}, {"s", "", "v"},     {"s", "a=b", "v"},
        {"s", "[k", "v"}, {"s", ";k", "v"},  {"s", "k", "a\nb"}, {"s", "k", "a\r"},
    };
    for (const auto& entry : entries) {
        IniDocument document("[s]\nk=1\n");
        EXPECT_THROW(document.WriteString(entry[0], entry[1], entry[2]), Error)
            << entry[0] << "/" << entry[1];
        EXPECT_EQ(document.Text(), "[s]\nk=1\n");
    }
}

} // namespace
} // namespace pixmoth
