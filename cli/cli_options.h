// The command line of r4860-cli, parsed into one plain structure.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/result.h"

namespace r4860::cli {

enum class Command { Read, Write, Verify, Monitor, Info, Output, Trim, Report, Help };

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
};

// Errc::BadArgument with a one-line reason when the words do not make a command.
[[nodiscard]] Result<Options> ParseOptions(const std::vector<std::string>& args);
[[nodiscard]] std::string UsageText();

}  // namespace r4860::cli
