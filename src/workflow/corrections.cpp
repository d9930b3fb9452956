#include "workflow/corrections.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/lang_table.h"
#include "common/number_text.h"
#include "model/models.h"

namespace r4860::workflow {
namespace {

constexpr int kCentre = 200;
constexpr long kNewSeriesAbove = 350;
constexpr int kInternalTemperatureUnit = 8;   // degC: register 4 is the internal temperature
constexpr double kOutputLow = 3.75, kOutputHigh = 21.75;

double rounded(double v, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return static_cast<double>(RoundEven(v * scale)) / scale;
}

}  // namespace

double CorrectionForPosition(int position) noexcept {
    const double v = (position - kCentre) / 100.0;
    if (v >= 2.0) return kCorrectionLimit;
    if (v <= -2.0) return -kCorrectionLimit;
    return v;
}

int PositionForCorrection(double percent) noexcept {
    if (!std::isfinite(percent)) return kCentre;
    return static_cast<int>(std::clamp<long long>(RoundEven(100.0 * percent) + kCentre, 0, kCorrectionScrollMax));
}

std::string CorrectionPanelText(double percent) {
    const double shown = rounded(percent, 2);
    return (shown > 0.0 ? "+" : "") + FixedText(shown, 2) + " ";
}

bool NewSeries(const model::ConfigRecord& rec) {
    const std::string& s = rec.Informacje.serial;
    long serial = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), serial);
    return ec == std::errc() && end == s.data() + s.size() && serial > kNewSeriesAbove;
}

std::string CorrectionsTitle(const model::ConfigRecord& rec) {
    return LangText(NewSeries(rec) ? "Input corrections" : "Corrections");
}

bool MeasureModeAvailable(int typeIndex) noexcept {
    const int code = model::ModelCodeOfIndex(typeIndex);
    return code >= 47 && code <= 49;
}

double DevicePreviewValue(double reported, CorrectionPair current, CorrectionPair saved, double signalMin,
                          double signalMax) noexcept {
    const double span = signalMax - signalMin;
    const double withoutSaved = (reported - 0.01 * saved.zero * span) / (saved.gain / 100.0 + 1.0);
    return (0.01 * current.gain + 1.0) * withoutSaved + 0.01 * current.zero * span;
}

double LocalPreviewResult(double reported, CorrectionPair current, CorrectionPair saved, double minInput,
                          double maxInput) noexcept {
    return ((current.gain - saved.gain) * 0.01 + 1.0) * (reported - minInput) + minInput +
           (current.zero - saved.zero) * 0.01 * (maxInput - minInput);
}

double LocalPreviewOutput(double reportedMa, CorrectionPair current, CorrectionPair saved) noexcept {
    const double ma = ((current.gain - saved.gain) * 0.01 + 1.0) * (reportedMa - 4.0) + 4.0 +
                      (current.zero - saved.zero) * 0.01 * 16.0;
    return std::clamp(ma, kOutputLow, kOutputHigh);
}

CorrectionsSession::CorrectionsSession(model::ConfigRecord& rec)
    : m_rec(rec), m_saved{rec.Parametry.ZeroReg, rec.Parametry.GainReg}, m_silence(kCorrectionsTimerMs) {}

void CorrectionsSession::setZeroPosition(int position) { m_rec.Parametry.ZeroReg = CorrectionForPosition(position); }
void CorrectionsSession::setGainPosition(int position) { m_rec.Parametry.GainReg = CorrectionForPosition(position); }
void CorrectionsSession::setAllZero() {
    setZeroPosition(kCentre);
    setGainPosition(kCentre);
}

CorrectionPair CorrectionsSession::current() const noexcept {
    return {m_rec.Parametry.ZeroReg, m_rec.Parametry.GainReg};
}

void CorrectionsSession::written(CorrectionPair sent) {
    m_saved = sent;
    m_written = true;
    simulate = false;
    measureMode = false;
}

void CorrectionsSession::close() {
    m_rec.Parametry.ZeroReg = m_saved.zero;
    m_rec.Parametry.GainReg = m_saved.gain;
}

LivePanels CorrectionsSession::missedSample(WorkflowState& state) {
    if (m_silence.missed() >= 1 && !m_resetSent) state.ConfigRead = false;
    if (!state.ConfigRead) {
        simulate = false;
        measureMode = false;
    }
    return m_silence.tick(false);
}

CorrectionsView CorrectionsSession::sampleShown(const protocol::MeasurementSample& sample,
                                                const protocol::StatusFlags& status) {
    (void)m_silence.tick(true);
    m_resetSent = false;
    CorrectionsView view{result(sample, status), output(sample, status)};
    if (view.result.condition) measureMode = false;
    return view;
}

CorrectionsResultView CorrectionsSession::result(const protocol::MeasurementSample& sample,
                                                 const protocol::StatusFlags& status) const {
    protocol::MeasurementSample shown = sample;
    protocol::StatusFlags flags = status;
    if (measureMode) flags.UnitIndex = kInternalTemperatureUnit;
    const bool localPreview = simulate && !NewSeries(m_rec);
    if (localPreview)
        shown.result = LocalPreviewResult(sample.result, current(), m_saved, m_rec.Parametry.MinInput,
                                          m_rec.Parametry.MaxInput);
    CorrectionsResultView view;
    view.panel = showres(shown, flags);
    view.condition = status.CalMode || status.EepromError || status.InternalError || status.BrokenSensor ||
                     status.OutOfRange;
    if (!view.condition) view.colour = simulate ? ServiceColour::Teal : measureMode ? ServiceColour::Blue
                                                                                    : ServiceColour::Black;
    return view;
}

CorrectionsOutputView CorrectionsSession::output(const protocol::MeasurementSample& sample,
                                                 const protocol::StatusFlags& status) const {
    double ma = sample.outputMa;
    if (simulate && !NewSeries(m_rec)) ma = LocalPreviewOutput(ma, current(), m_saved);
    const std::string number = FixedText(rounded(ma, 2), 2, 5);
    if (status.IndependentOutput) return {number + " mA  !", ServiceColour::Red};
    return {number + " mA   ", simulate ? ServiceColour::Teal : ServiceColour::Black};
}

}  // namespace r4860::workflow
