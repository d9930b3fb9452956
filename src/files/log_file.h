// The measurement log (.txt): a tab-separated file a spreadsheet can open, one row per point the
// diagram plots, opened and closed for every row so it is complete whenever the program stops.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/result.h"
#include "files/settings.h"

namespace r4860::files {

// When the diagram started plotting: days since 30 December 1899 and milliseconds since midnight.
struct DiagramStart {
    long days = 0;
    std::int64_t msOfDay = 0;
};

// Row fields. Time: seconds with 2 decimals ("+12.50"), scientific beyond 6 integer digits.
// Result: at most 4 significant digits ("+1235", "+1.235E4"). Output: mA with 2 decimals.
// Zero and positive values carry a "+"; the separator is always the point.
[[nodiscard]] std::string LogTimeText(double elapsedMs);
[[nodiscard]] std::string LogResultText(double result);
[[nodiscard]] std::string LogOutputText(double outputMa);

// The four header lines for `unitCode` (an index into UnitNames; another value shows no unit).
[[nodiscard]] std::vector<std::string> LogHeaderLines(const DiagramStart& start, int unitCode);

// Creates or replaces `logFileName` with the header. On success DataDir follows the file's folder
// (emptied when longer than 60 characters).
[[nodiscard]] Status StartLog(const std::filesystem::path& logFileName, const DiagramStart& start, int unitCode,
                              Settings& settings);

// Appends one row when the file still exists; Io (nothing written) when it was deleted or the
// write fails, so the caller stops recording.
[[nodiscard]] Status AppendLogRow(const std::filesystem::path& logFileName, double elapsedMs, double result,
                                  double outputMa);

}  // namespace r4860::files
