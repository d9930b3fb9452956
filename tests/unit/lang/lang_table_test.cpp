// The built-in key list and the lookup rule every visible text goes through.
#include "common/lang_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace r4860 {
namespace {

TEST(LangKeys, HoldsTheListedKeysAtTheirPositions) {
    // Spread over the list so that a key lost or doubled while copying shifts a checked position.
    const std::pair<std::size_t, const char*> spotChecks[] = {
        {1, "R4860 Transmitters"}, {2, "language"}, {36, "Parameters  of"},  // two blanks, as printed
        {67, "COM%d initialization failed"}, {85, "&File"}, {120, "Select"}, {136, "Result"},
        {199, "RTD"}, {208, "Result1"}, {223, "New1"}, {238, "Check"}, {239, "Select type of transducer"}};
    const auto keys = LangKeys();
    ASSERT_EQ(keys.size(), kLangKeyCount);
    for (const auto& [number, key] : spotChecks) EXPECT_EQ(keys[number - 1], key) << "key number " << number;
}

TEST(LangKeys, CanEachBeWrittenToAFileAndFoundAgain) {
    std::set<std::string> folded;
    for (const auto key : LangKeys()) {
        std::string f(key);
        for (auto& c : f) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(folded.insert(f).second) << "a key equal to an earlier one ignoring case is never found: " << key;
        EXPECT_EQ(key.find_first_of("=\r\n"), std::string_view::npos) << key;
        EXPECT_FALSE(key.front() == ' ' || key.back() == ' ') << "'" << key << "'";
    }
}

TEST(EnglishTable, ShowsEveryKeyVerbatimWhateverItsCaseAndNothingElse) {
    LangTable() = {"Cancel=Anuluj"};
    UseEnglishTable();  // replaces another language's table entirely
    ASSERT_EQ(LangTable().size(), kLangKeyCount);
    std::mt19937 rng(2229);
    for (const auto key : LangKeys()) {
        std::string probe(key);
        for (auto& c : probe)
            if (rng() % 2) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(LangText(probe), key) << probe;
    }
    EXPECT_EQ(LangText("R4860 Transducers"), "") << "not a listed key";
    EXPECT_EQ(LangText("Cancel "), "") << "a trailing blank makes another key";
}

TEST(FindLangText, FollowsTheFirstLineWhoseNameMatches) {
    struct Case {
        const char* why;
        std::vector<std::string> table;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"the name part is compared ignoring case", {"cancel=Anuluj"}, "Cancel", "Anuluj"},
        {"the first match wins, even an empty one", {"Zero=", "zero=x"}, "Zero", ""},
        {"a line without = never matches", {"Cancel", "Cancel=Anuluj"}, "Cancel", "Anuluj"},
        {"the value runs to the end, blanks and later = included", {"Range= a=b "}, "Range", " a=b "},
        {"blanks around the name are part of the name", {"Zero =Zero"}, "Zero", ""},
        {"a prefix of the name is not the name", {"Zero correction=x"}, "Zero", ""},
        {"the value is not the name", {"x=Zero"}, "Zero", ""},
        {"an empty table has nothing", {}, "Zero", ""},
    };
    for (const auto& [why, table, key, expected] : cases) EXPECT_EQ(FindLangText(table, key), expected) << why;
}

}  // namespace
}  // namespace r4860
