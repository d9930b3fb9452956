// Values as text: numbers without the locale, dates, Windows-1250 and the catalogue names.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "common/catalogues.h"
#include "common/date_text.h"
#include "common/number_text.h"
#include "common/text_encoding.h"
#include "support/comma_locale.h"

namespace r4860 {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(NumberText, TextToNumAcceptsAPointOrACommaAndNothingElse) {
    struct Case { const char* why; const char* text; bool ok; double value; };
    const Case cases[] = {
        {"a point is a decimal separator", "12.5", true, 12.5}, {"so is a comma", "-0,25", true, -0.25},
        {"only the point is replaced when both occur", "1.2,5", false, 0},
        {"a second comma is not a separator", "1,2,5", false, 0}, {"two signs", "+-3", false, 0},
        {"exponent form", "2e3", true, 2000}, {"blanks around the number are forgiven", "  7 ", true, 7},
        {"blanks only", "   ", false, 0}, {"trailing letters", "12a", false, 0}, {"infinity", "inf", false, 0},
        {"NaN", "nan", false, 0}, {"an overflowing exponent", "1e999", false, 0}, {"a lone comma", ",", false, 0},
    };
    for (const auto& c : cases) {
        double out = -777.0;
        EXPECT_EQ(TextToNum(c.text, out), c.ok) << c.why;
        EXPECT_DOUBLE_EQ(out, c.ok ? c.value : -777.0) << c.why << (c.ok ? "" : ": a failure leaves the value alone");
    }
    std::mt19937_64 rng(4802);  // the shortest text reads back to the same double
    std::uniform_real_distribution<double> d(-1e6, 1e6);
    for (int i = 0; i < 2000; ++i) {
        const double v = d(rng);
        double back = 0;
        ASSERT_TRUE(TextToNum(ShortestText(v), back) && back == v) << ShortestText(v);
    }
}

TEST(NumberText, ParsingAndWritingIgnoreACommaDecimalLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    for (const char* locale : testing::kCommaLocales) {
        ASSERT_TRUE(std::setlocale(LC_ALL, locale)) << locale << testing::kNoCommaLocale;
        double a = 0, b = 0;
        const bool ok = TextToNum("12.5", a) && TextToNum("12,5", b);
        const std::string fixed = FixedText(1.5, 2, 6);
        std::setlocale(LC_ALL, saved.c_str());
        EXPECT_TRUE(ok && a == 12.5 && b == 12.5) << locale;
        EXPECT_EQ(fixed, "  1.50") << locale << ": the tool always writes a point";
    }
}

TEST(NumberText, RangeNumTxtTakesItsDecimalsFromTheRange) {
    struct Case { const char* why; double value, lo, hi; const char* text; };
    const Case cases[] = {
        {"a range up to 100 shows one decimal", 999.94, 0, 100, "  999.9"},
        {"a range up to 1000 shows none; 999.94 rounds up", 999.94, 0, 1000, "   1000"},
        {"below 10 three decimals", -1.5, 0, 5, " -1.500"},
        {"the larger magnitude counts, also when negative", 12.25, -500, 5, "   12.2"},
        {"an inverted range counts as 10", 1.23456, 6, 5, "   1.24"},
        {"wider than the field: no truncation", 12345678.0, 0, 2000, "12345678"},
        // 0.12451 becomes 0.1245 first, just below 0.1245 in binary: 0.124, not 0.125.
        {"rounds one decimal further first", 0.12451, 0, 5, "  0.124"},
    };
    for (const auto& c : cases) EXPECT_EQ(RangeNumTxt(c.value, c.lo, c.hi), c.text) << c.why;
    EXPECT_FALSE(RangeNumTxt(kInf, 0, 5).empty()) << "no crash on infinity";
}

TEST(NumberText, RoundingKeepsSevenFiguresSendsHalvesToEvenAndForgivesOnlyRepresentationError) {
    struct Sig { const char* why; double value, want; };
    for (const Sig& c : {Sig{"a half at the scale of 1 rounds to even, giving 0", 0.0000005, 0.0},
                         Sig{"representation noise of a decoded float goes", 100.00271606445312, 100.0027},
                         Sig{"the scale is the nearest power, not the floor", 31.712345678, 31.7123},
                         Sig{"large values", 123456789.0, 123456800.0}})
        EXPECT_NEAR(RoundSig(c.value), c.want, 1e-12 * std::max(1.0, std::fabs(c.want))) << c.why;
    EXPECT_TRUE(std::isnan(RoundSig(kNaN)));

    constexpr long long kMax = std::numeric_limits<long long>::max(), kMin = std::numeric_limits<long long>::min();
    for (const auto& [value, want] : {std::pair{0.5, 0LL}, {1.5, 2LL}, {2.5, 2LL}, {-0.5, 0LL}, {-1.5, -2LL},
                                     {4.8, 5LL}, {-2.6, -3LL}, {1e300, kMax}, {-kInf, kMin}, {kNaN, 0LL}})
        EXPECT_EQ(RoundEven(value), want) << value;

    struct Trunc { const char* why; double value; int trunc; const char* text; };
    for (const Trunc& c : {Trunc{"0.29999999 typed as 0.3 stays 0.3", 0.29999999, 0, "0.3"},
                           Trunc{"-1.25 is cut toward zero", -1.25, -1, "-1.2"},
                           Trunc{"2.9999999 stays 3", 2.9999999, 3, "  3"}, Trunc{"2.9 is not 3", 2.9, 2, "2.9"}}) {
        EXPECT_EQ(TruncGuard(c.value), c.trunc) << c.why;
        EXPECT_EQ(TenthTxt(c.value), c.text) << c.why;
    }
    EXPECT_EQ(TruncGuard(-1e300), std::numeric_limits<int>::min());
    EXPECT_EQ(TruncGuard(kNaN), 0);
}

TEST(DateText, CountsDaysFromTheThirtiethOfDecember1899) {
    struct Case { const char* why; long days; const char* text; };
    for (const Case& c : {Case{"day 0 is the epoch", 0, "30.12.1899"},
                          Case{"1900 is not a leap year: day 60 is 28 February", 60, "28.02.1900"},
                          Case{"2000 is a leap year", 36585, "29.02.2000"},
                          Case{"a negative count goes before the epoch", -1, "29.12.1899"}}) {
        EXPECT_EQ(DateText(c.days), c.text) << c.why;
        EXPECT_EQ(ParseDateText(c.text), std::optional<long>(c.days)) << c.why;
    }
    for (long d = 0; d <= 65535; ++d) ASSERT_EQ(ParseDateText(DateText(d)), std::optional<long>(d)) << d;
    for (const char* bad : {"29.02.1900", "31.04.2020", "01.13.2020", "01-01-2020", "01.01.2020x", "", "-1.01.2020",
                            "99999999999.01.2020"})
        EXPECT_FALSE(ParseDateText(bad).has_value()) << bad;
    EXPECT_TRUE(ParseDateText("1.2.2020").has_value()) << "one-digit day and month";
}

TEST(TextEncoding, EveryWindows1250ByteSurvivesTheTripThroughUtf8) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string utf8 = Cp1250ToUtf8(one);
        ASSERT_TRUE(IsValidUtf8(utf8) && Utf8Length(utf8) == 1) << b;
        ASSERT_EQ(Utf8ToCp1250(utf8), one) << b;
    }
    // The trip alone would pass with any permutation: pin the letters down.
    const std::pair<unsigned char, const char*> letters[] = {
        {0xB3, "\xC5\x82"}, {0xB9, "\xC4\x85"}, {0x9C, "\xC5\x9B"}, {0xBF, "\xC5\xBC"}, {0x9F, "\xC5\xBA"},
        {0xA3, "\xC5\x81"}, {0x80, "\xE2\x82\xAC"}, {0xB0, "\xC2\xB0"}, {0xFF, "\xCB\x99" /* the ID tag filler */}};
    for (const auto& [byte, utf8] : letters) EXPECT_EQ(Cp1250ToUtf8(std::string(1, char(byte))), utf8) << +byte;
    for (const auto& [in, out] : {std::pair{"a\xE4\xB8\xAD" "b", "a?b"}, {"\xF0\x9F\x98\x80", "?"}, {"x\xC3", "x?"},
                                  {"\xC0\xAF", "??"}, {"\xED\xA0\x80", "???"}})
        EXPECT_EQ(Utf8ToCp1250(in), out) << "CJK, beyond the BMP, truncated, overlong, surrogate: " << out;
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFkey=\xC5\x82"), "key=\xC5\x82") << "the byte-order mark goes";
    EXPECT_EQ(DecodeFileText("key=\xB3"), "key=\xC5\x82") << "not UTF-8: an old file's l with stroke";
}

