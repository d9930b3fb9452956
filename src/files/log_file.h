// The measurement log (.txt): a tab-separated file a spreadsheet can open, one row per point the
// diagram plots, opened and closed for every row so it is complete whenever the program stops.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "files/settings.h"

namespace r4860::files {

// When the diagram started plotting: days since 30 December 1899 and milliseconds since midnight.
struct DiagramStart {
    long days = 0;
    std::int64_t msOfDay = 0;
};

// The decimal separator of the user's locale (LC_ALL, LC_NUMERIC, LANG), as the system's other
// programs and a spreadsheet read numbers there: "," under pl_PL or de_DE, "." under C or en_US.
[[nodiscard]] std::string SystemDecimalSeparator();

// Row fields. Time: seconds with 2 decimals ("+12.50"), scientific beyond 6 integer digits.
// Result: at most 4 significant digits ("+1235", "+1.235E4"). Both with `decimal` as the
// separator. Output: mA with 2 decimals, always with a point. Zero and positive values carry a "+".
[[nodiscard]] std::string LogTimeText(double elapsedMs, std::string_view decimal = ".");
[[nodiscard]] std::string LogResultText(double result, std::string_view decimal = ".");
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
                                  double outputMa, const std::string& decimal = SystemDecimalSeparator());

}  // namespace r4860::files
