// The live panels of the main window as values: the result and output texts of one sample, and
// what each polling tick does to the panels and the connection flags when samples stop coming.
#pragma once

#include <string>
#include <string_view>

#include "protocol/link.h"
#include "protocol/measurement.h"
#include "workflow/app_context.h"

namespace r4860::workflow {

enum class PanelAlign { Right, Centre };
enum class TextColour { Black, Red };

struct ResultPanelText {
    std::string text;
    int fontSize = 18;
    PanelAlign align = PanelAlign::Right;
    friend bool operator==(const ResultPanelText&, const ResultPanelText&) = default;
};

struct OutputPanelText {
    std::string text;
    TextColour colour = TextColour::Black;
    friend bool operator==(const OutputPanelText&, const OutputPanelText&) = default;
};

// Both panels once contact has been lost for good.
inline constexpr std::string_view kNoContactText = "???        ";

// showres: the value with its unit, padded so the number stays put, or the status text that wins.
[[nodiscard]] ResultPanelText showres(const protocol::MeasurementSample& sample, const protocol::StatusFlags& status);
// showout: the output current; IndependentOutput is the transducer's output alarm.
[[nodiscard]] OutputPanelText showout(const protocol::MeasurementSample& sample, const protocol::StatusFlags& status);
// Wynikp when contact is lost for good (Outputp shows kNoContactText as it is).
[[nodiscard]] ResultPanelText NoContactResult();

// What one polling tick does to the two live panels.
enum class LivePanels {
    ShowSample,  // showres and showout of the new sample
    Blank,       // empty both
    NoContact,   // kNoContactText in both
    Unchanged,
};

// Ticks of silence that count as lost contact: about six seconds at the timer's interval.
[[nodiscard]] int FailLimit(int timerIntervalMs) noexcept;

// One poll of Timer1Timer (call it only when PollingOn let the tick poll): updates Connected,
// ConfigRead and PollFailCount and says what the panels show. The interval is the timer's
// present one, so the limit follows the diagram being switched on or off.
[[nodiscard]] LivePanels PollTick(WorkflowState& state, bool gotSample, int timerIntervalMs) noexcept;

}  // namespace r4860::workflow
