// The strip chart's rules without a widget: scale, ticks, labels, layout, the interval gate and
// the ring the points live in.
#include "charts/chart_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace r4860::charts;
using namespace std::chrono_literals;

namespace {

struct ScaleCase {
    const char* why;
    double smallest, largest;
    double minY, maxY;
};
class ScaleToDataRule : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleToDataRule, GivesTheExpectedRange) {
    const auto& [why, smallest, largest, minY, maxY] = GetParam();
    const YScale scale = ScaleToData(smallest, largest);
    EXPECT_NEAR(scale.minY, minY, 1e-9) << why;
    EXPECT_NEAR(scale.maxY, maxY, 1e-9) << why;
}

INSTANTIATE_TEST_SUITE_P(
    Charts, ScaleToDataRule,
    ::testing::Values(
        ScaleCase{"20.02..20.06: span 1 is narrowed to 0.1 around 20.0", 20.02, 20.06, 19.9, 20.1},
        ScaleCase{"a constant 150 gets a band of 1 (values of 100 and more)", 150, 150, 149, 151},
        ScaleCase{"a constant 1500 gets a band of 10", 1500, 1500, 1490, 1510},
        ScaleCase{"a constant 5 gets the smallest band, 0.1", 5, 5, 4.9, 5.1},
        ScaleCase{"a span above 2 is floor and ceiling", 3.2, 7.9, 3, 8},
        ScaleCase{"a span of exactly 2 is still narrowed", -0.5, 0.3, -0.9, 0.7},
        ScaleCase{"a span of 0.1 with representation noise is not widened to 0.2", 1.02, 1.12, 1.0, 1.2},
        ScaleCase{"values crossing 100 take the band of 1", 99.5, 100.2, 98.8, 100.8}));

struct TickCase {
    const char* why;
    int n;
    TickUse use;
    std::vector<double> at;
};
class TickLayoutRule : public ::testing::TestWithParam<TickCase> {};

TEST_P(TickLayoutRule, PlacesTheTicks) {
    const auto& [why, n, use, at] = GetParam();
    const TickFractions ticks = TickLayout(n, use);
    EXPECT_EQ(std::vector<double>(ticks.begin(), ticks.end()), at) << why;
}

const std::vector<double> kHalves{0, 0.5, 1};
const std::vector<double> kTenths{0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1};

INSTANTIATE_TEST_SUITE_P(
    Charts, TickLayoutRule,
    ::testing::Values(TickCase{"grid lines: none fit, still ends and middle", 0, TickUse::GridLines, kHalves},
                      TickCase{"grid lines: one fits", 1, TickUse::GridLines, kHalves},
                      TickCase{"marks: none fit, one in the middle", 0, TickUse::Marks, {0.5}},
                      TickCase{"marks: one fits, one in the middle", 1, TickUse::Marks, {0.5}},
                      TickCase{"marks: two fit, ends and middle", 2, TickUse::Marks, kHalves},
                      TickCase{"three: quarters", 3, TickUse::Marks, {0, 0.25, 0.5, 0.75, 1}},
                      TickCase{"four: fifths", 4, TickUse::GridLines, {0, 0.2, 0.4, 0.6, 0.8, 1}},
                      TickCase{"five: tenths", 5, TickUse::GridLines, kTenths},
                      TickCase{"many: still tenths", 40, TickUse::Marks, kTenths}));

TEST(ChartTicks, CountOneLabelPerTwoTextHeightsAndOneMarkPerTenPixels) {
    EXPECT_EQ(VerticalTickCount(100, 13), 3);
    EXPECT_EQ(VerticalTickCount(25, 13), 0);
    EXPECT_EQ(VerticalTickCount(100, 0), 0) << "a font without height must not divide by zero";
    EXPECT_EQ(HorizontalTickCount(937), 93);
}

struct LabelCase {
    const char* why;
    double value;
    const char* text;
};
class LabelText : public ::testing::TestWithParam<LabelCase> {};

TEST_P(LabelText, IsRoundedByMagnitudeWithoutTrailingZeros) {
    const auto& [why, value, text] = GetParam();
    EXPECT_EQ(ScaleLabelText(value), text) << why;
}

INSTANTIATE_TEST_SUITE_P(
    Charts, LabelText,
    ::testing::Values(LabelCase{"below 10: three decimals", 0.12345, "0.123"},
                      LabelCase{"below 10, rounding up to 10", 9.9996, "10"},
                      LabelCase{"below 100: two decimals", 12.3456, "12.35"},
                      LabelCase{"below 1000: one decimal", -123.456, "-123.5"},
                      LabelCase{"from 1000: whole", 1234.56, "1235"},
                      LabelCase{"whole values lose the point", 20.0, "20"},
                      LabelCase{"a tenth stays a tenth", 19.9, "19.9"},
                      LabelCase{"a tiny negative is not written as -0", -0.0001, "0"},
                      LabelCase{"huge values are not saturated", 1e20, "1e+20"}));

TEST(ChartLabels, WidthIsMeasuredOnNegatedValues) {
    const auto values = LabelWidthValues({0, 100});
    EXPECT_EQ(ScaleLabelText(values[10]), "-100") << "room for a minus sign whatever the sign now";
    EXPECT_DOUBLE_EQ(values[5], -50.0);
}

TEST(ChartLabels, ZeroSpanPutsEveryValueOnTheBottom) {
    EXPECT_EQ(ValueHeight(7.0, {5, 5}, 200), 0.0);
    EXPECT_DOUBLE_EQ(ValueHeight(7.5, {5, 10}, 200), 100.0);
}

