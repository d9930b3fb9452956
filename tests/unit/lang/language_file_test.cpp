// Loading language files all or nothing, listing the languages on offer, and the shipped Polish file.
#include "files/language_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
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

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::string bracketed(std::string_view key) { return "[" + std::string(key) + "]"; }

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

class LanguageFiles : public ::testing::Test {
protected:
    void SetUp() override { UseEnglishTable(); }
    void TearDown() override { UseEnglishTable(); }

    void expectEnglishInForce(const std::string& language, const std::string& why) {
        EXPECT_EQ(language, "English") << why;
        EXPECT_EQ(LangTable(), EnglishTable()) << why;
    }

    TempDir m_dir;
};

struct LoadCase {
    std::string why, fileName, bytes, language;
    bool loads;
    const char* key = "Cancel";  // the key whose text the row is about
    std::string text = "[Cancel]";
};

TEST_F(LanguageFiles, PutsACompleteFileInForceAndOtherwiseEnglish) {
    const std::string cp1250 = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1";  // not valid UTF-8
    const std::string noHeader = languageFile().substr(languageFile().find('\n') + 1);
    const LoadCase cases[] = {
        {"Windows line ends", "Test.lan", languageFile("\r\n"), "Test", true},
        {"Unix line ends", "Test.lan", languageFile("\n"), "Test", true},
        {"old Mac line ends", "Test.lan", languageFile("\r"), "Test", true},
        {"a Windows-1250 file", "Test.lan", "Cancel=" + cp1250 + "\r\n" + languageFile(), "Test", true, "Cancel",
         "Zażółć gęślą jaźń"},
        {"a byte order mark before a key on line 1", "Test.lan", "\xEF\xBB\xBF" + noHeader, "Test", true,
         "R4860 Transmitters", "[R4860 Transmitters]"},
        {"a single blank is a text", "Test.lan", languageFile("\r\n", "Cancel", " "), "Test", true, "Cancel", " "},
        {"the first of two entries wins, ignoring case", "Test.lan", "cancel=Anuluj\r\n" + languageFile(), "Test",
         true, "Cancel", "Anuluj"},
        {"the file name in another case", "TEST.LAN", languageFile(), "Test", true},
        {"English is built in and never read", "English.lan", "Cancel=Broken\r\n", "English", true, "Cancel",
         "Cancel"},
        {"the last key is missing", "Test.lan", languageFile("\r\n", LangKeys().back()), "Test", false},
        {"the first key is missing", "Test.lan", languageFile("\r\n", LangKeys().front()), "Test", false},
        {"a key has an empty text", "Test.lan", languageFile("\r\n", "Cancel", ""), "Test", false},
        {"a text of control characters only", "Test.lan", languageFile("\r\n", "Zero", "\t\x01"), "Test", false},
        {"an earlier empty entry hides a later one", "Test.lan", "Cancel=\r\n" + languageFile(), "Test", false},
        {"a key differing by a trailing blank", "Test.lan", languageFile("\r\n", "Gain") + "Gain =y\r\n", "Test",
         false},
        {"no key at all", "Test.lan", "Test language\r\n", "Test", false},
        {"no such file", "Other.lan", languageFile(), "Test", false},
        {"only the exact name English is built in", "Test.lan", languageFile(), "english", false},
        {"larger than any language file", "Test.lan", languageFile() + std::string(kMaxLanguageFileBytes, ';'),
         "Test", false},
        {"a path in the language name", "Test.lan", languageFile(), "sub/../Test", false},
    };
    fs::create_directory(m_dir / "sub");
    for (const auto& c : cases) {
        writeBytes(m_dir / c.fileName, c.bytes);
        LangTable() = {"Cancel=Anuluj"};  // a previous language must not survive a failed load
        std::string language = c.language;
        EXPECT_EQ(LoadLanguage(language, m_dir.path()), c.loads) << c.why;
        if (!c.loads || c.language == "English") expectEnglishInForce(language, c.why);
        if (c.loads) {
            EXPECT_EQ(language, c.language) << c.why;
            EXPECT_EQ(LangText(c.key), c.text) << c.why;
        }
        for (const auto key : LangKeys()) {
            if (c.loads && c.language != "English" && key != c.key) {
                ASSERT_EQ(LangText(key), bracketed(key)) << c.why;
            }
        }
        fs::remove(m_dir / c.fileName);
    }
}

