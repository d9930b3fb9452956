// What the commands of r4860-cli share: the run (context, session, terminal, history) and the
// stop requests of the operator. Internal to the command-line tool.
#pragma once

#include <optional>
#include <string>

#include "cli_options.h"
#include "files/history_record.h"
#include "protocol/transfer_job.h"
#include "terminal_ui.h"
#include "workflow/app_context.h"
#include "workflow/history_recorder.h"
#include "workflow/outcome.h"
#include "workflow/session.h"

namespace r4860::cli {

// "r4860-cli: <text>" on stderr.
void Say(const std::string& text);
// The operator asked to stop (Ctrl-C, SIGTERM).
[[nodiscard]] bool Stopped();

// While a series runs, the first stop request only asks to end after the transducer in hand.
void SetSeriesRunning(bool running);
[[nodiscard]] bool SeriesStopRequested();

// The programming history of this run. Recording never stops a command: a failure is said at
// once, and under --require-history it makes the exit code 1.
class RunHistory {
public:
    // Opens the history when the command records anything.
    RunHistory(const Options& options, const files::Settings& settings);
    // False (and said why) when --require-history is given and there is no history to record in.
    [[nodiscard]] bool mayStart();
    void record(files::HistoryRecord entry, const workflow::LinePlace& place);
    [[nodiscard]] int exitCode(int rc) const;
    // The store recorded in, nothing without one.
    [[nodiscard]] files::HistoryStore* store() { return m_recorder ? m_recorder->store() : nullptr; }

private:
    void sayNotices();

    std::optional<workflow::HistoryRecorder> m_recorder;
    bool m_required = false;
    bool m_failed = false;
};

// Everything a command works with.
struct Run {
    workflow::AppContext& context;
    workflow::Session& session;
    TerminalUi& ui;
    RunHistory& history;
    std::string port;

    [[nodiscard]] workflow::ProgressFn progress();
    // Shows the outcome; the exit code when it failed.
    int report(const workflow::Outcome& outcome);
    void record(files::HistoryRecord entry);
    // The line state of the latest frame, `connected` saying whether a new one came.
    [[nodiscard]] workflow::LineState poll();
    // After a write the transducer checks its new configuration: the flags of a frame sent since
    // then decide whether the read-back may run.
    void awaitFreshStatus();
    // A write transfer; a first stop request during a full write only announces that the write
    // is being finished.
    protocol::TransferResult writeTransfer(protocol::TransferRequest request, bool full);
};

}  // namespace r4860::cli
