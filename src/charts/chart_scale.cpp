#include "charts/chart_scale.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "common/number_text.h"

namespace r4860::charts {

YScale ScaleToData(double smallest, double largest) {
    YScale scale{std::floor(smallest), std::ceil(largest)};
    if (scale.maxY - scale.minY > 2.0) return scale;
    // The epsilon keeps a span of 0.1 from counting as 0.1000000001 and doubling the band.
    double half = std::ceil(10.0 * (largest - smallest) - 1e-9) / 10.0;
    const double mid = static_cast<double>(RoundEven(10.0 * (largest + smallest) / 2.0)) / 10.0;
    if (half < 0.1) half = 0.1;
    if (scale.maxY >= 100.0) half = 1.0;
    if (scale.maxY >= 1000.0) half = 10.0;
    return {mid - half, mid + half};
}

TickFractions TickLayout(int n, TickUse use) {
    TickFractions ticks;
    const auto fill = [&ticks](int steps) {
        ticks.count = steps + 1;
        for (int i = 0; i <= steps; ++i) ticks.at[static_cast<std::size_t>(i)] = static_cast<double>(i) / steps;
    };
    if (use == TickUse::Marks && n <= 1) {
        ticks.at[0] = 0.5;
        ticks.count = 1;
    } else if (n < 3) {
        fill(2);
    } else if (n == 3) {
        fill(4);
    } else if (n == 4) {
        fill(5);
    } else {
        fill(10);
    }
    return ticks;
}

int VerticalTickCount(int plotHeight, int textHeight) {
    if (textHeight <= 0 || plotHeight <= 0) return 0;
    return plotHeight / (2 * textHeight);
}

int HorizontalTickCount(int plotWidth) { return std::max(0, plotWidth / 10); }

std::string ScaleLabelText(double value) {
    const double size = std::fabs(value);
    const double factor = size < 10.0 ? 1000.0 : size < 100.0 ? 100.0 : size < 1000.0 ? 10.0 : 1.0;
    double rounded = value;  // a rounded -0.0001 comes back from the integer as +0, so never "-0"
    // Beyond 2^53 every double is already whole, and RoundEven would saturate.
    if (std::fabs(value * factor) < 9e15) rounded = static_cast<double>(RoundEven(value * factor)) / factor;
    return ShortestText(rounded);
}

std::array<double, 11> LabelWidthValues(const YScale& scale) {
    std::array<double, 11> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double v = scale.minY + (scale.maxY - scale.minY) * static_cast<double>(i) / 10.0;
        values[i] = -std::fabs(v);
    }
    return values;
}

double ValueHeight(double value, const YScale& scale, int plotHeight) {
    const double span = scale.maxY - scale.minY;
    if (span == 0.0) return 0.0;
    return (value - scale.minY) * plotHeight / span;
}

ChartBoxes LayoutBoxes(int width, int height, int titleTextHeight, int labelWidth) {
    constexpr int kEdge = 4;
    const int titleStrip = titleTextHeight > 0 ? static_cast<int>(RoundEven(titleTextHeight * 1.1)) + kEdge : kEdge;
    ChartBoxes boxes;
    boxes.frame = {titleStrip + labelWidth + kLabelGap, kEdge, width - kEdge, height - kEdge};
    const int inset = width * 3 / 100;
    Box& plot = boxes.plot;
    plot = {boxes.frame.left + inset, boxes.frame.top + inset, boxes.frame.right - inset, boxes.frame.bottom - inset};
    // A window squeezed below the margins still gets a plot, one pixel wide or high.
    plot.right = std::max(plot.right, plot.left + 1);
    plot.bottom = std::max(plot.bottom, plot.top + 1);
    return boxes;
}

double ClampInterval(double seconds) {
    if (!(seconds > 0.0)) return 0.0;  // NaN too
    return std::min(seconds, kMaxIntervalSeconds);
}

void IntervalGate::setInterval(double seconds) {
    m_seconds = ClampInterval(seconds);
    m_interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(m_seconds));
}

bool IntervalGate::pass(Clock::time_point now) {
    if (m_interval == Clock::duration::zero()) {
        m_last = now;
        return true;
    }
    const Clock::time_point due = m_last + m_interval;
    if (now < due) return false;
    m_last = now >= due + m_interval ? now : due;
    return true;
}

PointRing::PointRing(std::size_t capacity) : m_capacity(std::max<std::size_t>(1, capacity)) {}

bool PointRing::push(const ChartPoint& point) {
    if (m_size < m_capacity) {
        assert(m_head == 0 && "the ring only wraps once it is full");
        if (m_size < m_slots.size()) {
            m_slots[m_size] = point;
        } else {
            m_slots.push_back(point);
        }
        ++m_size;
        return false;
    }
    m_slots[m_head] = point;
    m_head = (m_head + 1) % m_capacity;
    return true;
}

void PointRing::setCapacity(std::size_t capacity) {
    capacity = std::max<std::size_t>(1, capacity);
    if (capacity == m_capacity) return;
    const std::size_t keep = std::min(m_size, capacity);
    std::vector<ChartPoint> kept;
    kept.reserve(keep);
    for (std::size_t i = m_size - keep; i < m_size; ++i) kept.push_back((*this)[i]);
    m_slots = std::move(kept);
    m_capacity = capacity;
    m_head = 0;
    m_size = keep;
}

void PointRing::clear() {
    m_head = 0;
    m_size = 0;
}

std::pair<double, double> PointRing::valueRange() const {
    assert(!empty() && "no range without points");
    // Order does not matter here: the first m_size slots are exactly the points held.
    const auto [low, high] = std::minmax_element(m_slots.begin(), m_slots.begin() + static_cast<std::ptrdiff_t>(m_size),
                                                 [](const ChartPoint& a, const ChartPoint& b) { return a.value < b.value; });
    return {low->value, high->value};
}

}  // namespace r4860::charts
