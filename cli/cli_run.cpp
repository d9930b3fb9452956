#include "cli_run.h"

#include "cli_commands.h"

namespace r4860::cli {
namespace {

bool records(const Options& o) {
    switch (o.command) {
    case Command::Read:
    case Command::Write:
    case Command::Verify:
    case Command::Info:
    case Command::Program: return true;
    case Command::History: return o.history.action == HistoryAction::Restore;
    case Command::Report: return o.fromTransducer;
    default: return false;
    }
}

}  // namespace

RunHistory::RunHistory(const Options& o, const files::Settings& settings) : m_required(o.requireHistory) {
    if (!records(o)) return;
    const auto chosen = o.historyFile.empty() ? std::nullopt : std::optional<std::filesystem::path>(o.historyFile);
    m_recorder.emplace(workflow::HistoryRecorder::Open(workflow::HistoryFileFor(chosen, settings),
                                                       workflow::ThisStation()));
    sayNotices();
}

bool RunHistory::mayStart() {
    if (!m_recorder || m_recorder->available()) return true;
    const std::string why = "history: " + m_recorder->unavailable()->message;
    if (m_required) {
        Say(why + "; nothing done (--require-history)");
        return false;
    }
    Say(why + "; this run is not recorded");
    return true;
}

void RunHistory::record(files::HistoryRecord entry, const workflow::LinePlace& place) {
    if (!m_recorder) return;
    const std::string what(files::OperationWord(entry.operation));
    // Said once, at the start, when there is no history at all.
    if (!m_recorder->available()) {
        m_failed = true;
        return;
    }
    if (auto stored = m_recorder->record(std::move(entry), place); !stored) {
        m_failed = true;
        Say("history: " + stored.error().message + "; this " + what + " is not recorded");
    }
    sayNotices();
}

int RunHistory::exitCode(int rc) const { return rc == kExitOk && m_required && m_failed ? kExitTransducer : rc; }

void RunHistory::sayNotices() {
    if (!m_recorder) return;
    for (const auto& notice : m_recorder->takeNotices()) Say("history: " + notice);
}

workflow::ProgressFn Run::progress() {
    return [this](int percent, const std::string& text) { ui.transferProgress(percent, text); };
}

int Run::report(const workflow::Outcome& outcome) {
    ui.endProgressLine();
    if (Stopped()) return outcome.ok ? kExitOk : kExitTransducer;   // the stop is what is heard of
    workflow::ShowOutcome(ui, outcome);
    return outcome.ok ? kExitOk : kExitTransducer;
}

void Run::record(files::HistoryRecord entry) {
    history.record(std::move(entry), workflow::LinePlace{port, session.link().devicePath()});
}

workflow::LineState Run::poll() {
    const bool fresh = session.poll();
    workflow::LineState line = session.line();
    line.connected = fresh;
    return line;
}

void Run::awaitFreshStatus() {
    for (int i = 0; i < 3 && !Stopped(); ++i) (void)session.poll();
}

}  // namespace r4860::cli
