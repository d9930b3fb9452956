// Loading language files all or nothing, listing the languages on offer, and the shipped Polish file.
#include "files/language_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
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

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A language file in which every key has the text `valueOf(key)`; keys for which it returns
// nullopt are left out.
std::string languageFile(const std::function<std::optional<std::string>(std::string_view)>& valueOf,
                         std::string_view eol = "\r\n") {
    std::string text = "Test language";
    text += eol;
    for (const auto key : LangKeys()) {
        if (const auto value = valueOf(key)) text.append(key).append("=").append(*value).append(eol);
    }
    return text;
}

std::string bracketed(std::string_view key) { return "[" + std::string(key) + "]"; }

std::string completeFile(std::string_view eol = "\r\n") {
    return languageFile([](std::string_view key) { return bracketed(key); }, eol);
}

class LanguageFiles : public ::testing::Test {
protected:
    void SetUp() override { UseEnglishTable(); }
    void TearDown() override { UseEnglishTable(); }

    void expectEnglishInForce(const std::string& language, const char* why) {
        EXPECT_EQ(language, "English") << why;
        EXPECT_EQ(LangTable(), EnglishTable()) << why;
        EXPECT_EQ(LangText("Cancel"), "Cancel") << why;
    }

    TempDir m_dir;
};

TEST_F(LanguageFiles, ACompleteFileIsPutInForce) {
    writeBytes(m_dir / "Test.lan", completeFile());
    std::string language = "Test";
    ASSERT_TRUE(LoadLanguage(language, m_dir.path()));
    EXPECT_EQ(language, "Test");
    for (const auto key : LangKeys()) ASSERT_EQ(LangText(key), bracketed(key));
    EXPECT_EQ(LangText("Test language"), "") << "a line without = is a comment";
}

struct BrokenFile {
    const char* why;
    std::function<std::optional<std::string>(std::string_view)> valueOf;
};

void PrintTo(const BrokenFile& c, std::ostream* os) { *os << c.why; }

class RejectedFile : public LanguageFiles, public ::testing::WithParamInterface<BrokenFile> {};

TEST_P(RejectedFile, LeavesEnglishInForce) {
    const auto& [why, valueOf] = GetParam();
    writeBytes(m_dir / "Test.lan", languageFile(valueOf));
    LangTable() = {"Cancel=Anuluj"};  // a previous language must not survive either
    std::string language = "Test";
    EXPECT_FALSE(LoadLanguage(language, m_dir.path())) << why;
    expectEnglishInForce(language, why);
}

INSTANTIATE_TEST_SUITE_P(
    AllOrNothing, RejectedFile,
    ::testing::Values(
        BrokenFile{"the last key is missing",
                   [](std::string_view k) -> std::optional<std::string> {
                       if (k == LangKeys().back()) return std::nullopt;
                       return bracketed(k);
                   }},
        BrokenFile{"the first key is missing",
                   [](std::string_view k) -> std::optional<std::string> {
                       if (k == LangKeys().front()) return std::nullopt;
                       return bracketed(k);
                   }},
        BrokenFile{"a key in the middle has an empty text",
                   [](std::string_view k) -> std::optional<std::string> {
                       if (k == "Cancel") return std::string();
                       return bracketed(k);
                   }},
        BrokenFile{"a text of control characters only is empty once they are dropped",
                   [](std::string_view k) -> std::optional<std::string> {
                       if (k == "Zero") return std::string("\t\x01");
                       return bracketed(k);
                   }},
        BrokenFile{"a key differs by a trailing blank",
                   [](std::string_view k) -> std::optional<std::string> {
                       if (k == "Gain") return std::nullopt;
                       if (k == "Zero") return std::string("x\r\nGain =y");
                       return bracketed(k);
                   }},
        BrokenFile{"no key at all", [](std::string_view) -> std::optional<std::string> { return std::nullopt; }}));

TEST_F(LanguageFiles, AnEarlierEmptyEntryHidesALaterFilledOne) {
    std::string text = "Cancel=\r\n" + completeFile();
    writeBytes(m_dir / "Test.lan", text);
    std::string language = "Test";
    EXPECT_FALSE(LoadLanguage(language, m_dir.path())) << "the first entry of a key is the one that counts";
    expectEnglishInForce(language, "shadowed by an empty entry");
}

TEST_F(LanguageFiles, ASingleBlankCountsAsAText) {
    writeBytes(m_dir / "Test.lan", languageFile([](std::string_view k) -> std::optional<std::string> {
                   return k == "Cancel" ? std::string(" ") : bracketed(k);
               }));
    std::string language = "Test";
    ASSERT_TRUE(LoadLanguage(language, m_dir.path()));
    EXPECT_EQ(LangText("Cancel"), " ");
}

