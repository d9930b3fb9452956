// The configuration report on paper and as PDF: the print job, the PDF export with its document
// information, and the page a PDF gets when nobody chose one.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <QPageLayout>
#include <QString>

#include "common/result.h"

class QPagedPaintDevice;
class QPrinter;

namespace r4860::report {

// The name the tool signs its PDFs with.
inline constexpr const char* kReportCreator = "R4860";

// "R4860-" + the translated "Printing".
[[nodiscard]] QString ReportJobTitle();

// Readies `printer` for the report: the job title and portrait; the paper the operator chose stays.
void PrepareReportPrinter(QPrinter& printer);

// Draws the report as one page of `device`. False when no painter could be started on it
// (a printer that refused the job, a file that cannot be created).
[[nodiscard]] bool PrintReport(QPagedPaintDevice& device, const std::vector<std::string>& lines);

// A4 portrait without margins of its own: the report's margins are its layout's.
[[nodiscard]] QPageLayout DefaultReportPage();

// Writes `lines` as a one-page PDF at `file` on the paper of `page` (kept portrait). Its title is
// the report's first line, its creator the tool. An existing file is replaced only atomically,
// and only when it is a regular file; Io or BadArgument with the reason otherwise.
[[nodiscard]] Status ExportReportPdf(const std::vector<std::string>& lines, const std::filesystem::path& file,
                                     const QPageLayout& page = DefaultReportPage());

// Whether this machine has a printer the print dialog could offer.
[[nodiscard]] bool PrinterInstalled();

}  // namespace r4860::report