TEST_F(LanguageFiles, SearchesTheFoldersInOrderAndTakesTheFirstFileFound) {
    TempDir second;
    writeBytes(second / "Test.lan", languageFile());
    const std::vector<fs::path> dirs{m_dir.path(), second.path()};
    std::string language = "Test";
    EXPECT_TRUE(LoadLanguage(language, dirs)) << "found in the second folder";

    writeBytes(m_dir / "Test.lan", "Cancel=Anuluj\r\n");
    EXPECT_FALSE(LoadLanguage(language = "Test", dirs)) << "a broken copy in the first folder is not skipped";
    expectEnglishInForce(language, "broken first copy");
}

TEST(LanguageText, SplitsMixedLineEndsWithoutInventingLines) {
    EXPECT_EQ(SplitLanguageText("a=1\r\nb=2\nc=3\rd=4\r\n\r\ne=5\n"), (Names{"a=1", "b=2", "c=3", "d=4", "", "e=5"}));
    EXPECT_TRUE(SplitLanguageText("").empty());
}

TEST_F(LanguageFiles, ReadsBackRandomTextsInAnyOrderEncodingAndLineEnd) {
    // Texts as a translator might write them: letters beyond ASCII, blanks, "=" and "..." inside.
    const std::vector<std::string> pieces{"a", "Z", " ", "=", "...", "ą", "Ł", "ż", "ó", "ć", "&", ":", "%d"};
    const char* eols[] = {"\r\n", "\n", "\r"};
    std::mt19937 rng(4860);
    for (int round = 0; round < 40; ++round) {
        std::vector<std::string> values(kLangKeyCount, "x");
        for (auto& v : values)
            for (int n = static_cast<int>(rng() % 12); n > 0; --n) v += pieces[rng() % pieces.size()];
        std::vector<std::size_t> order(kLangKeyCount);
        for (std::size_t i = 0; i < kLangKeyCount; ++i) order[i] = i;
        std::shuffle(order.begin(), order.end(), rng);
        const std::string eol = eols[rng() % 3];
        std::string text;
        for (const auto i : order) {
            if (rng() % 8 == 0) text += "; comment" + eol;
            text.append(LangKeys()[i]).append("=").append(values[i]).append(eol);
        }
        if (rng() % 2) text.resize(text.size() - eol.size());  // no line end after the last line
        const bool cp1250 = rng() % 2;
        writeBytes(m_dir / "Random.lan", cp1250 ? Utf8ToCp1250(text) : text);

        std::string language = "Random";
        ASSERT_TRUE(LoadLanguage(language, m_dir.path())) << "round " << round;
        for (std::size_t i = 0; i < kLangKeyCount; ++i)
            ASSERT_EQ(LangText(LangKeys()[i]), values[i]) << "round " << round << (cp1250 ? " cp1250" : " utf-8");
    }
}

