#include "cli_commands.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "common/catalogues.h"
#include "common/date_text.h"
#include "common/lang_table.h"
#include "cli_history.h"
#include "cli_program.h"
#include "cli_run.h"
#include "cli_service.h"
#include "cli_report.h"
#include "config_summary.h"
#include "files/app_paths.h"
#include "files/atomic_file.h"
#include "files/log_file.h"
#include "files/par_file.h"
#include "files/settings_file.h"
#include "model/config_compare.h"
#include "model/config_image.h"
#include "model/models.h"
#include "model/transfer_function.h"
#include "protocol/transfer_job.h"
#include "workflow/app_context.h"
#include "workflow/config_checks.h"
#include "workflow/config_commands.h"
#include "workflow/history_entries.h"
#include "workflow/session.h"
#include "workflow/user_data.h"

namespace r4860::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using workflow::AppContext;
using workflow::Outcome;
using workflow::Session;

std::atomic<bool> g_stop{false};
std::atomic<int> g_stopSignal{0};
std::atomic<int> g_stopRequests{0};
std::atomic<bool> g_writing{false};               // a full write runs: the first stop only announces
std::atomic<int> g_deferredSignal{0};             // that first stop, taken up once the write is done
std::atomic<protocol::Link*> g_link{nullptr};     // the link a stop request cancels transfers on

constexpr const char* kIncomplete =
    "the transducer holds an incomplete configuration; write a complete configuration again";

std::atomic<bool> g_series{false};                // a series runs: the first stop ends it after the transducer
std::atomic<bool> g_seriesStop{false};

void say(const std::string& text) { Say(text); }

bool stopped() { return Stopped(); }

int exitFor(const Status& status) {
    if (status) return kExitOk;
    say(status.error().message);
    return status.error().code == Errc::BadArgument ? kExitUsage : kExitTransducer;
}

// A read on its own is recorded as one; the read a write or verification starts with is part of
// that operation's record.
workflow::ReadOutcome readInto(Run& run, model::ConfigRecord& rec, model::ConfigImage& image,
                               const workflow::LineState& line) {
    auto read = workflow::ReadConfiguration(run.session.link(), line, rec, image, run.progress());
    (void)run.report(read.outcome);
    return read;
}

int readAndRecord(Run& run, model::ConfigRecord& rec, model::ConfigImage& image) {
    const auto read = readInto(run, rec, image, run.session.line());
    run.record(workflow::ReadEntry(run.session.line(), read.outcome, image));
    return read.outcome.ok ? kExitOk : kExitTransducer;
}

void recordWrite(Run& run, const workflow::WriteFacts& facts, const std::string& parFile) {
    auto entry = workflow::WriteEntry(run.session.line(), facts);
    workflow::SetParFile(entry, parFile);
    run.record(std::move(entry));
}

// What normalization changed between the file and what would be programmed, one line each.
void printRepairs(const std::vector<model::Repair>& repairs) {
    for (const auto& r : repairs)
        std::fprintf(stderr, "  %s %s -> %s, %s\n", r.field.c_str(), r.fileValue.c_str(), r.writtenValue.c_str(),
                     r.why.c_str());
}

// The user data the file's configuration is built on, completed as the window completes them;
// without a window to ask, a table that is found is taken.
int completeUserData(model::ConfigRecord& rec, const std::string& file, const files::Settings& settings) {
    const auto plan = workflow::PlanUserData(rec, false, workflow::TableSearchDirs(file, settings));
    const Outcome loaded = workflow::LoadUserData(rec, plan);
    if (loaded.ok) return kExitOk;
    say((plan.table.empty() ? file : plan.table.string()) + ": " + loaded.message);
    return kExitUsage;
}

int loadParFile(const std::string& file, model::ConfigRecord& rec, files::Settings& settings,
                std::vector<model::Repair>& repairs) {
    model::ConfigRecord asRead;
    if (auto read = files::ReadParFile(rec, file, settings, &asRead); !read) {
        say(file + ": " + (read.error().code == Errc::Io ? LangText("Cannot open file") + ": " + read.error().message
                                                          : "not a parameter file (" + read.error().message + ")"));
        return kExitUsage;
    }
    repairs = model::ListRepairs(asRead, rec);
    return completeUserData(rec, file, settings);
}

