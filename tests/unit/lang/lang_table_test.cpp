// The built-in key list and the lookup rule every visible text goes through.
#include "common/lang_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace r4860 {
namespace {

struct KeyAt {
    std::size_t number;  // 1-based, as the list is numbered
    const char* key;
};

// Spread over the list so that a key lost or doubled while copying shifts a checked position.
constexpr KeyAt kSpotChecks[] = {
    {1, "R4860 Transmitters"},
    {2, "language"},
    {3, "R4860EN"},
    {36, "Parameters  of"},  // two blanks: the report prints it as it stands
    {67, "COM%d initialization failed"},
    {84, "has to be higher than"},
    {85, "&File"},
    {94, "P&rint setup"},
    {120, "Select"},
    {136, "Result"},
    {161, "Enter the maximum value"},
    {199, "RTD"},
    {208, "Result1"},
    {220, "Other1"},
    {223, "New1"},
    {233, "1st column values should rise or fall"},
    {238, "Check"},
    {239, "Select type of transducer"},
};

TEST(LangKeys, HoldsTheListedKeysAtTheirPositions) {
    const auto keys = LangKeys();
    ASSERT_EQ(keys.size(), kLangKeyCount);
    for (const auto& [number, key] : kSpotChecks) EXPECT_EQ(keys[number - 1], key) << "key number " << number;
}

TEST(LangKeys, AreDistinctIgnoringCaseSoEveryKeyCanBeFound) {
    std::set<std::string> folded;
    for (const auto key : LangKeys()) {
        std::string f(key);
        std::ranges::transform(f, f.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        EXPECT_TRUE(folded.insert(f).second) << "duplicate key " << key;
    }
}

TEST(LangKeys, CannotBreakALanguageFileLine) {
    for (const auto key : LangKeys()) {
        EXPECT_EQ(key.find('='), std::string_view::npos) << key;
        EXPECT_EQ(key.find_first_of("\r\n"), std::string_view::npos) << key;
        EXPECT_FALSE(key.front() == ' ' || key.back() == ' ') << "'" << key << "'";
    }
}

class EnglishTableInForce : public ::testing::Test {
protected:
    void SetUp() override { UseEnglishTable(); }
    void TearDown() override { UseEnglishTable(); }
};

TEST_F(EnglishTableInForce, ShowsEveryKeyVerbatim) {
    ASSERT_EQ(LangTable().size(), kLangKeyCount);
    for (const auto key : LangKeys()) EXPECT_EQ(LangText(key), key);
}

TEST_F(EnglishTableInForce, GivesNothingForAKeyOutsideTheList) {
    EXPECT_EQ(LangText("R4860 Transducers"), "");
    EXPECT_EQ(LangText(""), "");
    EXPECT_EQ(LangText("Cancel "), "") << "a trailing blank makes another key";
}

TEST_F(EnglishTableInForce, ComesBackAfterAnotherTable) {
    LangTable() = {"Cancel=Anuluj"};
    EXPECT_EQ(LangText("Select"), "");
    UseEnglishTable();
    EXPECT_EQ(LangText("Cancel"), "Cancel");
    EXPECT_EQ(LangText("Select"), "Select");
}

struct LookupCase {
    const char* why;
    std::vector<std::string> table;
    const char* key;
    const char* expected;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.why; }

class Lookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(Lookup, FollowsTheFirstMatchingLine) {
    const auto& [why, table, key, expected] = GetParam();
    EXPECT_EQ(FindLangText(table, key), expected) << why;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Lookup,
    ::testing::Values(
        LookupCase{"the name part is compared ignoring case", {"cancel=Anuluj"}, "Cancel", "Anuluj"},
        LookupCase{"the first match wins over a later one", {"cancel=Anuluj", "Cancel=Zamknij"}, "Cancel", "Anuluj"},
        LookupCase{"a line without = never matches", {"Cancel", "Cancel=Anuluj"}, "Cancel", "Anuluj"},
        LookupCase{"the value runs to the end, later = included", {"Range=a=b"}, "Range", "a=b"},
        LookupCase{"blanks in the value are kept", {"Zero=  Zero  "}, "Zero", "  Zero  "},
        LookupCase{"blanks around the name are part of the name", {"Zero =Zero"}, "Zero", ""},
        LookupCase{"an empty value is found as empty", {"Zero=", "Zero=x"}, "Zero", ""},
        LookupCase{"a prefix of the name is not the name", {"Zero correction=x"}, "Zero", ""},
        LookupCase{"the value is not the name", {"x=Zero"}, "Zero", ""},
        LookupCase{"non-ASCII bytes compare exactly", {"Zażółć=tak"}, "ZAżółć", "tak"},
        LookupCase{"an empty table has nothing", {}, "Zero", ""}));

TEST(Lookup, FindsEachOfManyRandomEntriesByAnyCasing) {
    std::mt19937 rng(2229);
    std::uniform_int_distribution<int> letter('a', 'z');
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> table, names;
        for (int i = 0; i < 30; ++i) {
            std::string name = "k" + std::to_string(round) + "_" + std::to_string(i);
            for (int n = 0; n < 6; ++n) name += static_cast<char>(letter(rng));
            names.push_back(name);
            table.push_back(name + "=v" + std::to_string(i));
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            std::string probe = names[i];
            for (auto& c : probe)
                if (rng() % 2) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            ASSERT_EQ(FindLangText(table, probe), "v" + std::to_string(i)) << probe;
        }
    }
}

}  // namespace
}  // namespace r4860
