// The transfer function the transducer applies to its input signal (4 mA + 16 mA x y), derived
// from the configuration record, and the range rules the windows check while the operator edits.
//
// A floating-point failure (division by zero, overflow, invalid operation) shows up as a
// non-finite intermediate or result; every value that goes to the device is tested for it, so
// no trap, signal or exception is involved.
#pragma once

#include <cmath>
#include <cstddef>
#include <string>
#include <string_view>

#include "common/result.h"
#include "model/config_record.h"

namespace r4860::model {

// English keys of what these rules report. A two-key message is the keys joined by one blank;
// TranslateRuleMessage translates each key before joining.
inline constexpr std::string_view kTransferFunctionKey = "Transfer function";
inline constexpr std::string_view kNotMonotonicKey = "is not monotonic";
inline constexpr std::string_view kValueOutOfRangeKey = "Value out of range";
inline constexpr std::string_view kSeriesErrorKey = "Power series calculation error";
[[nodiscard]] std::string NotMonotonicMessage();
[[nodiscard]] std::string TranslateRuleMessage(std::string_view message);

struct SignalRange {
    double min = 0.0;
    double max = 0.0;
    [[nodiscard]] bool finite() const noexcept { return std::isfinite(min) && std::isfinite(max); }
    [[nodiscard]] double span() const noexcept { return max - min; }
};

// The smaller and the larger of the signals at MinInput and MaxInput, so a falling conversion
// still gives min <= max. Non-finite when the characteristic cannot be evaluated there.
[[nodiscard]] SignalRange ComputeSignalRange(const ConfigRecord& rec);

// What the encoder sends and what the characteristic plot shows. Starts from the record's
// derived values, so whatever a conversion code does not compute keeps its previous value.
struct TransferFunction {
    SignalRange signal;
    DevCoefArray devCoef{};
    SensorLinSetArray sensorLinSet{};
    TransferCurveArray curve{};
    std::size_t curvePoints = 0;  // leading points computed before an evaluation failed
    [[nodiscard]] double step() const noexcept { return signal.span() / 100.0; }
};

// The signal range, then BuildDeviceCoefficients. Refused with NotMonotonicMessage() when the
// signal range or a device coefficient is not finite; a failure inside the curve is absorbed
// (curvePoints tells how far it got).
[[nodiscard]] Result<TransferFunction> ComputeTransferFunction(const ConfigRecord& rec);

// Whether the characteristic the device receives is the record's user table, fitted (a user
// sensor, or a signal input with a table-defined conversion).
[[nodiscard]] bool FollowsUserTable(const ConfigRecord& rec) noexcept;

// Fills devCoef, sensorLinSet and curve of `tf` from its signal range by the record's Lin.
// Lin 0 computes nothing. Refused when a coefficient that goes to the device is not finite, a
// power series is not strictly monotonic between its limits (c9, c10), or a user table cannot
// be followed within kTableFitTolerance (then with kTableNotFollowedKey).
[[nodiscard]] Status BuildDeviceCoefficients(const ConfigRecord& rec, TransferFunction& tf);

// Live row 15 = the result range of the linear or power-series conversion in LinCoef, in
// tenths rounded (as after a read, and after a parameter file is opened). Nothing for other Lin.
void SetConversionRange(ConfigRecord& rec);

// Stores the derived values in the record: SignalMin/SignalMax, DevCoef, SensorLinSet, TransferCurve.
void ApplyTransferFunction(ConfigRecord& rec, const TransferFunction& tf);

inline constexpr std::size_t kSeriesPoints = 801;

// Samples the power series (LinCoef c0..c8 over c9..c10) into rec.Table and checks strict
// monotonicity and the value limits. On false the table holds the points accepted so far and
// `message` is a rule message (not monotonic, "Value out of range" or the calculation error).
[[nodiscard]] bool SampleSeries(ConfigRecord& rec, std::string& message);

// The power series c0 .. c8 is strictly monotonic over c9 .. c10 as a whole, not only at the
// points SampleSeries looks at: a turn between two samples would run the output backwards there.
[[nodiscard]] bool SeriesMonotonic(const LinCoefArray& c);

// The input range is wide enough as signal (true while a table it needs is not loaded yet).
[[nodiscard]] bool RangeSpanOk(const ConfigRecord& rec);

// The conversion's result range (live row 15), mapped back to signal through the record's
// conversion, lies inside the range of input type `code` and spans at least its minimum.
[[nodiscard]] bool ConversionRangeOk(const ConfigRecord& rec, int code);

// Suggested filtration range (0.1 %) and time constant (0.1 s) for the current input range:
// narrow signal spans get a wider band and a longer time constant.
void SuggestFilter(const ConfigRecord& rec, int& zakres, int& czas);

}  // namespace r4860::model
