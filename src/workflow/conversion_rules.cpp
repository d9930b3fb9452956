#include "workflow/conversion_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/catalogues.h"
#include "common/lang_table.h"
#include "common/number_text.h"
#include "model/sensor_characteristics.h"
#include "model/transfer_function.h"
#include "workflow/sensor_selection.h"

namespace r4860::workflow {
namespace {

using model::ConfigRecord;

// The bounds forgive a millionth so that a limit typed exactly is never refused for its last bit.
constexpr double kEps = 0.000001;
constexpr double kResultLow = -1999.000001, kResultHigh = 9999.000001;
constexpr double kMinResultSpan = 1.0;
constexpr double kCoefficientLimit = 1e40;

constexpr PanelMessage kValuesShouldRise{"Values should rise", false, MessageIcon::Exclamation};
constexpr PanelMessage kResultRangeTooSmall{"Range too small", true, MessageIcon::Exclamation};

struct InputBounds {
    double low, high, minSpan;
};

InputBounds boundsOf(const ConfigRecord& rec, int code) {
    const double minSpan = code >= 1 && code < static_cast<int>(model::MinSpan.size())
                               ? model::MinSpan[static_cast<std::size_t>(code)]
                               : 0.0;
    return {model::SensorRangeLow(rec, code), model::SensorRangeHigh(rec, code), minSpan};
}

bool insideResults(double v) {
    return v >= kResultLow && v <= kResultHigh;
}

ConversionProblem problem(const PanelMessage& m, ConversionField focus) {
    return {m.text(), focus, m.icon};
}

// The first three checks of OK (TLinaF) and Check (TPowerF).
std::optional<ConversionProblem> checkInput(const ConversionWindow& w, const ConfigRecord& rec) {
    const InputBounds b = boundsOf(rec, w.inputType);
    if (!(w.inMin >= b.low - kEps)) return problem(kMinimumOutOfRange, ConversionField::InMinE);
    if (!(w.inMax <= b.high + kEps)) return problem(kMaximumOutOfRange, ConversionField::InMaxE);
    if (!(w.inMax - w.inMin >= b.minSpan - kEps)) {
        // The focus goes where the span can be widened without leaving the range.
        const bool lowerMin = w.inMin - b.minSpan >= b.low - kEps;
        return problem(kRangeTooSmall, lowerMin ? ConversionField::InMinE : ConversionField::InMaxE);
    }
    return std::nullopt;
}

std::pair<std::int32_t, std::int32_t> tenthsRange(double a, double b) {
    const int ta = TruncGuard(10.0 * a), tb = TruncGuard(10.0 * b);
    return {std::min(ta, tb), std::max(ta, tb)};
}

}  // namespace

Outcome ConversionProblem::outcome() const {
    Outcome o;
    o.message = text;
    o.icon = icon;
    o.beep = Beep::Exclamation;
    return o;
}

ConversionWindow OpenConversionWindow(ConfigRecord& rec, ConversionKind kind) {
    ConversionWindow w;
    w.kind = kind;
    w.inputType = rec.TableInputType;
    w.savedCoef = rec.LinCoef;
    const bool linear = kind == ConversionKind::Linear;
    const auto& c = rec.LinCoef;
    if (rec.Czujnik.Lin == (linear ? 4 : 8) && rec.Czujnik.Typ == w.inputType &&
        model::ConversionRangeOk(rec, w.inputType) && !rec.ConvEntered) {
        const int terms = linear ? 2 : 9;
        w.tookOver = true;
        w.inMin = c[9];
        w.inMax = c[10];
        w.resMin = TruncTenth(model::SeriesValue(c, terms, c[9]));
        w.resMax = TruncTenth(model::SeriesValue(c, terms, c[10]));
        w.unit = rec.Parametry.Jednostki;
        w.checked = !linear;
        return w;
    }
    w.inMin = model::SensorRangeLow(rec, w.inputType);
    w.inMax = model::SensorRangeHigh(rec, w.inputType);
    w.resMin = -1999.0;
    w.resMax = 10000.0;
    w.unit = DefaultResultUnit(w.inputType);
    if (!linear) rec.LinCoef = {0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, w.inMin, w.inMax};
    return w;
}

std::string ConversionCaption(ConversionKind kind) {
    return LangText("conversion") + ": " +
           LangText(kind == ConversionKind::Linear ? "linear" : "power series");
}

std::string OkButtonCaption(const ConversionWindow& w) {
    return w.kind == ConversionKind::PowerSeries && !w.checked ? LangText("Check") : std::string("OK");
}

EditResult<double> InputLimitExit(ConversionWindow& w, ConfigRecord& rec, Limit which,
                                  std::string_view text) {
    EditResult<double> r;
    double& field = which == Limit::Min ? w.inMin : w.inMax;
    const double old = field;
    double v = old;
    if (!TextToNum(text, v)) {
        r.messages.push_back(kWrongFormat);
    } else {
        const InputBounds b = boundsOf(rec, w.inputType);
        const double lo = which == Limit::Min ? v : w.inMin, hi = which == Limit::Max ? v : w.inMax;
        const bool inside = which == Limit::Min ? v >= b.low - kEps : v <= b.high + kEps;
        const bool spanOk = hi - lo >= b.minSpan - kEps;
        if (!inside || !spanOk) {
            if (spanOk)
                r.messages.push_back(which == Limit::Min ? kMinimumOutOfRange : kMaximumOutOfRange);
            else if (w.kind == ConversionKind::Linear && hi < lo)
                r.messages.push_back(kValuesShouldRise);
            else
                r.messages.push_back(kRangeTooSmall);
            v = old;
        }
    }
    field = v;
    if (w.kind == ConversionKind::PowerSeries) rec.LinCoef[which == Limit::Min ? 9 : 10] = v;
    r.value = v;
    r.shown = InputLimitText(v);
    return r;
}

EditResult<double> ResultLimitExit(ConversionWindow& w, Limit which, std::string_view text) {
    EditResult<double> r;
    double& field = which == Limit::Min ? w.resMin : w.resMax;
    const double old = field;
    double v = old;
    if (!TextToNum(text, v)) {
        r.messages.push_back(kWrongFormat);
    } else {
        // Up to 999.9 a tenth is kept (cut, not rounded); beyond, whole numbers.
        const auto tenths = static_cast<double>(RoundEven(10.0 * v));
        v = insideResults(tenths) ? TruncTenth(v) : static_cast<double>(RoundEven(v));
        const double other = which == Limit::Min ? w.resMax : w.resMin;
        const bool spanOk = std::fabs(other - v) >= kMinResultSpan;
        if (!insideResults(v) || !spanOk) {
            r.messages.push_back(!spanOk ? kResultRangeTooSmall
                                         : (which == Limit::Min ? kMinimumOutOfRange : kMaximumOutOfRange));
            v = old;
        }
    }
    field = v;
    r.value = v;
    r.shown = ResultLimitText(v);
    return r;
}

EditResult<double> CoefficientExit(ConversionWindow& w, ConfigRecord& rec, int k, std::string_view text) {
    EditResult<double> r;
    const auto at = static_cast<std::size_t>(std::clamp(k, 0, 8));
    double v = rec.LinCoef[at];
    if (!TextToNum(text, v)) {
        r.messages.push_back(kWrongFormat);
    } else {
        // Kept although refused: the operator may be on the way to a smaller value.
        if (std::fabs(v) > kCoefficientLimit) r.messages.push_back(kOutOfRange);
        if (v != rec.LinCoef[at]) ConversionFieldChanged(w);
        rec.LinCoef[at] = v;
    }
    r.value = rec.LinCoef[at];
    r.shown = CoefficientText(r.value);
    return r;
}

void ConversionFieldChanged(ConversionWindow& w) noexcept {
    w.checked = false;
}

std::optional<ConversionProblem> LinearOk(ConversionWindow& w, ConfigRecord& rec) {
    if (auto p = checkInput(w, rec)) return p;
    if (!insideResults(w.resMin)) return problem(kMinimumOutOfRange, ConversionField::ResMinE);
    if (!insideResults(w.resMax)) return problem(kMaximumOutOfRange, ConversionField::ResMaxE);
    if (!(std::fabs(w.resMax - w.resMin) >= kMinResultSpan))
        return problem(kResultRangeTooSmall,
                       w.resMin <= kResultLow ? ConversionField::ResMaxE : ConversionField::ResMinE);
    const auto [low, high] = tenthsRange(w.resMax, w.resMin);
    rec.LiveRanges[15] = {low, high};
    auto& c = rec.LinCoef;
    c.fill(0.0);
    c[9] = w.inMin;
    c[10] = w.inMax;
    c[1] = (w.resMax - w.resMin) / (w.inMax - w.inMin);
    c[0] = w.resMin - c[1] * w.inMin;
    rec.Parametry.Jednostki = w.unit;
    rec.ConvEntered = true;
    return std::nullopt;
}

std::optional<ConversionProblem> PowerSeriesCheck(ConversionWindow& w, ConfigRecord& rec) {
    w.checked = false;
    if (auto p = checkInput(w, rec)) return p;
    // The sampling of SampleSeries, against the converted input's range, keeping no points.
    ConfigRecord trial = rec;
    trial.Czujnik.Typ = w.inputType;
    trial.TableInputType = w.inputType;
    if (std::string message; !model::SampleSeries(trial, message))
        return ConversionProblem{model::TranslateRuleMessage(message), ConversionField::A0E};
    // A turn between two samples would be refused when written: say so now.
    if (!model::SeriesMonotonic(rec.LinCoef))
        return ConversionProblem{model::TranslateRuleMessage(model::NotMonotonicMessage()),
                                 ConversionField::A0E};
    const auto& c = rec.LinCoef;
    w.resMin = TruncTenth(model::SeriesValue(c, 9, c[9]));
    w.resMax = TruncTenth(model::SeriesValue(c, 9, c[10]));
    if (!(std::fabs(w.resMax - w.resMin) >= kMinResultSpan))
        return problem(kResultRangeTooSmall, ConversionField::A0E);
    w.checked = true;
    return std::nullopt;
}

void PowerSeriesOk(const ConversionWindow& w, ConfigRecord& rec) {
    const auto [low, high] = tenthsRange(w.resMin, w.resMax);
    rec.LiveRanges[15] = {low, high};
    rec.Parametry.Jednostki = w.unit;
    rec.ConvEntered = true;
}

void ConversionCancel(const ConversionWindow& w, ConfigRecord& rec) {
    if (w.kind == ConversionKind::PowerSeries) rec.LinCoef = w.savedCoef;
}

std::string InputLimitText(double value) {
    return FixedText(value, std::fabs(value) < 1000.0 ? 3 : 2);
}

std::string ResultLimitText(double value) {
    return TenthTxt(value);
}

std::string CoefficientText(double value) {
    if (std::isnan(value)) return {};
    char buf[64];
    const bool small = value != 0.0 && std::fabs(value) < 0.001;
    const auto [end, ec] = small
                               ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 6)
                               : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 8);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}

std::array<std::string_view, 11> UnitPickerNames() noexcept {
    std::array<std::string_view, 11> names{};
    std::copy_n(UnitNames.begin(), names.size(), names.begin());
    return names;
}

}  // namespace r4860::workflow
