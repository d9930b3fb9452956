#include "model/transfer_function.h"

#include <gtest/gtest.h>

#include <string>

#include "common/lang_table.h"

namespace r4860::model {
namespace {

ConfigRecord sensor(std::uint8_t typ, std::uint8_t lin, double lo, double hi, LinCoefArray c = {}) {
    ConfigRecord r;
    r.Czujnik = {typ, 5, 0, lin};
    r.Parametry.MinInput = lo;
    r.Parametry.MaxInput = hi;
    r.TableInputType = DerivedTableInputType(typ);
    r.LinCoef = c;
    return r;
}

TEST(SampleSeries, TheIdentityOverTenMillivoltsGives801RisingPoints) {
    auto r = sensor(16, 8, 0, 0, {0, 1, 0, 0, 0, 0, 0, 0, 0, 0.0, 10.0});
    std::string message;
    ASSERT_TRUE(SampleSeries(r, message)) << message;
    ASSERT_EQ(r.Table.count(), kSeriesPoints);
    EXPECT_EQ(r.Table.points[0], (TablePoint{0.0, 0.0}));
    EXPECT_EQ(r.Table.points[1], (TablePoint{0.0125, 0.0125}));
    EXPECT_DOUBLE_EQ(r.Table.points[800].B, 10.0);

    r = sensor(17, 8, 0, 0, {100, -5, 0, 0, 0, 0, 0, 0, 0, 0.0, 20.0});
    EXPECT_TRUE(SampleSeries(r, message)) << "a series that falls strictly is monotonic too: " << message;
    r = sensor(15, 8, 0, 0, {-250, 10, 0, 0, 0, 0, 0, 0, 0, -2.0, 70.0});
    EXPECT_TRUE(SampleSeries(r, message)) << "the user sensor has thermocouple limits, down to -273: " << message;
}

TEST(SampleSeries, StopsAtTheFirstPointThatBreaksARule) {
    struct Case { const char* why; std::uint8_t typ; LinCoefArray c; std::string message; std::size_t kept; };
    const std::string kNotMonotonic = "Transfer function is not monotonic", kOut = "Value out of range";
    const Case cases[] = {
        {"a constant is not monotonic at the second point", 16, {5, 0, 0, 0, 0, 0, 0, 0, 0, 0.0, 10.0}, kNotMonotonic, 1},
        {"a parabola turns inside the interval", 16, {0, -1, 1, 0, 0, 0, 0, 0, 0, 0.0, 2.0}, kNotMonotonic, 1},
        {"a signal beyond the millivolt range", 16, {0, 1, 0, 0, 0, 0, 0, 0, 0, 0.0, 2000.0}, kOut, 401},
        {"a result below -1999", 17, {-2500, 100, 0, 0, 0, 0, 0, 0, 0, 0.0, 20.0}, kOut, 0},
        {"the user sensor's signals stop at 75 mV", 15, {-250, 10, 0, 0, 0, 0, 0, 0, 0, -2.0, 80.0}, kOut, 752},
        {"an end that overflows cannot be evaluated", 16, {0, 1e308, 1e308, 0, 0, 0, 0, 0, 0, 0.0, 10.0},
         "Power series calculation error", 0},
    };
    for (const auto& c : cases) {
        auto r = sensor(c.typ, 8, 0, 0, c.c);
        std::string message;
        EXPECT_FALSE(SampleSeries(r, message)) << c.why;
        EXPECT_EQ(message, c.message) << c.why;
        EXPECT_EQ(r.Table.count(), c.kept) << c.why << ": the points accepted so far stay";
    }
}

TEST(RangeSpanOk, NeedsTheMinimumSignalSpanOnceTheSignalIsKnown) {
    EXPECT_FALSE(RangeSpanOk(sensor(10, 2, 0.0, 30.0))) << "K over 0..30: 1.203 mV";
    EXPECT_TRUE(RangeSpanOk(sensor(10, 2, 0.0, 40.0))) << "K over 0..40: 1.612 mV";
    auto r = sensor(16, 8, 0.0, 0.0);
    EXPECT_TRUE(RangeSpanOk(r)) << "power series not sampled yet";
    r.TableLoaded = true;
    r.Table.points = {{0.0, 0.0}, {100.0, 100.0}};
    EXPECT_FALSE(RangeSpanOk(r)) << "once it is, an empty span is too small";
    r.Parametry.MaxInput = 4.0;
    EXPECT_FALSE(RangeSpanOk(r)) << "4 mV is the millivolt minimum, less the tolerance";
    r.Parametry.MaxInput = 4.01;
    EXPECT_TRUE(RangeSpanOk(r));
    r = sensor(15, 2, 0.0, 100.0);
    r.TableLoaded = true;  // loaded, but empty: the signal is NaN
    EXPECT_FALSE(RangeSpanOk(r)) << "an unevaluable range is never wide enough";
}

TEST(ConversionRangeOk, TheResultRangeMappedBackMustFitTheInput) {
    struct Case { const char* why; TenthRange row15; bool ok; };
    // 0 .. 20 mA to 0 .. 2000: the result r comes from r / 100 mA.
    const Case cases[] = {
        {"the whole input range", {0, 20000}, true},
        {"25 mA is beyond the current input", {0, 25000}, false},
        {"a negative current is below it", {-1000, 20000}, false},
        {"0.1 mA of span is below the 1 mA minimum", {0, 100}, false}, {"1 mA is enough", {0, 1000}, true},
    };
    for (const auto& c : cases) {
        auto r = sensor(17, 4, 0, 0, {0, 100, 0, 0, 0, 0, 0, 0, 0, 0.0, 20.0});
        r.LiveRanges[15] = c.row15;
        EXPECT_EQ(ConversionRangeOk(r, 17), c.ok) << c.why;
    }
    auto r = sensor(17, 2, 0, 0);  // table conversion without a table: NaN signals
    r.LiveRanges[15] = {0, 20000};
    EXPECT_FALSE(ConversionRangeOk(r, 17)) << "a signal that cannot be computed fails";
    EXPECT_FALSE(ConversionRangeOk(r, 0)) << "no such input type";
}

TEST(SuggestFilter, NarrowRangesGetAWiderBandAndALongerTimeConstant) {
    struct Case { const char* why; std::uint8_t typ, lin; double lo, hi; int zakres, czas; };
    const Case cases[] = {
        {"K over 0..100: 4.096 mV of 86", 10, 1, 0.0, 100.0, 2, 34},
        {"Pt100 over 0..10: 0.4 x 3.9 ohm of 180", 1, 1, 0.0, 10.0, 12, 81},
        {"a wide range keeps the defaults", 10, 1, 0.0, 1000.0, 1, 20},
        {"a nearly empty range gets the extremes", 16, 1, 0.0, 0.05, 250, 375},
        {"an unevaluable range gets the defaults", 15, 2, 0.0, 10.0, 1, 20},
    };
    for (const auto& c : cases) {
        int zakres = -1, czas = -1;
        SuggestFilter(sensor(c.typ, c.lin, c.lo, c.hi), zakres, czas);
        EXPECT_EQ(zakres, c.zakres) << c.why;
        EXPECT_EQ(czas, c.czas) << c.why;
    }
}

TEST(RuleMessages, TwoKeyMessagesAreTranslatedKeyByKey) {
    UseEnglishTable();
    EXPECT_EQ(TranslateRuleMessage(NotMonotonicMessage()), "Transfer function is not monotonic");
    LangTable() = {"Transfer function=Funkcja przejscia", "is not monotonic=nie jest monotoniczna",
                   "Value out of range=Wartosc poza zakresem"};
    EXPECT_EQ(TranslateRuleMessage(NotMonotonicMessage()), "Funkcja przejscia nie jest monotoniczna");
    EXPECT_EQ(TranslateRuleMessage("Value out of range"), "Wartosc poza zakresem");
    UseEnglishTable();
}

}  // namespace
}  // namespace r4860::model
