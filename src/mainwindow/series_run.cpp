#include "mainwindow/series_run.h"

#include <QTimer>

#include "common/date_text.h"
#include "common/lang_table.h"
#include "files/config_report.h"
#include "model/models.h"
#include "qtbridge/message_service.h"
#include "qtbridge/qt_text.h"
#include "report/report_print.h"

namespace r4860::mainwindow {
namespace {

using qtbridge::ToQString;
using qtbridge::Tr;
using Step = workflow::SeriesProgrammer::Step;
using workflow::SeriesVerdict;

// One missed frame is a busy line; a transducer taken away misses more.
constexpr int kMissedPollsForGone = 2;

QString verdictText(SeriesVerdict verdict) {
    switch (verdict) {
    case SeriesVerdict::Programmed: return Tr("written and verified");
    case SeriesVerdict::Failed: return Tr("programming failed");
    case SeriesVerdict::Refused: return Tr("refused, nothing written");
    case SeriesVerdict::Skipped: return Tr("already programmed in this series");
    }
    return {};
}

}  // namespace

SeriesRun::SeriesRun(workflow::SeriesPlan plan, Reports reports, qtbridge::MessageService& messages, Hooks hooks,
                     QObject* parent)
    : QObject(parent), m_series(std::move(plan)), m_reports(std::move(reports)), m_messages(messages),
      m_hooks(std::move(hooks)) {
    showStatus();
}

void SeriesRun::polled(workflow::LineState line, bool fresh, int missedPolls) {
    if (m_transferring || finished()) return;
    if (!fresh && missedPolls < kMissedPollsForGone) return;
    line.connected = fresh;
    const Step before = m_series.step();
    m_series.linePolled(line);
    if (m_series.step() != before) showStatus();
    runStep();
}

void SeriesRun::runStep() {
    const Step step = m_series.step();
    if (m_transferring || m_series.awaitingStatus()) return;
    if (step != Step::Identify && step != Step::Write && step != Step::Verify) return;
    workflow::Prepared prepared = m_series.prepare();
    if (prepared.refused) {
        if (auto device = m_series.refused(*prepared.refused)) handled(std::move(*device));
        return;
    }
    m_transferring = true;
    m_hooks.transfer(std::move(prepared.request), [this](const protocol::TransferResult& result) {
        m_transferring = false;
        auto device = m_series.finished(result);
        if (device) {
            handled(std::move(*device));
        } else {
            // The write follows its identifying read at once, once the window has the line back.
            QTimer::singleShot(0, this, [this] { runStep(); });
        }
        return !device || device->verdict == SeriesVerdict::Programmed;
    });
}

void SeriesRun::handled(workflow::SeriesDevice device) {
    m_last = ToQString(device.serial.empty() ? std::string("?") : device.serial);
    if (!device.model.empty()) m_last += QLatin1Char(' ') + ToQString(device.model);
    if (!device.idTag.empty()) m_last += QLatin1Char(' ') + ToQString(device.idTag);
    m_last += QStringLiteral(": ") + verdictText(device.verdict);
    const bool failed = device.verdict == SeriesVerdict::Failed || device.verdict == SeriesVerdict::Refused;
    if (failed && !device.entry.message.empty()) m_last += QStringLiteral(", ") + ToQString(device.entry.message);
    // The operator on the line hears that the next one may go on, or that this one needs a look.
    m_messages.beep(failed ? Beep::Exclamation : Beep::Asterisk);
    exportReport(device);
    m_hooks.record(device.entry);
    showStatus();
    emit deviceHandled(device);
    if (finished()) emit ended();
}

void SeriesRun::exportReport(const workflow::SeriesDevice& device) {
    if (m_reports.folder.empty() || !device.programmed) return;
    const auto file = m_reports.folder / files::ReportPdfName(device.serial + "-" + device.idTag);
    const auto lines = files::ReportLines(*device.programmed, LangTable(), model::DefaultModelList(), TodayDays());
    const Status written = report::ExportReportPdf(lines, file, m_reports.page);
    if (written) return;
    const QString text = Tr("Cannot open file") + QStringLiteral(":\n") + ToQString(file.string());
    m_last += QStringLiteral("; ") + text;
    // Once: the series goes on, and a box for every transducer would hold up the line.
    if (!std::exchange(m_reportFailureShown, true)) m_messages.warn(nullptr, text);
}

void SeriesRun::stop() {
    m_stopping = true;
    m_series.stop();
    if (finished()) emit ended();
}

QString SeriesRun::statusText() const {
    const auto& c = m_series.counts();
    QString text = Tr("Programmed") + QStringLiteral(": %1, ").arg(c.programmed) + Tr("Failed") +
                   QStringLiteral(": %1, ").arg(c.failed) + Tr("Skipped") + QStringLiteral(": %1").arg(c.skipped);
    if (m_series.step() == Step::WaitForTransducer) return text + QStringLiteral(". ") + Tr("Waiting for the next transducer");
    if (!m_last.isEmpty()) text += QStringLiteral(". ") + m_last;
    return text;
}

void SeriesRun::showStatus() {
    if (m_hooks.status) m_hooks.status(statusText());
}

}  // namespace r4860::mainwindow
