#include "workflow/history_entries.h"

#include "common/lang_table.h"
#include "common/sha256.h"
#include "files/atomic_file.h"
#include "model/models.h"

namespace r4860::workflow {
namespace {

using files::HistoryOutcome;
using files::HistoryRecord;

// The factory's fields and the code version, from an image read from the transducer.
void setIdentity(HistoryRecord& r, const model::ConfigImage& read) {
    model::ConfigRecord decoded;
    model::DecodeImage(read, decoded);
    r.model = decoded.Device;
    r.serial = decoded.Informacje.serial;
    r.calDate = decoded.Informacje.CalDate;
    r.codeVersion = decoded.Informacje.CodeVersion;
}

// What the configuration says of itself: the ID tag and the configuration date.
void setConfiguration(HistoryRecord& r, const model::ConfigImage& image) {
    model::ConfigRecord decoded;
    model::DecodeImage(image, decoded);
    r.idTag = decoded.Informacje.kod;
    r.configDate = decoded.Informacje.data;
}

void setModelFromLine(HistoryRecord& r, const LineState& line) {
    if (const int code = ConnectedModelCode(line.typeIndex); code != 0) r.model = model::ModelName(code);
}

// The text of a failure: the box's text, else the status, else why nothing ran.
std::string failureText(const Outcome& o) {
    if (!o.message.empty()) return o.message;
    if (!o.status.empty()) return o.status;
    return "another transfer held the link";
}

void setFailure(HistoryRecord& r, const std::string& message) {
    r.outcome = HistoryOutcome::Failure;
    r.message = message;
}

void setVerification(HistoryRecord& r, const VerifyOutcome& v) {
    if (v.verified()) {
        r.outcome = HistoryOutcome::Success;
        r.message = v.outcome.status;
        return;
    }
    if (!v.transferred) {
        setFailure(r, LangText("Verifying...") + " " + failureText(v.outcome));
        return;
    }
    r.outcome = HistoryOutcome::Differences;
    r.message = LangText("Verification ended with errors");
    r.differences = v.items;
}

}  // namespace

HistoryRecord ReadEntry(const LineState& line, const Outcome& outcome, const model::ConfigImage& image) {
    HistoryRecord r;
    r.operation = files::HistoryOperation::Read;
    if (!outcome.ok) {
        setModelFromLine(r, line);
        setFailure(r, failureText(outcome));
        return r;
    }
    r.outcome = HistoryOutcome::Success;
    r.message = outcome.status;
    setIdentity(r, image);
    setConfiguration(r, image);
    r.image = image;
    return r;
}

HistoryRecord WriteEntry(const LineState& line, const WriteFacts& f) {
    HistoryRecord r;
    r.operation = f.operation;
    r.imageBefore = f.before;
    if (f.before) setIdentity(r, *f.before);
    else setModelFromLine(r, line);
    if (f.sent) {
        r.image = f.image;
        setConfiguration(r, f.image);
    } else if (f.before) {
        setConfiguration(r, *f.before);   // nothing went out: the tag and date it still holds
    }
    if (!f.transfer.ok) {
        setFailure(r, failureText(f.transfer));
        return r;
    }
    r.outcome = HistoryOutcome::Success;
    r.message = f.transfer.status;
    r.verified = f.verification.has_value() || f.idTagVerified;
    if (f.verification) setVerification(r, *f.verification);
    return r;
}

HistoryRecord VerifyEntry(const LineState& line, const VerifyOutcome& outcome,
                          const std::optional<model::ConfigImage>& identity) {
    HistoryRecord r;
    r.operation = files::HistoryOperation::Verify;
    r.verified = true;
    if (identity) setIdentity(r, *identity);
    else setModelFromLine(r, line);
    if (outcome.transferred) {
        r.image = outcome.readBack;
        setConfiguration(r, outcome.readBack);
    }
    setVerification(r, outcome);
    return r;
}

void SetParFile(HistoryRecord& record, const std::filesystem::path& parFile) {
    record.parFileName = parFile.filename().string();
    if (const auto bytes = files::ReadWholeFile(parFile)) record.parFileHash = Sha256Hex(*bytes);
}

}  // namespace r4860::workflow
