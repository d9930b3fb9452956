// The characteristic plot's rules without a widget: mapping, clamping, greys, margins, ticks.
#include "charts/xy_plot_rules.h"

#include <gtest/gtest.h>

#include <vector>

using namespace r4860::charts;

namespace {

TEST(XyPlotRules, PointsBeyondTheScalesAreDrawnAtTheEdges) {
    const TraceSize unipolar = TraceFor(108, 108, false);
    ASSERT_EQ(unipolar, (TraceSize{106, 106}));
    EXPECT_EQ(MapPoint(150, 50, unipolar, false), MapPoint(102, 50, unipolar, false)) << "X = 150 is at the right edge";
    EXPECT_EQ(MapPoint(50, -5, unipolar, false), MapPoint(50, -2, unipolar, false)) << "Y = -5 is at the bottom";
    EXPECT_EQ(MapPoint(-2, -2, unipolar, false), (TracePixel{1, 104})) << "one pixel kept free for a big dot";
    EXPECT_EQ(MapPoint(102, 102, unipolar, false), (TracePixel{104, 1}));
    const TraceSize bipolar = TraceFor(109, 108, true);
    ASSERT_EQ(bipolar.width, 106) << "an odd bipolar width loses a column";
    EXPECT_EQ(MapPoint(-200, 0, bipolar, true), MapPoint(-104, 0, bipolar, true));
    EXPECT_EQ(MapPoint(104, 0, bipolar, true).x, 104);
    EXPECT_EQ(MapPoint(0, 0, bipolar, true).x, 53) << "zero input in the middle: 1 + 103 / 2, rounded";
    EXPECT_EQ(MapPoint(50, 0, unipolar, false).x, 53) << "50 of -2 .. 102";
}

TEST(XyPlotRules, GreysMarginsAndTicks) {
    EXPECT_EQ(GreysFor(20), (PlotGreys{52, 68, 84}));
    EXPECT_EQ(GreysFor(0), (PlotGreys{32, 48, 64}));
    EXPECT_EQ(GreysFor(250), (PlotGreys{132, 148, 164})) << "the offset is 0..100";
    EXPECT_EQ(MarginsFor(431, 311), (PlotMargins{8, 6}));
    EXPECT_EQ(TickPixels(10, 100, 10, false), (std::vector<int>{20, 30, 40, 50, 60, 70, 80, 90, 100, 110}));
    EXPECT_EQ(TickPixels(0, 200, 20, true).size(), 21u) << "a bipolar input axis: -10 .. +10 around the middle";
}

}  // namespace
