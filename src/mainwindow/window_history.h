// The main window's programming history: one recorder for the whole run, opened when the first
// operation is recorded or the history window wants it, used on the UI thread only. A record that
// cannot be stored never stops the work; the reason goes to `report` at once.
#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "workflow/app_context.h"
#include "workflow/history_entries.h"
#include "workflow/history_recorder.h"

namespace r4860::mainwindow {

class WindowHistory {
public:
    // `newReason`: not the reason reported last time.
    using Report = std::function<void(const QString& text, bool newReason)>;
    WindowHistory(workflow::AppContext& context, Report report) : m_ctx(context), m_report(std::move(report)) {}

    // Stores the entry with this station's port; true when it was stored.
    bool record(files::HistoryRecord entry);
    // The store, opened for recording; nullptr (reported) when it cannot be.
    [[nodiscard]] files::HistoryStore* store();
    // What store() said when it could not open, for the history window's own line.
    [[nodiscard]] QString unavailableText();

private:
    workflow::HistoryRecorder& recorder();
    void tell(const QString& text);

    workflow::AppContext& m_ctx;
    Report m_report;
    std::optional<workflow::HistoryRecorder> m_recorder;
    QString m_lastReport;
};

}  // namespace r4860::mainwindow
