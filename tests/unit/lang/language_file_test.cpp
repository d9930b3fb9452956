// Text lookup, language files loaded all or nothing, the languages on offer, the shipped Polish file.
#include "files/language_file.h"

#include <gtest/gtest.h>
#include <strings.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <ranges>
#include <string>
#include <vector>

#include "common/lang_table.h"
#include "common/text_encoding.h"
#include "files/app_paths.h"
#include "support/temp_dir.h"

namespace r4860::files {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

void writeBytes(const fs::path& path, std::string_view bytes) { std::ofstream(path, std::ios::binary) << bytes; }
std::string bracketed(std::string_view key) { return "[" + std::string(key) + "]"; }

// A comment line, then every key with the text "[key]"; `changed` gets `text` instead, or no entry.
std::string languageFile(std::string_view eol = "\r\n", std::string_view changed = {},
                         std::optional<std::string> text = std::nullopt) {
    std::string file = "Test language" + std::string(eol);
    for (const auto key : LangKeys()) {
        if (key != changed) file.append(key).append("=").append(bracketed(key)).append(eol);
        else if (text) file.append(key).append("=").append(*text).append(eol);
    }
    return file;
}

TEST(LangKeys, AreFoundByTheFirstEntryWithTheirNameIgnoringCase) {
    for (const auto key : LangKeys())
        EXPECT_FALSE(key.find_first_of("=\r\n") != key.npos || key.front() == ' ' || key.back() == ' ') << key;
    const struct { const char* why; Names table; const char* key; const char* expected; } cases[] = {
        {"the first match wins, even an empty one", {"Zero=", "zero=x"}, "Zero", ""},
        {"a line without = never matches", {"Cancel", "cancel=Anuluj"}, "Cancel", "Anuluj"},
        {"the value runs to the end, blanks and later = included", {"Range= a=b "}, "Range", " a=b "},
        {"blanks around the name are part of the name", {"Zero =Zero"}, "Zero", ""},
        {"a prefix of the name is not the name", {"Zero correction=x"}, "Zero", ""},
        {"the value is not the name", {"x=Zero"}, "Zero", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FindLangText(c.table, c.key), c.expected) << c.why;
}

class LanguageFiles : public ::testing::Test {
protected:
    void TearDown() override { UseEnglishTable(); }
    testing::TempDir m_dir;
};

TEST_F(LanguageFiles, PutsACompleteFileInForceAndOtherwiseEnglish) {
    const std::string noHeader = languageFile().substr(languageFile().find('\n') + 1);
    std::string backwards;  // old Mac line ends, no header, the keys in reverse order
    for (const auto key : std::views::reverse(LangKeys())) backwards.append(key) += "=" + bracketed(key) + "\r";
    // key: the one whose text is not "[key]", nullptr when the file must be refused.
    const struct { std::string why, bytes; const char* key = nullptr; std::string text{}, fileName = "Test.lan",
                   language = "Test"; } cases[] = {
        {"Unix line ends", languageFile("\n"), "Cancel", "[Cancel]"},
        {"backwards", backwards, "Cancel", "[Cancel]"},
        {"Windows-1250", "Cancel=Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9\r\n" + languageFile(), "Cancel", "Zażółć gęślą"},
        {"a BOM before a key", "\xEF\xBB\xBF" + noHeader, "R4860 Transmitters", "[R4860 Transmitters]"},
        {"a single blank is a text", languageFile("\r\n", "Cancel", " "), "Cancel", " "},
        {"the file name in another case", languageFile(), "Cancel", "[Cancel]", "TEST.LAN"},
        {"English is built in and never read", "Cancel=Broken\r\n", "Cancel", "Cancel", "English.lan", "English"},
        {"the last key is missing", languageFile("\r\n", LangKeys().back())},
        {"the first key is missing", languageFile("\r\n", LangKeys().front())},
        {"a text of control characters only", languageFile("\r\n", "Zero", "\t\x01")},
        {"an earlier empty entry hides a later one", "Cancel=\r\n" + languageFile()},
        {"no such file", languageFile(), nullptr, "", "Other.lan"},
        {"only the exact name English is built in", languageFile(), nullptr, "", "Test.lan", "english"},
        {"larger than any language file", languageFile() + std::string(kMaxLanguageFileBytes, ';')},
        {"a path in the language name", languageFile(), nullptr, "", "Test.lan", "sub/../Test"},
    };
    fs::create_directory(m_dir / "sub");
    for (const auto& c : cases) {
        writeBytes(m_dir / c.fileName, c.bytes);
        LangTable() = {"Cancel=Anuluj"};  // a previous language must not survive a failed load
        std::string language = c.language;
        EXPECT_EQ(LoadLanguage(language, m_dir.path()), c.key != nullptr) << c.why;
        EXPECT_EQ(language, c.key ? c.language : "English") << c.why;
        const bool english = language == "English";
        for (const auto key : LangKeys())
            ASSERT_EQ(LangText(key), english ? std::string(key) : key == c.key ? c.text : bracketed(key)) << c.why;
        for (const auto key : ToolLangKeys())  // optional: a file without them reads them in English
            ASSERT_EQ(LangText(key), std::string(key)) << c.why;
        fs::remove(m_dir / c.fileName);
    }
    EXPECT_EQ(SplitLanguageText("a=1\r\nb=2\nc=3\rd=4\r\n\r\ne=5\n"), (Names{"a=1", "b=2", "c=3", "d=4", "", "e=5"}));
    // Folders are searched in order, and a broken copy in the first is not skipped.
    writeBytes(m_dir / "sub" / "Test.lan", languageFile());
    const std::vector<fs::path> dirs{m_dir.path(), m_dir / "sub"};
    std::string language = "Test";
    EXPECT_TRUE(LoadLanguage(language, dirs)) << "found in the second folder";
    writeBytes(m_dir / "Test.lan", "Cancel=Anuluj\r\n");
    EXPECT_FALSE(LoadLanguage(language = "Test", dirs) || language != "English") << "a broken first copy wins";
}

TEST(ListLanguages, OffersEnglishAndTheFirstTenFilesSortedIgnoringCase) {
    Names eleven, firstTen{"English"};  // alternating case: a case-sensitive sort would pick other ten
    for (char c = 'k'; c >= 'a'; --c) eleven.push_back(std::string((c - 'a') % 2 ? "lang_" : "Lang_") + c + ".lan");
    for (char c = 'a'; c <= 'j'; ++c) firstTen.push_back(std::string((c - 'a') % 2 ? "lang_" : "Lang_") + c);
    const struct { const char* why; Names first, second, expected; } cases[] = {  // expected empty: false
        {"no usable file; a folder named .lan", {"notes.txt", "Polski.lan.bak", "Folder.lan/"}, {}, {}},
        {"names that could not be stored or shown", {".lan", "Bad\nname.lan", "Latin\xB3.lan"}, {}, {}},
        {"sorted ignoring case, any case of extension", {"polski.lan", "Deutsch.LAN", "Cestina.Lan"}, {},
         {"Cestina", "Deutsch", "English", "polski"}},
        {"eleven files: English and the first ten", eleven, {}, firstTen},
        {"an English file gives no second English", {"english.LAN", "Polski.lan"}, {}, {"English", "Polski"}},
        {"once across folders and cases, first folder's spelling", {"Polski.lan"}, {"POLSKI.lan", "Deutsch.lan"},
         {"Deutsch", "English", "Polski"}},
    };
    for (const auto& c : cases) {
        testing::TempDir base;
        const std::vector<fs::path> dirs{base / "first", base / "second"};
        for (std::size_t d = 0; d < 2; ++d)
            for (const auto& file : d == 0 ? c.first : c.second) {
                fs::create_directories(dirs[d] / (file.ends_with('/') ? file : ""));
                if (!file.ends_with('/')) writeBytes(dirs[d] / file, "x");
            }
        Names names{"kept"};
        EXPECT_EQ(ListLanguages(names, dirs), !c.expected.empty()) << c.why;
        EXPECT_EQ(names, c.expected.empty() ? Names{"kept"} : c.expected) << c.why;
    }
}

TEST_F(LanguageFiles, ShippedPolishIsCompleteAndKeepsTheDecorationsOfEveryKey) {
    std::string language = "Polski";
    ASSERT_TRUE(LoadLanguage(language, ExeDir())) << "the build copies data/lang beside the executables";
    int unchanged = 0;
    std::vector<std::string_view> keys(LangKeys().begin(), LangKeys().end());
    keys.insert(keys.end(), ToolLangKeys().begin(), ToolLangKeys().end());
    for (const auto key : keys) {
        const std::string text = LangText(key);
        unchanged += text == key;
        EXPECT_EQ(std::ranges::count(key, '&'), std::ranges::count(text, '&')) << "accelerator of " << key;
        for (const std::string_view tail : {"...", "!", ":", " "}) EXPECT_EQ(key.ends_with(tail), text.ends_with(tail)) << key;
        EXPECT_EQ(key.find("%d") == key.npos, text.find("%d") == text.npos) << "format element of " << key;
        const auto entries = [key](const std::string& l) {  // c_str(): the comparison stops at its end
            return ::strncasecmp(l.c_str(), key.data(), key.size()) == 0 && l[key.size()] == '='; };
        EXPECT_EQ(std::ranges::count_if(LangTable(), entries), 1) << key << ": one entry, a second would be dead";
    }
    EXPECT_LT(unchanged, 15) << "names, units and words both languages share";
}

}  // namespace
}  // namespace r4860::files
