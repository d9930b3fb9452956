#include "workflow/simulation.h"

#include <algorithm>
#include <cmath>

#include "common/catalogues.h"
#include "common/lang_table.h"
#include "common/number_text.h"
#include "model/config_image.h"
#include "model/transfer_function.h"

namespace r4860::workflow {
namespace {

constexpr std::size_t kLast = model::kTransferCurveSize - 1;

double signalAt(const SimulationInput& in, std::size_t k) { return in.signalMin + static_cast<double>(k) * in.step(); }

// Linear between two points; a flat segment gives its start rather than a division by zero.
double between(double x0, double y0, double x1, double y1, double x) {
    if (x1 == x0) return y0;
    return y0 + (y1 - y0) * (x - x0) / (x1 - x0);
}

std::string str42(double v) { return FixedText(v, 2, 4); }

// The parts InpDisp and OutDisp share once both ends of the working point are known.
SimulationView viewOf(const SimulationInput& in, double percent, double signal, double fraction) {
    SimulationView v;
    v.percent = percent;
    v.fraction = fraction;
    v.outputMa = 16.0 * fraction + 4.0;
    v.inputText = str42(percent);
    const std::string_view unit = SignalUnit(in.sensorCode);
    v.signalText = "(" + SignalText(signal) + " " + std::string(unit) + ")";
    v.resultText = RangeNumTxt(in.minInput + (in.maxInput - in.minInput) * fraction, in.minInput, in.maxInput);
    v.outputText = str42(v.outputMa);
    v.inputScroll = (1.0 - percent / 100.0) * kInputScrollMax;
    v.outputScroll = (1.0 - fraction) * kOutputScrollMax;
    v.crossX = IsBipolar(in.signalMin, in.signalMax) ? 2.0 * percent - 100.0 : percent;
    v.crossY = 100.0 * fraction;
    return v;
}

SimulationEntry takeEdit(std::string_view text, double stored, double low, double high) {
    SimulationEntry e;
    double v = 0.0;
    if (!TextToNum(text, v)) {
        e.refusal = Outcome::Failure("Wrong format", MessageIcon::Exclamation, Beep::Exclamation);
    } else if (v < low || v > high) {
        Outcome o;
        o.message = LangText("Out of range!");
        o.icon = MessageIcon::Exclamation;
        e.refusal = o;
    } else {
        e.value = v;
        stored = v;
    }
    e.editText = str42(stored);
    return e;
}

}  // namespace

PreparedSimulation PrepareSimulation(const model::ConfigRecord& rec, long today) {
    model::ConfigRecord trial = rec;
    model::ConfigImage scratch{};
    model::EncodeOptions options;
    options.today = today;
    PreparedSimulation out;
    if (auto encoded = model::EncodeImage(trial, scratch, options); !encoded) {
        Outcome warning;
        warning.message = model::TranslateRuleMessage(encoded.error().message) + "!";
        warning.icon = MessageIcon::Error;
        warning.beep = Beep::Exclamation;
        out.warning = warning;
    }
    const auto& p = trial.Parametry;
    out.input = {trial.TransferCurve, p.SignalMin, p.SignalMax, p.MinInput, p.MaxInput, trial.Czujnik.Typ, p.Jednostki};
    return out;
}

bool IsBipolar(double signalMin, double signalMax) noexcept {
    return !(signalMax + signalMin >= std::max(std::fabs(signalMax), std::fabs(signalMin)) * 0.000001);
}

double ForwardInterpolation(const SimulationInput& in, double signal) noexcept {
    const bool rising = in.step() >= 0.0;
    std::size_t k = 0;
    // A signal beyond the last point (the top of the range with rounding in the step) uses the
    // last segment: the index never runs past the curve.
    while (k < kLast && (rising ? signalAt(in, k) < signal : signalAt(in, k) > signal)) ++k;
    k = std::max<std::size_t>(k, 1);
    return between(signalAt(in, k - 1), in.curve[k - 1], signalAt(in, k), in.curve[k], signal);
}

double InverseInterpolation(const SimulationInput& in, double fraction) noexcept {
    const auto& c = in.curve;
    const bool falling = c[0] >= c[kLast];
    std::size_t k = 0;
    while (k < kLast && (falling ? fraction < c[k] : c[k] < fraction)) ++k;
    k = std::max<std::size_t>(k, 1);
    return between(c[k - 1], signalAt(in, k - 1), c[k], signalAt(in, k), fraction);
}

std::string_view SignalUnit(int sensorCode) noexcept {
    if (sensorCode >= 1 && sensorCode <= 5) return UnitName(5);
    if (sensorCode >= 6 && sensorCode <= 16) return UnitName(2);
    if (sensorCode == 17 || sensorCode == 19) return UnitName(4);
    if (sensorCode == 18) return UnitName(1);
    return {};
}

std::string SignalText(double value) {
    if (std::fabs(value) > 1000.0) return FixedText(value, 0, 4);
    if (value > 100.0) return FixedText(static_cast<double>(RoundEven(10.0 * value)) * 0.1, 1, 3);
    return FixedText(static_cast<double>(RoundEven(100.0 * value)) * 0.01, 2, 4);
}

SimulationView InpDisp(const SimulationInput& in, double percent) {
    const double signal = in.span() * percent / 100.0 + in.signalMin;
    return viewOf(in, percent, signal, ForwardInterpolation(in, signal));
}

SimulationView OutDisp(const SimulationInput& in, double fraction) {
    const double signal = InverseInterpolation(in, fraction);
    const double percent = in.span() != 0.0 ? (signal - in.signalMin) * 100.0 / in.span() : 0.0;
    return viewOf(in, percent, signal, fraction);
}

std::optional<int> ScrollMove(double target, int current) noexcept {
    if (!std::isfinite(target) || std::fabs(target - current) < 0.5) return std::nullopt;
    return static_cast<int>(RoundEven(target));
}

PlotPoint CurvePoint(const SimulationInput& in, int k) noexcept {
    const auto i = static_cast<std::size_t>(std::clamp<int>(k, 0, static_cast<int>(kLast)));
    const double x = IsBipolar(in.signalMin, in.signalMax) ? 2.0 * k - 100.0 : k;
    return {x, 100.0 * in.curve[i]};
}

double PercentForInputScroll(int position) noexcept { return 100.0 - position * 100.0 / kInputScrollMax; }
double FractionForOutputScroll(int position) noexcept { return 1.0 - static_cast<double>(position) / kOutputScrollMax; }
int InputScrollFor(double percent) noexcept {
    return static_cast<int>(RoundEven((1.0 - percent / 100.0) * kInputScrollMax));
}
int OutputScrollFor(double outputMa) noexcept {
    return static_cast<int>(RoundEven((1.0 - (outputMa - 4.0) / 16.0) * kOutputScrollMax));
}

SimulationEntry TakeInputEdit(std::string_view text, double storedPercent) {
    return takeEdit(text, storedPercent, 0.0, 100.0);
}
SimulationEntry TakeOutputEdit(std::string_view text, double storedMa) { return takeEdit(text, storedMa, 4.0, 20.0); }

}  // namespace r4860::workflow
