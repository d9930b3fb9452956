// The physics: which signal the transducer sees for a measured value, the operator's conversion,
// point-table lookup, and the piecewise characteristics the transducer linearizes with.
//
// Failures (a flat table segment, a zero span, overflow) come back as non-finite results; callers
// test for them instead of relying on floating-point traps.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "model/config_record.h"
#include "model/point_table.h"

namespace r4860::model {

// Signal (ohm, mV, mA or V) for `value` of sensor `code`; signal inputs and the user sensor go
// through the record's conversion or table, other codes return the value unchanged.
[[nodiscard]] double SensorSignal(const ConfigRecord& rec, int code, double value);
// By `Lin`: 2 or 8 table lookup, 4 linear inverse, otherwise unchanged.
[[nodiscard]] double ConversionSignal(const ConfigRecord& rec, double value);
// (y - c0) / c1 of `LinCoef`; 0 when c1 is 0.
[[nodiscard]] double LinearInverse(const LinCoefArray& c, double y);
// c0 + sum c_k x^k, k = 1 .. n-1, with n clamped to 2 .. 9.
[[nodiscard]] double SeriesValue(const LinCoefArray& c, int n, double x);
// Signal B for result y by the table; NaN when the table has fewer than two points.
[[nodiscard]] double TableSignal(const PointTable& table, double y);
// Temperature (degC) at signal x by a 28-value linearization set.
[[nodiscard]] double LinSetValue(const SensorLinSetArray& set, double x);

// Resistance (ohm) of a 100-ohm resistance thermometer: compensated summation of c0..c10.
[[nodiscard]] double RtdPolyValue(std::span<const long double, 11> c, double t);
// EMF in microvolts of thermocouple code 6..14 at t degC (t clamped to the type's limits).
[[nodiscard]] double ThermoEmf(int code, double t);
// Plain power series sum c_k x^k, k = 0 .. count-1, in extended precision.
[[nodiscard]] long double PolyValue(int count, const long double* c, long double x);

// Resistance-polynomial coefficients of codes 1..4 (index code - 1).
[[nodiscard]] std::span<const long double, 11> RtdCoefficients(int code);

// The built-in linearization sets in the order the transducer's memory holds them: codes 1..4,
// 6..14, then the identity set used for every other code.
inline constexpr std::size_t kSensorLinTableCount = 14;
extern const std::array<SensorLinSetArray, kSensorLinTableCount> SensorLinTables;

// The built-in linearization set of `code` (1..4, 6..14); the identity set for every other code.
[[nodiscard]] const SensorLinSetArray& SensorLinTableFor(int code) noexcept;
[[nodiscard]] const SensorLinSetArray& DefaultSensorLinSet() noexcept;

}  // namespace r4860::model
