// Series programming: one configuration written and verified into every transducer connected
// next, once per serial number. A state machine without I/O: the driver (the command-line loop,
// or the window's timer and transfer jobs) asks what to do, runs it and hands back the result,
//   WaitForTransducer -> Identify -> Write -> Verify -> WaitForRemoval -> WaitForTransducer ...
// and gets one SeriesDevice per transducer, with the history entry to record for it.
#pragma once

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "files/history_record.h"
#include "model/config_image.h"
#include "model/config_record.h"
#include "protocol/transfer_job.h"
#include "workflow/config_commands.h"
#include "workflow/history_entries.h"
#include "workflow/outcome.h"

namespace r4860::workflow {

enum class SeriesVerdict {
    Programmed,  // written and verified
    Failed,      // the write or its verification failed: it may be connected again
    Refused,     // not written: another model, an EEPROM error, not identified
    Skipped,     // programmed earlier in this series (a replug): not written again
};

struct SeriesDevice {
    SeriesVerdict verdict = SeriesVerdict::Failed;
    std::string serial;            // empty when not identified
    std::string idTag;             // as programmed, else as found
    std::string model;
    std::string message;           // why it failed, was refused or skipped
    files::HistoryRecord entry;    // to record (without station, place and time)
    // A programmed one: the configuration as written, with the transducer's own serial number,
    // model, dates and code version, for its report.
    std::optional<model::ConfigRecord> programmed;
};

struct SeriesCounts {
    int programmed = 0;
    int failed = 0;                // refused ones included
    int skipped = 0;
    [[nodiscard]] int handled() const noexcept { return programmed + failed; }
};

struct SeriesPlan {
    model::ConfigRecord config;     // from the parameter file, its table loaded, checked writable
    std::filesystem::path parFile;  // named in every record
    int count = 0;                  // transducers to handle (skipped ones do not count); 0: no limit
    long today = 0;                 // the configuration date written
};

class SeriesProgrammer {
public:
    enum class Step { WaitForTransducer, Identify, Write, Verify, WaitForRemoval, Finished };

    explicit SeriesProgrammer(SeriesPlan plan);

    [[nodiscard]] Step step() const noexcept { return m_step; }
    [[nodiscard]] const SeriesCounts& counts() const noexcept { return m_counts; }
    [[nodiscard]] const LineState& line() const noexcept { return m_line; }

    // After every poll, in every step: the line as the latest frames show it. While waiting it
    // moves on (a transducer answers; two polls without a frame: it was taken away).
    void linePolled(const LineState& line);
    // After the write the transducer checks its new configuration: the read-back waits for the
    // status of frames sent since then (three fresh polls).
    [[nodiscard]] bool awaitingStatus() const noexcept { return m_step == Step::Verify && m_freshPolls < 3; }

    // The transfer of the current step (Identify, Write, Verify). When it is refused, hand the
    // refusal to refused(); otherwise run it and hand its result to finished().
    [[nodiscard]] Prepared prepare();
    // A finished transducer, or nothing while it is still in hand.
    [[nodiscard]] std::optional<SeriesDevice> refused(const Outcome& refusal);
    [[nodiscard]] std::optional<SeriesDevice> finished(const protocol::TransferResult& result);

    // Stop after the transducer in hand (Ctrl-C, the toggle switched off); at once when none is.
    void stop();

private:
    std::optional<SeriesDevice> identified(const protocol::TransferResult& result);
    SeriesDevice conclude(SeriesVerdict verdict, std::string message, files::HistoryRecord entry);
    files::HistoryRecord writeEntry(const WriteFacts& facts) const;

    SeriesPlan m_plan;
    std::string m_parFileName, m_parFileHash;
    Step m_step = Step::WaitForTransducer;
    LineState m_line;
    int m_missedPolls = 0;
    int m_freshPolls = 0;                // since the write
    bool m_stopping = false;
    SeriesCounts m_counts;
    std::set<std::string> m_programmed;  // serial numbers

    // The transducer in hand.
    model::ConfigImage m_found{};        // its identify read
    model::ConfigRecord m_foundRecord;
    model::ConfigRecord m_config;        // what is written to it (date stamped)
    model::ConfigImage m_sent{};
    model::ImageSnapshot m_expected{};
};

}  // namespace r4860::workflow
