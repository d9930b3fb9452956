#include "sim/measurement_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/memory_map.h"

namespace r4860::sim {
namespace {

constexpr double kRangeMargin = 0.005;

int conversionCode(const DeviceMemory& mem) { return mem.byte(map::kLinType) >> 5; }

double signedCorrection(const DeviceMemory& mem, std::size_t at) {
    const auto raw = static_cast<std::int16_t>(mem.u16(at));
    return raw * 0.01;
}

double polynomial(const DeviceMemory& mem, std::size_t offset, int terms, double x) {
    long double sum = 0.0L, p = 1.0L;
    for (int k = 0; k < terms; ++k, p *= x) sum += mem.floatAt(offset + 4 * static_cast<std::size_t>(k)) * p;
    return static_cast<double>(sum);
}

}  // namespace

double LinSetTemperature(const DeviceMemory& mem, double x) {
    const double low = mem.floatAt(map::kSetLow);
    const double span = mem.floatAt(map::kSetSpan);
    double u = span != 0.0 ? (x - low) / span : 0.0;
    u = std::clamp(u, 0.0, 1.0);
    std::size_t segment = map::kSetSegment3;
    if (u <= mem.floatAt(map::kSetBound1)) {
        segment = map::kSetSegment1;
    } else if (u <= mem.floatAt(map::kSetBound2)) {
        segment = map::kSetSegment2;
    }
    return polynomial(mem, segment, map::kSegmentTerms, u);
}

Measurement Evaluate(const DeviceMemory& mem, double signal) {
    Measurement m;
    m.signal = signal;
    const double minInput = mem.floatAt(map::kMinInput);
    const double span = mem.floatAt(map::kInputSpan);
    double y = 0.0;
    switch (conversionCode(mem)) {
    case map::kLinLinear:
    case map::kLinConversion:
    case map::kLinSeries:
        y = polynomial(mem, map::kAreaA, 9, signal);
        break;
    case map::kLinSensorSet:
        y = span != 0.0 ? (LinSetTemperature(mem, signal) - minInput) / span : 0.0;
        break;
    default:
        m.unusable = true;
        break;
    }
    if (span == 0.0 || !std::isfinite(y)) {
        m.unusable = true;
        y = 0.0;
    }
    y = (1.0 + signedCorrection(mem, map::kGainCorr) / 100.0) * y + signedCorrection(mem, map::kZeroCorr) / 100.0;
    m.normalized = y;
    m.result = minInput + y * span;
    // Half a percent of span beyond either end, so a value at a range limit is not flagged.
    m.outOfRange = y < -kRangeMargin || y > 1.0 + kRangeMargin;
    m.outputCounts = CountsForCurrent(4.0 + 16.0 * y);
    return m;
}

double SignalLow(const DeviceMemory& mem) { return mem.floatAt(map::kSignalMin); }
double SignalHigh(const DeviceMemory& mem) { return SignalLow(mem) + 100.0 * mem.floatAt(map::kSignalStep); }

double SweepSignal(const DeviceMemory& mem, double seconds) {
    const double low = SignalLow(mem), high = SignalHigh(mem);
    const double phase = std::sin(2.0 * std::numbers::pi * seconds / 20.0);
    return (low + high) / 2.0 + 0.4 * (high - low) * phase;
}

int CountsForCurrent(double milliamps) noexcept {
    if (!std::isfinite(milliamps)) return kMinCounts;
    const double counts = std::round((milliamps - 4.0) * 9216.0 / 18.0);
    return static_cast<int>(std::clamp(counts, double{kMinCounts}, double{kMaxCounts}));
}

int BurnoutCounts(const DeviceMemory& mem) noexcept {
    const auto flags = mem.byte(map::kFlags);
    if (flags & 0x10) return 0;           // locked at 4 mA
    if (flags & 0x80) return kMaxCounts;  // above 20 mA
    return kMinCounts;                    // below 4 mA
}

}  // namespace r4860::sim
