// The key list and lookup rule every visible text goes through, language files loaded all or
// nothing, the languages on offer, and the shipped Polish file.
#include "files/language_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <numeric>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/lang_table.h"
#include "common/text_encoding.h"
#include "files/app_paths.h"
#include "support/temp_dir.h"

namespace r4860::files {
namespace {

namespace fs = std::filesystem;
using r4860::testing::TempDir;
using Names = std::vector<std::string>;

void writeBytes(const fs::path& path, std::string_view bytes) { std::ofstream(path, std::ios::binary) << bytes; }
std::string bracketed(std::string_view key) { return "[" + std::string(key) + "]"; }
std::string folded(std::string_view s) {
    std::string f(s);
    for (auto& c : f) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return f;
}

// A file giving every key the text "[key]", except `changed`, which gets `text` or, with
// nullopt, no entry at all. The first line has no "=" and is a comment.
std::string languageFile(std::string_view eol = "\r\n", std::string_view changed = {},
                         std::optional<std::string> text = std::nullopt) {
    std::string file = "Test language" + std::string(eol);
    for (const auto key : LangKeys()) {
        if (key != changed) file.append(key).append("=").append(bracketed(key)).append(eol);
        else if (text) file.append(key).append("=").append(*text).append(eol);
    }
    return file;
}

TEST(LangKeys, CanEachBeWrittenToAFileAndFoundAgainWhateverTheCase) {
    std::set<std::string> seen;
    std::mt19937 rng(2229);
    LangTable() = {"Cancel=Anuluj"};
    UseEnglishTable();  // replaces another language's table entirely
    ASSERT_EQ(LangTable().size(), kLangKeyCount);
    for (const auto key : LangKeys()) {
        EXPECT_TRUE(seen.insert(folded(key)).second) << "a key equal to an earlier one ignoring case: " << key;
        EXPECT_EQ(key.find_first_of("=\r\n"), std::string_view::npos) << key;
        EXPECT_FALSE(key.front() == ' ' || key.back() == ' ') << "'" << key << "'";
        std::string probe(key);
        for (auto& c : probe) c = rng() % 2 ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        EXPECT_EQ(LangText(probe), key) << probe;
    }
    EXPECT_EQ(LangText("Cancel "), "") << "a trailing blank makes another key";
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
    TempDir m_dir;
};

TEST_F(LanguageFiles, PutsACompleteFileInForceAndOtherwiseEnglish) {
    const std::string noHeader = languageFile().substr(languageFile().find('\n') + 1);
    const struct { std::string why, fileName, bytes, language; bool loads; const char* key; std::string text; } cases[] = {
        {"Unix line ends", "Test.lan", languageFile("\n"), "Test", true, "Cancel", "[Cancel]"},
        {"old Mac line ends", "Test.lan", languageFile("\r"), "Test", true, "Cancel", "[Cancel]"},
        {"a Windows-1250 file", "Test.lan", "Cancel=Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9\r\n" + languageFile(), "Test",
         true, "Cancel", "Zażółć gęślą"},
        {"a byte order mark before a key on line 1", "Test.lan", "\xEF\xBB\xBF" + noHeader, "Test", true,
         "R4860 Transmitters", "[R4860 Transmitters]"},
        {"a single blank is a text", "Test.lan", languageFile("\r\n", "Cancel", " "), "Test", true, "Cancel", " "},
        {"the file name in another case", "TEST.LAN", languageFile(), "Test", true, "Cancel", "[Cancel]"},
        {"English is built in and never read", "English.lan", "Cancel=Broken\r\n", "English", true, "Cancel", "Cancel"},
        {"the last key is missing", "Test.lan", languageFile("\r\n", LangKeys().back()), "Test", false, "", ""},
        {"the first key is missing", "Test.lan", languageFile("\r\n", LangKeys().front()), "Test", false, "", ""},
        {"a text of control characters only", "Test.lan", languageFile("\r\n", "Zero", "\t\x01"), "Test", false, "", ""},
        {"an earlier empty entry hides a later one", "Test.lan", "Cancel=\r\n" + languageFile(), "Test", false, "", ""},
        {"a key differing by a trailing blank", "Test.lan", languageFile("\r\n", "Gain") + "Gain =y\r\n", "Test",
         false, "", ""},
        {"no such file", "Other.lan", languageFile(), "Test", false, "", ""},
        {"only the exact name English is built in", "Test.lan", languageFile(), "english", false, "", ""},
        {"larger than any language file", "Test.lan", languageFile() + std::string(kMaxLanguageFileBytes, ';'),
         "Test", false, "", ""},
        {"a path in the language name", "Test.lan", languageFile(), "sub/../Test", false, "", ""},
    };
    fs::create_directory(m_dir / "sub");
    for (const auto& c : cases) {
        writeBytes(m_dir / c.fileName, c.bytes);
        LangTable() = {"Cancel=Anuluj"};  // a previous language must not survive a failed load
        std::string language = c.language;
        EXPECT_EQ(LoadLanguage(language, m_dir.path()), c.loads) << c.why;
        EXPECT_EQ(language, c.loads ? c.language : "English") << c.why;
        for (const auto key : LangKeys()) {
            const bool english = !c.loads || c.language == "English";
            ASSERT_EQ(LangText(key), english ? std::string(key) : key == c.key ? c.text : bracketed(key)) << c.why << ": " << key;
        }
        fs::remove(m_dir / c.fileName);
    }
    EXPECT_EQ(SplitLanguageText("a=1\r\nb=2\nc=3\rd=4\r\n\r\ne=5\n"), (Names{"a=1", "b=2", "c=3", "d=4", "", "e=5"}));
}

TEST_F(LanguageFiles, SearchesTheFoldersInOrderAndTakesTheFirstFileFound) {
    TempDir second;
    writeBytes(second / "Test.lan", languageFile());
    const std::vector<fs::path> dirs{m_dir.path(), second.path()};
    std::string language = "Test";
    EXPECT_TRUE(LoadLanguage(language, dirs)) << "found in the second folder";
    writeBytes(m_dir / "Test.lan", "Cancel=Anuluj\r\n");
    EXPECT_FALSE(LoadLanguage(language = "Test", dirs)) << "a broken copy in the first folder is not skipped";
    EXPECT_EQ(language, "English");
}

TEST_F(LanguageFiles, ReadsBackRandomTextsInAnyOrderEncodingAndLineEnd) {
    const Names pieces{"a", "Z", " ", "=", "...", "ą", "Ł", "ż", "ó", "&", "%d"};
    std::mt19937 rng(4860);
    for (int round = 0; round < 20; ++round) {
        Names values(kLangKeyCount, "x");
        for (auto& v : values)
            for (int n = static_cast<int>(rng() % 12); n > 0; --n) v += pieces[rng() % pieces.size()];
        std::vector<std::size_t> order(kLangKeyCount);
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), rng);
        const std::string eol = std::array{"\r\n", "\n", "\r"}[rng() % 3];
        std::string text;
        for (const auto i : order) text.append(LangKeys()[i]).append("=").append(values[i]).append(eol);
        const bool cp1250 = rng() % 2;
        writeBytes(m_dir / "Random.lan", cp1250 ? Utf8ToCp1250(text) : text);
        std::string language = "Random";
        ASSERT_TRUE(LoadLanguage(language, m_dir.path())) << "round " << round;
        for (std::size_t i = 0; i < kLangKeyCount; ++i)
            ASSERT_EQ(LangText(LangKeys()[i]), values[i]) << "round " << round << (cp1250 ? " cp1250" : " utf-8");
    }
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
        TempDir base;
        const std::vector<fs::path> dirs{base / "first", base / "second"};
        for (std::size_t d = 0; d < 2; ++d)
            for (const auto& file : d == 0 ? c.first : c.second) {
                fs::create_directories(dirs[d]);
                if (file.ends_with('/')) fs::create_directory(dirs[d] / file);
                else writeBytes(dirs[d] / file, "x");
            }
        Names names{"kept"};
        EXPECT_EQ(ListLanguages(names, dirs), !c.expected.empty()) << c.why;
        EXPECT_EQ(names, c.expected.empty() ? Names{"kept"} : c.expected) << c.why;
    }
}