// The rule checks of the windows; a configuration they refuse is the file's fault, not the line's.
int checkWritable(model::ConfigRecord& rec) {
    if (auto writable = workflow::CheckWritable(rec, TodayDays()); !writable) {
        say(writable.error().message);
        return kExitUsage;
    }
    return kExitOk;
}

void printDifferences(const workflow::VerifyOutcome& verified, bool verbose) {
    std::printf("%zu %s differ:\n%s\n", verified.items.size(), verified.items.size() == 1 ? "item" : "items",
                workflow::DifferencesText(verified.items).c_str());
    if (!verbose) return;
    std::printf("%zu differing offsets:", verified.differences.size());
    for (const auto o : verified.differences) std::printf(" 0x%02zX", o);
    std::printf("\n");
}

int commandRead(const Options& o, Run& run) {
    model::ConfigRecord rec;
    model::ConfigImage image{};
    if (const int rc = readAndRecord(run, rec, image); rc != kExitOk) return rc;
    std::fputs(ConfigSummary(rec).c_str(), stdout);
    if (!o.parFile.empty()) {
        if (auto written = files::WriteParFile(rec, o.parFile, run.context.settings); !written) {
            say(written.error().message);
            return kExitUsage;
        }
    }
    if (!o.imageFile.empty()) {
        const std::string bytes(image.begin(), image.end());
        if (auto written = files::WriteFileAtomically(o.imageFile, bytes); !written) {
            say(written.error().message);
            return kExitUsage;
        }
    }
    return kExitOk;
}

int finishWrite(const Options& o, Run& run, const model::ConfigImage& image, workflow::WriteFacts facts) {
    run.awaitFreshStatus();
    const auto& line = run.session.line();
    if (o.idTagOnly) {
        facts.idTagVerified = workflow::VerifyIdTag(run.session.link(), line, image, run.progress()).ok;
        run.ui.endProgressLine();
        if (!facts.idTagVerified) facts.transfer = workflow::Outcome::Failure("Verification ended with errors", {});
        recordWrite(run, facts, o.parFile);
        if (!facts.idTagVerified) {
            say(LangText("Verification ended with errors"));
            return kExitTransducer;
        }
        std::printf("%s\n", LangText("Information transferred").c_str());
        return kExitOk;
    }
    model::ConfigImage sent = image;
    const auto verified = workflow::VerifyConfiguration(run.session.link(), line, sent, run.progress());
    run.ui.endProgressLine();
    facts.verification = verified;
    recordWrite(run, facts, o.parFile);
    if (!verified.verified()) {
        workflow::ShowOutcome(run.ui, verified.outcome);
        if (verified.transferred) printDifferences(verified, o.verbose);
        say(LangText("Verification ended with errors"));
        return kExitTransducer;
    }
    std::printf("%s, %s\n", LangText("Transducer programmed").c_str(), LangText("Verification successful").c_str());
    return kExitOk;
}

// What the file would program, when the transducer may take it; the exit code otherwise.
int checkWrite(const Options& o, Run& run, model::ConfigRecord& rec, const std::vector<model::Repair>& repairs,
               workflow::WriteFacts& facts) {
    const auto& line = run.session.line();
    const int connected = workflow::ConnectedModelCode(line.typeIndex);
    if (!workflow::ModelMatches(rec, line.typeIndex)) {
        if (!o.force) {
            facts.transfer = workflow::Outcome::Failure("Type of transducer inconsistency", MessageIcon::Exclamation);
            recordWrite(run, facts, o.parFile);
            say(LangText("Type of transducer inconsistency") + "! (file " + (rec.Device.empty() ? "-" : rec.Device) +
                ", transducer " + model::ModelName(connected) + "; --force encodes for the transducer)");
            return kExitTransducer;
        }
        rec.Device = model::ModelName(connected);
    }
    if (o.idTagOnly) return kExitOk;
    if (!repairs.empty()) {
        say(std::string("the file holds values the transducer cannot take; ") +
            (o.acceptRepairs ? "programming the repaired values:" : "these would be programmed instead:"));
        printRepairs(repairs);
        if (!o.acceptRepairs) {
            say("nothing written; correct the file or give --accept-repairs");
            return kExitUsage;
        }
    }
    return checkWritable(rec);
}

