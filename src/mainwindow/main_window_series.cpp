// Configuration > Program each new transducer: the configuration on the panel written into every
// transducer connected next, as the command-line tool's series does it.
#include <QPrinter>
#include <filesystem>

#include "common/date_text.h"
#include "mainwindow/config_panel.h"
#include "mainwindow/main_window.h"
#include "mainwindow/series_run.h"
#include "mainwindow/status_line.h"
#include "mainwindow/window_history.h"
#include "qtbridge/qt_text.h"
#include "workflow/config_checks.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::ToStd;
using qtbridge::Tr;

void TR4860F::Seria1Click() {
    if (!m_series) {
        startSeries();
        return;
    }
    // The transducer in hand is finished first; the series ends with it.
    m_series->stop();
    if (m_series) StatBarTxt(m_series->statusText());
}

void TR4860F::startSeries() {
    if (busy() || !m_config->CheckParam(true, false)) return;
    model::ConfigRecord config = m_ctx.record;
    if (const Status writable = workflow::CheckWritable(config, TodayDays()); !writable) {
        m_messages.warn(this, ToQString(writable.error().message));
        return;
    }
    const TimerPause paused = pause();
    storePosition();
    if (m_messages.ask(this, Tr("Every transducer connected from now on is written and verified with this configuration, "
                                "once per serial number") + QLatin1Char('.'),
                       MessageIcon::Exclamation, qtbridge::Buttons::OkCancel) != qtbridge::Answer::Ok) {
        return;
    }
    SeriesRun::Reports reports{{}, QPageLayout(m_printer->pageLayout().pageSize(), QPageLayout::Portrait, QMarginsF())};
    if (m_messages.ask(this, Tr("Export each programmed transducer's report as a PDF file?"), MessageIcon::None,
                       qtbridge::Buttons::YesNo) == qtbridge::Answer::Yes) {
        const QString folder = m_files.chooseFolder(this, Tr("Folder for the reports"), ToQString(m_ctx.settings.DataDir));
        if (folder.isEmpty()) return;
        reports.folder = ToStd(folder);
    }
    workflow::SeriesPlan plan;
    plan.config = std::move(config);
    std::error_code ec;
    if (const std::filesystem::path file = ToStd(m_parFileName); !untitled() && std::filesystem::is_regular_file(file, ec))
        plan.parFile = file;
    plan.today = TodayDays();
    SeriesRun::Hooks hooks;
    hooks.transfer = [this](protocol::TransferRequest request, SeriesRun::Finish finish) {
        (void)transfer(std::move(request), std::move(finish));
    };
    hooks.record = [this](files::HistoryRecord entry) { m_history->record(std::move(entry)); };
    hooks.status = [this](const QString& text) { StatBarTxt(text); };
    m_series = new SeriesRun(std::move(plan), std::move(reports), m_messages, std::move(hooks), this);
    connect(m_series, &SeriesRun::ended, this, &TR4860F::seriesEnded);
}

void TR4860F::seriesEnded() {
    StatBarTxt(m_series->statusText());
    m_series->deleteLater();
    m_series = nullptr;
    syncChecks();
}

}  // namespace r4860::mainwindow
