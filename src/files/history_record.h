// One entry of the programming history: what was done to which transducer, where, by whom and
// with what result, with the configuration images involved. Plain data; stores keep it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/config_compare.h"
#include "model/config_image.h"

namespace r4860::files {

enum class HistoryOperation { Read, Write, IdTagWrite, Verify, Restore };
enum class HistoryOutcome {
    Success,
    Failure,      // `message` says what the transfer, the line or a rule said
    Differences,  // a verification found `differences`
};

struct HistoryRecord {
    std::int64_t id = 0;           // this database's number for it; 0 until stored
    std::string uid;               // the same on every station it is copied to
    std::int64_t timeMs = 0;       // UTC, milliseconds since 1970
    std::string operatorName;      // login name
    std::string host;
    std::string port;              // as the operator named it (COM7)
    std::string devicePath;        // what it was on this machine (/dev/ttyUSB0)
    HistoryOperation operation = HistoryOperation::Read;
    HistoryOutcome outcome = HistoryOutcome::Failure;
    std::string message;
    std::vector<model::ItemDifference> differences;
    bool verified = false;         // the outcome includes reading back what was written
    // The transducer as read (empty when it was not identified) and what was written to it.
    std::string model, serial, codeVersion, idTag, calDate, configDate;
    std::string parFileName;       // without folder
    std::string parFileHash;       // SHA-256 of the file's bytes, hex
    std::optional<model::ConfigImage> imageBefore;  // read from the transducer before a write
    std::optional<model::ConfigImage> image;        // written, or read
    std::string toolVersion;
    std::string restoreOf;         // a restore: uid of the record whose earlier image it wrote back

    [[nodiscard]] bool failed() const noexcept { return outcome != HistoryOutcome::Success; }
    friend bool operator==(const HistoryRecord&, const HistoryRecord&) = default;
};

// The words stored and exported for the two enumerations; nothing for an unknown word.
[[nodiscard]] std::string_view OperationWord(HistoryOperation op) noexcept;
[[nodiscard]] std::optional<HistoryOperation> OperationOfWord(std::string_view word) noexcept;
[[nodiscard]] std::string_view OutcomeWord(HistoryOutcome outcome) noexcept;
[[nodiscard]] std::optional<HistoryOutcome> OutcomeOfWord(std::string_view word) noexcept;
// English keys to show them by (LangText).
[[nodiscard]] std::string_view OperationKey(HistoryOperation op) noexcept;
[[nodiscard]] std::string_view OutcomeKey(HistoryOutcome outcome) noexcept;

// An image as stored: memory past the first 256 bytes is never transferred and so is zero in
// every image the tool holds; such an image keeps only bytes 0..255 and the code version.
[[nodiscard]] std::vector<std::uint8_t> PackImage(const model::ConfigImage& image);
// Nothing for a size that is neither form.
[[nodiscard]] std::optional<model::ConfigImage> UnpackImage(const std::vector<std::uint8_t>& bytes);

// Differences as one text, a line per item: item, expected, actual and the offsets, tab-separated.
[[nodiscard]] std::string DifferencesField(const std::vector<model::ItemDifference>& items);
[[nodiscard]] std::vector<model::ItemDifference> DifferencesOfField(std::string_view text);

// A fresh record identity: 128 random bits as 32 hex digits.
[[nodiscard]] std::string NewRecordUid();

}  // namespace r4860::files
