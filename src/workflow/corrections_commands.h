// The corrections window's command sequences and the command-line tool's trim. Each one blocks:
// the window runs it in a command job and takes the value it returns on its own thread. They take the
// corrections by value, so the job never reads the record while the operator moves a bar.
#pragma once

#include "protocol/measurement.h"
#include "workflow/corrections.h"
#include "workflow/service_mode.h"

namespace r4860::workflow {

// ZapiszB: 'V' with the corrections. True only when the transducer acknowledged it; then, and
// only then, call CorrectionsSession::written(values) on the window's thread.
bool StoreCorrections(ServiceLine& line, CorrectionPair values);
// Reads the corrections back from 0x00F8 and compares them with what 'V' sent for `values`.
bool CorrectionsStored(ServiceLine& line, CorrectionPair values);
// Store, then read back: the trim of a calibration station. "Command failed!" when the
// transducer did not take 'V'; "Verification ended with errors" when it holds something else.
[[nodiscard]] Outcome TrimCorrections(ServiceLine& line, CorrectionPair values);

// SetOutbutt once accepted: 'o' with the counts, acknowledged.
bool ForceOutput(ServiceLine& line, int counts);

// What one tick asks of the transducer, copied from the session on the window's thread.
struct CorrectionsTick {
    bool newSeries = false;
    bool simulate = false;
    bool measureMode = false;
    CorrectionPair current, saved;
    double signalMin = 0.0, signalMax = 0.0;
};
[[nodiscard]] CorrectionsTick TickRequest(const CorrectionsSession& session, const model::ConfigRecord& rec);
// Whether the tick must wait for the transducer (then run it as a job) or only takes the latest frame.
[[nodiscard]] bool TickWaits(const CorrectionsTick& tick) noexcept;
// A new-series preview: the measurement, then the value with the new corrections sent back with
// 'Z' and the frame that reports it. MeasureMode (either series): 'm' 4 and a fresh frame.
// Otherwise the latest frame. False when no sample came.
bool CorrectionsSample(ServiceLine& line, const CorrectionsTick& tick, protocol::MeasurementSample& sample);

// What the window changed in the transducer, for its way out.
struct CorrectionsFootprint {
    bool outputForced = false;   // 'o' was sent
    bool previewSent = false;    // 'Z' was sent
    bool registerChanged = false;  // 'm' 4 was sent
};
// Closing (Exit, Escape, a lost transducer, the main window closing): a forced output or a
// preview is let go by a reset (LeaveServiceMode); a changed register is put back with 'm' 16.
// Nothing is sent when the window changed nothing.
[[nodiscard]] Outcome LeaveCorrections(ServiceLine& line, const CorrectionsFootprint& footprint);

}  // namespace r4860::workflow
