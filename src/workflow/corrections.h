// The corrections window's rules as values: the scroll bars and their panels, the preview of
// new corrections (sent with 'Z' to a transducer of the new series, computed here otherwise),
// the forced output on either output scale, and the session that keeps the record's corrections
// honest: what the transducer holds is what the record shows once the window is closed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/config_record.h"
#include "protocol/link.h"
#include "protocol/measurement.h"
#include "workflow/app_context.h"
#include "workflow/live_text.h"
#include "workflow/outcome.h"
#include "workflow/service_rules.h"

namespace r4860::workflow {

// --- Scroll bars ZeroS and GainS: positions 0..400, 200 is no correction ---
inline constexpr int kCorrectionScrollMax = 400;
inline constexpr double kCorrectionLimit = 1.9999;   // +-2.00 would not survive NormalizeConfig
[[nodiscard]] double CorrectionForPosition(int position) noexcept;
[[nodiscard]] int PositionForCorrection(double percent) noexcept;
// ZeroP and GainP: "+1.25 ", "0.00 ", "-2.00 ".
[[nodiscard]] std::string CorrectionPanelText(double percent);

// A transducer whose serial number is above 350: its window is "Input corrections" and it
// previews new corrections itself (command 'Z').
[[nodiscard]] bool NewSeries(const model::ConfigRecord& rec);
[[nodiscard]] std::string CorrectionsTitle(const model::ConfigRecord& rec);
// MeasureMode (PomiarT) is offered for the connected models 47..49 only.
[[nodiscard]] bool MeasureModeAvailable(int typeIndex) noexcept;

// The corrections in use and the ones the transducer holds, in percent.
struct CorrectionPair {
    double zero = 0.0;
    double gain = 0.0;
    friend bool operator==(const CorrectionPair&, const CorrectionPair&) = default;
};
// The value a new-series transducer is sent with 'Z': the reported result r with the saved
// corrections taken out and the current ones put in, over the signal span.
[[nodiscard]] double DevicePreviewValue(double reported, CorrectionPair current, CorrectionPair saved,
                                        double signalMin, double signalMax) noexcept;
// The local preview of an older transducer: result over the input range, output over 4..20 mA
// (limited to 3.75..21.75).
[[nodiscard]] double LocalPreviewResult(double reported, CorrectionPair current, CorrectionPair saved,
                                        double minInput, double maxInput) noexcept;
[[nodiscard]] double LocalPreviewOutput(double reportedMa, CorrectionPair current, CorrectionPair saved) noexcept;

// --- What one tick of the window shows ---
struct CorrectionsResultView {
    ResultPanelText panel;       // the value (large font) or the condition text (smaller)
    ServiceColour colour = ServiceColour::Black;
    bool condition = false;      // a condition hides the value: SimulCB and PomiarT disabled
};
struct CorrectionsOutputView {
    std::string text;
    ServiceColour colour = ServiceColour::Black;
};

struct CorrectionsView {
    CorrectionsResultView result;
    CorrectionsOutputView output;
};

// The window's state between ticks, over the record whose corrections it edits.
class CorrectionsSession {
public:
    // Takes the record's corrections as the ones the transducer holds.
    explicit CorrectionsSession(model::ConfigRecord& rec);

    void setZeroPosition(int position);
    void setGainPosition(int position);
    void setAllZero();
    [[nodiscard]] CorrectionPair current() const noexcept;
    [[nodiscard]] CorrectionPair saved() const noexcept { return m_saved; }

    bool simulate = false;      // SimulCB
    bool measureMode = false;   // PomiarT: register 4 instead of the measurement

    // After the transducer acknowledged 'V' with `sent`: these are what it holds now (the bars
    // may have moved while the command was on its way). Ends the preview and MeasureMode.
    void written(CorrectionPair sent);
    [[nodiscard]] bool wasWritten() const noexcept { return m_written; }
    // Closing: the record's corrections return to what the transducer holds (the values at
    // opening, or those last written), so a change that was not written never leaves the window.
    void close();

    // A tick without a sample: what the panels show. From the second one on (unless a reset was
    // just sent) the configuration no longer counts as read, which ends the preview and MeasureMode.
    LivePanels missedSample(WorkflowState& state);
    void resetSent() noexcept { m_resetSent = true; }
    // A tick with a sample: both panels. A condition (cal mode, EEPROM error, ...) shows in place
    // of the value and ends MeasureMode; SimulCB and PomiarT are usable only without one.
    CorrectionsView sampleShown(const protocol::MeasurementSample& sample, const protocol::StatusFlags& status);

    [[nodiscard]] CorrectionsResultView result(const protocol::MeasurementSample& sample,
                                               const protocol::StatusFlags& status) const;
    [[nodiscard]] CorrectionsOutputView output(const protocol::MeasurementSample& sample,
                                               const protocol::StatusFlags& status) const;

private:
    model::ConfigRecord& m_rec;
    CorrectionPair m_saved;
    bool m_written = false;
    bool m_resetSent = false;
    SilenceCounter m_silence;
};

}  // namespace r4860::workflow
