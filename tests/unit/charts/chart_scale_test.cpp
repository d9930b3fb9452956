// The strip chart's rules without a widget: scale, ticks, labels, layout, the interval gate and
// the ring the points live in.
#include "charts/chart_scale.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using namespace r4860::charts;
using namespace std::chrono_literals;

namespace {

TEST(ChartScale, FollowsTheDataWithABandAroundNarrowSpans) {
    const struct {
        double smallest, largest, minY, maxY;
        const char* why;
    } cases[] = {
        {20.02, 20.06, 19.9, 20.1, "span 1 is narrowed to 0.1 around 20.0"},
        {150, 150, 149, 151, "a constant 150 gets a band of 1 (values of 100 and more)"},
        {1500, 1500, 1490, 1510, "a constant 1500 gets a band of 10"},
        {5, 5, 4.9, 5.1, "a constant 5 gets the smallest band, 0.1"},
        {3.2, 7.9, 3, 8, "a span above 2 is floor and ceiling"},
        {-0.5, 0.3, -0.9, 0.7, "a span of exactly 2 is still narrowed"},
        {1.02, 1.12, 1.0, 1.2, "a span of 0.1 with representation noise is not widened to 0.2"},
        {99.5, 100.2, 98.8, 100.8, "values crossing 100 take the band of 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        const YScale scale = ScaleToData(c.smallest, c.largest);
        EXPECT_NEAR(scale.minY, c.minY, 1e-9);
        EXPECT_NEAR(scale.maxY, c.maxY, 1e-9);
    }
}

TEST(ChartTicks, PlaceAsManyAsFitAndCountByTextHeightAndPixels) {
    const std::vector<double> halves{0, 0.5, 1};
    const std::vector<double> tenths{0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1};
    const struct {
        int n;
        TickUse use;
        std::vector<double> at;
        const char* why;
    } cases[] = {
        {0, TickUse::GridLines, halves, "grid lines: none fit, still ends and middle"},
        {1, TickUse::GridLines, halves, "grid lines: one fits"},
        {0, TickUse::Marks, {0.5}, "marks: none fit, one in the middle"},
        {1, TickUse::Marks, {0.5}, "marks: one fits, one in the middle"},
        {2, TickUse::Marks, halves, "marks: two fit, ends and middle"},
        {3, TickUse::Marks, {0, 0.25, 0.5, 0.75, 1}, "three: quarters"},
        {4, TickUse::GridLines, {0, 0.2, 0.4, 0.6, 0.8, 1}, "four: fifths"},
        {5, TickUse::GridLines, tenths, "five: tenths"},
        {40, TickUse::Marks, tenths, "many: still tenths"},
    };
    for (const auto& c : cases) {
        const TickFractions ticks = TickLayout(c.n, c.use);
        EXPECT_EQ(std::vector<double>(ticks.begin(), ticks.end()), c.at) << c.why;
    }
    EXPECT_EQ(VerticalTickCount(100, 13), 3);
    EXPECT_EQ(VerticalTickCount(25, 13), 0);
    EXPECT_EQ(VerticalTickCount(100, 0), 0) << "a font without height must not divide by zero";
    EXPECT_EQ(HorizontalTickCount(937), 93);
}

TEST(ChartLabels, AreRoundedByMagnitudeWithoutTrailingZeros) {
    const struct {
        double value;
        const char* text;
        const char* why;
    } cases[] = {
        {0.12345, "0.123", "below 10: three decimals"},
        {9.9996, "10", "below 10, rounding up to 10"},
        {12.3456, "12.35", "below 100: two decimals"},
        {-123.456, "-123.5", "below 1000: one decimal"},
        {1234.56, "1235", "from 1000: whole"},
        {20.0, "20", "whole values lose the point"},
        {19.9, "19.9", "a tenth stays a tenth"},
        {-0.0001, "0", "a tiny negative is not written as -0"},
        {1e20, "1e+20", "huge values are not saturated"},
    };
    for (const auto& c : cases) EXPECT_EQ(ScaleLabelText(c.value), c.text) << c.why;

    const auto widths = LabelWidthValues({0, 100});
    EXPECT_EQ(ScaleLabelText(widths[10]), "-100") << "room for a minus sign whatever the sign now";
    EXPECT_DOUBLE_EQ(widths[5], -50.0);
    EXPECT_EQ(ValueHeight(7.0, {5, 5}, 200), 0.0) << "a zero span puts every value on the bottom";
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

TEST(ChartInterval, IsKeptBetweenZeroAndAnHour) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double set, stored;
    } cases[] = {{5000, 3600}, {3600, 3600}, {0.2, 0.2}, {-1, 0}, {nan, 0}, {inf, 3600}};
    for (const auto& c : cases) {
        IntervalGate gate;
        gate.setInterval(c.set);
        EXPECT_EQ(gate.interval(), c.stored) << "set " << c.set;
    }
}

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

    IntervalGate zero(t0 + 5s);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(zero.pass(t0)) << "zero plots every value, even at one instant";
}

ChartPoint At(double value) { return ChartPoint{value, 0xFF000000u, {}}; }

using Range = std::pair<double, double>;

std::vector<double> Values(const PointRing& ring) {
    std::vector<double> values;
    for (std::size_t i = 0; i < ring.size(); ++i) values.push_back(ring[i].value);
    return values;
}

TEST(ChartPoints, OnceFullTheOldestMakesRoomAndTheCountStays) {
    PointRing ring(4);
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(ring.push(At(i))) << "no recycling before the plot is full";
    for (int i = 4; i < 100003; ++i) {
        ASSERT_TRUE(ring.push(At(i))) << "point " << i;
        ASSERT_EQ(ring.size(), 4u);
    }
    EXPECT_EQ(Values(ring), (std::vector<double>{99999, 100000, 100001, 100002}));
    EXPECT_EQ(ring.back().value, 100002);

    PointRing range(3);
    for (const double v : {50.0, 1.0, 2.0, 3.0}) range.push(At(v));
    EXPECT_EQ(range.valueRange(), (Range{1.0, 3.0})) << "the recycled 50 must not count";
    range.clear();
    range.push(At(7.0));
    EXPECT_EQ(range.valueRange(), (Range{7.0, 7.0})) << "nor slots left over from before a clear";
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
}

}  // namespace