TEST_F(LanguageFiles, TheFirstOfTwoEntriesWinsIgnoringCase) {
    writeBytes(m_dir / "Test.lan", "cancel=Anuluj\r\n" + completeFile());
    std::string language = "Test";
    ASSERT_TRUE(LoadLanguage(language, m_dir.path()));
    EXPECT_EQ(LangText("Cancel"), "Anuluj");
}

TEST_F(LanguageFiles, AMissingFileLeavesEnglishInForce) {
    std::string language = "Polski";
    EXPECT_FALSE(LoadLanguage(language, m_dir.path()));
    expectEnglishInForce(language, "no Polski.lan in the folder");
}

TEST_F(LanguageFiles, EnglishIsBuiltInAndNeverRead) {
    writeBytes(m_dir / "English.lan", "Cancel=Broken\r\n");
    LangTable() = {"Cancel=Anuluj"};
    std::string language = "English";
    EXPECT_TRUE(LoadLanguage(language, m_dir.path()));
    expectEnglishInForce(language, "English asked for");
}

TEST_F(LanguageFiles, OnlyTheExactNameEnglishIsBuiltIn) {
    std::string language = "english";
    EXPECT_FALSE(LoadLanguage(language, m_dir.path())) << "english.lan is looked for and missing";
    expectEnglishInForce(language, "lower-case english");
}

TEST_F(LanguageFiles, AFileIsFoundWhateverTheCaseOfItsName) {
    writeBytes(m_dir / "TEST.LAN", completeFile());
    std::string language = "Test";
    EXPECT_TRUE(LoadLanguage(language, m_dir.path()));
    EXPECT_EQ(LangText("Zero"), "[Zero]");
}

TEST_F(LanguageFiles, AWindows1250FileReadsAsPolish) {
    // "Zażółć gęślą jaźń" in Windows-1250: not valid UTF-8, so it must not be taken as such.
    const std::string cp1250 = "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1";
    writeBytes(m_dir / "Test.lan", "Cancel=" + cp1250 + "\r\n" + completeFile());
    std::string language = "Test";
    ASSERT_TRUE(LoadLanguage(language, m_dir.path()));
    EXPECT_EQ(LangText("Cancel"), "Zażółć gęślą jaźń");
}

TEST_F(LanguageFiles, AUtf8FileWithAByteOrderMarkReadsItsFirstLine) {
    const std::string text = completeFile();
    writeBytes(m_dir / "Test.lan", "\xEF\xBB\xBF" + text.substr(text.find("\r\n") + 2));  // a key on line 1
    std::string language = "Test";
    ASSERT_TRUE(LoadLanguage(language, m_dir.path()));
    EXPECT_EQ(LangText(LangKeys().front()), bracketed(LangKeys().front()));
}

struct LineEnds {
    const char* why;
    const char* eol;
};

void PrintTo(const LineEnds& c, std::ostream* os) { *os << c.why; }

class AnyLineEnd : public LanguageFiles, public ::testing::WithParamInterface<LineEnds> {};

TEST_P(AnyLineEnd, EndsAnEntry) {
    const auto& [why, eol] = GetParam();
    writeBytes(m_dir / "Test.lan", completeFile(eol));
    std::string language = "Test";
    ASSERT_TRUE(LoadLanguage(language, m_dir.path())) << why;
    EXPECT_EQ(LangText("Cancel"), "[Cancel]") << why;
    EXPECT_EQ(LangText(LangKeys().back()), bracketed(LangKeys().back())) << why;
}

INSTANTIATE_TEST_SUITE_P(Files, AnyLineEnd,
                         ::testing::Values(LineEnds{"Windows files end lines with CR LF", "\r\n"},
                                           LineEnds{"Unix files end lines with LF", "\n"},
                                           LineEnds{"old Mac files end lines with a lone CR", "\r"}));

TEST(LanguageText, SplitsMixedLineEndsWithoutInventingLines) {
    const auto lines = SplitLanguageText("a=1\r\nb=2\nc=3\rd=4\r\n\r\ne=5");
    const std::vector<std::string> expected{"a=1", "b=2", "c=3", "d=4", "", "e=5"};
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(SplitLanguageText("").empty());
    EXPECT_EQ(SplitLanguageText("x\n"), std::vector<std::string>{"x"});
    EXPECT_EQ(SplitLanguageText("\n\r\r\n"), (std::vector<std::string>{"", "", ""}));
}

TEST_F(LanguageFiles, AnOversizedFileIsRejected) {
    std::string text = completeFile();
    text += std::string(kMaxLanguageFileBytes, ';');
    writeBytes(m_dir / "Test.lan", text);
    std::string language = "Test";
    EXPECT_FALSE(LoadLanguage(language, m_dir.path()));
    expectEnglishInForce(language, "larger than any language file");
}

