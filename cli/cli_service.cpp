#include "cli_service.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "cli_commands.h"
#include "common/lang_table.h"
#include "common/number_text.h"
#include "workflow/corrections.h"
#include "workflow/corrections_commands.h"
#include "workflow/diagnostics_commands.h"
#include "workflow/password.h"
#include "workflow/service_mode.h"
#include "workflow/service_rules.h"

namespace r4860::cli {
namespace {

using Clock = std::chrono::steady_clock;
using workflow::CorrectionPair;
using workflow::LinkServiceLine;
using workflow::ServiceLine;

constexpr double kCorrectionRange = 2.0;
constexpr auto kRowInterval = std::chrono::seconds(1);
constexpr int kSilentPolls = 3;            // about three seconds without a frame
constexpr int kPollsToTakeOutput = 3;      // frames the transducer may take to show the forced output
constexpr std::uint32_t kCorrectionsAddress = 0x00F8;
constexpr const char* kRelease = "--release";

void say(const std::string& text) { std::fprintf(stderr, "r4860-cli: %s\n", text.c_str()); }

Error bad(std::string why) { return makeError(Errc::BadArgument, std::move(why)); }

std::string signedPercent(double v) { return workflow::CorrectionPanelText(v) + "%"; }

// Typed once at a station's keyboard or piped in: never on the command line where others see it.
std::string passwordOf(const Options& o) {
    if (o.password != "-") return o.password;
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// Releases the output and leaves service mode on every way out of `output`, the early ones too.
class ServiceHold {
public:
    explicit ServiceHold(ServiceLine& line) : m_line(line) {}
    ServiceHold(const ServiceHold&) = delete;
    ServiceHold& operator=(const ServiceHold&) = delete;
    ~ServiceHold() { (void)release(); }
    // Runs once; true when the transducer let go.
    bool release() {
        if (m_released) return m_left;
        m_released = true;
        const auto outcome = workflow::LeaveServiceMode(m_line);
        m_left = outcome.ok;
        if (m_left) say("output released, service mode left");
        else say(outcome.message + " " + LangText(workflow::kLeaveServiceKey) + ": r4860-cli --port PORT output --release");
        return m_left;
    }

private:
    ServiceLine& m_line;
    bool m_released = false;
    bool m_left = false;
};

void printRow(double seconds, const workflow::Session& session) {
    std::printf("%10.2f  %8.3f mA  %s\n", seconds, session.sample().outputMa,
                workflow::StatusText(session.status()).c_str());
    std::fflush(stdout);
}

// Holds the output until the time is up or a stop request comes; false when the transducer
// stopped answering or dropped the forced output by itself (restarted, or another program).
bool holdOutput(const Options& o, workflow::Session& session) {
    const auto start = Clock::now();
    const auto deadline = o.seconds ? start + std::chrono::duration_cast<Clock::duration>(
                                                  std::chrono::duration<double>(*o.seconds))
                                    : Clock::time_point::max();
    auto nextRow = start;
    int silent = 0, notForced = 0;
    while (!StopRequested() && Clock::now() < deadline) {
        if (!session.poll()) {
            if (++silent >= kSilentPolls) return say(LangText("No communication with transducer") + "!"), false;
            continue;
        }
        silent = 0;
        notForced = session.status().IndependentOutput ? 0 : notForced + 1;
        if (notForced >= kPollsToTakeOutput) return say("the transducer no longer holds the forced output"), false;
        if (Clock::now() >= nextRow) {
            printRow(std::chrono::duration<double>(Clock::now() - start).count(), session);
            nextRow += kRowInterval;
        }
    }
    return true;
}

int commandOutput(const Options& o, workflow::Session& session, TerminalUi& ui) {
    LinkServiceLine line(session.link(), ui);
    if (o.current == kRelease) {
        const auto left = workflow::LeaveServiceMode(line);
        if (left.ok) say("output released, service mode left");
        else workflow::ShowOutcome(ui, left);
        return left.ok ? kExitOk : kExitTransducer;
    }
    const auto forced = workflow::CorrectionsOutput(o.current, session.status().ExtendedOutputScale);
    if (!forced.counts) {
        say(o.current + " mA: out of range; the output takes " +
            (session.status().ExtendedOutputScale ? "3.00 .. 22.00 mA" : "3.75 .. 21.75 mA"));
        return kExitUsage;
    }
    ServiceHold hold(line);
    if (!workflow::EnterServiceMode(line) || !workflow::ForceOutput(line, *forced.counts)) {
        say(LangText("Command failed") + "!");
        return kExitTransducer;
    }
    say("output forced to " + forced.entry + " mA (" + std::to_string(*forced.counts) + " counts)" +
        (o.seconds ? "" : "; Ctrl-C ends it"));
    const bool held = holdOutput(o, session);
    const bool left = hold.release();
    return held && left ? kExitOk : kExitTransducer;
}

// The correction the operator did not name stays what the transducer holds.
std::optional<CorrectionPair> presentCorrections(ServiceLine& line) {
    const auto held = workflow::ReadMemoryWord(line, kCorrectionsAddress);
    if (!held) return std::nullopt;
    const auto word = [](std::uint8_t high, std::uint8_t low) {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(high << 8 | low)) * 0.01;
    };
    return CorrectionPair{word((*held)[0], (*held)[1]), word((*held)[2], (*held)[3])};
}

int commandTrim(const Options& o, workflow::Session& session, TerminalUi& ui) {
    LinkServiceLine line(session.link(), ui);
    CorrectionPair values;
    if (!o.zero || !o.gain) {
        const auto present = presentCorrections(line);
        if (!present) return say(LangText("Transmission unsuccessful") + "!"), kExitTransducer;
        values = *present;
    }
    // As the corrections window's bars: steps of 0.01 %, and +-2.00 is kept as +-1.9999.
    const auto asWindow = [](double v) {
        return workflow::CorrectionForPosition(workflow::PositionForCorrection(v));
    };
    if (o.zero) values.zero = asWindow(*o.zero);
    if (o.gain) values.gain = asWindow(*o.gain);
    const auto trimmed = workflow::TrimCorrections(line, values);
    if (!trimmed.ok) {
        workflow::ShowOutcome(ui, trimmed);
        return kExitTransducer;
    }
    std::printf("%s %s, %s %s: %s, %s\n", LangText("Zero").c_str(), signedPercent(values.zero).c_str(),
                LangText("Gain").c_str(), signedPercent(values.gain).c_str(),
                LangText("Transducer programmed").c_str(), LangText("Verification successful").c_str());
    return kExitOk;
}

}  // namespace

std::optional<Status> TakeServiceOption(const std::vector<std::string>& args, std::size_t& i, Options& o) {
    const std::string& a = args[i];
    if (a == kRelease) {
        o.current = kRelease;
        return Status{};
    }
    if (a != "--zero" && a != "--gain" && a != "--password") return std::nullopt;
    if (i + 1 >= args.size() || args[i + 1].empty()) return Status(bad(a + " needs a value"));
    const std::string& value = args[++i];
    if (a == "--password") {
        o.password = value;
        return Status{};
    }
    double v = 0.0;
    if (!TextToNum(value, v) || std::fabs(v) > kCorrectionRange)
        return Status(bad(a + " needs a correction from -2 to +2 (% of span)"));
    (a == "--zero" ? o.zero : o.gain) = v;
    return Status{};
}

Status CheckServiceOptions(Options& o, const std::vector<std::string>& positional) {
    const bool service = IsServiceCommand(o.command);
    if (!service && (!o.password.empty() || o.zero || o.gain || !o.current.empty()))
        return bad("--password goes with output and trim, --release with output, --zero and --gain with trim");
    if (o.command == Command::Output) {
        const bool release = o.current == kRelease;
        if (positional.size() != (release ? 0u : 1u)) return bad("output needs one current in mA, or --release");
        if (release) return o.password.empty() ? Status(bad("the command needs --password")) : Status{};
        o.current = positional.front();
        double ma = 0.0;
        if (!TextToNum(o.current, ma)) return bad(o.current + ": not a current in mA");
    } else if (o.command == Command::Trim) {
        if (!positional.empty()) return bad("unexpected argument " + positional.front());
        if (!o.zero && !o.gain) return bad("trim needs --zero, --gain or both");
    }
    if ((o.zero || o.gain) && o.command != Command::Trim) return bad("--zero and --gain go with trim");
    if (service && o.password.empty()) return bad("the command needs --password (the corrections password; - reads it)");
    return {};
}

int CheckServiceAccess(const Options& o, const files::Settings& settings) {
    const auto kind = workflow::CheckPassword(passwordOf(o), settings);
    if (kind == workflow::PasswordKind::Refused) {
        say(LangText("Wrong") + " " + LangText("Password") + "!");
        return kExitUsage;
    }
    // As in the window: the service code opens the diagnostics, which force the output but
    // have no corrections to write.
    if (o.command == Command::Trim && kind != workflow::PasswordKind::Operator) {
        say("trim needs the corrections password; the service code opens the diagnostics only");
        return kExitUsage;
    }
    return kExitOk;
}

int RunServiceCommand(const Options& o, workflow::Session& session, TerminalUi& ui) {
    if (session.line().eepromError) return say(LangText("EEPROM error") + "!"), kExitTransducer;
    return o.command == Command::Output ? commandOutput(o, session, ui) : commandTrim(o, session, ui);
}

std::string ServiceUsageText() {
    return R"(
Service commands (behind the password of the corrections window: --password P,
or --password - to read it from standard input):
  output MA [--seconds N] --password P
      Force the output current to MA mA for a loop check, until Ctrl-C,
      SIGTERM or N seconds; then release it and leave service mode, whatever
      ended the command. The reported current is printed once a second.
      'output --release' only releases a transducer a stopped tool left in
      service mode or with its output forced.
  trim [--zero PERCENT] [--gain PERCENT] --password P
      Store the zero and gain corrections (% of span, -2 .. +2, steps of 0.01)
      as the corrections window writes them, then read them back to verify.
      A correction not named keeps what the transducer holds.
  Exit codes as above; 2 also for a wrong password or a current out of range.
)";
}

}  // namespace r4860::cli
