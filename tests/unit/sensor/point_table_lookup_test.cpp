#include "model/sensor_characteristics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace r4860::model {
namespace {

// Points (a, f(a)) for a = first, first + step, ...
template <class F>
PointTable Sampled(int n, double first, double step, F f) {
    PointTable t;
    for (int i = 0; i < n; ++i) t.points.push_back({first + step * i, f(first + step * i)});
    return t;
}

double Square(double a) { return a * a; }

TEST(TableSignal, GivesTheSignalOfTheRule) {
    struct LookupCase { const char* why; PointTable table; double y, want; };
    const PointTable kRising = {{{1.0, 10.0}, {2.0, 30.0}, {4.0, 40.0}}};
    const PointTable kFalling = {{{4.0, 40.0}, {2.0, 30.0}, {1.0, 10.0}}};
    const LookupCase cases[] = {
        {"rising, below the first point: B1", kRising, 0.5, 10.0},
        {"rising, above the last point: Bn", kRising, 9.0, 40.0}, {"rising, on an inner point", kRising, 2.0, 30.0},
        {"rising, inside the second interval", kRising, 3.0, 35.0},
        {"falling, above the first point: B1", kFalling, 5.0, 40.0},
        {"falling, below the last point: Bn", kFalling, 0.0, 10.0},
        {"falling, inside the last interval", kFalling, 1.5, 20.0},
        {"two points interpolate linearly", {{{0.0, 0.0}, {10.0, 5.0}}}, 4.0, 2.0},
        {"10 points of a parabola: still linear", Sampled(10, 0.0, 1.0, Square), 2.5, 6.5},
        {"11 points of a parabola: quadratic, exact", Sampled(11, 0.0, 1.0, Square), 2.5, 6.25},
        {"11 points, quadratic in the first interval", Sampled(11, 1.0, 1.0, Square), 1.5, 2.25},
        {"11 points falling, quadratic", Sampled(11, 10.0, -1.0, Square), 2.5, 6.25},
        {"slope 1 then 5 at the point above: linear",
         Sampled(11, 0.0, 1.0, [](double a) { return a <= 5.0 ? a : 5.0 + 5.0 * (a - 5.0); }), 4.5, 4.5},
        {"slope 5 then 1 at the point above: linear",
         Sampled(11, 0.0, 1.0, [](double a) { return a <= 5.0 ? 5.0 * a : 25.0 + (a - 5.0); }), 4.5, 22.5},
        {"slopes 1 and 2.9 are close enough: quadratic through the kink",
         Sampled(11, 0.0, 1.0, [](double a) { return a <= 5.0 ? a : 5.0 + 2.9 * (a - 5.0); }), 4.5,
         0.375 * 4.0 + 0.75 * 5.0 - 0.125 * 7.9},  // Lagrange weights at 4.5 of 4, 5, 6
    };
    for (const auto& c : cases) EXPECT_NEAR(TableSignal(c.table, c.y), c.want, 1e-12) << c.why;
}

TEST(TableSignal, ReportsWhatCannotBeInterpolatedAsNonFinite) {
    EXPECT_TRUE(std::isnan(TableSignal(PointTable{}, 1.0))) << "no points";
    EXPECT_TRUE(std::isnan(TableSignal(PointTable{{{1.0, 2.0}}}, 1.0))) << "one point is no interval";
    EXPECT_FALSE(std::isfinite(TableSignal(PointTable{{{1.0, 2.0}, {1.0, 3.0}, {2.0, 4.0}}}, 1.0))) << "a flat start";
    EXPECT_FALSE(std::isfinite(TableSignal(Sampled(12, 0.0, 0.0, Square), 0.0))) << "all results equal";
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
        const double lo = std::min(t.points.front().A, t.points.back().A);
        const double hi = std::max(t.points.front().A, t.points.back().A);
        const double y = std::uniform_real_distribution<double>(lo - 10.0, hi + 10.0)(rng);
        const double want = m * std::clamp(y, lo, hi) + c;
        ASSERT_NEAR(TableSignal(t, y), want, 1e-9 * (1.0 + std::fabs(want))) << "case " << i << ", n " << n;
    }
}

}  // namespace
}  // namespace r4860::model
