// The simulation window's rules as values: the characteristic it is opened on, which way the
// plot's input axis runs, the two interpolations along the 101-point curve, what the window shows
// for an input in percent or an output fraction, and how its two edits are taken.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/config_record.h"
#include "workflow/outcome.h"

namespace r4860::workflow {

// What the window works on, taken from an encoded copy of the configuration.
struct SimulationInput {
    model::TransferCurveArray curve{};  // output fraction (0 = 4 mA, 1 = 20 mA) per step of the signal
    double signalMin = 0.0;
    double signalMax = 0.0;
    double minInput = 0.0;   // the configured range in engineering units
    double maxInput = 0.0;
    int sensorCode = 0;      // Typ
    int jednostki = 0;       // unit of the result
    [[nodiscard]] double span() const noexcept { return signalMax - signalMin; }
    [[nodiscard]] double step() const noexcept { return span() / 100.0; }
};

struct PreparedSimulation {
    SimulationInput input;
    // The transfer function could not be encoded: shown with the stop icon, and the window opens
    // all the same on what the record last held.
    std::optional<Outcome> warning;
};
// Encodes a copy of `rec` into a scratch image, so neither the record nor the image a later
// verification compares with is touched by opening the window.
[[nodiscard]] PreparedSimulation PrepareSimulation(const model::ConfigRecord& rec, long today);

// A signal range centred on zero or lying below it is drawn on a -100..100 input axis.
[[nodiscard]] bool IsBipolar(double signalMin, double signalMax) noexcept;

// Signal -> output fraction along the curve; the segment is clamped to the curve at both ends.
[[nodiscard]] double ForwardInterpolation(const SimulationInput& in, double signal) noexcept;
// Output fraction -> signal, for a rising or a falling curve.
[[nodiscard]] double InverseInterpolation(const SimulationInput& in, double fraction) noexcept;

// "Ohm", "mV", "mA", "V" or nothing, by sensor code.
[[nodiscard]] std::string_view SignalUnit(int sensorCode) noexcept;
// 1500 -> "1500", 150.25 -> "150.2", 15.255 -> "15.26": fewer decimals for larger signals.
[[nodiscard]] std::string SignalText(double value);

inline constexpr int kInputScrollMax = 200;   // InputS: 0..200, top = 100 %
inline constexpr int kOutputScrollMax = 160;  // OutputS: 0..160, top = 20 mA

// Everything InpDisp and OutDisp put on the window for one working point.
struct SimulationView {
    double percent = 0.0;     // input, % of the signal span
    double fraction = 0.0;    // output, 0..1
    double outputMa = 4.0;
    std::string inputText;    // InputE, Str(p:4:2)
    std::string signalText;   // Input1T, "(" signal unit ")"
    std::string resultText;   // ResultP, RangeNumTxt
    std::string outputText;   // OutputE, Str(mA:4:2)
    double inputScroll = 0.0;   // where InputS belongs (not yet rounded)
    double outputScroll = 0.0;
    double crossX = 0.0;        // the cross-hair on the plot's scales
    double crossY = 0.0;
};
[[nodiscard]] SimulationView InpDisp(const SimulationInput& in, double percent);
[[nodiscard]] SimulationView OutDisp(const SimulationInput& in, double fraction);
// A scroll bar moves only when it is half a step or more away from where it belongs.
[[nodiscard]] std::optional<int> ScrollMove(double target, int current) noexcept;

// The plot point of curve index k (0..100) on the plot's scales.
struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
};
[[nodiscard]] PlotPoint CurvePoint(const SimulationInput& in, int k) noexcept;

// Scroll positions to the working point, and back for a change the window takes as spurious
// (the application was just deactivated).
[[nodiscard]] double PercentForInputScroll(int position) noexcept;
[[nodiscard]] double FractionForOutputScroll(int position) noexcept;
[[nodiscard]] int InputScrollFor(double percent) noexcept;
[[nodiscard]] int OutputScrollFor(double outputMa) noexcept;

// An edit taken (3 s after the last keystroke, or Enter): the value to show, or why not; the
// edit then shows `editText` (the stored value, unchanged when refused).
struct SimulationEntry {
    std::optional<double> value;   // percent for the input, mA for the output
    std::optional<Outcome> refusal;
    std::string editText;
};
[[nodiscard]] SimulationEntry TakeInputEdit(std::string_view text, double storedPercent);
[[nodiscard]] SimulationEntry TakeOutputEdit(std::string_view text, double storedMa);

}  // namespace r4860::workflow