int commandWrite(const Options& o, Run& run, model::ConfigRecord& rec, const std::vector<model::Repair>& repairs) {
    const auto kind = o.idTagOnly ? workflow::WriteKind::IdTagOnly : workflow::WriteKind::Full;
    workflow::WriteFacts facts;
    facts.operation = o.idTagOnly ? files::HistoryOperation::IdTagWrite : files::HistoryOperation::Write;
    if (const int rc = checkWrite(o, run, rec, repairs, facts); rc != kExitOk) return rc;

    model::EncodeOptions options;
    options.today = TodayDays();
    options.selectedModelCode = workflow::ConnectedModelCode(run.session.line().typeIndex);
    // The transducer's own image is read first, so the bytes the encoder leaves alone stay the
    // device's; it is also what the record keeps of the transducer before the write.
    model::ConfigImage image{};
    auto prepared = workflow::PrepareWriteOn(run.session.link(), run.session.line(), rec, image, options, kind,
                                             workflow::ImageOrigin::Elsewhere, run.progress());
    run.ui.endProgressLine();
    if (prepared.refused) {
        facts.transfer = *prepared.refused;
        recordWrite(run, facts, o.parFile);
        return run.report(*prepared.refused);
    }
    if (stopped()) return kExitTransducer;
    if (prepared.blankBase)
        say("the transducer's configuration cannot be read; writing the complete configuration over it");
    else
        facts.before = image;
    image = prepared.request.image;
    const auto result = run.writeTransfer(std::move(prepared.request), kind == workflow::WriteKind::Full);
    facts.transfer = workflow::FinishWrite(result, kind, image);
    // Once the transfer ran, any part of the configuration may have landed.
    facts.sent = result.status != protocol::TransferStatus::Busy && result.status != protocol::TransferStatus::NotStarted;
    facts.image = image;
    if (const int rc = run.report(facts.transfer); rc != kExitOk) {
        recordWrite(run, facts, o.parFile);
        if (kind == workflow::WriteKind::Full && facts.sent) say(kIncomplete);
        return rc;
    }
    run.ui.endProgressLine();
    if (stopped()) {
        facts.transfer.status += "; stopped before the verification";
        recordWrite(run, facts, o.parFile);
        std::printf("%s\n", LangText(kind == workflow::WriteKind::Full ? "Transducer programmed"
                                                                        : "Information transferred").c_str());
        return kExitTransducer;   // stopped before the read-back: nothing verified
    }
    return finishWrite(o, run, image, facts);
}

int commandVerify(const Options& o, Run& run, model::ConfigRecord& rec, const std::vector<model::Repair>& repairs) {
    const auto& line = run.session.line();
    // The file's own configuration date, so the date bytes compare like for like when asked to.
    const auto fileDate = ParseDateText(rec.Informacje.data);
    if (!fileDate) {
        say(o.parFile + ": no valid configuration date");
        return kExitUsage;
    }
    if (rec.Device.empty()) rec.Device = model::ModelName(workflow::ConnectedModelCode(line.typeIndex));
    if (const int rc = checkWritable(rec); rc != kExitOk) return rc;

    // Encoded over what the transducer holds, so the record names the transducer it verified.
    model::ConfigImage image{};
    model::ConfigRecord current;
    workflow::VerifyOutcome verified;
    verified.outcome = readInto(run, current, image, line).outcome;
    const std::optional<model::ConfigImage> identity =
        verified.outcome.ok ? std::optional<model::ConfigImage>(image) : std::nullopt;
    const auto recordVerify = [&] {
        auto entry = workflow::VerifyEntry(line, verified, identity);
        workflow::SetParFile(entry, o.parFile);
        run.record(std::move(entry));
    };
    if (!identity) {
        if (!stopped()) recordVerify();
        return kExitTransducer;
    }
    model::EncodeOptions options;
    options.today = *fileDate;
    options.selectedModelCode = workflow::ConnectedModelCode(line.typeIndex);
    if (auto encoded = model::EncodeImage(rec, image, options); !encoded) {
        say(model::TranslateRuleMessage(encoded.error().message) + "!");
        return kExitUsage;
    }
    model::CompareOptions compare;
    compare.compareDate = o.compareDate;
    verified = workflow::VerifyConfiguration(run.session.link(), line, image, run.progress(), compare);
    run.ui.endProgressLine();
    if (stopped()) return kExitTransducer;
    recordVerify();
    if (!verified.transferred) {
        workflow::ShowOutcome(run.ui, verified.outcome);
        return kExitTransducer;
    }
    if (!verified.dateNote.empty()) std::printf("%s; --compare-date compares it\n", verified.dateNote.c_str());
    if (!verified.differences.empty()) {
        printDifferences(verified, o.verbose);
        say(LangText("Verification ended with errors"));
        return kExitTransducer;
    }
    // The transducer matches what the file would program, which is not what the file says.
    if (!repairs.empty()) {
        say("the file holds values the transducer cannot take; they were compared as repaired:");
        printRepairs(repairs);
        return kExitTransducer;
    }
    std::printf("%s\n", LangText("Verification successful").c_str());
    return kExitOk;
}

