#include "charts/xy_plot_rules.h"

#include <algorithm>
#include <cmath>

namespace r4860::charts {
namespace {

int nearest(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

TraceSize TraceFor(int controlWidth, int controlHeight, bool bipolar) noexcept {
    int width = controlWidth - 2;
    if (bipolar && controlWidth % 2 != 0) --width;
    return {std::max(width, 3), std::max(controlHeight - 2, 3)};
}

TracePixel MapPoint(double x, double y, TraceSize trace, bool bipolar) noexcept {
    const double low = bipolar ? kBipolarLow : kPlotLow;
    const double high = bipolar ? kBipolarHigh : kPlotHigh;
    // NaN would survive std::clamp and become an arbitrary pixel: it goes to the low edge.
    x = std::isnan(x) ? low : std::clamp(x, low, high);
    y = std::isnan(y) ? kPlotLow : std::clamp(y, kPlotLow, kPlotHigh);
    const int fromLeft = nearest((trace.width - 3) * (x - low) / (high - low));
    const int fromBottom = nearest((trace.height - 3) * (y - kPlotLow) / (kPlotHigh - kPlotLow));
    return {1 + fromLeft, trace.height - 2 - fromBottom};
}

PlotGreys GreysFor(int bgndColor) noexcept {
    const int s = std::clamp(bgndColor, 0, 100);
    return {32 + s, 48 + s, 64 + s};
}

PlotMargins MarginsFor(int controlWidth, int controlHeight) noexcept {
    return {nearest(2.0 * (controlWidth - 4) / 104.0), nearest(2.0 * (controlHeight - 4) / 104.0)};
}

std::vector<int> TickPixels(int start, int length, int divisions, bool fromStart) {
    std::vector<int> out;
    if (divisions <= 0) return out;
    for (int i = fromStart ? 0 : 1; i <= divisions; ++i)
        out.push_back(start + nearest(static_cast<double>(length) * i / divisions));
    return out;
}

}  // namespace r4860::charts
