// The boundaries come from the minimax property: the best error of a segment grows with its
// length, so for a given error level the segments can be laid greedily from u = 0, each as long
// as the level allows; the smallest level at which three segments reach u = 1 is found by
// bisection. The segments are then fitted again with every coefficient in the device's format.
#include "model/table_fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <mutex>
#include <optional>
#include <utility>

#include "common/device_float.h"
#include "model/minimax_fit.h"
#include "model/sensor_characteristics.h"

namespace r4860::model {
namespace {

constexpr int kSearchGrid = 401;   // points per segment while the boundaries are searched
constexpr int kFinalGrid = 4001;   // points per segment of the fit that is sent
constexpr int kCheckGrid = 20001;  // uniform check points over the table, besides its own points
constexpr int kReachSteps = 12;    // a boundary to 1/4096 of the signal span
constexpr int kLevelSteps = 24;
constexpr std::size_t kFirstSegment = 7;
constexpr std::size_t kSegmentTerms = 7;

// The table's result over the normalized signal of the set.
struct Target {
    const PointTable* table;
    double s0, span;
    double goodEnough;  // an error below this is as good as none: the exchange stops there
    long double operator()(long double u) const {
        return TableResult(*table, static_cast<double>(s0 + u * static_cast<long double>(span)));
    }
};

double segmentError(const Target& f, double a, double b) {
    if (b - a <= 1e-12) return 0.0;
    FitOptions options;
    options.gridSize = kSearchGrid;
    // Comparing a segment with a level needs the error to a per cent, not to the last digit.
    options.maxIterations = 30;
    options.convergence = 0.01L;
    options.goodEnough = f.goodEnough;
    return static_cast<double>(FitMinimax(f, a, b, options).worstError);
}

// The farthest end a segment starting at `a` may have and stay within `level`.
double reach(const Target& f, double a, double level) {
    if (segmentError(f, a, 1.0) <= level) return 1.0;
    double lo = a, hi = 1.0;
    for (int i = 0; i < kReachSteps; ++i) {
        const double mid = lo + (hi - lo) / 2;
        (segmentError(f, a, mid) <= level ? lo : hi) = mid;
    }
    return lo;
}

// The earliest start a segment ending at `b` may have and stay within `level`.
double reachBack(const Target& f, double b, double level) {
    if (segmentError(f, 0.0, b) <= level) return 0.0;
    double lo = 0.0, hi = b;
    for (int i = 0; i < kReachSteps; ++i) {
        const double mid = lo + (hi - lo) / 2;
        (segmentError(f, mid, b) <= level ? hi : lo) = mid;
    }
    return hi;
}

struct Bounds {
    double b1 = 1.0, b2 = 1.0;
};

// Whether three segments laid greedily from u = 0 at `level` cover 0 .. 1.
bool coversAt(const Target& f, double level) {
    const double b1 = reach(f, 0.0, level);
    if (b1 >= 1.0) return true;
    const double b2 = reach(f, b1, level);
    return b2 >= 1.0 || reach(f, b2, level) >= 1.0;
}

// Each boundary in the middle of where it may lie at `level` (the segments laid from the left
// give its latest place, those laid from the right its earliest), so that no segment is squeezed
// to a sliver at the far end of the signal, where its powers of u would not survive the float
// format, and a level above the best leaves room on both sides.
Bounds balancedAt(const Target& f, double level) {
    const double latest1 = reach(f, 0.0, level);
    if (latest1 >= 1.0) return {};
    const double earliest2 = reachBack(f, 1.0, level);
    if (reach(f, latest1, level) >= 1.0) return {(std::max(earliest2, 0.0) + latest1) / 2, 1.0};
    const double earliest1 = reachBack(f, earliest2, level);
    const double b1 = (std::min(earliest1, latest1) + latest1) / 2;
    const double latest2 = reach(f, b1, level);
    return {b1, (std::min(earliest2, latest2) + latest2) / 2};
}

Bounds chooseBounds(const Target& f, double resultSpan) {
    double high = segmentError(f, 0.0, 1.0);
    // Errors below a thousandth of the tolerance do not matter: there the segments need not be
    // as short as they could, only well placed.
    double low = kTableFitTolerance * resultSpan * 1e-3;
    if (high <= low) return {};
    if (!coversAt(f, low)) {
        for (int i = 0; i < kLevelSteps && high > 1.02 * low; ++i) {
            const double level = std::sqrt(low * high);
            (coversAt(f, level) ? high : low) = level;
        }
        low = high;
    }
    // A tenth above the least level: the boundaries get room at little cost in error.
    return balancedAt(f, 1.1 * low);
}

long double quantize(long double v) {
    return NearestDeviceFloat(static_cast<double>(v));
}

void fitSegment(const Target& f, double a, double b, SensorLinSetArray& set, std::size_t base) {
    FitOptions options;
    options.gridSize = kFinalGrid;
    options.quantize = quantize;
    options.goodEnough = f.goodEnough;
    const MinimaxFit fit = FitMinimax(f, a, b, options);
    for (std::size_t k = 0; k < kSegmentTerms; ++k)
        set[base + k] = static_cast<double>(fit.coefficients[k]);
}

SensorLinSetArray buildSet(const Target& f, Bounds bounds) {
    SensorLinSetArray set{};
    set[0] = f.s0;
    set[1] = f.s0 + f.span;  // exact: both hold 24 significant bits, so the span is sent unchanged
    set[3] = NearestDeviceFloat(bounds.b1);
    set[4] = NearestDeviceFloat(bounds.b2);
    set[5] = 1.0;
    const std::array<std::pair<double, double>, 3> segments = {
        {{0.0, set[3]}, {set[3], set[4]}, {set[4], 1.0}}};
    std::array<bool, 3> empty{};
    for (std::size_t s = 0; s < 3; ++s) {
        const auto [a, b] = segments[s];
        empty[s] = !(b - a > 1e-9);
        if (!empty[s]) fitSegment(f, a, b, set, kFirstSegment + kSegmentTerms * s);
    }
    // A segment of no length is never selected; repeating a neighbour keeps the curve whole.
    for (std::size_t s = 0; s < 3; ++s) {
        if (!empty[s]) continue;
        const std::size_t from = s == 0 ? 1 : s - 1;
        std::copy_n(set.begin() + static_cast<long>(kFirstSegment + kSegmentTerms * from), kSegmentTerms,
                    set.begin() + static_cast<long>(kFirstSegment + kSegmentTerms * s));
    }
    return set;
}

// Largest |set - table| at every table point, halfway between neighbours and on a uniform grid.
double worstError(const PointTable& table, const SensorLinSetArray& set) {
    const auto& pts = table.points;
    double worst = 0.0;
    const auto check = [&](double x) {
        const double e = std::fabs(LinSetValue(set, x) - TableResult(table, x));
        worst = std::isnan(e) ? std::numeric_limits<double>::infinity() : std::max(worst, e);
    };
    for (std::size_t i = 0; i < pts.size(); ++i) {
        check(pts[i].B);
        if (i + 1 < pts.size()) check((pts[i].B + pts[i + 1].B) / 2);
    }
    const double lo = pts.front().B, hi = pts.back().B;
    for (int i = 0; i <= kCheckGrid; ++i)
        check(lo + (hi - lo) * i / kCheckGrid);
    return worst;
}

Result<TableFit> fitNow(const PointTable& table) {
    const auto& pts = table.points;
    if (pts.size() < 2) return makeError(Errc::BadArgument, "a table needs two points");
    const double s0 = NearestDeviceFloat(pts.front().B);
    const double span = NearestDeviceFloat(pts.back().B - pts.front().B);
    if (!(span > 0.0) || !std::isfinite(s0))
        return makeError(Errc::BadArgument, "the table's signals do not rise");
    TableFit fit;
    fit.span = std::fabs(pts.back().A - pts.front().A);
    const Target f{&table, s0, span, kTableFitTolerance * fit.span * 1e-4};
    if (pts.size() == 2) {
        // A straight line needs no search: one segment, the line itself.
        fit.set = {s0, s0 + span, 0.0, 1.0, 1.0, 1.0, 0.0};
        const double a = NearestDeviceFloat(pts.front().A),
                     b = NearestDeviceFloat(pts.back().A - pts.front().A);
        for (std::size_t s = 0; s < 3; ++s) {
            fit.set[kFirstSegment + kSegmentTerms * s] = a;
            fit.set[kFirstSegment + kSegmentTerms * s + 1] = b;
        }
    } else {
        fit.set = buildSet(f, chooseBounds(f, fit.span));
    }
    fit.worstError = worstError(table, fit.set);
    return fit;
}

}  // namespace

double TableResult(const PointTable& table, double signal) {
    const auto& pts = table.points;
    if (pts.size() < 2) return std::numeric_limits<double>::quiet_NaN();
    if (!(signal > pts.front().B)) return pts.front().A;
    if (!(signal < pts.back().B)) return pts.back().A;
    const auto next = std::lower_bound(pts.begin(), pts.end(), signal,
                                       [](const TablePoint& p, double x) { return p.B < x; });
    const TablePoint& q = *next;
    const TablePoint& p = *(next - 1);
    if (q.B == p.B) return q.A;
    return p.A + (signal - p.B) * (q.A - p.A) / (q.B - p.B);
}

Result<TableFit> FitTableSet(const PointTable& table) {
    // Encoding runs more than once per write (the checks, the curve, the image): fit once.
    static std::mutex mutex;
    static PointTable lastTable;
    static std::optional<Result<TableFit>> lastFit;
    {
        const std::lock_guard lock(mutex);
        if (lastFit && lastTable == table) return *lastFit;
    }
    Result<TableFit> fit = fitNow(table);
    const std::lock_guard lock(mutex);
    lastTable = table;
    lastFit = fit;
    return fit;
}

}  // namespace r4860::model