// Standard output closed by its reader (`| head`) ends the monitor quietly; another failure is one.
enum class Emit { Ok, Closed, Failed };
Emit emit(const char* format, auto... args) {
    if (std::printf(format, args...) >= 0 && std::fflush(stdout) == 0) return Emit::Ok;
    return errno == EPIPE ? Emit::Closed : Emit::Failed;
}

int monitorEnd(Emit e) {
    if (e == Emit::Closed) return kExitOk;
    say(std::string("standard output: ") + std::strerror(errno));
    return kExitTransducer;
}

int commandMonitor(const Options& o, Run& run) {
    using Clock = std::chrono::steady_clock;
    Session& session = run.session;
    const auto start = Clock::now();
    const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.interval));
    const auto deadline = o.seconds ? start + std::chrono::duration_cast<Clock::duration>(
                                                  std::chrono::duration<double>(*o.seconds))
                                    : Clock::time_point::max();
    auto next = start;
    int missed = 0;
    bool headerShown = false;
    while (!stopped() && Clock::now() < deadline) {
        const double elapsedS = std::chrono::duration<double>(Clock::now() - start).count();
        if (!session.poll()) {
            if (++missed < 3) continue;
            missed = 0;
            if (const Emit e = emit("%10.2f  %14s  %11s  %s\n", elapsedS, "???", "???",
                                    LangText("No communication with transducer").c_str());
                e != Emit::Ok)
                return monitorEnd(e);
            next = Clock::now() + interval;   // no burst of catch-up rows once it answers again
            continue;
        }
        missed = 0;
        const auto& s = session.sample();
        if (!headerShown) {
            headerShown = true;
            const std::string result = LangText("Result") + " [" + std::string(UnitName(session.status().UnitIndex)) + "]";
            if (const Emit e = emit("%10s  %14s  %11s  %s\n", (LangText("Time") + " [s]").c_str(), result.c_str(),
                                    (LangText("Output") + " [mA]").c_str(), "Status");
                e != Emit::Ok)
                return monitorEnd(e);
        }
        if (const Emit e = emit("%10.2f  %14.4f  %11.3f  %s\n", elapsedS, s.result, s.outputMa,
                                workflow::StatusText(session.status()).c_str());
            e != Emit::Ok)
            return monitorEnd(e);
        next = std::max(next + interval, Clock::now());
        while (!stopped() && Clock::now() < std::min(next, deadline)) std::this_thread::sleep_for(20ms);
    }
    return kExitOk;
}

int commandReport(Run& run, ReportCommand& report) {
    model::ConfigRecord rec;
    model::ConfigImage image{};
    if (const int rc = readAndRecord(run, rec, image); rc != kExitOk) return rc;
    return report.reportTransducer(rec);
}

int commandInfo(Run& run) {
    model::ConfigRecord rec;
    model::ConfigImage image{};
    if (const int rc = readAndRecord(run, rec, image); rc != kExitOk) return rc;
    run.session.poll();
    const auto& status = run.session.status();
    std::printf("Model:               %s\n", rec.Device.c_str());
    std::printf("Reported model:      %s (index %d)\n",
                model::ModelName(workflow::ConnectedModelCode(status.TypeIndex)).c_str(), status.TypeIndex);
    std::printf("Serial number:       %s\n", rec.Informacje.serial.c_str());
    std::printf("Inner code version:  %s\n", rec.Informacje.CodeVersion.c_str());
    std::printf("Unit of the result:  %s\n", std::string(UnitName(status.UnitIndex)).c_str());
    std::printf("Status:              %s\n", workflow::StatusText(status).c_str());
    return kExitOk;
}

// The link a stop request cancels transfers on, for as long as the session lives.
struct LinkRegistration {
    explicit LinkRegistration(protocol::Link& link) { g_link = &link; }
    ~LinkRegistration() { g_link = nullptr; }
};

}  // namespace

