// What the history keeps of each operation, built from the operation's own outcome values, so a
// record says what really happened: a write whose transfer or read-back failed is a failed write.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "files/history_record.h"
#include "model/config_image.h"
#include "workflow/config_commands.h"
#include "workflow/outcome.h"

namespace r4860::workflow {

// A read (or the read a command starts with): the image and the transducer it names, when it
// succeeded; the refusal or the transfer's failure otherwise.
[[nodiscard]] files::HistoryRecord ReadEntry(const LineState& line, const Outcome& outcome,
                                             const model::ConfigImage& image);

struct WriteFacts {
    files::HistoryOperation operation = files::HistoryOperation::Write;  // Write, IdTagWrite or Restore
    Outcome transfer;                               // the refusal, or FinishWrite's outcome
    bool sent = false;                              // the transfer ran: `image` went to the line
    model::ConfigImage image{};                     // what was (or would have been) sent
    std::optional<model::ConfigImage> before;       // read from this transducer before the write
    std::optional<VerifyOutcome> verification;      // the read-back after a successful transfer
    bool idTagVerified = false;                     // an ID-tag write read back and agreed
};
// The transducer is named by the image read before the write; without one only its model is
// known (from its frames). Success needs the transfer and, when there was one, the read-back.
[[nodiscard]] files::HistoryRecord WriteEntry(const LineState& line, const WriteFacts& facts);

// A verification: the read-back and the items that differ. `identity` is an image read from this
// transducer that names it (the read before a write), when the caller has one.
[[nodiscard]] files::HistoryRecord VerifyEntry(const LineState& line, const VerifyOutcome& outcome,
                                               const std::optional<model::ConfigImage>& identity);

// The parameter file an operation used: its name and the SHA-256 of its bytes (nothing of it
// when it cannot be read).
void SetParFile(files::HistoryRecord& record, const std::filesystem::path& parFile);

}  // namespace r4860::workflow