TEST(TextEncoding, CutsCountsAndStripsByCharacterNotByByte) {
    const std::string text = "\xC5\x82\xC3\xB3" "dz";  // four characters, six bytes
    EXPECT_EQ(Utf8Length(text), 4u);
    EXPECT_EQ(Utf8Mid(text, 1, 2), "\xC3\xB3" "d");
    EXPECT_EQ(Utf8Left(text, 1), "\xC5\x82");
    EXPECT_EQ(Utf8Mid(text, 3, 10), "z") << "a count past the end stops at the end";
    EXPECT_EQ(Utf8Mid(text, 9, 1), "") << "a start past the end gives nothing";
    EXPECT_EQ(StripControls(std::string("a\r\nb\tc\x7F" "d\xC5\x82\0y", 12)), "abcd\xC5\x82y") << "NUL and DEL too";
}

TEST(Catalogues, NameSensorsModesAndUnitsAndLeaveCodesOutsideTheTablesBlank) {
    struct Case { const char* why; int typ, gain; const char* name; };
    for (const Case& c : {Case{"Pt 0.00392 at 200 ohm", 2, 1, "Pt200 (0.00392)"}, Case{"Cu at 1000 ohm", 4, 3, "Cu1000"},
                          Case{"a thermocouple ignores the index", 10, 3, "K"},
                          Case{"an index past 1000 ohm falls back to the sensor name", 1, 4, "Pt100 (0.00385)"},
                          Case{"code 19 has no name", 19, 0, ""}, Case{"a code outside the table", 21, 0, ""},
                          Case{"a negative code", -1, 0, ""}})
        EXPECT_EQ(SensorDisplayName(c.typ, c.gain), c.name) << c.why;
    struct Code { int code; const char* mode; const char* unit; };
    for (const Code& c : {Code{-3, "", " "}, Code{0, "", " "}, Code{1, "", "V"}, Code{2, "2-wire", "mV"},
                          Code{10, "max", "kg"}, Code{11, "min", " "}, Code{12, "", " "}}) {
        EXPECT_EQ(ModeKey(c.code), c.mode) << "mode code N shows entry N-1: " << c.code;
        EXPECT_EQ(UnitName(c.code), c.unit) << c.code;
    }
}

}  // namespace
}  // namespace r4860
