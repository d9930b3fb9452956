// The words of the programming history and of series programming on r4860-cli's command line.
#include <charconv>

#include "cli_options.h"

namespace r4860::cli {
namespace {

Error bad(std::string why) { return makeError(Errc::BadArgument, std::move(why)); }

std::optional<HistoryAction> actionNamed(const std::string& word) {
    if (word == "show") return HistoryAction::Show;
    if (word == "diff") return HistoryAction::Diff;
    if (word == "restore") return HistoryAction::Restore;
    if (word == "export") return HistoryAction::Export;
    if (word == "import") return HistoryAction::Import;
    return std::nullopt;
}

std::optional<long long> recordId(const std::string& word) {
    long long id = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), id);
    if (ec != std::errc() || end != word.data() + word.size() || id < 1) return std::nullopt;
    return id;
}

bool anyFilter(const HistoryArgs& h) {
    return !h.serial.empty() || !h.tag.empty() || !h.since.empty() || !h.until.empty() || h.failed;
}

Status checkHistory(Options& o, const std::vector<std::string>& positional) {
    HistoryArgs& h = o.history;
    std::size_t next = 0;
    if (!positional.empty()) {
        const auto action = actionNamed(positional.front());
        if (!action) return bad("unknown history action " + positional.front());
        h.action = *action;
        next = 1;
    }
    const std::size_t wanted = h.action == HistoryAction::Diff                                   ? 2
                               : h.action == HistoryAction::Show || h.action == HistoryAction::Restore ? 1
                                                                                                 : 0;
    for (; next < positional.size(); ++next) {
        if (h.action == HistoryAction::Import && h.file.empty()) {
            h.file = positional[next];
            continue;
        }
        const auto id = recordId(positional[next]);
        if (!id || h.ids.size() == wanted) return bad("unexpected argument " + positional[next]);
        h.ids.push_back(*id);
    }
    if (h.ids.size() != wanted)
        return bad(std::string("history ") + (wanted == 2 ? "diff needs two record numbers" : "needs a record number"));
    if (h.action == HistoryAction::Import && h.file.empty()) return bad("history import needs a file");
    const bool filters = h.action == HistoryAction::List || h.action == HistoryAction::Export;
    if (!filters && anyFilter(h)) return bad("the filters go with history and history export");
    if (h.csv && h.action != HistoryAction::List) return bad("--csv goes with history");
    return {};
}

}  // namespace

std::string HistoryUsageText() {
    return R"(  history [--serial N] [--tag TEXT] [--since DATE] [--until DATE] [--failed] [--csv]
      The programming history, newest first: every read, write and verification
      of this tool (and of the window) is recorded there. --tag matches the
      start of the ID tag; dates are dd.mm.yyyy or yyyy-mm-dd, --until included;
      --failed lists failures and verifications that found differences; --csv
      prints the list as CSV.
  history show ID | history diff ID ID
      One record in full, with its configuration; the items that differ between
      two records.
  history restore ID
      Write back what the connected transducer held before the write of record
      ID (its serial number must match), then verify it; recorded as a restore.
  history export [FILTERS] > FILE | history import FILE
      Records with every field and image as CSV, for another station; import
      keeps a record that is already there once. Nothing is ever deleted.
  program FILE.par --series [--count N] [--report-dir DIR]
      Program each transducer connected next: identify it, write, verify and
      record it, one line each; a replug of one programmed in this series is
      skipped, another model refused. Ends after N transducers (skipped ones do
      not count), or with Ctrl-C once the transducer in hand is done.
)";
}

Result<bool> ParseHistoryWord(const std::vector<std::string>& args, std::size_t& i, Options& o) {
    const std::string& a = args[i];
    std::string* text = a == "--history"    ? &o.historyFile
                        : a == "--serial"   ? &o.history.serial
                        : a == "--tag"      ? &o.history.tag
                        : a == "--since"    ? &o.history.since
                        : a == "--until"    ? &o.history.until
                        : a == "--report-dir" ? &o.program.reportDir
                                              : nullptr;
    if (text != nullptr || a == "--count") {
        if (i + 1 >= args.size() || args[i + 1].empty()) return bad(a + " needs a value");
        const std::string& value = args[++i];
        if (text != nullptr) {
            *text = value;
            return true;
        }
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), o.program.count);
        if (ec != std::errc() || end != value.data() + value.size() || o.program.count < 1)
            return bad("--count needs a number of transducers");
        return true;
    }
    bool* flag = a == "--require-history" ? &o.requireHistory
                 : a == "--failed"        ? &o.history.failed
                 : a == "--csv"           ? &o.history.csv
                 : a == "--series"        ? &o.program.series
                                          : nullptr;
    if (flag == nullptr) return false;
    *flag = true;
    return true;
}

Status CheckHistoryWords(Options& o, const std::vector<std::string>& positional) {
    if (o.command == Command::History) return checkHistory(o, positional);
    const bool historyWords = anyFilter(o.history) || o.history.csv;
    const bool programWords = o.program.series || o.program.count != 0 || !o.program.reportDir.empty();
    if (historyWords) return bad("--serial, --tag, --since, --until, --failed and --csv go with history");
    if (o.command != Command::Program) {
        if (programWords) return bad("--series, --count and --report-dir go with program");
        return {};
    }
    if (positional.size() != 1 || positional.front().empty()) return bad("program needs one parameter file");
    if (!o.program.series) return bad("program writes a series: give --series");
    o.parFile = positional.front();
    return {};
}

}  // namespace r4860::cli
