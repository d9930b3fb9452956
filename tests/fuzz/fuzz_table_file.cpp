// Any bytes as a table file, for any input type: a table that is accepted is ordered as the
// transducer needs it and within its limits, and its range row is well formed.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/text_encoding.h"
#include "files/line_buffer.h"
#include "files/table_file.h"
#include "fuzz_oracle.h"
#include "model/config_record.h"

using namespace r4860;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    model::ConfigRecord rec;
    model::SetInitialState(rec);
    rec.TableInputType = data[0];  // every code, valid or not
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto lines = files::SplitLines(DecodeFileText(bytes));
    const files::TableParseOutcome out = files::ParseTable(lines, rec);
    const auto& pts = rec.Table.points;
    FUZZ_REQUIRE(pts.size() <= files::kMaxTableLines);
    if (!out.ok) {
        FUZZ_REQUIRE(pts.empty());  // a refused table leaves the record's (empty) table alone
        return 0;
    }
    FUZZ_REQUIRE(pts.size() >= 2);
    const bool rising = pts[0].A < pts[1].A;
    for (std::size_t i = 1; i < pts.size(); ++i) {
        FUZZ_REQUIRE(rising ? pts[i - 1].A < pts[i].A : pts[i - 1].A > pts[i].A);
        FUZZ_REQUIRE(pts[i - 1].B < pts[i].B);
    }
    for (const auto& p : pts) FUZZ_REQUIRE(p.A >= -1999.000001 && p.A <= 9999.000001);
    files::SetTableRange(rec);
    FUZZ_REQUIRE(rec.LiveRanges[15].low <= rec.LiveRanges[15].high);
    return 0;
}
