// Series programming from the window: the configuration the series started with is written into
// every transducer connected next, verified and recorded, once per serial number, and each one's
// report is exported as a PDF when a folder was chosen. The window's polling tick drives it, and
// its transfers are the window's own (behind the progress window), so nothing here waits.
#pragma once

#include <QObject>
#include <QPageLayout>
#include <QString>
#include <filesystem>
#include <functional>

#include "files/history_record.h"
#include "protocol/transfer_job.h"
#include "workflow/series_programmer.h"

namespace r4860::qtbridge {
class MessageService;
}

namespace r4860::mainwindow {

class SeriesRun : public QObject {
    Q_OBJECT
public:
    using Finish = std::function<bool(const protocol::TransferResult&)>;
    struct Hooks {
        // Starts a transfer behind the progress window; its outcome comes to `finish`.
        std::function<void(protocol::TransferRequest, Finish)> transfer;
        std::function<void(files::HistoryRecord)> record;
        // The running count and the last transducer, for the status line.
        std::function<void(const QString&)> status;
    };
    struct Reports {
        std::filesystem::path folder;  // empty: no reports
        QPageLayout page;
    };

    SeriesRun(workflow::SeriesPlan plan, Reports reports, qtbridge::MessageService& messages, Hooks hooks,
              QObject* parent = nullptr);

    // After each poll that found the line free: `fresh` when a new frame came, `missedPolls` the
    // window's count of polls without one.
    void polled(workflow::LineState line, bool fresh, int missedPolls);
    // Ends the series after the transducer in hand, at once when there is none.
    void stop();
    [[nodiscard]] bool stopping() const { return m_stopping; }
    [[nodiscard]] bool finished() const { return m_series.step() == workflow::SeriesProgrammer::Step::Finished; }
    [[nodiscard]] const workflow::SeriesCounts& counts() const { return m_series.counts(); }
    // The status line's text: the counts, then the last transducer or the wait for the next.
    [[nodiscard]] QString statusText() const;

signals:
    // A transducer was programmed, failed, refused or skipped (after it was recorded).
    void deviceHandled(const r4860::workflow::SeriesDevice& device);
    void ended();

private:
    void runStep();
    void handled(workflow::SeriesDevice device);
    void exportReport(const workflow::SeriesDevice& device);
    void showStatus();

    workflow::SeriesProgrammer m_series;
    Reports m_reports;
    qtbridge::MessageService& m_messages;
    Hooks m_hooks;
    bool m_transferring = false;
    bool m_reportFailureShown = false;
    bool m_stopping = false;
    QString m_last;  // what happened to the last transducer
};

}  // namespace r4860::mainwindow
