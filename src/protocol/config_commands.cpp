#include "protocol/config_commands.h"

#include <cmath>
#include <filesystem>
#include <numeric>

#include "common/date_text.h"
#include "common/lang_table.h"
#include "model/models.h"
#include "model/transfer_function.h"
#include "protocol/transfer_runner.h"

namespace r4860::protocol {
namespace {

TransferRequest requestFor(const LineState& line, std::string_view captionKey) {
    TransferRequest r;
    r.caption = LangText(captionKey);
    r.connected = line.connected;
    r.rtPriority = line.rtPriority;
    return r;
}

}  // namespace

ReadOutcome ReadConfiguration(Link& link, UiHooks& ui, const LineState& line, model::ConfigRecord& rec,
                              model::ConfigImage& image) {
    ReadOutcome outcome;
    if (!RunReadTransfer(link, ui, requestFor(line, "Reading data..."), kDisplayReadRanges, line.eepromError, image))
        return outcome;

    const std::string tableName =
        rec.TableLoaded ? std::filesystem::path(rec.File).filename().string() : std::string();
    model::DecodeImage(image, rec);
    // The device does not know the table's file, so a table stays loaded only if the decoded
    // record still names the same file.
    rec.TableLoaded = !rec.File.empty() && std::filesystem::path(rec.File).filename().string() == tableName;
    const double coefSum = std::accumulate(rec.LinCoef.begin(), rec.LinCoef.end(), 0.0,
                                           [](double s, double c) { return s + std::fabs(c); });
    outcome.coefMissing = coefSum == 0.0 && rec.Czujnik.Lin > 2;
    outcome.ok = true;
    return outcome;
}

int ConnectedModelCode(int typeIndex) noexcept {
    const int code = model::ModelCodeOfIndex(typeIndex);
    return code > 100 ? code - 100 : code;
}

bool ModelMatches(const model::ConfigRecord& rec, int typeIndex) {
    const auto configured = model::ModelCodeOfName(rec.Device);
    return configured && *configured == ConnectedModelCode(typeIndex);
}

bool WriteConfiguration(Link& link, UiHooks& ui, const LineState& line, model::ConfigRecord& rec,
                        model::ConfigImage& image, const model::EncodeOptions& options, WriteKind kind) {
    if (!ModelMatches(rec, line.typeIndex)) {
        ui.beep(Beep::Exclamation);
        ui.showMessage(LangText("Type of transducer inconsistency") + "!", MessageIcon::Exclamation);
        return false;
    }
    rec.Informacje.data = DateText(options.today);

    bool ok = false;
    if (kind == WriteKind::IdTagOnly) {
        model::EncodeIdTag(rec, image);
        ok = RunIdTagWriteTransfer(link, ui, requestFor(line, "Writing data..."), image);
    } else {
        if (const auto encoded = model::EncodeImage(rec, image, options); !encoded) {
            ui.beep(Beep::Exclamation);
            ui.showMessage(model::TranslateRuleMessage(encoded.error().message) + "!", MessageIcon::Error);
            return false;
        }
        ok = RunFullWriteTransfer(link, ui, requestFor(line, "Writing data..."), image);
    }
    if (ok) ui.setStatusText(LangText(kind == WriteKind::Full ? "Transducer programmed" : "Information transferred"));
    return ok;
}

VerifyOutcome VerifyConfiguration(Link& link, UiHooks& ui, const LineState& line, model::ConfigImage& image) {
    VerifyOutcome outcome;
    const auto saved = model::TakeSnapshot(image);
    if (!RunReadTransfer(link, ui, requestFor(line, "Verifying..."), kVerifyReadRanges, line.eepromError, image))
        return outcome;
    outcome.transferred = true;
    ui.setStatusText(LangText("Verifying..."));
    outcome.differences = model::VerifyDifferences(saved, image);
    if (outcome.differences.empty()) {
        ui.setStatusText(LangText("Verification successful"));
        return outcome;
    }
    ui.beep(Beep::Exclamation);
    ui.showMessage(LangText("Errors have been found!"), MessageIcon::Exclamation);
    model::RestoreSnapshot(image, saved);
    ui.setStatusText(LangText("Verification ended with errors"));
    return outcome;
}

}  // namespace r4860::protocol
