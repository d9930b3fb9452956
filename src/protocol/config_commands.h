// Read, write and verify as the operator sees them: a transfer plus the codec, with the checks
// and the messages around them. The main window and the command-line tool both call these.
#pragma once

#include <cstddef>
#include <vector>

#include "common/result.h"
#include "common/ui_hooks.h"
#include "model/config_image.h"
#include "model/config_record.h"

namespace r4860::protocol {

class Link;

// What the caller knows of the line from its polling.
struct LineState {
    bool connected = false;    // a transducer is answering
    bool eepromError = false;  // reported by the last measurement
    int typeIndex = 16;        // model index of the last measurement
    bool rtPriority = false;   // the RTPriority setting
};

struct ReadOutcome {
    bool ok = false;
    bool coefMissing = false;  // a conversion with all-zero coefficients: user data incomplete
};

// Reads the display ranges and the code version, decodes them into `rec` (normalized).
// On failure `rec` is unchanged; the reason has been reported through `ui`.
ReadOutcome ReadConfiguration(Link& link, UiHooks& ui, const LineState& line, model::ConfigRecord& rec,
                              model::ConfigImage& image);

enum class WriteKind { Full, IdTagOnly };

// The model the connected transducer reports, by its model index; nothing when it reports none.
[[nodiscard]] int ConnectedModelCode(int typeIndex) noexcept;
// Whether the record's model (characters 4-5 of Device) is the connected one.
[[nodiscard]] bool ModelMatches(const model::ConfigRecord& rec, int typeIndex);

// Stamps today's date, encodes (refused with the stop message when the transfer function cannot
// be computed) and writes. The model must match the connected transducer. Reports through `ui`
// and sets the status text "Transducer programmed" or "Information transferred" on success.
bool WriteConfiguration(Link& link, UiHooks& ui, const LineState& line, model::ConfigRecord& rec,
                        model::ConfigImage& image, const model::EncodeOptions& options, WriteKind kind);

struct VerifyOutcome {
    bool transferred = false;              // the read-back itself succeeded
    std::vector<std::size_t> differences;  // offsets that differ; empty means verified
    [[nodiscard]] bool verified() const noexcept { return transferred && differences.empty(); }
};

// Reads back the verification ranges and compares them with what the image holds; on a
// difference reports "Errors have been found!" and puts the written bytes back into the image.
VerifyOutcome VerifyConfiguration(Link& link, UiHooks& ui, const LineState& line, model::ConfigImage& image);

}  // namespace r4860::protocol
