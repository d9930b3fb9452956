// Sensor characteristics: signals of the built-in sensors, user tables, and the device's lin sets.
#include "model/sensor_characteristics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "model/thermocouple_tables.h"

namespace r4860::model {
namespace {

double Signal(int code, double value) { return SensorSignal(ConfigRecord{}, code, value); }

TEST(SensorSignal, MatchesPublishedValuesAndTheEdgeCases) {
    struct Case { const char* why; int code; double value, want, tolerance; };
    const Case cases[] = {
        {"Pt100 at 0 degC: its constant term", 1, 0.0, 100.00272, 1e-12}, {"Cu", 4, 100.0, 142.599985, 1e-9},
        {"K's constant and exponential terms cancel at 0", 10, 0.0, 0.0, 1e-8},
        {"type C is not exactly zero at 0 degC (F = 32)", 7, 0.0, -0.000399, 5e-7},
        {"E joins its segments at exactly zero", 8, 0.0, 0.0, 0.0}, {"code 19 passes", 19, 12.5, 12.5, 0.0},
        // Published ITS-90 table values, mV, above and below zero.
        {"K 1000", 10, 1000, 41.276, 1e-3}, {"J 500", 9, 500, 27.393, 1e-3}, {"T 100", 14, 100, 4.279, 1e-3},
        {"E 100", 8, 100, 6.319, 1e-3}, {"N 100", 11, 100, 2.774, 1e-3}, {"R 1000", 12, 1000, 10.506, 1e-3},
        {"S 1000", 13, 1000, 9.587, 1e-3}, {"B 1000", 6, 1000, 4.834, 1e-3}, {"K -200", 10, -200, -5.891, 1e-3},
        {"J -200", 9, -200, -7.890, 1e-3}, {"T -200", 14, -200, -5.603, 1e-3}, {"E -200", 8, -200, -8.825, 1e-3},
        {"N -200", 11, -200, -3.990, 1e-3},
    };
    for (const auto& c : cases) EXPECT_NEAR(Signal(c.code, c.value), c.want, c.tolerance) << c.why;
    // The limits of each built-in set are the signals at the range ends, rounded.
    for (int code : {1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14}) {
        const auto& set = SensorLinTableFor(code);
        const auto& range = SensorRanges[static_cast<std::size_t>(code)];
        const double tolerance = code == 7 ? 5e-4 : 5e-6;  // type C's limits have three decimals
        EXPECT_NEAR(Signal(code, range.low / 10.0), set[0], tolerance) << "code " << code;
        EXPECT_NEAR(Signal(code, range.high / 10.0), set[1], tolerance) << "code " << code;
    }
}

template <std::size_t N>
double Segment(const std::array<long double, N>& c, double t) {
    return static_cast<double>(PolyValue(static_cast<int>(N), c.data(), t));
}

TEST(ThermoEmf, ClampsToTheTypeLimitsAndPicksTheSegmentOfTheComparisonAtEachBoundary) {
    struct Limit { int code; double low, high; };
    for (const Limit& l : {Limit{6, 0, 1820}, Limit{7, 0, 2320}, Limit{8, -270, 1000}, Limit{9, -210, 1200},
                           Limit{10, -270, 1372}, Limit{11, -270, 1300}, Limit{12, -50, 1768}, Limit{13, -50, 1768},
                           Limit{14, -270, 400}}) {
        EXPECT_EQ(std::pair(ThermoEmf(l.code, l.low - 90.0), ThermoEmf(l.code, l.high + 90.0)),
                  std::pair(ThermoEmf(l.code, l.low), ThermoEmf(l.code, l.high))) << "code " << l.code;
        EXPECT_NE(ThermoEmf(l.code, l.high - 1.0), ThermoEmf(l.code, l.high)) << l.code << " flat inside";
    }
    using namespace its90;
    struct Case { const char* why; int code; double t, chosen, other; };  // the segment to pick at t, its neighbour
    const Case cases[] = {
        {"B at 630.615 stays low", 6, 630.615, Segment(kB0, 630.615), Segment(kB1, 630.615)},
        {"J at 760 goes high", 9, 760.0, Segment(kJ1, 760.0), Segment(kJ0, 760.0)},
        {"R at 1064.18 goes middle", 12, 1064.18, Segment(kR1, 1064.18), Segment(kR0, 1064.18)},
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
    rec.LinCoef = {2.0, 4.0}, rec.Table.points = {{0.0, 10.0}, {100.0, 20.0}};
    struct Route { const char* why; int code, lin; double want; };
    for (const Route& r : {Route{"resistance, linear conversion", 5, 4, (50.0 - 2.0) / 4.0},
                           Route{"mV, table", 16, 2, 15.0}, Route{"mA, power series by table", 17, 8, 15.0},
                           Route{"V, unknown Lin", 18, 6, 50.0}, Route{"user sensor always by table", 15, 0, 15.0},
                           Route{"a thermocouple ignores the conversion", 10, 4, Signal(10, 50.0)}}) {
        rec.Czujnik.Lin = static_cast<std::uint8_t>(r.lin);
        EXPECT_DOUBLE_EQ(SensorSignal(rec, r.code, 50.0), r.want) << r.why;
    }
    EXPECT_EQ(LinearInverse({3.0, 0.0}, 7.0), 0.0) << "a zero slope gives 0, not infinity";
    const LinCoefArray c = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};  // x = 10 shows each term as a digit
    for (const auto& [n, want] : {std::pair{-5, 21.0}, {2, 21.0}, {4, 4321.0}, {9, 987654321.0}, {12, 987654321.0}})
        EXPECT_DOUBLE_EQ(SeriesValue(c, n, 10.0), want) << "the term count is clamped to degrees 1..8: " << n;
}

// Points (a, f(a)) for a = first, first + step, ...
template <class F>
PointTable Sampled(int n, double first, double step, F f) {
    PointTable t;
    for (int i = 0; i < n; ++i) t.points.push_back({first + step * i, f(first + step * i)});
    return t;
}

double Square(double a) { return a * a; }

TEST(TableSignal, InterpolatesLinearlyOrQuadraticallyByTheRule) {
    const PointTable kRising = {{{1.0, 10.0}, {2.0, 30.0}, {4.0, 40.0}}};
    const PointTable kFalling = {{{4.0, 40.0}, {2.0, 30.0}, {1.0, 10.0}}};
    struct Case { const char* why; PointTable table; double y, want; };
    const Case cases[] = {
        {"rising, below the first point: B1", kRising, 0.5, 10.0}, {"rising, above: Bn", kRising, 9.0, 40.0},
        {"rising, in the second interval", kRising, 3.0, 35.0}, {"falling, above: B1", kFalling, 5.0, 40.0},
        {"falling, inside the last interval", kFalling, 1.5, 20.0},
        {"10 points of a parabola: still linear", Sampled(10, 0.0, 1.0, Square), 2.5, 6.5},
        {"11 points: quadratic, exact", Sampled(11, 0.0, 1.0, Square), 2.5, 6.25},
        {"11 points, quadratic in the first interval", Sampled(11, 1.0, 1.0, Square), 1.5, 2.25},
        {"11 points falling, quadratic", Sampled(11, 10.0, -1.0, Square), 2.5, 6.25},
        {"slope 5 then 1 at the point above: linear",
         Sampled(11, 0.0, 1.0, [](double a) { return a <= 5.0 ? 5.0 * a : 25.0 + (a - 5.0); }), 4.5, 22.5},
        {"slopes 1 and 2.9 are close enough: quadratic through the kink",
         Sampled(11, 0.0, 1.0, [](double a) { return a <= 5.0 ? a : 5.0 + 2.9 * (a - 5.0); }), 4.5,
         0.375 * 4.0 + 0.75 * 5.0 - 0.125 * 7.9},  // Lagrange weights at 4.5 of 4, 5, 6
    };
    for (const auto& c : cases) EXPECT_NEAR(TableSignal(c.table, c.y), c.want, 1e-12) << c.why;
    EXPECT_TRUE(std::isnan(TableSignal(PointTable{{{1.0, 2.0}}}, 1.0))) << "one point is no interval";
    EXPECT_FALSE(std::isfinite(TableSignal(PointTable{{{1.0, 2.0}, {1.0, 3.0}, {2.0, 4.0}}}, 1.0))) << "a flat start";
    EXPECT_TRUE(std::isnan(TableSignal(Sampled(12, 0.0, 1.0, Square), std::nan("")))) << "a missing result";
}

TEST(TableSignal, ReproducesLinearDataOnRandomTables) {
    // Linear and quadratic interpolation are both exact on a line, whatever branch is taken.
    std::mt19937 rng(4860);
    std::uniform_real_distribution<double> gap(0.01, 5.0), coef(-50.0, 50.0), start(-100.0, 100.0);
    for (int i = 0; i < 2000; ++i) {
        const int n = 2 + static_cast<int>(rng() % 30);
        const double m = coef(rng), c = coef(rng);
        PointTable t;
        double a = start(rng);
        for (int k = 0; k < n; ++k, a += gap(rng)) t.points.push_back({a, m * a + c});
        if (rng() % 2) std::reverse(t.points.begin(), t.points.end());
        const auto [lo, hi] = std::minmax(t.points.front().A, t.points.back().A);
        const double y = std::uniform_real_distribution<double>(lo - 10.0, hi + 10.0)(rng);
        const double want = m * std::clamp(y, lo, hi) + c;
        ASSERT_NEAR(TableSignal(t, y), want, 1e-9 * (1.0 + std::fabs(want))) << "case " << i << ", n " << n;
    }
}

TEST(LinSetValue, PicksTheSegmentWithBoundariesInclusiveBelow) {
    for (int code : {-1, 0, 5, 15, 19, 255}) EXPECT_EQ(&SensorLinTableFor(code), &DefaultSensorLinSet()) << code;
    for (double x : {-5.0, 0.25, 1.5})
        EXPECT_EQ(LinSetValue(DefaultSensorLinSet(), x), std::clamp(x, 0.0, 1.0)) << "the identity clamps, x " << x;
    SensorLinSetArray set{0.0, 1.0, 0.0, 0.25, 0.75, 1.0, 0.0};
    set[7] = 1.0, set[14] = 2.0, set[21] = 3.0;  // constant segments tell which one was used
    for (const auto& [x, want] : {std::pair{0.25, 1.0}, {0.2500001, 2.0}, {0.75, 2.0}, {0.7500001, 3.0}, {-9.0, 1.0}})
        EXPECT_EQ(LinSetValue(set, x), want) << "x " << x;
    set[1] = set[0];
    EXPECT_TRUE(std::isnan(LinSetValue(set, 0.5))) << "a zero span";
}

TEST(SensorLinTables, InvertEverySensorWithinATenthOfADegree) {
    // Worst |LinSetValue(signal(t)) - t| per segment over the whole range, every 0.01 degC; the
    // copper set and the first segments of Pt100 and K are given, not fitted, and not held to it.
    for (int code : {1, 2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14}) {
        const auto& set = SensorLinTableFor(code);
        const auto& range = SensorRanges[static_cast<std::size_t>(code)];
        std::array<double, 3> worst{};
        for (int hundredths = range.low * 10; hundredths <= range.high * 10; ++hundredths) {
            const double t = hundredths / 100.0, x = Signal(code, t);
            const double u = std::clamp((x - set[0]) / (set[1] - set[0]), 0.0, 1.0);
            const std::size_t s = u <= set[3] ? 0 : (u <= set[4] ? 1 : 2);
            worst[s] = std::max(worst[s], std::fabs(LinSetValue(set, x) - t));
        }
        for (std::size_t s = (code == 1 || code == 10) ? 1 : 0; s < 3; ++s)
            EXPECT_LE(worst[s], 0.1) << "code " << code << " segment " << s + 1;
    }
}

}  // namespace
}  // namespace r4860::model
