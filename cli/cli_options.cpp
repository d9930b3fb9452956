#include "cli_options.h"

#include "cli_service.h"
#include "cli_report.h"
#include "common/number_text.h"

namespace r4860::cli {
namespace {

Error bad(std::string why) { return makeError(Errc::BadArgument, std::move(why)); }

std::optional<Command> commandNamed(const std::string& word) {
    if (word == "read") return Command::Read;
    if (word == "write") return Command::Write;
    if (word == "verify") return Command::Verify;
    if (word == "monitor") return Command::Monitor;
    if (word == "info") return Command::Info;
    if (word == "report") return Command::Report;
    if (word == "history") return Command::History;
    if (word == "program") return Command::Program;
    if (word == "help") return Command::Help;
    if (word == "output") return Command::Output;
    if (word == "trim") return Command::Trim;
    return std::nullopt;
}

// The options whose value is the next word, and where it goes.
std::string* wordOption(Options& o, const std::string& name) {
    if (name == "--port") return &o.port;
    if (name == "--par") return &o.parFile;
    if (name == "--image") return &o.imageFile;
    if (name == "--pdf") return &o.pdfFile;
    if (name == "--pdf-dir") return &o.pdfDir;
    if (name == "--language") return &o.language;
    return nullptr;
}

}  // namespace

std::string UsageText() {
    std::string text = R"(Usage: r4860-cli --port PORT [--verbose] COMMAND [OPTIONS]
       r4860-cli set FILE.par [SETTINGS]      (no transducer needed)
       r4860-cli table --cvd R0,A,B,C --range LO:HI

Configures and monitors one R4860 transducer on a serial port.

PORT is a device path (/dev/ttyUSB0) or COMn: a COMn entry in the ports folder
(a symbolic link, e.g. the one r4860-sim makes) is used when present, otherwise
COM1-32 are /dev/ttyS0-31, COM33-64 /dev/ttyUSB0-31, COM65-96 /dev/ttyACM0-31.

Commands:
  read [--par FILE] [--image FILE]
      Read the configuration and print a summary; write it as a parameter file
      and/or as the raw 2052-byte memory image when asked.
  write FILE.par [--force] [--id-tag-only] [--accept-repairs]
      Program the transducer from a parameter file, then verify it. The file's
      model must match the connected transducer unless --force (which encodes
      for the connected model). A table file the parameter file names is looked
      up beside it and in the data folder. --id-tag-only writes only the ID tag.
      A file with values the transducer cannot take (out of range, codes that
      do not go together) is refused with the list of repairs that would be
      programmed instead; --accept-repairs programs them.
  verify FILE.par [--compare-date]
      Compare the transducer with the parameter file and name the items that
      differ (--verbose adds the memory offsets). The configuration date is
      shown when it differs but counts only with --compare-date.
  monitor [--seconds N] [--interval S]
      Print one line per sample (time, result, output, status) until stopped
      (Ctrl-C) or N seconds have passed; S seconds between rows (default 0.5).
  info
      Model, serial number, inner code version and the status of the latest frame.
  report FILE.par... [--pdf OUT.pdf | --pdf-dir DIR] [--language NAME]
  report --from-transducer [--pdf OUT.pdf | --pdf-dir DIR] [--language NAME]
      The configuration report of each parameter file (or of the transducer,
      which needs --port) as text, or as a PDF: OUT.pdf for one, DIR/FILE.pdf
      for each (the transducer's is named after its serial number). NAME is a
      language file (Polski) beside the tool; English by default. A file that
      cannot be read is named and skipped; the others are still reported and
      the exit code is 1. An existing PDF is replaced in one step.

HISTORY

Options:
  --port PORT     serial device or COMn (required except for help, report and history)
  --verbose       developer trace on stderr
  --history FILE  the programming history's database (default: the HistoryFile
                  setting, else ~/.local/share/r4860/history.sqlite3)
  --require-history
                  an operation that cannot be recorded is an error (exit 1);
                  without it the failure is reported and the work goes on
  --help          this text
  --version       the version of the tool and of its build

Exit codes: 0 success; 1 transducer or line failure (no communication,
EEPROM error, transmission unsuccessful, model mismatch, verification errors,
a port that cannot be opened); 2 bad usage (a bad port name, a path that is
not a serial device, a file that cannot be used); 130 or 143 when stopped by
Ctrl-C or SIGTERM.
)" + ServiceUsageText();
    text.replace(text.find("HISTORY\n"), 8, HistoryUsageText() + SetUsageText());
    return text;
}

