#include "workflow/live_text.h"

#include <cmath>

#include "common/catalogues.h"
#include "common/lang_table.h"
#include "common/number_text.h"

namespace r4860::workflow {
namespace {

// Characters, not bytes: "°C" is two bytes of UTF-8 but one place on the panel.
std::size_t Utf8Length(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The first fault that hides the value; cal mode is shown as it stands in every language.
std::string FaultText(const protocol::StatusFlags& s) {
    if (s.CalMode) return "Cal mode";
    if (s.EepromError) return LangText("EEPROM error");
    if (s.InternalError) return LangText("Internal error");
    if (s.BrokenSensor) return LangText("Broken sensor");
    if (s.OutOfRange) return LangText("Out of range!");
    return {};
}

// The integer is scaled back after rounding, so a value rounding to zero never shows as "-0.00".
std::string Rounded(double value, int decimals, int width) {
    const double scale = std::pow(10.0, decimals);
    return FixedText(static_cast<double>(RoundEven(value * scale)) / scale, decimals, width);
}

}  // namespace

ResultPanelText showres(const protocol::MeasurementSample& sample, const protocol::StatusFlags& status) {
    if (std::string fault = FaultText(status); !fault.empty()) return {std::move(fault), 12, PanelAlign::Centre};
    const double v = sample.result;
    std::string text = Rounded(v, std::fabs(v) >= 1000 ? 1 : 2, 7) + " " + std::string(UnitName(status.UnitIndex));
    // Right-justified in a proportional font: blanks keep the number from jumping as the unit changes.
    const std::size_t length = Utf8Length(text);
    text.append(length < 10 ? 3 : length < 12 ? 12 - length : 0, ' ');
    return {std::move(text), 18, PanelAlign::Right};
}

OutputPanelText showout(const protocol::MeasurementSample& sample, const protocol::StatusFlags& status) {
    const std::string number = Rounded(sample.outputMa, 2, 5);
    if (status.IndependentOutput) return {number + " mA  !", TextColour::Red};
    return {number + " mA   ", TextColour::Black};
}

ResultPanelText NoContactResult() { return {std::string(kNoContactText), 18, PanelAlign::Right}; }

int FailLimit(int timerIntervalMs) noexcept {
    if (timerIntervalMs <= 0) return 1;
    return static_cast<int>(RoundEven(6000.0 / timerIntervalMs));
}

LivePanels PollTick(WorkflowState& state, bool gotSample, int timerIntervalMs) noexcept {
    if (gotSample) {
        state.Connected = true;
        state.PollFailCount = 0;
        return LivePanels::ShowSample;
    }
    const int limit = FailLimit(timerIntervalMs);
    if (state.PollFailCount > limit) return LivePanels::Unchanged;
    if (state.PollFailCount == limit) {
        ++state.PollFailCount;
        return LivePanels::NoContact;
    }
    // One missed frame may be a busy line; two mean the transducer may have been swapped.
    if (state.PollFailCount > 0) state.ConfigRead = false;
    state.Connected = false;
    // At the diagram's faster rate a single miss is common, so the values stay up for it.
    const bool keep = state.PollFailCount == 0 && timerIntervalMs < 500;
    ++state.PollFailCount;
    return keep ? LivePanels::Unchanged : LivePanels::Blank;
}

}  // namespace r4860::workflow
