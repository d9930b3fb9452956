#include "report/report_print.h"

#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include "common/lang_table.h"
#include "files/atomic_file.h"
#include "files/config_report.h"
#include "report/report_page.h"

namespace r4860::report {

QString ReportJobTitle() { return QStringLiteral("R4860-") + QString::fromStdString(LangText("Printing")); }

void PrepareReportPrinter(QPrinter& printer) {
    printer.setDocName(ReportJobTitle());
    printer.setPageOrientation(QPageLayout::Portrait);
}

bool PrintReport(QPagedPaintDevice& device, const std::vector<std::string>& lines) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    DrawReport(painter, lines);
    return painter.end();
}

QPageLayout DefaultReportPage() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

Status ExportReportPdf(const std::vector<std::string>& lines, const std::filesystem::path& file,
                       const QPageLayout& page) {
    // The printer writes wherever it is told, as it goes; it writes into a private folder, and
    // the finished file takes the place of the old one in one step.
    const QTemporaryDir scratch;
    if (!scratch.isValid()) return makeError(Errc::Io, "no temporary folder for the PDF: " + scratch.errorString().toStdString());
    const QString draft = scratch.filePath(QStringLiteral("report.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(draft);
        printer.setPageLayout(page);
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setDocName(QString::fromStdString(lines.empty() ? std::string() : lines[files::kReportTitleLine]));
        printer.setCreator(QString::fromLatin1(kReportCreator));
        if (!PrintReport(printer, lines)) return makeError(Errc::Io, file.string() + ": the PDF could not be drawn");
    }
    auto bytes = files::ReadWholeFile(draft.toStdString());
    if (!bytes) return bytes.error();
    return files::WriteFileAtomically(file, *bytes);
}

bool PrinterInstalled() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

}  // namespace r4860::report
