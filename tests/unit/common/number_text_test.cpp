#include "common/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace r4860 {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(NumberText, TextToNumAcceptsAPointOrACommaAndNothingElse) {
    struct Case { const char* why; const char* text; bool ok; double value; };
    const Case cases[] = {
        {"a point is a decimal separator", "12.5", true, 12.5}, {"so is a comma", "12,5", true, 12.5},
        {"only the point is replaced when both occur", "1.2,5", false, 0},
        {"a second comma is not a separator", "1,2,5", false, 0}, {"negative numbers", "-0,25", true, -0.25},
        {"two signs are not a number", "+-3", false, 0}, {"exponent form", "2e3", true, 2000},
        {"blanks around the number are forgiven", "  7 ", true, 7}, {"blanks only", "   ", false, 0},
        {"trailing letters", "12a", false, 0}, {"infinity is not a finite number", "inf", false, 0},
        {"nor is NaN", "nan", false, 0}, {"an overflowing exponent", "1e999", false, 0},
        {"a lone separator", ",", false, 0},
    };
    for (const auto& c : cases) {
        double out = -777.0;
        EXPECT_EQ(TextToNum(c.text, out), c.ok) << c.why;
        EXPECT_DOUBLE_EQ(out, c.ok ? c.value : -777.0) << c.why << (c.ok ? "" : ": a failure leaves the value alone");
    }
}

TEST(NumberText, ParsingAndWritingIgnoreACommaDecimalLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "pl_PL.UTF-8"))
        GTEST_SKIP() << "no comma-decimal locale installed";
    double a = 0, b = 0;
    const bool ok = TextToNum("12.5", a) && TextToNum("12,5", b);
    const std::string fixed = FixedText(1.5, 2, 6);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_TRUE(ok && a == 12.5 && b == 12.5);
    EXPECT_EQ(fixed, "  1.50") << "the tool always writes a point";
}

TEST(NumberText, RangeNumTxtTakesItsDecimalsFromTheRange) {
    struct Case { const char* why; double value, lo, hi; const char* text; };
    const Case cases[] = {
        {"a range up to 100 shows one decimal", 999.94, 0, 100, "  999.9"},
        {"a range up to 1000 shows none; 999.94 rounds up", 999.94, 0, 1000, "   1000"},
        {"below 10 three decimals", 1.23456, 0, 5, "  1.235"},
        {"the larger magnitude counts, also when negative", 12.25, -500, 5, "   12.2"},
        {"an empty range counts as 10: two decimals", 1.23456, 5, 5, "   1.24"},
        {"an inverted range counts as 10", 1.23456, 6, 5, "   1.24"},
        {"wider than the field: no truncation", 12345678.0, 0, 2000, "12345678"},
        // 0.12451 becomes 0.1245 first, just below 0.1245 in binary: 0.124, not 0.125.
        {"rounds one decimal further first", 0.12451, 0, 5, "  0.124"}, {"negative values", -1.5, 0, 5, " -1.500"},
    };
    for (const auto& c : cases) EXPECT_EQ(RangeNumTxt(c.value, c.lo, c.hi), c.text) << c.why;
    EXPECT_FALSE(RangeNumTxt(kInf, 0, 5).empty()) << "no crash on infinity";
}

TEST(NumberText, RoundSigKeepsSevenFiguresAroundTheNearestPowerOfTen) {
    struct Case { const char* why; double value, want; };
    const Case cases[] = {
        {"a half at the scale of 1 rounds to even, giving 0", 0.0000005, 0.0},
        {"representation noise of a decoded float goes", 100.00271606445312, 100.0027},
        {"values near 1 keep six decimals", 1.23456789, 1.234568},
        {"the scale is the nearest power, not the floor: 31.7 rounds at 1e-4", 31.712345678, 31.7123},
        {"large values", 123456789.0, 123456800.0}, {"negative values mirror positive ones", -2.5e-3, -2.5e-3},
    };
    for (const auto& c : cases) EXPECT_NEAR(RoundSig(c.value), c.want, 1e-12 * std::max(1.0, std::fabs(c.want))) << c.why;
    EXPECT_TRUE(std::isnan(RoundSig(kNaN)));
}

TEST(NumberText, TruncationForgivesRepresentationErrorOnly) {
    struct Case { const char* why; double value; int trunc; double tenth; const char* text; };
    const Case cases[] = {
        {"0.29999999 typed as 0.3 stays 0.3", 0.29999999, 0, 0.3, "0.3"},
        {"-1.25 is cut toward zero", -1.25, -1, -1.2, "-1.2"}, {"2.9999999 stays 3", 2.9999999, 3, 3.0, "  3"},
        {"2.9 is not forgiven to 3", 2.9, 2, 2.9, "2.9"}, {"a tenth of a whole hundred", 100.04, 100, 100.0, "100"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TruncGuard(c.value), c.trunc) << c.why;
        EXPECT_NEAR(TruncTenth(c.value), c.tenth, 1e-12) << c.why;
        EXPECT_EQ(TenthTxt(c.value), c.text) << c.why;
    }
}

TEST(NumberText, RoundEvenSendsHalvesToTheEvenNeighbourAndSaturates) {
    struct Case { double value; long long want; };
    constexpr long long kMax = std::numeric_limits<long long>::max(), kMin = std::numeric_limits<long long>::min();
    const Case cases[] = {{0.5, 0},  {1.5, 2},  {2.5, 2},      {-0.5, 0},  {-1.5, -2},  {3.125, 3},
                          {4.8, 5},  {-2.6, -3}, {1e300, kMax}, {-kInf, kMin}, {kNaN, 0}};
    for (const auto& c : cases) EXPECT_EQ(RoundEven(c.value), c.want) << c.value;
    EXPECT_EQ(TruncGuard(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(TruncGuard(-1e300), std::numeric_limits<int>::min());
    EXPECT_EQ(TruncGuard(kNaN), 0);
}

TEST(NumberText, ShortestTextReadsBackToTheSameDouble) {
    std::mt19937_64 rng(4802);
    std::uniform_real_distribution<double> d(-1e6, 1e6);
    for (int i = 0; i < 2000; ++i) {
        const double v = d(rng);
        double back = 0;
        ASSERT_TRUE(TextToNum(ShortestText(v), back)) << ShortestText(v);
        ASSERT_EQ(back, v);
    }
    EXPECT_EQ(ShortestText(0.1), "0.1");
}

}  // namespace
}  // namespace r4860
