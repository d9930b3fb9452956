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
    for (int i = 0; i < n; ++i) {
        const double a = first + step * i;
        t.points.push_back({a, f(a)});
    }
    return t;
}

double Square(double a) { return a * a; }

struct LookupCase {
    const char* why;
    PointTable table;
    double y, want;
};

class Lookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(Lookup, GivesTheSignalOfTheRule) {
    const auto& c = GetParam();
    EXPECT_NEAR(TableSignal(c.table, c.y), c.want, 1e-12) << c.why;
}

const PointTable kRising = {{{1.0, 10.0}, {2.0, 30.0}, {4.0, 40.0}}};
const PointTable kFalling = {{{4.0, 40.0}, {2.0, 30.0}, {1.0, 10.0}}};

INSTANTIATE_TEST_SUITE_P(
    TableSignal, Lookup,
    ::testing::Values(
        LookupCase{"rising, below the first point: B1", kRising, 0.5, 10.0},
        LookupCase{"rising, above the last point: Bn", kRising, 9.0, 40.0},
        LookupCase{"rising, on the first point", kRising, 1.0, 10.0},
        LookupCase{"rising, on an inner point", kRising, 2.0, 30.0},
        LookupCase{"rising, inside the second interval", kRising, 3.0, 35.0},
        LookupCase{"falling, above the first point: B1", kFalling, 5.0, 40.0},
        LookupCase{"falling, below the last point: Bn", kFalling, 0.0, 10.0},
        LookupCase{"falling, inside the first interval", kFalling, 3.0, 35.0},
        LookupCase{"falling, inside the last interval", kFalling, 1.5, 20.0},
        LookupCase{"two points interpolate linearly", {{{0.0, 0.0}, {10.0, 5.0}}}, 4.0, 2.0},
        LookupCase{"10 points of a parabola: still linear", Sampled(10, 0.0, 1.0, Square), 2.5, 6.5},
        LookupCase{"11 points of a parabola: quadratic, exact", Sampled(11, 0.0, 1.0, Square), 2.5, 6.25},
        LookupCase{"11 points, quadratic in the last interval", Sampled(11, 0.0, 1.0, Square), 9.5, 90.25},
        LookupCase{"11 points, quadratic in the first interval", Sampled(11, 1.0, 1.0, Square), 1.5, 2.25},
        LookupCase{"11 points falling, quadratic", Sampled(11, 10.0, -1.0, Square), 2.5, 6.25},
        LookupCase{"slope 1 then 5 at the point above: linear",
                   Sampled(11, 0.0, 1.0, [](double a) { return a <= 5.0 ? a : 5.0 + 5.0 * (a - 5.0); }), 4.5, 4.5},
        LookupCase{"slope 5 then 1 at the point above: linear",
                   Sampled(11, 0.0, 1.0, [](double a) { return a <= 5.0 ? 5.0 * a : 25.0 + (a - 5.0); }), 4.5, 22.5},
        LookupCase{"slopes 1 and 2.9 are close enough: quadratic through the kink",
                   Sampled(11, 0.0, 1.0, [](double a) { return a <= 5.0 ? a : 5.0 + 2.9 * (a - 5.0); }), 4.5,
                   0.375 * 4.0 + 0.75 * 5.0 - 0.125 * 7.9}));  // Lagrange weights at 4.5 of 4, 5, 6

TEST(TableSignal, RefusesTablesOfFewerThanTwoPoints) {
    EXPECT_TRUE(std::isnan(TableSignal(PointTable{}, 1.0)));
    EXPECT_TRUE(std::isnan(TableSignal(PointTable{{{1.0, 2.0}}}, 1.0)));
}

TEST(TableSignal, ReportsAFlatSegmentAsNonFinite) {
    // Equal results at the start: the interpolation divides by zero.
    EXPECT_FALSE(std::isfinite(TableSignal(PointTable{{{1.0, 2.0}, {1.0, 3.0}, {2.0, 4.0}}}, 1.0)));
    EXPECT_FALSE(std::isfinite(TableSignal(Sampled(12, 0.0, 0.0, Square), 0.0)));
    EXPECT_TRUE(std::isnan(TableSignal(Sampled(12, 0.0, 1.0, Square), std::nan(""))));
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
