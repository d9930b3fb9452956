// The strip chart's rules without any drawing: the Y scale that follows the data, where ticks
// go, how labels read, when a point is due, and the fixed-size store the points live in.
// Kept free of Qt so they can be tested and reused without a display.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace r4860::charts {

struct YScale {
    double minY = 0.0;
    double maxY = 100.0;
    friend bool operator==(const YScale&, const YScale&) = default;
};

// Whole numbers around the data; a span of 2 or less is narrowed to a band around the middle,
// at least 0.1 each side, wider for large values where tenths mean nothing on screen.
[[nodiscard]] YScale ScaleToData(double smallest, double largest);

// Positions along an extent as fractions 0..1. `n` is how many labels or lines fit; tick marks
// (as opposed to grid lines) fall back to a single mark in the middle when fewer than two fit.
struct TickFractions {
    std::array<double, 11> at{};
    int count = 0;
    [[nodiscard]] const double* begin() const { return at.data(); }
    [[nodiscard]] const double* end() const { return at.data() + count; }
};
enum class TickUse { GridLines, Marks };
[[nodiscard]] TickFractions TickLayout(int n, TickUse use);
// How many labels fit up the plot: one per two text heights. Along the plot: one per 10 pixels.
[[nodiscard]] int VerticalTickCount(int plotHeight, int textHeight);
[[nodiscard]] int HorizontalTickCount(int plotWidth);

// A Y label: 3 decimals below 10, 2 below 100, 1 below 1000, else whole, with no trailing zeros.
[[nodiscard]] std::string ScaleLabelText(double value);
// The values of the eleven labels the widest one is chosen from, each negated (-|v|) so that a
// minus sign is allowed for whatever the sign is now.
[[nodiscard]] std::array<double, 11> LabelWidthValues(const YScale& scale);

// Height of a value above the plot's bottom in pixels (may lie outside 0..plotHeight when the
// scale is frozen). A scale of zero span puts everything on the bottom.
[[nodiscard]] double ValueHeight(double value, const YScale& scale, int plotHeight);

// Pixel edges: a plot from left to right holds right - left columns of points, and a value's
// height runs from 0 at `bottom` up to bottom - top at `top`.
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    [[nodiscard]] int width() const { return right - left; }
    [[nodiscard]] int height() const { return bottom - top; }
    friend bool operator==(const Box&, const Box&) = default;
};
struct ChartBoxes {
    Box frame;
    Box plot;
};
// The frame starts right of the rotated title and the labels (which end kLabelGap short of it);
// the plot is the frame inset by 3 % of the whole width.
constexpr int kLabelGap = 3;
[[nodiscard]] ChartBoxes LayoutBoxes(int width, int height, int titleTextHeight, int labelWidth);

constexpr double kMaxIntervalSeconds = 3600.0;
[[nodiscard]] double ClampInterval(double seconds);

// Lets a point through at most once per interval. Late points do not shift the rhythm unless
// they are more than a whole interval late; then the rhythm restarts from the late point.
class IntervalGate {
public:
    using Clock = std::chrono::steady_clock;
    explicit IntervalGate(Clock::time_point now = {}) : m_last(now) {}

    void setInterval(double seconds);
    [[nodiscard]] double interval() const { return m_seconds; }
    void reset(Clock::time_point now) { m_last = now; }
    // True (and the time is taken) when a point may be plotted at `now`.
    [[nodiscard]] bool pass(Clock::time_point now);

private:
    double m_seconds = 0.0;
    Clock::duration m_interval{};
    Clock::time_point m_last;
};

struct ChartPoint {
    double value = 0.0;
    std::uint32_t rgb = 0;  // 0xAARRGGBB, as a QRgb
    std::chrono::steady_clock::time_point stamp{};
};

// The points of a chart, oldest first, never more than one per plot column: once full, the
// oldest slot is reused for the newest point, so a chart that runs for days allocates nothing.
class PointRing {
public:
    explicit PointRing(std::size_t capacity = 1);

    // Returns true when the oldest point made room for this one.
    bool push(const ChartPoint& point);
    // Keeps the newest points when the plot gets narrower.
    void setCapacity(std::size_t capacity);
    void clear();

    [[nodiscard]] std::size_t size() const { return m_size; }
    [[nodiscard]] std::size_t capacity() const { return m_capacity; }
    [[nodiscard]] bool empty() const { return m_size == 0; }
    [[nodiscard]] bool full() const { return m_size == m_capacity; }
    [[nodiscard]] const ChartPoint& operator[](std::size_t i) const {
        return m_slots[(m_head + i) % m_capacity];
    }
    [[nodiscard]] const ChartPoint& back() const { return (*this)[m_size - 1]; }
    // Smallest and largest value; the ring must not be empty.
    [[nodiscard]] std::pair<double, double> valueRange() const;

private:
    std::vector<ChartPoint> m_slots;
    std::size_t m_capacity;
    std::size_t m_head = 0;  // slot of the oldest point
    std::size_t m_size = 0;
};

}  // namespace r4860::charts
