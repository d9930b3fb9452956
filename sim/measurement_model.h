// What the emulated firmware computes from its input signal: the transfer function it finds in
// its memory turns the signal into the result and the 4..20 mA output.
#pragma once

#include "sim/device_memory.h"

namespace r4860::sim {

struct Measurement {
    double signal = 0.0;      // input, in the sensor's signal unit (ohm, mV, mA, V)
    double result = 0.0;      // engineering value in the configured unit
    double normalized = 0.0;  // output position 0..1 over the range, after the user corrections
    int outputCounts = 0;     // -128..9088: 512 counts per mA above 4 mA
    bool outOfRange = false;  // normalized output beyond 0..1 by more than half a percent
    bool unusable = false;    // the memory holds no transfer function the firmware can apply
};

// Conversion codes 1, 4 and 8 (stored 7): y = d0 + d1 x + ... + d8 x^8 from area A, result =
// MinInput + y * span. Code 2: T from the linearization set, y = (T - MinInput) / span, result T.
// The user corrections then act on y: y' = (1 + gain/100) y + zero/100.
// `signal` is what is on the terminals, as a calibrator sources it: a 200, 500 or 1000 ohm
// resistance thermometer in its own ohms (the firmware scales it to 100 ohm by the nominal
// resistance), a thermocouple's EMF against its cold junction at `coldJunction` degC, to which
// the firmware adds the cold junction's EMF: at `coldJunction` with internal compensation, at
// RoomT (bytes 10-11) without, none for a temperature difference.
[[nodiscard]] Measurement Evaluate(const DeviceMemory& mem, double signal, double coldJunction = 0.0);

// The signal the firmware computes with, from the terminals' (see Evaluate).
[[nodiscard]] double InternalSignal(const DeviceMemory& mem, double signal, double coldJunction);

// The sensor characteristic of conversion code 2 at signal x: normalized position clamped to
// 0..1, segment by the two bounds, sixth-degree polynomial in the position.
[[nodiscard]] double LinSetTemperature(const DeviceMemory& mem, double x);

// The signal span of the configured range (floats at 12 and 16), for a 100-ohm sensor.
[[nodiscard]] double SignalLow(const DeviceMemory& mem);
[[nodiscard]] double SignalHigh(const DeviceMemory& mem);
// The nominal resistance over 100 ohm of a resistance thermometer (1, 2, 5 or 10), else 1.
[[nodiscard]] double RtdScale(const DeviceMemory& mem) noexcept;
// A slow sine between 10 % and 90 % of the signal range, period 20 s, on the terminals.
[[nodiscard]] double SweepSignal(const DeviceMemory& mem, double seconds);

// Output counts for a current (normal scale), limited to what the output stage can drive.
[[nodiscard]] int CountsForCurrent(double milliamps) noexcept;
// The output a broken sensor drives, by the burnout bits of byte 2.
[[nodiscard]] int BurnoutCounts(const DeviceMemory& mem) noexcept;

inline constexpr int kMinCounts = -128;  // 3.75 mA
inline constexpr int kMaxCounts = 9088;  // 21.75 mA

}  // namespace r4860::sim
