// The characteristic plot's rules without any drawing: where a point lands on the trace, the
// greys of the background, the margins and where the axis ticks go. Kept free of Qt, beside the
// strip chart's rules, so they can be tested without a display.
#pragma once

#include <vector>

namespace r4860::charts {

// The plot spans 104 units each way: values from -2 to 102 (input -104 to 104 when bipolar).
inline constexpr double kPlotLow = -2.0, kPlotHigh = 102.0;
inline constexpr double kBipolarLow = -104.0, kBipolarHigh = 104.0;

struct TraceSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const TraceSize&, const TraceSize&) = default;
};
// The trace inside a control's one-pixel frame; a bipolar trace of odd width loses one more
// column so the output axis falls on a whole pixel in the middle.
[[nodiscard]] TraceSize TraceFor(int controlWidth, int controlHeight, bool bipolar) noexcept;

// A pixel of the trace, counted from its top-left corner.
struct TracePixel {
    int x = 0;
    int y = 0;
    friend bool operator==(const TracePixel&, const TracePixel&) = default;
};
// Where the point (X input, Y output) lands, clamped to the plot's edges. One pixel is kept free
// on every side so a big dot at the edge stays on the trace.
[[nodiscard]] TracePixel MapPoint(double x, double y, TraceSize trace, bool bipolar) noexcept;

// The three background greys for BgndColor s (0..100): 32 + s, 48 + s, 64 + s.
struct PlotGreys {
    int dark = 32;
    int middle = 48;
    int light = 64;
    friend bool operator==(const PlotGreys&, const PlotGreys&) = default;
};
[[nodiscard]] PlotGreys GreysFor(int bgndColor) noexcept;

// The light box's distance from the control's edges: two of the 104 units.
struct PlotMargins {
    int x = 0;
    int y = 0;
    friend bool operator==(const PlotMargins&, const PlotMargins&) = default;
};
[[nodiscard]] PlotMargins MarginsFor(int controlWidth, int controlHeight) noexcept;

// Tick positions in pixels from `start` over `length`, one every length / divisions; the
// first one at `start` itself only when `fromStart` (a bipolar axis is ticked at both ends).
[[nodiscard]] std::vector<int> TickPixels(int start, int length, int divisions, bool fromStart);

}  // namespace r4860::charts
