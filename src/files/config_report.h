// The configuration report as text: 28 lines composed in the line buffer the parameter file
// uses, from the record, a language table, the model list and the print date. Putting them on a
// page is the report module's work (src/report); the command-line tool prints them as they stand.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/line_buffer.h"
#include "model/config_record.h"
#include "model/models.h"

namespace r4860::files {

inline constexpr std::size_t kReportLines = 28;
inline constexpr std::size_t kReportTitleLine = 0;
// Drawn bold under a rule; the last of them is always empty, only its rule is drawn.
inline constexpr std::array<std::size_t, 4> kReportHeadingLines = {4, 10, 18, 26};
// The print date, drawn where the last heading stands.
inline constexpr std::size_t kReportDateLine = 27;

// Mode and conversion together shorter than this share line 11; longer, the conversion moves to 12.
inline constexpr std::size_t kReportSharedLineLimit = 50;

// Clears `buffer` and fills it with the 28 report lines. Labels come from `langTable` (lines
// key=value, LangTable() for the language in force), the model's display name from `modelList`
// ("?" when the model is not in it), the print date from `today` (days, as TodayDays()).
void ComposeReport(const model::ConfigRecord& rec, std::span<const std::string> langTable,
                   std::span<const model::ModelListRow> modelList, long today, LineBuffer& buffer);

// The same lines without a buffer of the caller's.
[[nodiscard]] std::vector<std::string> ReportLines(const model::ConfigRecord& rec,
                                                   std::span<const std::string> langTable,
                                                   std::span<const model::ModelListRow> modelList, long today);

// The file name a report's PDF is given: `stem` (a parameter file's name without its extension,
// or a serial number) with ".pdf", made safe as one name in a folder; "report.pdf" for nothing usable.
[[nodiscard]] std::string ReportPdfName(std::string_view stem);

}  // namespace r4860::files
