#include "cli_commands.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "common/catalogues.h"
#include "common/date_text.h"
#include "common/lang_table.h"
#include "config_summary.h"
#include "files/app_paths.h"
#include "files/atomic_file.h"
#include "files/log_file.h"
#include "files/par_file.h"
#include "files/settings_file.h"
#include "model/config_image.h"
#include "model/models.h"
#include "model/transfer_function.h"
#include "workflow/app_context.h"
#include "workflow/config_checks.h"
#include "workflow/config_commands.h"
#include "workflow/session.h"

namespace r4860::cli {
namespace {

namespace fs = std::filesystem;
using workflow::AppContext;
using workflow::Outcome;
using workflow::Session;

std::atomic<bool> g_stop{false};

void say(const std::string& text) { std::fprintf(stderr, "r4860-cli: %s\n", text.c_str()); }

// Everything a command works with: the run's context, the session on its link and the terminal.
struct Run {
    AppContext& context;
    Session& session;
    TerminalUi& ui;

    [[nodiscard]] workflow::ProgressFn progress() {
        return [this](int percent, const std::string& text) { ui.transferProgress(percent, text); };
    }
    // Shows the outcome; the exit code when it failed.
    int report(const Outcome& outcome) {
        workflow::ShowOutcome(ui, outcome);
        return outcome.ok ? kExitOk : kExitTransducer;
    }
};

int exitFor(const Status& status) {
    if (status) return kExitOk;
    say(status.error().message);
    return status.error().code == Errc::BadArgument ? kExitUsage : kExitTransducer;
}

int readInto(Run& run, model::ConfigRecord& rec, model::ConfigImage& image) {
    return run.report(workflow::ReadConfiguration(run.session.link(), run.session.line(), rec, image, run.progress())
                          .outcome);
}

int loadParFile(const std::string& file, model::ConfigRecord& rec, files::Settings& settings) {
    if (auto read = files::ReadParFile(rec, file, settings); !read) {
        say(file + ": " + (read.error().code == Errc::Io ? LangText("Cannot open file")
                                                          : "not a parameter file (" + read.error().message + ")"));
        return kExitUsage;
    }
    if (auto table = workflow::LoadNamedTable(rec, file, settings); !table) {
        say(table.error().message);
        return kExitUsage;
    }
    return kExitOk;
}

// The rule checks of the windows; a configuration they refuse is the file's fault, not the line's.
int checkWritable(model::ConfigRecord& rec) {
    if (auto writable = workflow::CheckWritable(rec, TodayDays()); !writable) {
        say(writable.error().message);
        return kExitUsage;
    }
    return kExitOk;
}

void printDifferences(const std::vector<std::size_t>& offsets) {
    std::printf("%zu differing offsets:", offsets.size());
    for (const auto o : offsets) std::printf(" 0x%02zX", o);
    std::printf("\n");
}

int commandRead(const Options& o, Run& run) {
    model::ConfigRecord rec;
    model::ConfigImage image{};
    if (const int rc = readInto(run, rec, image); rc != kExitOk) return rc;
    std::fputs(ConfigSummary(rec).c_str(), stdout);
    if (!o.parFile.empty()) {
        if (auto written = files::WriteParFile(rec, o.parFile, run.context.settings); !written) {
            say(LangText("Cannot open file") + ": " + o.parFile);
            return kExitUsage;
        }
    }
    if (!o.imageFile.empty()) {
        const std::string bytes(image.begin(), image.end());
        if (auto written = files::WriteFileAtomically(o.imageFile, bytes); !written) {
            say(LangText("Cannot open file") + ": " + o.imageFile);
            return kExitUsage;
        }
    }
    return kExitOk;
}

int commandWrite(const Options& o, Run& run, model::ConfigRecord& rec) {
    const auto& line = run.session.line();
    const int connected = workflow::ConnectedModelCode(line.typeIndex);
    if (!workflow::ModelMatches(rec, line.typeIndex)) {
        if (!o.force) {
            say(LangText("Type of transducer inconsistency") + "! (file " + (rec.Device.empty() ? "-" : rec.Device) +
                ", transducer " + model::ModelName(connected) + "; --force encodes for the transducer)");
            return kExitTransducer;
        }
        rec.Device = model::ModelName(connected);
    }
    if (!o.idTagOnly) {
        if (const int rc = checkWritable(rec); rc != kExitOk) return rc;
    }

    // Start from what the transducer holds, so the bytes the encoder leaves alone stay the device's.
    model::ConfigRecord current;
    model::ConfigImage image{};
    if (const int rc = readInto(run, current, image); rc != kExitOk) return rc;

    model::EncodeOptions options;
    options.today = TodayDays();
    options.selectedModelCode = connected;
    const auto kind = o.idTagOnly ? workflow::WriteKind::IdTagOnly : workflow::WriteKind::Full;
    const auto written = workflow::WriteConfiguration(run.session.link(), line, rec, image, options, kind,
                                                      run.progress());
    if (const int rc = run.report(written); rc != kExitOk) return rc;

    if (o.idTagOnly) {
        if (!workflow::VerifyIdTag(run.session.link(), line, image, run.progress()).ok) {
            say(LangText("Verification ended with errors"));
            return kExitTransducer;
        }
        std::printf("%s\n", LangText("Information transferred").c_str());
        return kExitOk;
    }
    const auto verified = workflow::VerifyConfiguration(run.session.link(), line, image, run.progress());
    if (!verified.verified()) {
        workflow::ShowOutcome(run.ui, verified.outcome);
        if (verified.transferred) printDifferences(verified.differences);
        say(LangText("Verification ended with errors"));
        return kExitTransducer;
    }
    std::printf("%s, %s\n", LangText("Transducer programmed").c_str(), LangText("Verification successful").c_str());
    return kExitOk;
}

int commandVerify(const Options& o, Run& run, model::ConfigRecord& rec) {
    const auto& line = run.session.line();
    // The file's own configuration date, or the date bytes would always differ.
    const auto fileDate = ParseDateText(rec.Informacje.data);
    if (!fileDate) {
        say(o.parFile + ": no valid configuration date");
        return kExitUsage;
    }
    if (rec.Device.empty()) rec.Device = model::ModelName(workflow::ConnectedModelCode(line.typeIndex));
    if (const int rc = checkWritable(rec); rc != kExitOk) return rc;

    model::ConfigImage image{};
    model::EncodeOptions options;
    options.today = *fileDate;
    options.selectedModelCode = workflow::ConnectedModelCode(line.typeIndex);
    if (auto encoded = model::EncodeImage(rec, image, options); !encoded) {
        say(model::TranslateRuleMessage(encoded.error().message) + "!");
        return kExitUsage;
    }
    const auto verified = workflow::VerifyConfiguration(run.session.link(), line, image, run.progress());
    workflow::ShowOutcome(run.ui, verified.outcome);
    if (!verified.transferred) return kExitTransducer;
    if (!verified.differences.empty()) {
        printDifferences(verified.differences);
        return kExitTransducer;
    }
    std::printf("%s\n", LangText("Verification successful").c_str());
    return kExitOk;
}
int commandMonitor(const Options& o, Run& run) {
    Session& session = run.session;
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto interval = std::chrono::duration<double>(o.interval);
    auto next = start;
    int missed = 0;
    std::printf("%s [s]\t%s\t%s [mA]\tstatus\n", LangText("Time").c_str(), LangText("Result").c_str(),
                LangText("Output").c_str());
    std::fflush(stdout);
    while (!g_stop.load()) {
        const auto now = Clock::now();
        const double elapsedS = std::chrono::duration<double>(now - start).count();
        if (o.seconds && elapsedS >= *o.seconds) break;
        if (!session.poll()) {
            if (++missed >= 3) {
                std::printf("%s\t???\t???\t%s\n", files::LogTimeText(elapsedS * 1000.0).c_str(),
                            LangText("No communication with transducer").c_str());
                std::fflush(stdout);
                missed = 0;
            }
            continue;
        }
        missed = 0;
        const auto& s = session.sample();
        std::printf("%s\t%s\t%s\t%s\n", files::LogTimeText(elapsedS * 1000.0).c_str(),
                    files::LogResultText(s.result).c_str(), files::LogOutputText(s.outputMa).c_str(),
                    workflow::StatusText(session.status()).c_str());
        std::fflush(stdout);
        next += std::chrono::duration_cast<Clock::duration>(interval);
        while (!g_stop.load() && Clock::now() < next) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return kExitOk;
}

int commandInfo(Run& run) {
    model::ConfigRecord rec;
    model::ConfigImage image{};
    if (const int rc = readInto(run, rec, image); rc != kExitOk) return rc;
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

}  // namespace

void RequestStop() noexcept { g_stop.store(true); }

int RunCommand(const Options& o, TerminalUi& ui) {
    AppContext context;
    files::LoadSettings(context.settings, files::DesktopRect{});
    // A file that cannot be used is refused before the line is touched.
    model::ConfigRecord fromFile;
    if (o.command == Command::Write || o.command == Command::Verify) {
        if (const int rc = loadParFile(o.parFile, fromFile, context.settings); rc != kExitOk) return rc;
    }
    Session session(context);
    if (const int rc = exitFor(session.open(o.port, files::PortsDir())); rc != kExitOk) return rc;
    Run run{context, session, ui};
    switch (o.command) {
    case Command::Read: return commandRead(o, run);
    case Command::Write: return commandWrite(o, run, fromFile);
    case Command::Verify: return commandVerify(o, run, fromFile);
    case Command::Monitor: return commandMonitor(o, run);
    case Command::Info: return commandInfo(run);
    case Command::Help: break;
    }
    return kExitOk;
}

}  // namespace r4860::cli
