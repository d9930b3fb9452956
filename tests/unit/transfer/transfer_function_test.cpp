// The transfer function sent to the device, and the rules a range and a conversion must meet.
#include "model/transfer_function.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/lang_table.h"
#include "model/sensor_characteristics.h"

namespace r4860::model {
namespace {

ConfigRecord sensor(std::uint8_t typ, std::uint8_t lin, double lo, double hi, LinCoefArray c = {}, std::uint8_t tryb = 5) {
    ConfigRecord r;
    r.Czujnik = {typ, tryb, 0, lin};
    r.Parametry.MinInput = lo, r.Parametry.MaxInput = hi, r.Parametry.Siec = 50;
    r.TableInputType = DerivedTableInputType(typ), r.LinCoef = c;
    return r;
}

TransferFunction compute(const ConfigRecord& r) {
    auto tf = ComputeTransferFunction(r);
    EXPECT_TRUE(tf.ok()) << (tf.ok() ? "" : tf.error().message);
    return tf.ok() ? *tf : TransferFunction{};
}

TEST(TransferFunction, LinearRangesRunTheOutputTheWayOfTheirSlope) {
    // Higher coefficients left over from an earlier power series must not reach the device.
    const auto pt = compute(sensor(1, 1, 0.0, 100.0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 3));
    const double span = pt.signal.max - pt.signal.min;
    EXPECT_NEAR(pt.signal.min, 100.00272, 1e-9);
    EXPECT_EQ(pt.devCoef, (DevCoefArray{-pt.signal.min / span, 1.0 / span}));
    EXPECT_NEAR(pt.curve[50], 0.5, 1e-12);
    // 4 mA -> 100, 20 mA -> 0: the result falls as the current rises.
    const auto falling = compute(sensor(17, 4, 0.0, 100.0, {125.0, -6.25, 0, 0, 0, 0, 0, 0, 0, 4.0, 20.0}));
    EXPECT_NEAR(falling.signal.min, 4.0, 1e-12) << "the signal of MaxInput is the lower one";
    EXPECT_NEAR(falling.devCoef[0], 1.0 + 4.0 / 16.0, 1e-12);
    EXPECT_NEAR(falling.devCoef[1], -1.0 / 16.0, 1e-12);
    EXPECT_NEAR(falling.curve[0] - falling.curve[100], 1.0, 1e-12);
    EXPECT_EQ(falling.devCoef[10], 20.0) << "the input type's full range, 0 .. 20 mA";
}

TEST(TransferFunction, APowerSeriesBecomesOnePolynomialOfTheNormalizedOutput) {
    auto r = sensor(16, 8, 10.0, 110.0, {10.0, 2.0, 0.5, 0, 0, 0, 0, 0, 0.001, 0.0, 100.0});
    r.Table.points = {{0.0, 0.0}, {1000.0, 1000.0}};  // the sampled series, here the identity
    const auto tf = compute(r);
    EXPECT_EQ(tf.devCoef, (DevCoefArray{0.0, 2.0 / 100, 0.5 / 100, 0, 0, 0, 0, 0, 0.001 / 100, 0.0, 100.0}));
    const double x = tf.signal.min + 37 * tf.step();
    EXPECT_NEAR(tf.curve[37], (SeriesValue(r.LinCoef, 9, x) - 10.0) / 100.0, 1e-12);
    r = sensor(16, 8, 0.0, 100.0, {0, 1, 0, 0, 0, 0, 0, 0, 1e300, 0.0, 100.0});  // x^8 * 1e300 overflows beyond 1
    r.Table.points = {{0.0, 0.0}, {100.0, 100.0}};
    r.TransferCurve.fill(-3.0);
    const auto cut = compute(r);
    ASSERT_GT(cut.curvePoints, 0u);
    ASSERT_LT(cut.curvePoints, kTransferCurveSize) << "a curve that overflows keeps the points computed so far";
    for (std::size_t i = 0; i < cut.curvePoints; ++i) EXPECT_TRUE(std::isfinite(cut.curve[i])) << i;
    EXPECT_EQ(cut.curve[cut.curvePoints], -3.0);
}

TEST(TransferFunction, LinearizationSendsTheSensorsSetOrTheUsersTable) {
    const auto k = compute(sensor(10, 2, 0.0, 1000.0, {}, 7));
    EXPECT_EQ(k.sensorLinSet, SensorLinTableFor(10));
    EXPECT_NEAR(k.curve[0] + 1.0 - k.curve[100], 0.0, 0.002) << "the set inverts the K characteristic";
    auto user = sensor(15, 2, 0.0, 100.0, {}, 7);
    user.Table.points = {{0.0, 0.0}, {50.0, 2.0}, {100.0, 4.1}};
    const auto fitted = compute(user).sensorLinSet;
    for (const auto& p : user.Table.points)
        EXPECT_NEAR(LinSetValue(fitted, p.B), p.A, 0.1) << "the device receives the user sensor's table, at " << p.B;
    auto none = sensor(10, 0, 0.0, 100.0, {}, 7);
    none.DevCoef.fill(7.0), none.TransferCurve.fill(0.25);
    const auto kept = compute(none);  // no conversion computes nothing, keeps the previous values
    EXPECT_TRUE(kept.devCoef == none.DevCoef && kept.curve == none.TransferCurve);
}

TEST(TransferFunction, RefusesWhatCannotBeSentRatherThanSendingInfinity) {
    auto flatSeries = sensor(16, 8, 50.0, 50.0);
    flatSeries.Table.points = {{0.0, 0.0}, {100.0, 100.0}};
    const std::pair<const char*, ConfigRecord> cases[] = {
        {"the user sensor without its table has no signal range", sensor(15, 2, 0.0, 100.0, {}, 7)},
        {"a linear range of one point divides by zero", sensor(1, 1, 20.0, 20.0, {}, 3)},
        {"a power series over an empty result span divides by zero", flatSeries},
    };
    for (const auto& [why, rec] : cases) {
        const auto tf = ComputeTransferFunction(rec);
        ASSERT_FALSE(tf.ok()) << why;
        EXPECT_EQ(tf.error().code, Errc::Refused) << why;
        EXPECT_EQ(tf.error().message, "Transfer function is not monotonic") << why;
    }
}

TEST(SampleSeries, Gives801PointsOrStopsAtTheFirstThatBreaksARule) {
    auto r = sensor(16, 8, 0, 0, {0, 1, 0, 0, 0, 0, 0, 0, 0, 0.0, 10.0});
    std::string message;
    ASSERT_TRUE(SampleSeries(r, message)) << message;
    ASSERT_EQ(r.Table.count(), kSeriesPoints);
    EXPECT_EQ(r.Table.points[1], (TablePoint{0.0125, 0.0125}));
    EXPECT_DOUBLE_EQ(r.Table.points[800].B, 10.0);
    r = sensor(17, 8, 0, 0, {100, -5, 0, 0, 0, 0, 0, 0, 0, 0.0, 20.0});
    EXPECT_TRUE(SampleSeries(r, message)) << "a series that falls strictly is monotonic too: " << message;
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
        r = sensor(c.typ, 8, 0, 0, c.c);
        EXPECT_FALSE(SampleSeries(r, message)) << c.why;
        EXPECT_EQ(std::pair(message, r.Table.count()), std::pair(c.message, c.kept)) << c.why;
    }
}

TEST(RangeRules, NeedTheMinimumSpanAndAConversionRangeThatFitsTheInput) {
    EXPECT_FALSE(RangeSpanOk(sensor(10, 2, 0.0, 30.0))) << "K over 0..30: 1.203 mV";
    EXPECT_TRUE(RangeSpanOk(sensor(10, 2, 0.0, 40.0))) << "K over 0..40: 1.612 mV";
    auto r = sensor(16, 8, 0.0, 0.0);
    EXPECT_TRUE(RangeSpanOk(r)) << "power series not sampled yet";
    r.TableLoaded = true, r.Table.points = {{0.0, 0.0}, {100.0, 100.0}}, r.Parametry.MaxInput = 4.0;
    EXPECT_FALSE(RangeSpanOk(r)) << "4 mV is the millivolt minimum, less the tolerance";
    r.Parametry.MaxInput = 4.01;
    EXPECT_TRUE(RangeSpanOk(r)) << "4.01 mV";
    r = sensor(15, 2, 0.0, 100.0), r.TableLoaded = true;  // loaded, but empty: the signal is NaN
    EXPECT_FALSE(RangeSpanOk(r)) << "an unevaluable range is never wide enough";
    // 0 .. 20 mA to 0 .. 2000: the result r comes from r / 100 mA.
    for (const auto& [why, row15, ok] : {std::tuple{"0 .. 20 mA", TenthRange{0, 20000}, true},
                                         {"25 mA", TenthRange{0, 25000}, false}, {"1 mA", {0, 1000}, true},
                                         {"-1 mA", TenthRange{-1000, 20000}, false},
                                         {"0.1 mA of span, under 1", TenthRange{0, 100}, false}}) {
        r = sensor(17, 4, 0, 0, {0, 100, 0, 0, 0, 0, 0, 0, 0, 0.0, 20.0});
        r.LiveRanges[15] = row15;
        EXPECT_EQ(ConversionRangeOk(r, 17), ok) << why;
    }
    r = sensor(17, 2, 0, 0), r.LiveRanges[15] = {0, 20000};  // table conversion without a table: NaN signals
    EXPECT_FALSE(ConversionRangeOk(r, 17)) << "a signal that cannot be computed fails";
}

TEST(SuggestFilter, NarrowRangesGetAWiderBandAndALongerTimeConstant) {
    struct Case { const char* why; std::uint8_t typ, lin; double lo, hi; int zakres, czas; };
    for (const Case& c : {Case{"K over 0..100: 4.096 mV of 86", 10, 1, 0.0, 100.0, 2, 34},
                          Case{"Pt100 over 0..10: 0.4 x 3.9 ohm of 180", 1, 1, 0.0, 10.0, 12, 81},
                          Case{"a wide range keeps the defaults", 10, 1, 0.0, 1000.0, 1, 20},
                          Case{"a nearly empty range gets the extremes", 16, 1, 0.0, 0.05, 250, 375},
                          Case{"an unevaluable range gets the defaults", 15, 2, 0.0, 10.0, 1, 20}}) {
        int zakres = -1, czas = -1;
        SuggestFilter(sensor(c.typ, c.lin, c.lo, c.hi), zakres, czas);
        EXPECT_EQ(std::pair(zakres, czas), std::pair(c.zakres, c.czas)) << c.why;
    }
    LangTable() = {"Transfer function=Funkcja przejscia", "is not monotonic=nie jest monotoniczna"};
    EXPECT_EQ(TranslateRuleMessage(NotMonotonicMessage()), "Funkcja przejscia nie jest monotoniczna");
    UseEnglishTable();
}

}  // namespace
}  // namespace r4860::model
