// Read, write and verify as the operator sees them: the checks before a transfer, the transfer
// job's request, and what its result means for the record, the image and the operator. Each
// command comes in three steps so a window can run the transfer as a job and stay live:
//   Prepare... (refusal or request) -> protocol::TransferJob -> Finish... (outcome as a value);
// the blocking form runs all three, for the command-line tool and worker threads.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/config_compare.h"
#include "model/config_image.h"
#include "model/config_record.h"
#include "protocol/transfer_job.h"
#include "workflow/outcome.h"

namespace r4860::protocol {
class Link;
}

namespace r4860::workflow {

// What the caller knows of the line from its polling.
struct LineState {
    bool connected = false;    // a transducer is answering
    bool eepromError = false;  // reported by the last measurement
    int typeIndex = 16;        // model index of the last measurement
    bool rtPriority = false;   // the RTPriority setting
};

using ProgressFn = std::function<void(int percent, const std::string& statusText)>;

// A transfer to start, or why not.
struct Prepared {
    std::optional<Outcome> refused;
    protocol::TransferRequest request;
    bool readFirst = false;   // a write's preparation: `request` is the read it needs first (PrepareWriteOver)
    bool blankBase = false;   // the write goes over a blank image: the transducer's could not be read
};

// What a transfer's failure tells the operator ("Transmission unsuccessful!" and the previous
// status text back; a beep only when another transfer holds the link).
[[nodiscard]] Outcome TransferFailure(const protocol::TransferResult& result);

// --- Read ---
struct ReadOutcome {
    Outcome outcome;
    bool coefMissing = false;  // a conversion with all-zero coefficients: user data incomplete
};
// Refused without a transducer or when it reports an EEPROM error.
[[nodiscard]] Prepared PrepareRead(const LineState& line, const model::ConfigImage& image);
// On success decodes the display ranges and the code version into `rec` (normalized) and `image`;
// on failure `rec` is unchanged and `image` keeps what was read so far.
ReadOutcome FinishRead(const protocol::TransferResult& result, model::ConfigRecord& rec, model::ConfigImage& image);
ReadOutcome ReadConfiguration(protocol::Link& link, const LineState& line, model::ConfigRecord& rec,
                              model::ConfigImage& image, ProgressFn progress = {});

// --- Write ---
enum class WriteKind { Full, IdTagOnly };

// The model the connected transducer reports, by its model index; nothing when it reports none.
[[nodiscard]] int ConnectedModelCode(int typeIndex) noexcept;
// Whether the record's model (characters 4-5 of Device) is the connected one.
[[nodiscard]] bool ModelMatches(const model::ConfigRecord& rec, int typeIndex);

// Whether an image holds the connected transducer's own memory (read from it since it answered)
// or came from elsewhere (a file, another transducer, nothing yet).
enum class ImageOrigin { ThisTransducer, Elsewhere };

// The model must match the connected transducer, and a full write's configuration must encode
// (refused with the stop message when the transfer function cannot be computed). A write sends
// the byte after the ID tag as the image holds it and never sets it, so it goes over this
// transducer's own image: with an image from elsewhere the request is the read it needs first
// (readFirst; an EEPROM error does not refuse that read, a write is how one is repaired), and
// PrepareWriteOver prepares the write over what it read. Otherwise stamps today's date into
// `rec`, encodes it over a copy of `image` and returns the request that writes that copy.
[[nodiscard]] Prepared PrepareWrite(const LineState& line, model::ConfigRecord& rec, const model::ConfigImage& image,
                                    const model::EncodeOptions& options, WriteKind kind, ImageOrigin origin);
// The same with the image taken as this transducer's.
[[nodiscard]] Prepared PrepareWrite(const LineState& line, model::ConfigRecord& rec, const model::ConfigImage& image,
                                    const model::EncodeOptions& options, WriteKind kind);
// After the read PrepareWrite asked for: `image` becomes what was read and the write is prepared
// over it. A failed read refuses the write with the read's failure, except on a transducer that
// reports an EEPROM error: its memory may be unreadable, and the write goes over a blank image
// whose byte after the ID tag is an erased cell's (blankBase).
[[nodiscard]] Prepared PrepareWriteOver(const protocol::TransferResult& read, const LineState& line,
                                        model::ConfigRecord& rec, model::ConfigImage& image,
                                        const model::EncodeOptions& options, WriteKind kind);
// Both steps, the read run blocking when one is needed (the command-line tool).
[[nodiscard]] Prepared PrepareWriteOn(protocol::Link& link, const LineState& line, model::ConfigRecord& rec,
                                      model::ConfigImage& image, const model::EncodeOptions& options, WriteKind kind,
                                      ImageOrigin origin, ProgressFn progress = {});
// On success the image holds what was sent, with status "Transducer programmed" or "Information
// transferred"; on failure the image keeps what was sent so far.
Outcome FinishWrite(const protocol::TransferResult& result, WriteKind kind, model::ConfigImage& image);

// --- Verify ---
struct VerifyOutcome {
    Outcome outcome;
    bool transferred = false;              // the read-back itself succeeded
    std::vector<std::size_t> differences;  // offsets that differ; empty means verified
    std::vector<model::ItemDifference> items;  // the same, named by configuration item
    bool dateDiffers = false;              // the configuration date differs (information only,
                                           // unless the comparison was asked to include it)
    std::string dateNote;                  // says so, translated, when it was not compared
    model::ConfigImage readBack{};         // what the transducer holds (when transferred)
    [[nodiscard]] bool verified() const noexcept { return transferred && differences.empty(); }
};
struct PreparedVerify {
    Prepared prepared;
    model::ImageSnapshot expected{};       // what the image held before the read-back
};
[[nodiscard]] PreparedVerify PrepareVerify(const LineState& line, const model::ConfigImage& image);
// Compares the read-back with what the image held; the image keeps what was written unless the
// transducer agreed (then it takes the read-back, code version included). The box of a failed
// verification names the items that differ below "Errors have been found!". The configuration
// date is left out unless asked for (a write stamps it), but a differing one is said: below the
// differences, or in an information box beside "Verification successful".
VerifyOutcome FinishVerify(const protocol::TransferResult& result, const model::ImageSnapshot& expected,
                           model::ConfigImage& image, const model::CompareOptions& options = {});
VerifyOutcome VerifyConfiguration(protocol::Link& link, const LineState& line, model::ConfigImage& image,
                                  ProgressFn progress = {}, const model::CompareOptions& options = {});

// "Sensor: K, CJC -> J, CJC" lines, one per item, for a box or a terminal.
[[nodiscard]] std::string DifferencesText(const std::vector<model::ItemDifference>& items);

// Reads back the ID tag block and compares it with what `sent` holds there.
[[nodiscard]] Outcome VerifyIdTag(protocol::Link& link, const LineState& line, const model::ConfigImage& sent,
                                  ProgressFn progress = {});

}  // namespace r4860::workflow