namespace {

// What the words taken together allow, once the command is known; may take the positional words.
Status checkCombinations(Options& o, const std::vector<std::string>& positional) {
    if (o.command == Command::Help) return {};
    if (o.command == Command::Report) return CheckReportOptions(o, positional);
    if (!o.pdfFile.empty() || !o.pdfDir.empty() || !o.language.empty() || o.fromTransducer)
        return bad("--pdf, --pdf-dir, --language and --from-transducer go with report");
    if (auto checked = CheckHistoryWords(o, positional); !checked) return checked.error();
    const bool offLine = o.command == Command::History && o.history.action != HistoryAction::Restore;
    if (o.port.empty() && !offLine) return bad("--port is required");
    const bool ownWords = o.command == Command::History || o.command == Command::Program;  // taken above

    const bool takesFile = o.command == Command::Write || o.command == Command::Verify;
    if (auto service = CheckServiceOptions(o, positional); !service) return service.error();
    if (takesFile) {
        if (positional.size() != 1) return bad("the command needs one parameter file");
        o.parFile = positional.front();
    } else if (!positional.empty() && !IsServiceCommand(o.command) && !ownWords) {
        return bad("unexpected argument " + positional.front());
    }
    if ((o.force || o.idTagOnly || o.acceptRepairs) && o.command != Command::Write)
        return bad("--force, --id-tag-only and --accept-repairs go with write");
    if (o.compareDate && o.command != Command::Verify) return bad("--compare-date goes with verify");
    if (!o.settings.empty() && (o.command != Command::Write || o.idTagOnly))
        return bad("sensor settings go with set, or with a full write");
    if (takesFile && o.parFile.empty()) return bad("an empty file name");
    if ((!o.imageFile.empty() || (!o.parFile.empty() && !takesFile && o.command != Command::Program)) &&
        o.command != Command::Read)
        return bad("--par and --image go with read");
    if ((o.seconds && o.command != Command::Monitor && o.command != Command::Output) ||
        (o.interval != 0.5 && o.command != Command::Monitor))
        return bad("--seconds goes with monitor and output, --interval with monitor");
    return {};
}

}  // namespace

Result<Options> ParseOptions(const std::vector<std::string>& args) {
    Options o;
    std::optional<Command> command;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto takeValue = [&](const char* name) -> Result<std::string> {
            if (i + 1 >= args.size()) return bad(std::string(name) + " needs a value");
            if (args[i + 1].empty()) return bad(std::string(name) + " needs a value, not an empty one");
            return args[++i];
        };
        if (a == "--help" || a == "-h") {
            o.command = Command::Help;
            return o;
        }
        if (auto taken = TakeServiceOption(args, i, o)) {
            if (!*taken) return taken->error();
        } else if (a == "--verbose" || a == "-v") {
            o.verbose = true;
        } else if (std::string* target = wordOption(o, a)) {
            auto v = takeValue(a.c_str());
            if (!v) return v.error();
            *target = *v;
        } else if (a == "--force") {
            o.force = true;
        } else if (a == "--id-tag-only") {
            o.idTagOnly = true;
        } else if (a == "--accept-repairs") {
            o.acceptRepairs = true;
        } else if (a == "--compare-date") {
            o.compareDate = true;
        } else if (a == "--from-transducer") {
            o.fromTransducer = true;
        } else if (a == "--seconds" || a == "--interval") {
            auto v = takeValue(a.c_str());
            if (!v) return v.error();
            double x = 0;
            if (!TextToNum(*v, x) || x < 0 || (a == "--interval" && x < 0.05))
                return bad(a + " needs a number of seconds" + (a == "--interval" ? " (at least 0.05)" : ""));
            if (a == "--seconds") o.seconds = x;
            else o.interval = x;
        } else if (auto taken = ParseHistoryWord(args, i, o); !taken || *taken) {
            if (!taken) return taken.error();
        } else if (bool takesValue = false; IsSensorSetting(a, takesValue)) {
            std::string value;
            if (takesValue) {
                auto v = takeValue(a.c_str());
                if (!v) return v.error();
                value = *v;
            }
            if (auto added = AddSensorSetting(o.settings, a, value); !added) return added.error();
        } else if (!a.empty() && a[0] == '-') {
            return bad("unknown option " + a);
        } else if (!command) {
            command = commandNamed(a);
            if (!command) return bad("unknown command " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (!command) return bad("no command given");
    o.command = *command;
    if (auto checked = checkCombinations(o, positional); !checked) return checked.error();
    return o;
}

}  // namespace r4860::cli