TEST_F(LanguageFiles, ANameThatLeavesTheFolderIsRefused) {
    fs::create_directory(m_dir / "sub");
    writeBytes(m_dir / "Test.lan", completeFile());
    std::string language = "../Test";
    EXPECT_FALSE(LoadLanguage(language, m_dir.path() / "sub"));
    expectEnglishInForce(language, "a path in the language name");
}

TEST_F(LanguageFiles, FoldersAreSearchedInOrderAndTheFirstFileFoundCounts) {
    TempDir second;
    writeBytes(second / "Test.lan", completeFile());
    const std::vector<fs::path> dirs{m_dir.path(), second.path()};
    std::string language = "Test";
    EXPECT_TRUE(LoadLanguage(language, dirs)) << "found in the second folder";

    writeBytes(m_dir / "Test.lan", "Cancel=Anuluj\r\n");
    EXPECT_FALSE(LoadLanguage(language = "Test", dirs)) << "a broken copy in the first folder is not skipped";
    expectEnglishInForce(language, "broken first copy");
}

// Texts as a translator might write them: letters beyond ASCII, blanks, "=" and "..." inside.
std::string randomText(std::mt19937& rng) {
    static const std::vector<std::string> pieces{"a", "Z", " ", "=", "...", "ą", "Ł", "ż", "ó", "ć", "&", ":", "1", "%d"};
    std::string text;
    const int n = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
    if (text.find_first_not_of(' ') == std::string::npos) text += "x";
    return text;
}

TEST_F(LanguageFiles, WhatIsWrittenInAnyEncodingAndLineEndIsReadBack) {
    std::mt19937 rng(4860);
    const char* eols[] = {"\r\n", "\n", "\r"};
    for (int round = 0; round < 60; ++round) {
        std::vector<std::string> values;
        std::vector<std::size_t> order(kLangKeyCount);
        for (std::size_t i = 0; i < kLangKeyCount; ++i) {
            values.push_back(randomText(rng));
            order[i] = i;
        }
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

// ---- Listing the languages on offer ----

class LanguageList : public ::testing::Test {
protected:
    void touch(const std::string& name) { writeBytes(m_dir / name, "x"); }
    TempDir m_dir;
};

TEST_F(LanguageList, WithoutLanguageFilesIsFalseAndLeavesTheListAlone) {
    touch("notes.txt");
    touch("Polski.lan.bak");
    fs::create_directory(m_dir / "Folder.lan");
    std::vector<std::string> names{"kept"};
    EXPECT_FALSE(ListLanguages(names, m_dir.path()));
    EXPECT_FALSE(ListLanguages(names, m_dir / "missing"));
    EXPECT_EQ(names, std::vector<std::string>{"kept"});
}

TEST_F(LanguageList, OffersEnglishAndTheFilesSortedIgnoringCase) {
    touch("polski.lan");
    touch("Deutsch.LAN");
    touch("Cestina.Lan");
    touch("readme.txt");
    std::vector<std::string> names{"stale"};
    ASSERT_TRUE(ListLanguages(names, m_dir.path()));
    EXPECT_EQ(names, (std::vector<std::string>{"Cestina", "Deutsch", "English", "polski"}));
}

TEST_F(LanguageList, TakesTheFirstTenFilesInSortedOrder) {
    // Created in reverse so that the folder's own order is unlikely to be the sorted one.
    for (char c = 'k'; c >= 'a'; --c) touch(std::string("Lang_") + c + ".lan");
    std::vector<std::string> names;
    ASSERT_TRUE(ListLanguages(names, m_dir.path()));
    std::vector<std::string> expected{"English"};
    for (char c = 'a'; c <= 'j'; ++c) expected.push_back(std::string("Lang_") + c);
    std::ranges::sort(expected, [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) { return std::tolower(x) < std::tolower(y); });
    });
    EXPECT_EQ(names, expected) << "eleven files: English and the first ten";
}

TEST_F(LanguageList, NamesEnglishOnceEvenWithAnEnglishFile) {
    touch("english.LAN");
    touch("Polski.lan");
    std::vector<std::string> names;
    ASSERT_TRUE(ListLanguages(names, m_dir.path()));
    EXPECT_EQ(names, (std::vector<std::string>{"English", "Polski"}));
}

TEST_F(LanguageList, NamesALanguageOnceAcrossFoldersAndLetterCases) {
    TempDir second;
    touch("Polski.lan");
    writeBytes(second / "POLSKI.lan", "x");
    writeBytes(second / "Deutsch.lan", "x");
    const std::vector<fs::path> dirs{m_dir.path(), second.path()};
    std::vector<std::string> names;
    ASSERT_TRUE(ListLanguages(names, dirs));
    EXPECT_EQ(names, (std::vector<std::string>{"Deutsch", "English", "Polski"})) << "the first folder's spelling";
}

