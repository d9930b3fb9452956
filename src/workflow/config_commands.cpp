#include "workflow/config_commands.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>

#include "common/date_text.h"
#include "common/lang_table.h"
#include "files/table_file.h"
#include "model/models.h"
#include "model/transfer_function.h"
#include "protocol/transfer_ranges.h"
#include "workflow/user_data.h"

namespace r4860::workflow {
namespace {

using protocol::TransferStatus;
namespace layout = model::layout;

protocol::TransferRequest requestFor(const LineState& line, std::string_view captionKey,
                                     protocol::TransferWorker worker, const model::ConfigImage& image) {
    protocol::TransferRequest r;
    r.worker = std::move(worker);
    r.image = image;
    r.caption = LangText(captionKey);
    r.rtPriority = line.rtPriority;
    return r;
}

std::optional<Outcome> refuseTransfer(const LineState& line, bool readsMemory) {
    if (!line.connected) return Outcome::Failure("No communication with transducer", MessageIcon::None);
    if (readsMemory && line.eepromError) return Outcome::Failure("EEPROM error", MessageIcon::Exclamation);
    return std::nullopt;
}

Prepared prepareReadOf(const LineState& line, const model::ConfigImage& image, std::string_view captionKey,
                       const protocol::ReadRanges& ranges) {
    Prepared p;
    p.refused = refuseTransfer(line, true);
    if (!p.refused) p.request = requestFor(line, captionKey, protocol::ReadWorker(ranges), image);
    return p;
}

protocol::TransferResult run(protocol::Link& link, protocol::TransferRequest request, ProgressFn progress) {
    return protocol::RunTransferBlocking(link, std::move(request), std::move(progress));
}

}  // namespace

Outcome TransferFailure(const protocol::TransferResult& result) {
    if (result.status == TransferStatus::Busy) {
        Outcome o;
        o.beep = Beep::Asterisk;
        return o;
    }
    Outcome o = Outcome::Failure("Transmission unsuccessful", MessageIcon::Exclamation);
    o.restoreStatus = true;
    return o;
}

Prepared PrepareRead(const LineState& line, const model::ConfigImage& image) {
    return prepareReadOf(line, image, "Reading data...", protocol::kDisplayReadRanges);
}

ReadOutcome FinishRead(const protocol::TransferResult& result, model::ConfigRecord& rec, model::ConfigImage& image) {
    ReadOutcome outcome;
    image = result.image;
    if (!result.ok()) {
        outcome.outcome = TransferFailure(result);
        return outcome;
    }
    const std::string tableName = rec.TableLoaded ? files::TableFileName(rec.File) : std::string();
    model::DecodeImage(image, rec);
    // The device does not know the table's file, so a table stays loaded only if the decoded
    // record still names the same file.
    rec.TableLoaded = !rec.File.empty() && files::TableFileName(rec.File) == tableName;
    outcome.coefMissing = CoefficientsMissing(rec);
    outcome.outcome = Outcome::Success();
    return outcome;
}

ReadOutcome ReadConfiguration(protocol::Link& link, const LineState& line, model::ConfigRecord& rec,
                              model::ConfigImage& image, ProgressFn progress) {
    auto prepared = PrepareRead(line, image);
    if (prepared.refused) return {*prepared.refused, false};
    return FinishRead(run(link, std::move(prepared.request), std::move(progress)), rec, image);
}

int ConnectedModelCode(int typeIndex) noexcept {
    const int code = model::ModelCodeOfIndex(typeIndex);
    return code > 100 ? code - 100 : code;
}

bool ModelMatches(const model::ConfigRecord& rec, int typeIndex) {
    const auto configured = model::ModelCodeOfName(rec.Device);
    return configured && *configured == ConnectedModelCode(typeIndex);
}

namespace {

Outcome encodeRefusal(const Error& error) {
    Outcome o;
    o.beep = Beep::Exclamation;
    o.message = model::TranslateRuleMessage(error.message) + "!";
    o.icon = MessageIcon::Error;
    return o;
}

// The read a write over an image from elsewhere needs first: the display ranges hold the byte
// after the ID tag, and the image then matches the transducer for a verification after the write.
Prepared readBeforeWrite(const LineState& line, const model::ConfigImage& image) {
    Prepared p;
    p.readFirst = true;
    p.request = requestFor(line, "Reading data...", protocol::ReadWorker(protocol::kDisplayReadRanges), image);
    return p;
}

}  // namespace

Prepared PrepareWrite(const LineState& line, model::ConfigRecord& rec, const model::ConfigImage& image,
                      const model::EncodeOptions& options, WriteKind kind, ImageOrigin origin) {
    Prepared p;
    if (!ModelMatches(rec, line.typeIndex)) {
        p.refused = Outcome::Failure("Type of transducer inconsistency", MessageIcon::Exclamation, Beep::Exclamation);
        return p;
    }
    if ((p.refused = refuseTransfer(line, false))) return p;
    model::ConfigImage toSend = image;
    if (kind == WriteKind::IdTagOnly) {
        if (origin == ImageOrigin::Elsewhere) return readBeforeWrite(line, image);
        rec.Informacje.data = DateText(options.today);
        model::EncodeIdTag(rec, toSend);
        p.request = requestFor(line, "Writing data...", protocol::IdTagWriteWorker(), toSend);
        return p;
    }
    // A configuration the encoder refuses is refused before anything is read.
    model::ConfigRecord trial = rec;
    model::ConfigRecord& target = origin == ImageOrigin::Elsewhere ? trial : rec;
    if (const auto encoded = model::EncodeImage(target, toSend, options); !encoded) {
        p.refused = encodeRefusal(encoded.error());
        return p;
    }
    if (origin == ImageOrigin::Elsewhere) return readBeforeWrite(line, image);
    p.request = requestFor(line, "Writing data...", protocol::FullWriteWorker(), toSend);
    return p;
}

Prepared PrepareWrite(const LineState& line, model::ConfigRecord& rec, const model::ConfigImage& image,
                      const model::EncodeOptions& options, WriteKind kind) {
    return PrepareWrite(line, rec, image, options, kind, ImageOrigin::ThisTransducer);
}

Prepared PrepareWriteOver(const protocol::TransferResult& read, const LineState& line, model::ConfigRecord& rec,
                          model::ConfigImage& image, const model::EncodeOptions& options, WriteKind kind) {
    const bool blank =
        line.eepromError && (read.status == TransferStatus::Failed || read.status == TransferStatus::Stalled);
    if (!read.ok() && !blank) {
        Prepared p;
        p.refused = TransferFailure(read);
        return p;
    }
    image = read.image;
    if (blank) {
        std::fill(image.begin(), image.begin() + layout::kMemorySize, 0);
        image[layout::kAfterIdTag] = layout::kAfterIdTagFactory;
    }
    Prepared p = PrepareWrite(line, rec, image, options, kind, ImageOrigin::ThisTransducer);
    p.blankBase = blank;
    return p;
}

Prepared PrepareWriteOn(protocol::Link& link, const LineState& line, model::ConfigRecord& rec,
                        model::ConfigImage& image, const model::EncodeOptions& options, WriteKind kind,
                        ImageOrigin origin, ProgressFn progress) {
    Prepared p = PrepareWrite(line, rec, image, options, kind, origin);
    if (p.refused || !p.readFirst) return p;
    return PrepareWriteOver(run(link, std::move(p.request), progress), line, rec, image, options, kind);
}

Outcome FinishWrite(const protocol::TransferResult& result, WriteKind kind, model::ConfigImage& image) {
    image = result.image;
    if (!result.ok()) return TransferFailure(result);
    return Outcome::Success(LangText(kind == WriteKind::Full ? "Transducer programmed" : "Information transferred"));
}

PreparedVerify PrepareVerify(const LineState& line, const model::ConfigImage& image) {
    PreparedVerify v;
    v.prepared = prepareReadOf(line, image, "Verifying...", protocol::kVerifyReadRanges);
    v.expected = model::TakeSnapshot(image);
    return v;
}

std::string DifferencesText(const std::vector<model::ItemDifference>& items) {
    std::string text;
    for (const auto& d : items) {
        if (!text.empty()) text += '\n';
        text += LangText(d.item);
        if (!d.expected.empty() || !d.actual.empty()) text += ": " + d.expected + " -> " + d.actual;
    }
    return text;
}

namespace {

bool isDateOffset(std::size_t offset) {
    return std::find(model::kConfigDateOffsets.begin(), model::kConfigDateOffsets.end(), offset) !=
           model::kConfigDateOffsets.end();
}

std::string dateNote(const model::ConfigImage& wanted, const model::ConfigImage& readBack) {
    const std::vector<std::size_t> offsets(model::kConfigDateOffsets.begin(), model::kConfigDateOffsets.end());
    const auto items = model::DescribeDifferences(wanted, readBack, offsets);
    if (items.empty()) return {};
    std::string note =
        LangText("The transducer's configuration date %1 differs from %2 (not compared: a write stamps it)");
    for (const auto& [mark, text] : {std::pair{"%1", items.front().actual}, std::pair{"%2", items.front().expected}})
        if (const auto at = note.find(mark); at != std::string::npos) note.replace(at, 2, text);
    return note;
}

}  // namespace

VerifyOutcome FinishVerify(const protocol::TransferResult& result, const model::ImageSnapshot& expected,
                           model::ConfigImage& image, const model::CompareOptions& options) {
    VerifyOutcome v;
    if (!result.ok()) {
        v.outcome = TransferFailure(result);
        return v;
    }
    v.transferred = true;
    v.readBack = result.image;
    const auto all = model::VerifyDifferences(expected, result.image);
    v.differences = model::ComparedOffsets(all, options);
    v.dateDiffers = std::any_of(all.begin(), all.end(), isDateOffset);
    model::ConfigImage wanted = image;
    std::copy(expected.begin(), expected.end(), wanted.begin());
    if (v.dateDiffers && !options.compareDate) v.dateNote = dateNote(wanted, result.image);
    if (v.differences.empty()) {
        image = result.image;
        v.outcome = Outcome::Success(LangText("Verification successful"));
        if (!v.dateNote.empty()) {
            v.outcome.message = v.outcome.status + "\n\n" + v.dateNote;
            v.outcome.icon = MessageIcon::Information;
        }
        return v;
    }
    v.items = model::DescribeDifferences(wanted, result.image, v.differences);
    v.outcome.beep = Beep::Exclamation;
    v.outcome.message = LangText("Errors have been found!") + "\n\n" + DifferencesText(v.items);
    if (!v.dateNote.empty()) v.outcome.message += "\n\n" + v.dateNote;
    v.outcome.icon = MessageIcon::Exclamation;
    v.outcome.status = LangText("Verification ended with errors");
    return v;
}

VerifyOutcome VerifyConfiguration(protocol::Link& link, const LineState& line, model::ConfigImage& image,
                                  ProgressFn progress, const model::CompareOptions& options) {
    auto prepared = PrepareVerify(line, image);
    if (prepared.prepared.refused) {
        VerifyOutcome v;
        v.outcome = *prepared.prepared.refused;
        return v;
    }
    return FinishVerify(run(link, std::move(prepared.prepared.request), std::move(progress)), prepared.expected,
                        image, options);
}

Outcome VerifyIdTag(protocol::Link& link, const LineState& line, const model::ConfigImage& sent, ProgressFn progress) {
    constexpr auto kTag = layout::kIdTagWriteRange;
    // Only the tag's own bytes: the byte after it is written back as last read, never set.
    constexpr std::size_t kFirst = layout::kIdTag, kEnd = layout::kIdTag + layout::kIdTagLength;
    model::ConfigImage start = sent;
    std::fill(start.begin() + kFirst, start.begin() + kEnd, 0);
    const auto ranges = protocol::MakeReadRanges(std::array<protocol::AddressRange, 1>{kTag});
    auto prepared = prepareReadOf(line, start, "Verifying...", ranges);
    if (prepared.refused) return *prepared.refused;
    const auto result = run(link, std::move(prepared.request), std::move(progress));
    if (!result.ok()) return TransferFailure(result);
    if (!std::equal(result.image.begin() + kFirst, result.image.begin() + kEnd, sent.begin() + kFirst)) {
        Outcome o;
        o.status = LangText("Verification ended with errors");
        o.message = o.status;
        o.icon = MessageIcon::Exclamation;
        return o;
    }
    return Outcome::Success(LangText("Verification successful"));
}

}  // namespace r4860::workflow
