// The report commands: print, print setup, preview and the PDF export, all on the window's one
// printer, so that the page chosen in Print setup is the page every one of them uses.
#include <QFileInfo>
#include <QPrinter>

#include "common/date_text.h"
#include "common/lang_table.h"
#include "files/config_report.h"
#include "mainwindow/config_panel.h"
#include "mainwindow/main_window.h"
#include "mainwindow/print_dialogs.h"
#include "qtbridge/qt_text.h"
#include "report/report_print.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::ToStd;
using qtbridge::Tr;

std::vector<std::string> TR4860F::reportLines() const {
    return files::ReportLines(m_ctx.record, LangTable(), m_modelList, TodayDays());
}

bool TR4860F::printerInstalled() const {
    return m_dialogs.printerInstalled ? m_dialogs.printerInstalled() : report::PrinterInstalled();
}

void TR4860F::Drukuj1Click() {
    if (busy()) return;
    if (!m_config->CheckParam(false, false)) return;
    const TimerPause paused = pause();
    storePosition();
    const std::vector<std::string> lines = reportLines();
    // Without a printer the print dialog would only say so; a PDF is what most want then anyway.
    if (!printerInstalled()) {
        const QString text = Tr("No printer is installed") + QStringLiteral("! ") + Tr("Export the report as a PDF file instead?");
        if (m_messages.ask(this, text, MessageIcon::Exclamation, qtbridge::Buttons::YesNo) == qtbridge::Answer::Yes) {
            exportReport(lines);
        }
        return;
    }
    report::PrepareReportPrinter(*m_printer);
    const bool confirmed = m_dialogs.print ? m_dialogs.print(this, *m_printer) : RunPrintDialog(this, *m_printer);
    if (!confirmed) return;
    repaint();
    if (!report::PrintReport(*m_printer, lines)) m_messages.warn(this, Tr("Command failed") + QLatin1Char('!'));
}

void TR4860F::PrintSetup1Click() {
    const TimerPause paused = pause();
    storePosition();
    if (m_dialogs.pageSetup) {
        m_dialogs.pageSetup(this, *m_printer);
    } else {
        RunPageSetupDialog(this, *m_printer);
    }
}

void TR4860F::Podglad1Click() {
    if (busy()) return;
    if (!m_config->CheckParam(false, false)) return;
    const TimerPause paused = pause();
    storePosition();
    report::PrepareReportPrinter(*m_printer);
    const std::vector<std::string> lines = reportLines();
    const auto paint = [&lines](QPrinter* printer) { (void)report::PrintReport(*printer, lines); };
    if (m_dialogs.preview) {
        m_dialogs.preview(this, *m_printer, paint);
    } else {
        RunPrintPreview(this, *m_printer, paint);
    }
}

void TR4860F::EksportPdf1Click() {
    if (busy()) return;
    if (!m_config->CheckParam(false, false)) return;
    const TimerPause paused = pause();
    storePosition();
    exportReport(reportLines());
}

void TR4860F::exportReport(const std::vector<std::string>& lines) {
    // Named after the parameter file and offered beside it, where the work order's files are.
    QString proposed = ToQString(files::ReportPdfName(ToStd(QFileInfo(m_parFileName).completeBaseName())));
    if (!m_ctx.settings.DataDir.empty()) proposed = ToQString(m_ctx.settings.DataDir) + QLatin1Char('/') + proposed;
    QString file = m_files.saveFile(this, proposed, Tr("PDF files") + QStringLiteral(" (*.pdf)"));
    if (file.isEmpty()) return;
    if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".pdf");
    const QPageLayout page(m_printer->pageLayout().pageSize(), QPageLayout::Portrait, QMarginsF());
    if (!report::ExportReportPdf(lines, ToStd(file), page)) {
        m_messages.warn(this, Tr("Cannot open file") + QStringLiteral(":\n") + file);
    }
}

}  // namespace r4860::mainwindow
