// The command line of r4860-cli, parsed into one plain structure.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli_set.h"
#include "common/result.h"

namespace r4860::cli {

enum class Command { Read, Write, Verify, Monitor, Info, Output, Trim, Report, History, Program, Help };

// `history [ACTION]`: what to do with the records, and the filters of the list and the export.
enum class HistoryAction { List, Show, Diff, Restore, Export, Import };
struct HistoryArgs {
    HistoryAction action = HistoryAction::List;
    std::string serial, tag, since, until;  // dates dd.mm.yyyy or yyyy-mm-dd, local
    bool failed = false;
    bool csv = false;
    std::vector<long long> ids;             // show, diff, restore
    std::string file;                       // import
};

// `program FILE.par --series`: one transducer after another.
struct SeriesArgs {
    bool series = false;
    int count = 0;                          // 0: until stopped
    std::string reportDir;
};

struct Options {
    Command command = Command::Help;
    std::string port;             // a device path, or COMn
    std::string parFile;          // read --par, write, verify
    std::string imageFile;        // read --image
    bool force = false;           // write: encode for the connected model
    bool idTagOnly = false;       // write: only the ID tag
    bool acceptRepairs = false;   // write: program values normalization repaired
    bool compareDate = false;     // verify: the configuration date counts as a difference
    std::optional<double> seconds;  // monitor: stop after this long
    double interval = 0.5;        // monitor: seconds between rows
    bool verbose = false;
    std::string current;            // output: the current to force (mA), as typed
    std::optional<double> zero;     // trim: the corrections, % of span
    std::optional<double> gain;
    std::string password;           // output, trim; "-" reads it from standard input
    std::vector<std::string> parFiles;  // report
    std::string pdfFile;          // report --pdf
    std::string pdfDir;           // report --pdf-dir
    std::string language;         // report --language
    bool fromTransducer = false;  // report --from-transducer
    std::string historyFile;      // --history: instead of the setting or the default
    bool requireHistory = false;  // an operation that cannot be recorded is an error
    HistoryArgs history;
    SeriesArgs program;
    SensorSettings settings;      // write: sensor, conversion and range applied before it
};

// The history's and series programming's words; true when args[i] (and its value) was one.
[[nodiscard]] Result<bool> ParseHistoryWord(const std::vector<std::string>& args, std::size_t& i, Options& o);
// The positional words of `history` and `program`, and which options go with them.
[[nodiscard]] Status CheckHistoryWords(Options& o, const std::vector<std::string>& positional);
[[nodiscard]] std::string HistoryUsageText();

// Errc::BadArgument with a one-line reason when the words do not make a command.
[[nodiscard]] Result<Options> ParseOptions(const std::vector<std::string>& args);
[[nodiscard]] std::string UsageText();

}  // namespace r4860::cli