TEST(ChartLayout, FrameFollowsTitleAndLabelsAndPlotIsInsetByThreePercent) {
    const ChartBoxes boxes = LayoutBoxes(1000, 300, 14, 40);
    EXPECT_EQ(boxes.frame, (Box{19 + 40 + 3, 4, 996, 296})) << "title strip round(14 x 1.1) + 4, labels, gap";
    EXPECT_EQ(boxes.plot, (Box{92, 34, 966, 266}));
    EXPECT_EQ(LayoutBoxes(1000, 300, 0, 40).frame.left, 47) << "no title, only the 4-pixel edge";
    const ChartBoxes tiny = LayoutBoxes(40, 12, 14, 40);
    EXPECT_GE(tiny.plot.width(), 1) << "a squeezed chart keeps a plot to put points in";
    EXPECT_GE(tiny.plot.height(), 1);
}

struct IntervalCase {
    const char* why;
    double set, stored;
};
class IntervalClamp : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(IntervalClamp, KeepsIntervalsBetweenZeroAndAnHour) {
    const auto& [why, set, stored] = GetParam();
    IntervalGate gate;
    gate.setInterval(set);
    EXPECT_EQ(gate.interval(), stored) << why;
}

INSTANTIATE_TEST_SUITE_P(
    Charts, IntervalClamp,
    ::testing::Values(IntervalCase{"5000 s is stored as an hour", 5000, 3600}, IntervalCase{"an hour is kept", 3600, 3600},
                      IntervalCase{"fractions are kept", 0.2, 0.2}, IntervalCase{"negative becomes 0", -1, 0},
                      IntervalCase{"NaN becomes 0", std::numeric_limits<double>::quiet_NaN(), 0},
                      IntervalCase{"infinity becomes an hour", std::numeric_limits<double>::infinity(), 3600}));

TEST(ChartInterval, KeepsTheRhythmUnlessMoreThanAnIntervalLate) {
    const IntervalGate::Clock::time_point t0{};
    IntervalGate gate(t0);
    gate.setInterval(1.0);
    const struct {
        std::chrono::milliseconds at;
        bool due;
        const char* why;
    } steps[] = {
        {500ms, false, "half an interval after the start"},
        {1000ms, true, "exactly one interval: due"},
        {1900ms, false, "the next is due at 2000, not 1000 + 1000 after a late point"},
        {2200ms, true, "late but less than an interval: the rhythm stays at 2000"},
        {3000ms, true, "so 3000 is due again"},
        {5500ms, true, "more than an interval late: the rhythm restarts here"},
        {6400ms, false, "due at 6500, not 4000 + 1000"},
        {6500ms, true, "one interval after the restart"},
    };
    for (const auto& step : steps) EXPECT_EQ(gate.pass(t0 + step.at), step.due) << step.why;
}

TEST(ChartInterval, ZeroPlotsEveryValueEvenAtTheSameInstant) {
    const IntervalGate::Clock::time_point t0{};
    IntervalGate gate(t0 + 5s);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(gate.pass(t0)) << "call " << i;
}

ChartPoint At(double value) { return ChartPoint{value, 0xFF000000u, {}}; }

std::vector<double> Values(const PointRing& ring) {
    std::vector<double> values;
    for (std::size_t i = 0; i < ring.size(); ++i) values.push_back(ring[i].value);
    return values;
}

TEST(ChartPoints, OnceFullTheOldestMakesRoomAndTheCountStays) {
    PointRing ring(4);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(ring.push(At(i))) << "no recycling before the plot is full, point " << i;
    for (int i = 4; i < 100003; ++i) {
        ASSERT_TRUE(ring.push(At(i))) << "point " << i;
        ASSERT_EQ(ring.size(), 4u);
    }
    EXPECT_EQ(Values(ring), (std::vector<double>{99999, 100000, 100001, 100002}));
    EXPECT_EQ(ring.back().value, 100002);
}

TEST(ChartPoints, RangeCoversOnlyThePointsStillHeld) {
    PointRing ring(3);
    for (const double v : {50.0, 1.0, 2.0, 3.0}) ring.push(At(v));
    EXPECT_EQ(ring.valueRange(), (std::pair<double, double>{1.0, 3.0})) << "the recycled 50 must not count";
    ring.clear();
    ring.push(At(7.0));
    EXPECT_EQ(ring.valueRange(), (std::pair<double, double>{7.0, 7.0})) << "nor the slots left over from before a clear";
}

TEST(ChartPoints, ANarrowerPlotKeepsTheNewestAndAWiderOneGrowsAgain) {
    PointRing ring(5);
    for (int i = 0; i < 7; ++i) ring.push(At(i));  // holds 2..6, wrapped
    ring.setCapacity(3);
    EXPECT_EQ(Values(ring), (std::vector<double>{4, 5, 6}));
    ring.setCapacity(5);
    EXPECT_FALSE(ring.push(At(7))) << "room again after widening";
    EXPECT_FALSE(ring.push(At(8)));
    EXPECT_TRUE(ring.push(At(9)));
    EXPECT_EQ(Values(ring), (std::vector<double>{5, 6, 7, 8, 9}));
    ring.clear();
    EXPECT_TRUE(ring.empty());
    ring.push(At(1));
    EXPECT_EQ(Values(ring), (std::vector<double>{1}));
}

}  // namespace
