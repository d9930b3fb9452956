#include "model/sensor_characteristics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/catalogues.h"
#include "model/thermocouple_tables.h"

namespace r4860::model {
namespace {

double Signal(int code, double value) { return SensorSignal(ConfigRecord{}, code, value); }

struct SignalCase { const char* why; int code; double value, want, tolerance; };

class SignalValues : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalValues, MatchTheReference) {
    const auto& c = GetParam();
    EXPECT_NEAR(Signal(c.code, c.value), c.want, c.tolerance) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, SignalValues,
    ::testing::Values(SignalCase{"Pt100 at 0 degC is its constant term", 1, 0.0, 100.00272, 1e-12},
                      SignalCase{"copper is linear", 4, 100.0, 142.599985, 1e-9},
                      SignalCase{"K's constant and exponential terms cancel at 0", 10, 0.0, 0.0, 1e-8},
                      SignalCase{"type C is not exactly zero at 0 degC (F = 32)", 7, 0.0, -0.000399, 5e-7},
                      SignalCase{"E joins its segments at exactly zero", 8, 0.0, 0.0, 0.0},
                      SignalCase{"code 19 passes the value through", 19, 12.5, 12.5, 0.0},
                      SignalCase{"code 0 passes the value through", 0, 7.0, 7.0, 0.0}));

// Published ITS-90 table values, mV.
INSTANTIATE_TEST_SUITE_P(
    Its90SpotValues, SignalValues,
    ::testing::Values(SignalCase{"K 100", 10, 100, 4.096, 1e-3}, SignalCase{"K 1000", 10, 1000, 41.276, 1e-3},
                      SignalCase{"J 500", 9, 500, 27.393, 1e-3}, SignalCase{"T 100", 14, 100, 4.279, 1e-3},
                      SignalCase{"E 100", 8, 100, 6.319, 1e-3}, SignalCase{"N 100", 11, 100, 2.774, 1e-3},
                      SignalCase{"R 1000", 12, 1000, 10.506, 1e-3}, SignalCase{"S 1000", 13, 1000, 9.587, 1e-3},
                      SignalCase{"B 1000", 6, 1000, 4.834, 1e-3}));

// Published values below zero, where the negative segments have no other reference point here.
INSTANTIATE_TEST_SUITE_P(
    Its90BelowZero, SignalValues,
    ::testing::Values(SignalCase{"K -200", 10, -200, -5.891, 1e-3}, SignalCase{"J -200", 9, -200, -7.890, 1e-3},
                      SignalCase{"T -200", 14, -200, -5.603, 1e-3}, SignalCase{"E -200", 8, -200, -8.825, 1e-3},
                      SignalCase{"N -200", 11, -200, -3.990, 1e-3}));

TEST(SensorSignal, GivesTheLinearizationLimitsAtTheEndsOfEveryRange) {
    // The limits of each built-in set are the signals at the range ends, rounded; this checks every
    // resistance polynomial and most thermocouple segments at two points each.
    for (int code : {1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14}) {
        const auto& set = SensorLinTableFor(code);
        const auto& range = SensorRanges[static_cast<std::size_t>(code)];
        // Type C's limits are rounded to three decimals (and its polynomial is -0.000399 mV at 0 degC).
        const double tolerance = code == 7 ? 5e-4 : 5e-6;
        EXPECT_NEAR(Signal(code, range.low / 10.0), set[0], tolerance) << "code " << code << " low end";
        EXPECT_NEAR(Signal(code, range.high / 10.0), set[1], tolerance) << "code " << code << " high end";
    }
}

TEST(ThermoEmf, ClampsTemperaturesToTheTypeLimits) {
    struct Limit { int code; double low, high; };
    for (const Limit& l : {Limit{6, 0, 1820}, Limit{7, 0, 2320}, Limit{8, -270, 1000}, Limit{9, -210, 1200},
                           Limit{10, -270, 1372}, Limit{11, -270, 1300}, Limit{12, -50, 1768}, Limit{13, -50, 1768},
                           Limit{14, -270, 400}}) {
        EXPECT_EQ(ThermoEmf(l.code, l.low - 90.0), ThermoEmf(l.code, l.low)) << "code " << l.code;
        EXPECT_EQ(ThermoEmf(l.code, l.high + 90.0), ThermoEmf(l.code, l.high)) << "code " << l.code;
        EXPECT_NE(ThermoEmf(l.code, l.high - 1.0), ThermoEmf(l.code, l.high)) << "code " << l.code << " not flat inside";
    }
    EXPECT_EQ(Signal(9, -300.0), Signal(9, -210.0));
}

template <std::size_t N>
double Segment(const std::array<long double, N>& c, double t) {
    return static_cast<double>(PolyValue(static_cast<int>(N), c.data(), t));
}

TEST(ThermoEmf, PicksTheSegmentOfTheComparisonAtEachBoundary) {
    using namespace its90;
    struct Case { const char* why; int code; double t, chosen, other; };  // the segment to pick at t, and its neighbour
    const Case cases[] = {
        {"B at 630.615 stays low", 6, 630.615, Segment(kB0, 630.615), Segment(kB1, 630.615)},
        {"J at 760 goes high", 9, 760.0, Segment(kJ1, 760.0), Segment(kJ0, 760.0)},
        {"R at 1064.18 goes middle", 12, 1064.18, Segment(kR1, 1064.18), Segment(kR0, 1064.18)},
        {"R at 1664.5 goes high", 12, 1664.5, Segment(kR2, 1664.5), Segment(kR1, 1664.5)},
        {"S at 1064.18 goes middle", 13, 1064.18, Segment(kS1, 1064.18), Segment(kS0, 1064.18)},
        {"S at 1664.5 goes high", 13, 1664.5, Segment(kS2, 1664.5), Segment(kS1, 1664.5)},
        {"K at 0 takes the exponential segment", 10, 0.0,
         static_cast<double>(PolyValue(10, kK1.data(), 0.0L) + kKExp[0] * std::exp(kKExp[1] * kKExp[2] * kKExp[2])),
         Segment(kK0, 0.0)},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.chosen, c.other) << c.why << ": the segments must differ here for the row to tell";
        EXPECT_EQ(ThermoEmf(c.code, c.t), c.chosen) << c.why;
        // The published segments join: a mis-scaled or mistyped coefficient would open a step.
        EXPECT_NEAR(c.chosen, c.other, 0.05) << c.why << " (uV)";
    }
}