TEST_F(LanguageList, SkipsNamesThatCouldNotBeStoredOrShown) {
    touch(".lan");                  // no name at all
    touch("Bad\nname.lan");         // would split the Language line of the settings file
    touch("Latin\xB3.lan");         // not UTF-8: cannot be shown or written back as it is
    std::vector<std::string> names{"kept"};
    EXPECT_FALSE(ListLanguages(names, m_dir.path()));
    EXPECT_EQ(names, std::vector<std::string>{"kept"});
    touch("Polski.lan");
    ASSERT_TRUE(ListLanguages(names, m_dir.path()));
    EXPECT_EQ(names, (std::vector<std::string>{"English", "Polski"}));
}

// ---- The shipped Polish translation, as the build places it beside the executable ----

class PolishFile : public LanguageFiles {
protected:
    static fs::path path() { return ExeDir() / "Polski.lan"; }
};

TEST_F(PolishFile, IsCompleteAndPutInForce) {
    ASSERT_TRUE(fs::exists(path())) << "the build copies data/lang beside the executables";
    std::string language = "Polski";
    ASSERT_TRUE(LoadLanguage(language, ExeDir()));
    EXPECT_EQ(language, "Polski");
    EXPECT_EQ(LangText("Cancel"), "Anuluj");
    EXPECT_EQ(LangText("&File"), "&Plik");
    EXPECT_EQ(LangText("Thermocouple"), "Termopara");
    EXPECT_EQ(LangText("cold junction compensation"), "kompensacja spoiny odniesienia");
    EXPECT_EQ(LangText("Password"), "Hasło");
    EXPECT_EQ(LangText("R4860 Transducers"), "Przetworniki R4860") << "the type window's title";
}

TEST_F(PolishFile, TranslatesAndKeepsTheDecorationsOfEveryKey) {
    std::string language = "Polski";
    ASSERT_TRUE(LoadLanguage(language, ExeDir()));
    int unchanged = 0;
    for (const auto key : LangKeys()) {
        const std::string text = LangText(key);
        ASSERT_FALSE(text.empty()) << key;
        if (text == key) ++unchanged;
        const auto has = [](std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; };
        const auto ends = [](std::string_view s, std::string_view tail) { return s.ends_with(tail); };
        EXPECT_EQ(std::ranges::count(key, '&'), std::ranges::count(text, '&')) << "accelerator of " << key;
        EXPECT_EQ(ends(key, "..."), ends(text, "...")) << key;
        EXPECT_EQ(ends(key, "!"), ends(text, "!")) << key;
        EXPECT_EQ(ends(key, ":"), ends(text, ":")) << key;
        EXPECT_EQ(has(key, "%d"), has(text, "%d")) << "format element of " << key;
        EXPECT_EQ(key.front() == ' ', text.front() == ' ') << key;
        EXPECT_EQ(key.back() == ' ', text.back() == ' ') << key;
    }
    // Names, units and words both languages share ("Start", "Minimum", "Zero", "R4860EN", ...).
    EXPECT_LT(unchanged, 15);
}

TEST_F(PolishFile, EndsTheTwinKeysWithOneSpareCharacter) {
    std::string language = "Polski";
    ASSERT_TRUE(LoadLanguage(language, ExeDir()));
    for (const char* key : {"New1", "Result1", "Other1"}) {
        const std::string text = LangText(key);
        ASSERT_GE(text.size(), 2u) << key;
        EXPECT_LT(static_cast<unsigned char>(text.back()), 0x80) << key << ": dropping one byte must drop one character";
    }
    EXPECT_EQ(LangText("New1").substr(0, LangText("New1").size() - 1), "Nowe");
    EXPECT_EQ(LangText("Result1").substr(0, LangText("Result1").size() - 1), "Wynik");
}

TEST_F(PolishFile, IsUtf8WithWindowsLineEndsAndOneEntryPerKey) {
    const std::string bytes = readBytes(path());
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(IsValidUtf8(bytes));
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "lone LF at byte " << i;
        }
        if (bytes[i] == '\r') {
            ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "lone CR at byte " << i;
        }
    }
    const auto lines = SplitLanguageText(bytes);
    for (const auto key : LangKeys()) {
        const auto entries = std::ranges::count_if(lines, [key](const std::string& line) {
            const std::string_view name = std::string_view(line).substr(0, line.find('='));
            return name.size() < line.size() && std::ranges::equal(name, key, [](char a, char b) {
                       return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
                   });
        });
        EXPECT_EQ(entries, 1) << "entries for " << key << " (a second one would be dead text)";
    }
}

}  // namespace
}  // namespace r4860::files
