#include "sim/measurement_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/sensor_characteristics.h"
#include "sim/memory_map.h"

namespace r4860::sim {
namespace {

constexpr double kRangeMargin = 0.005;

int conversionCode(const DeviceMemory& mem) { return mem.byte(map::kLinType) >> 5; }
int sensorCode(const DeviceMemory& mem) { return mem.byte(map::kLinType) & 0x1F; }

double roomT(const DeviceMemory& mem) { return mem.u16(map::kRoomT) / 512.0 - 20.0; }

// The signal at which a user sensor's set gives `t`: the firmware knows no other
// characteristic of it. Beyond the set the slope at its nearer end carries on.
double setSignalAt(const DeviceMemory& mem, double t) {
    double lo = mem.floatAt(map::kSetLow), hi = lo + mem.floatAt(map::kSetSpan);
    const double tLo = LinSetTemperature(mem, lo), tHi = LinSetTemperature(mem, hi), d = (hi - lo) * 0.01;
    const bool rising = tHi >= tLo;
    if (rising ? t < tLo : t > tLo) return lo + (t - tLo) * d / (LinSetTemperature(mem, lo + d) - tLo);
    if (rising ? t > tHi : t < tHi) return hi + (t - tHi) * d / (tHi - LinSetTemperature(mem, hi - d));
    for (int i = 0; i < 60; ++i) {
        const double mid = lo + (hi - lo) / 2;
        ((LinSetTemperature(mem, mid) < t) == rising ? lo : hi) = mid;
    }
    return lo + (hi - lo) / 2;
}

// The cold junction's EMF in mV at t: the reference function for the built-in thermocouples.
double coldJunctionEmf(const DeviceMemory& mem, int typ, double t) {
    if (typ == 15) return setSignalAt(mem, t);  // a user table's EMF is referred to 0 degC too
    return model::ThermoEmf(typ, t) * 0.001;
}

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

double RtdScale(const DeviceMemory& mem) noexcept {
    if (sensorCode(mem) < 1 || sensorCode(mem) > 4) return 1.0;
    static constexpr double kScale[] = {1.0, 2.0, 5.0, 10.0};
    return kScale[(mem.byte(map::kGainUnit) >> 4) & 3];
}

double InternalSignal(const DeviceMemory& mem, double signal, double coldJunction) {
    const int typ = sensorCode(mem);
    if (typ >= 1 && typ <= 4) return signal / RtdScale(mem);
    if (typ < 6 || typ > 15) return signal;
    switch (mem.byte(map::kFlags) & 0x07) {  // the three mode bits of models 47-49
    case 1: return signal + coldJunctionEmf(mem, typ, roomT(mem));       // no compensation: RoomT
    case 2: return signal + coldJunctionEmf(mem, typ, coldJunction);     // internal compensation
    default: return signal;                                               // a temperature difference
    }
}

Measurement Evaluate(const DeviceMemory& mem, double terminals, double coldJunction) {
    Measurement m;
    m.signal = terminals;
    const double signal = InternalSignal(mem, terminals, coldJunction);
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
    const double low = SignalLow(mem) * RtdScale(mem), high = SignalHigh(mem) * RtdScale(mem);
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