TEST_F(LanguageFiles, ShippedPolishIsCompleteAndKeepsTheDecorationsOfEveryKey) {
    std::string language = "Polski";
    ASSERT_TRUE(LoadLanguage(language, ExeDir())) << "the build copies data/lang beside the executables";
    EXPECT_EQ(LangText("&File"), "&Plik");
    EXPECT_EQ(LangText("Password"), "Hasło");
    EXPECT_EQ(LangText("Result1"), "Wynik1") << "the caller drops one spare character";
    int unchanged = 0;
    for (const auto key : LangKeys()) {
        const std::string text = LangText(key);
        ASSERT_FALSE(text.empty()) << key;
        unchanged += text == key;
        EXPECT_EQ(std::ranges::count(key, '&'), std::ranges::count(text, '&')) << "accelerator of " << key;
        for (const std::string_view tail : {"...", "!", ":", " "}) EXPECT_EQ(key.ends_with(tail), text.ends_with(tail)) << key;
        EXPECT_EQ(key.find("%d") == key.npos, text.find("%d") == text.npos) << "format element of " << key;
        EXPECT_EQ(std::ranges::count_if(LangTable(), [key](const std::string& l) { return folded(l).starts_with(folded(key) + "="); }), 1)
            << "entries for " << key << " (a second one would be dead text)";
    }
    EXPECT_LT(unchanged, 15) << "names, units and words both languages share";
}

}  // namespace
}  // namespace r4860::files
