// What the history window and `r4860-cli history` do with records: the differences between two,
// a recorded configuration opened again, and the restore of what a transducer held before a
// write, planned here and written through the normal write and verification.
#pragma once

#include <string>
#include <vector>

#include "common/result.h"
#include "files/history_record.h"
#include "model/config_compare.h"
#include "model/config_record.h"
#include "workflow/config_commands.h"

namespace r4860::workflow {

// The items whose bytes differ between the two records' images, over the bytes both hold (a
// read holds less than a write), named as a verification names them, `a` as the expected side.
// BadArgument when either record holds no image.
[[nodiscard]] Result<std::vector<model::ItemDifference>> CompareRecords(const files::HistoryRecord& a,
                                                                        const files::HistoryRecord& b);

// The record's image decoded as a read decodes it, for an untitled configuration.
[[nodiscard]] Result<model::ConfigRecord> RecordedConfiguration(const files::HistoryRecord& record);

struct RestorePlan {
    std::string sourceUid;         // the record whose earlier image is restored
    std::string serial;            // the transducer it belongs to
    model::ConfigImage before{};   // what that transducer held before the write
    model::ConfigRecord config;    // the same decoded, for the normal write
    long configDate = 0;           // the configuration date it carried, kept by the restore
};

// Refused unless `selected` is a write (or restore) that kept the image read before it, of a
// transducer with a serial number, in a configuration the tool can write again (a user table is
// not in the transducer's memory, so such a configuration is refused).
[[nodiscard]] Result<RestorePlan> PlanRestore(const files::HistoryRecord& selected, long today);
// Refused unless the image just read from the connected transducer has the plan's serial number.
[[nodiscard]] Status CheckRestoreTarget(const RestorePlan& plan, const model::ConfigImage& connected);
// The normal full write of the plan over what was just read from the transducer: the model
// check, the encoder and the write job of every write; only the configuration date is the old one.
[[nodiscard]] Prepared PrepareRestore(const LineState& line, RestorePlan& plan, const model::ConfigImage& connected);

}  // namespace r4860::workflow