TEST(ListLanguages, OffersEnglishAndTheFirstTenFilesSortedIgnoringCase) {
    Names eleven;  // alternating case, so that a case-sensitive sort would pick other ten
    for (char c = 'k'; c >= 'a'; --c) eleven.push_back(std::string((c - 'a') % 2 ? "lang_" : "Lang_") + c + ".lan");
    Names firstTen{"English"};
    for (char c = 'a'; c <= 'j'; ++c) firstTen.push_back(std::string((c - 'a') % 2 ? "lang_" : "Lang_") + c);
    struct Case {
        const char* why;
        Names first, second;  // files in two folders; an empty list leaves the folder missing
        Names expected;       // empty: false, and the list is left alone
    };
    const Case cases[] = {
        {"no usable file; a folder named .lan", {"notes.txt", "Polski.lan.bak", "Folder.lan/"}, {}, {}},
        {"names that could not be stored or shown", {".lan", "Bad\nname.lan", "Latin\xB3.lan"}, {}, {}},
        {"sorted ignoring case, any case of extension",
         {"polski.lan", "Deutsch.LAN", "Cestina.Lan", "readme.txt"}, {}, {"Cestina", "Deutsch", "English", "polski"}},
        {"eleven files: English and the first ten", eleven, {}, firstTen},
        {"an English file gives no second English", {"english.LAN", "Polski.lan"}, {}, {"English", "Polski"}},
        {"once across folders and cases, first folder's spelling", {"Polski.lan"}, {"POLSKI.lan", "Deutsch.lan"},
         {"Deutsch", "English", "Polski"}},
    };
    for (const auto& c : cases) {
        TempDir base;
        const std::vector<fs::path> dirs{base / "first", base / "second"};
        for (std::size_t d = 0; d < 2; ++d) {
            for (const auto& file : d == 0 ? c.first : c.second) {
                fs::create_directories(dirs[d]);
                if (file.ends_with('/')) fs::create_directory(dirs[d] / file);
                else writeBytes(dirs[d] / file, "x");
            }
        }
        Names names{"kept"};
        EXPECT_EQ(ListLanguages(names, dirs), !c.expected.empty()) << c.why;
        EXPECT_EQ(names, c.expected.empty() ? Names{"kept"} : c.expected) << c.why;
    }
}

// ---- The shipped Polish translation, as the build places it beside the executable ----

TEST_F(LanguageFiles, ShippedPolishIsCompleteAndKeepsTheDecorationsOfEveryKey) {
    std::string language = "Polski";
    ASSERT_TRUE(LoadLanguage(language, ExeDir())) << "the build copies data/lang beside the executables";
    EXPECT_EQ(language, "Polski");
    EXPECT_EQ(LangText("Cancel"), "Anuluj");
    EXPECT_EQ(LangText("&File"), "&Plik");
    EXPECT_EQ(LangText("cold junction compensation"), "kompensacja spoiny odniesienia");
    EXPECT_EQ(LangText("Password"), "Hasło");
    EXPECT_EQ(LangText("R4860 Transducers"), "Przetworniki R4860") << "the type window's title";
    EXPECT_EQ(LangText("New1"), "Nowe1");
    EXPECT_EQ(LangText("Result1"), "Wynik1") << "the caller drops one spare character";
    const auto table = LangTable();
    int unchanged = 0;
    for (const auto key : LangKeys()) {
        const std::string text = LangText(key);
        ASSERT_FALSE(text.empty()) << key;
        if (text == key) ++unchanged;
        EXPECT_EQ(std::ranges::count(key, '&'), std::ranges::count(text, '&')) << "accelerator of " << key;
        for (const std::string_view tail : {"...", "!", ":", " "})
            EXPECT_EQ(key.ends_with(tail), text.ends_with(tail)) << key;
        EXPECT_EQ(key.find("%d") == key.npos, text.find("%d") == text.npos) << "format element of " << key;
        EXPECT_EQ(key.front() == ' ', text.front() == ' ') << key;
        const auto entries = std::ranges::count_if(
            table, [key](const std::string& line) { return !FindLangText(std::span(&line, 1), key).empty(); });
        EXPECT_EQ(entries, 1) << "entries for " << key << " (a second one would be dead text)";
    }
    // Names, units and words both languages share ("Start", "Minimum", "Zero", "R4860EN", ...).
    EXPECT_LT(unchanged, 15);
}

}  // namespace
}  // namespace r4860::files
