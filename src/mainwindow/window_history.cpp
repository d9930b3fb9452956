#include "mainwindow/window_history.h"

#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;

workflow::HistoryRecorder& WindowHistory::recorder() {
    if (m_recorder) return *m_recorder;
    // The UI thread waits for another program's record at most this long.
    files::SqliteHistoryOptions options;
    options.busyTimeoutMs = 1500;
    m_recorder.emplace(workflow::HistoryRecorder::Open(workflow::HistoryFileFor(std::nullopt, m_ctx.settings),
                                                       workflow::ThisStation(), options));
    // A history that would not open is said by the record that finds it missing.
    for (const std::string& notice : m_recorder->takeNotices()) tell(ToQString(notice));
    return *m_recorder;
}

files::HistoryStore* WindowHistory::store() { return recorder().store(); }

QString WindowHistory::unavailableText() {
    const auto& why = recorder().unavailable();
    return why ? ToQString(why->message) : QString();
}

bool WindowHistory::record(files::HistoryRecord entry) {
    workflow::HistoryRecorder& r = recorder();
    if (!r.available()) {
        // Every unrecorded operation says so; the box comes once per reason.
        tell(qtbridge::Tr("Not recorded in the history") + QStringLiteral(": ") + ToQString(r.unavailable()->message));
        return false;
    }
    const workflow::LinePlace place{"COM" + std::to_string(m_ctx.settings.ComPort), m_ctx.link.devicePath()};
    const auto stored = r.record(std::move(entry), place);
    for (const std::string& notice : r.takeNotices()) tell(ToQString(notice));
    if (stored) {
        m_lastReport.clear();
        return true;
    }
    tell(qtbridge::Tr("Not recorded in the history") + QStringLiteral(": ") + ToQString(stored.error().message));
    return false;
}

void WindowHistory::tell(const QString& text) {
    // The box comes once per reason; the status line says it every time.
    if (m_report) m_report(text, text != m_lastReport);
    m_lastReport = text;
}

}  // namespace r4860::mainwindow