void Say(const std::string& text) { std::fprintf(stderr, "r4860-cli: %s\n", text.c_str()); }

bool Stopped() { return g_stop.load(); }

void SetSeriesRunning(bool running) { g_series = running; }

bool SeriesStopRequested() { return g_seriesStop.load() || g_stop.load(); }

protocol::TransferResult Run::writeTransfer(protocol::TransferRequest request, bool full) {
    g_writing = full;
    auto result = protocol::RunTransferBlocking(session.link(), std::move(request), progress());
    g_writing = false;
    if (const int deferred = g_deferredSignal.exchange(0); deferred != 0) RequestStop(deferred);
    return result;
}

void RequestStop(int signalNumber) noexcept {
    const int n = g_stopRequests.fetch_add(1) + 1;
    if (g_series.load() && n == 1) {
        g_seriesStop = true;
        say("ending the series once the transducer in hand is done; stop again to abort it");
        return;
    }
    if (g_writing.load() && n == 1) {
        g_deferredSignal = signalNumber;
        say("finishing the write to keep the transducer consistent; stop again to abort it");
        return;
    }
    g_deferredSignal = 0;
    int none = 0;
    (void)g_stopSignal.compare_exchange_strong(none, signalNumber);
    g_stop = true;
    if (auto* link = g_link.load()) link->cancelTransfer();
}

int StopSignal() noexcept { return g_stopSignal.load(); }
bool StopRequested() noexcept { return stopped(); }

namespace {

// The line's commands, once the session is open.
int runOnLine(const Options& o, Run& run, model::ConfigRecord& fromFile, const std::vector<model::Repair>& repairs,
              ReportCommand* report) {
    switch (o.command) {
    case Command::Read: return commandRead(o, run);
    case Command::Write: return commandWrite(o, run, fromFile, repairs);
    case Command::Verify: return commandVerify(o, run, fromFile, repairs);
    case Command::Monitor: return commandMonitor(o, run);
    case Command::Info: return commandInfo(run);
    case Command::History: return HistoryRestore(o, run);
    case Command::Program: return ProgramSeries(o, run, fromFile, repairs);
    case Command::Output:
    case Command::Trim: return RunServiceCommand(o, run.session, run.ui);
    case Command::Report: return commandReport(run, *report);
    case Command::Help: break;
    }
    return kExitOk;
}

}  // namespace

int RunCommand(const Options& o, TerminalUi& ui, AppContext& context) {
    files::LoadSettings(context.settings, files::DesktopRect{});
    std::optional<ReportCommand> report;
    if (o.command == Command::Report) {
        report.emplace(o);
        if (const int rc = report->prepare(); rc != kExitOk) return rc;
        if (!o.fromTransducer) return report->reportFiles(context.settings);
    }
    if (o.command == Command::History && o.history.action != HistoryAction::Restore)
        return RunHistoryCommand(o, context.settings);
    // A file that cannot be used is refused before the line is touched.
    model::ConfigRecord fromFile;
    std::vector<model::Repair> repairs;
    if (o.command == Command::Write || o.command == Command::Verify || o.command == Command::Program) {
        if (const int rc = loadParFile(o.parFile, fromFile, context.settings, repairs); rc != kExitOk) return rc;
    }
    if (!o.settings.empty()) {
        if (auto applied = ApplySensorSettings(o.settings, fromFile, context.settings, TodayDays()); !applied) {
            say(applied.error().message);
            return kExitUsage;
        }
    }
    if (IsServiceCommand(o.command))
        if (const int rc = CheckServiceAccess(o, context.settings); rc != kExitOk) return rc;
    RunHistory history(o, context.settings);
    if (!history.mayStart()) return kExitTransducer;
    Session session(context);
    LinkRegistration registration(context.link);
    const auto opened = session.open(o.port, files::PortsDir());
    // A series may start before its first transducer is connected.
    const bool waitsForTransducer = o.command == Command::Program && !opened && opened.error().code == Errc::Timeout;
    if (!waitsForTransducer) {
        if (const int rc = exitFor(opened); rc != kExitOk) return rc;
    }
    Run run{context, session, ui, history, o.port};
    return history.exitCode(runOnLine(o, run, fromFile, repairs, report ? &*report : nullptr));
}

}  // namespace r4860::cli
