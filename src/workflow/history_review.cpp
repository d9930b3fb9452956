#include "workflow/history_review.h"

#include <set>

#include "common/catalogues.h"
#include "model/image_layout.h"
#include "workflow/config_checks.h"

namespace r4860::workflow {
namespace {

namespace layout = model::layout;
using files::HistoryOperation;

// The bytes an image of this operation holds: a read moves the display ranges only, a write
// sends the written ranges over what was read, a verification reads the written ranges back.
std::set<std::size_t> heldOffsets(HistoryOperation op) {
    std::set<std::size_t> held;
    const auto add = [&held](const layout::ImageRange& r) {
        for (std::size_t o = r.first; o <= r.last; ++o) held.insert(o);
    };
    for (const auto& r : layout::kReadRanges) add(r);
    if (op != HistoryOperation::Read) {
        for (const auto& r : layout::kFullWriteRanges) add(r);
        for (const std::size_t o : {layout::kChecksumA, layout::kChecksumB, layout::kChecksumC}) held.insert(o);
    }
    add({static_cast<std::uint16_t>(layout::kCodeVersion),
         static_cast<std::uint16_t>(layout::kCodeVersion + layout::kCodeVersionLength - 1)});
    return held;
}

model::ConfigRecord decoded(const model::ConfigImage& image) {
    model::ConfigRecord rec;
    model::SetInitialState(rec);
    model::DecodeImage(image, rec);
    return rec;
}

}  // namespace

Result<std::vector<model::ItemDifference>> CompareRecords(const files::HistoryRecord& a,
                                                          const files::HistoryRecord& b) {
    for (const auto* r : {&a, &b})
        if (!r->image) return makeError(Errc::BadArgument, "record " + std::to_string(r->id) + " holds no image");
    const auto heldA = heldOffsets(a.operation), heldB = heldOffsets(b.operation);
    std::vector<std::size_t> offsets;
    for (const std::size_t o : heldA)
        if (heldB.count(o) != 0 && (*a.image)[o] != (*b.image)[o]) offsets.push_back(o);
    return model::DescribeDifferences(*a.image, *b.image, offsets);
}

Result<model::ConfigRecord> RecordedConfiguration(const files::HistoryRecord& record) {
    if (!record.image) return makeError(Errc::BadArgument, "record " + std::to_string(record.id) + " holds no image");
    return decoded(*record.image);
}

Result<RestorePlan> PlanRestore(const files::HistoryRecord& selected, long today) {
    const auto id = std::to_string(selected.id);
    if (selected.operation == HistoryOperation::Read || selected.operation == HistoryOperation::Verify)
        return makeError(Errc::BadArgument, "record " + id + " is not a write; only a write can be undone");
    if (!selected.imageBefore)
        return makeError(Errc::BadArgument, "record " + id + " holds no image of the transducer before the write");
    RestorePlan plan;
    plan.sourceUid = selected.uid;
    plan.before = *selected.imageBefore;
    plan.config = decoded(plan.before);
    plan.serial = plan.config.Informacje.serial;
    const auto& s = plan.config.Czujnik;
    if (s.Lin == 2 && (s.Typ == 15 || IsSignalInput(s.Typ)))
        return makeError(Errc::Refused, "the configuration before record " + id +
                                            " used a user table, which the transducer's memory does not hold; "
                                            "write it again from its parameter file");
    const long date = static_cast<long>(plan.before[layout::kConfigDate]) << 8 | plan.before[layout::kConfigDate + 1];
    plan.configDate = date != 0 ? date : today;
    if (auto writable = CheckWritable(plan.config, plan.configDate); !writable) return writable.error();
    return plan;
}

Status CheckRestoreTarget(const RestorePlan& plan, const model::ConfigImage& connected) {
    const std::string serial = decoded(connected).Informacje.serial;
    if (serial == plan.serial) return {};
    return makeError(Errc::Refused, "the connected transducer has serial number " + serial + ", the record " +
                                        plan.serial + "; nothing written");
}

Prepared PrepareRestore(const LineState& line, RestorePlan& plan, const model::ConfigImage& connected) {
    model::EncodeOptions options;
    options.today = plan.configDate;
    options.selectedModelCode = ConnectedModelCode(line.typeIndex);
    return PrepareWrite(line, plan.config, connected, options, WriteKind::Full);
}

}  // namespace r4860::workflow