TEST(SensorSignal, SendsSignalInputsThroughTheConversion) {
    ConfigRecord rec;
    rec.LinCoef = {2.0, 4.0};
    rec.Table.points = {{0.0, 10.0}, {100.0, 20.0}};
    struct Route { const char* why; int code, lin; double want; };
    for (const Route& r : {Route{"resistance, linear conversion", 5, 4, (50.0 - 2.0) / 4.0},
                           Route{"mV, table", 16, 2, 15.0}, Route{"mA, power series by table", 17, 8, 15.0},
                           Route{"V, no conversion", 18, 0, 50.0}, Route{"V, unknown Lin", 18, 6, 50.0},
                           Route{"user sensor always by table", 15, 0, 15.0},
                           Route{"a thermocouple ignores the conversion", 10, 4, Signal(10, 50.0)}}) {
        rec.Czujnik.Lin = static_cast<std::uint8_t>(r.lin);
        EXPECT_DOUBLE_EQ(SensorSignal(rec, r.code, 50.0), r.want) << r.why;
    }
    EXPECT_EQ(LinearInverse({3.0, 0.0}, 7.0), 0.0) << "a zero slope gives 0, not infinity";
    for (const int code : {5, 15}) EXPECT_TRUE(std::isnan(ThermoEmf(code, 100.0))) << "no thermocouple " << code;
    for (const int code : {0, 5}) EXPECT_TRUE(std::isnan(RtdPolyValue(RtdCoefficients(code), 10.0))) << "no RTD " << code;
}

TEST(SeriesValue, ClampsTheTermCountToDegreesOneToEight) {
    const LinCoefArray c = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};  // x = 10 shows each term as a digit
    struct Case { const char* why; int n; double want; };
    for (const Case& k : {Case{"n 0 is raised to 2", 0, 21.0}, Case{"n -5 is raised to 2", -5, 21.0},
                          Case{"n 2 is linear", 2, 21.0}, Case{"n 4 is cubic", 4, 4321.0},
                          Case{"n 9 is degree 8", 9, 987654321.0}, Case{"n 12 is cut to degree 8", 12, 987654321.0}})
        EXPECT_DOUBLE_EQ(SeriesValue(c, k.n, 10.0), k.want) << k.why;
}

}  // namespace
}  // namespace r4860::model
