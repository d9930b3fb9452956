#include "cli_commands.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>

#include "common/catalogues.h"
#include "common/date_text.h"
#include "common/lang_table.h"
#include "common/number_text.h"
#include "config_summary.h"
#include "files/app_paths.h"
#include "files/atomic_file.h"
#include "files/log_file.h"
#include "files/par_file.h"
#include "files/settings.h"
#include "files/settings_file.h"
#include "files/table_file.h"
#include "link/port_path.h"
#include "model/config_image.h"
#include "model/models.h"
#include "model/transfer_function.h"
#include "protocol/config_commands.h"
#include "protocol/link.h"
#include "protocol/listener.h"
#include "protocol/measurement.h"
#include "protocol/transfer_runner.h"

namespace r4860::cli {
namespace {

namespace fs = std::filesystem;
using protocol::Link;

std::atomic<bool> g_stop{false};

void say(const std::string& text) { std::fprintf(stderr, "r4860-cli: %s\n", text.c_str()); }

// A failure the operator must hear about, with the exit code it maps to.
struct Failure {
    int exitCode;
};

// The port as the operator named it: a device path, or COMn through the ports folder.
Result<std::string> devicePath(const std::string& port) {
    static const std::regex kCom("^[Cc][Oo][Mm]([0-9]{1,3})$");
    std::smatch m;
    if (!std::regex_match(port, m, kCom)) return port;
    return link::ResolvePortPath(std::stoi(m[1].str()), files::PortsDir());
}

// The link up and one measurement frame seen, as the main window's polling would know it.
class Session {
public:
    explicit Session(UiHooks& ui) : m_ui(ui) {}
    ~Session() { protocol::StopLink(m_link); }

    int open(const std::string& port) {
        auto path = devicePath(port);
        if (!path) {
            say(path.error().message);
            return kExitUsage;
        }
        if (auto started = protocol::StartLinkOnPath(m_link, *path, protocol::kDefaultBaudIndex); !started) {
            say(*path + ": " + started.error().message);
            return kExitTransducer;
        }
        for (int attempt = 0; attempt < 3 && !m_line.connected; ++attempt)
            m_line.connected = protocol::WaitNewSample(m_link, m_sample);
        if (!m_line.connected) {
            say(LangText("No communication with transducer") + "!");
            return kExitTransducer;
        }
        refreshLine();
        return kExitOk;
    }

    // The status of the newest frame; the line state follows it.
    bool poll() {
        const bool fresh = protocol::WaitNewSample(m_link, m_sample);
        if (fresh) refreshLine();
        return fresh;
    }

    Link& link() { return m_link; }
    UiHooks& ui() { return m_ui; }
    const protocol::LineState& line() const { return m_line; }
    const protocol::MeasurementSample& sample() const { return m_sample; }

private:
    void refreshLine() {
        m_line.eepromError = m_link.status.EepromError;
        m_line.typeIndex = m_link.status.TypeIndex;
        m_line.rtPriority = files::AppSettings().RTPriority;
    }

    UiHooks& m_ui;
    Link m_link;
    protocol::LineState m_line;
    protocol::MeasurementSample m_sample;
};

std::string statusText(const protocol::StatusFlags& s) {
    std::string text;
    auto add = [&](bool on, std::string_view key) {
        if (!on) return;
        if (!text.empty()) text += ", ";
        text += LangText(key);
    };
    add(s.EepromError, "EEPROM error");
    add(s.BrokenSensor, "Broken sensor");
    add(s.OutOfRange, "Out of range!");
    add(s.InternalError, "Internal error");
    add(s.LargeError, "spurious error");
    add(s.NewAverage, "new average");
    if (s.CalMode) text += text.empty() ? "Cal mode" : ", Cal mode";
    if (s.IndependentOutput) text += text.empty() ? "Independent output" : ", Independent output";
    return text.empty() ? "ok" : text;
}

int readInto(Session& session, model::ConfigRecord& rec, model::ConfigImage& image) {
    if (!protocol::ReadConfiguration(session.link(), session.ui(), session.line(), rec, image).ok)
        return kExitTransducer;
    return kExitOk;
}

// A user table the parameter file names: beside the file first, then in the data folder.
int loadNamedTable(model::ConfigRecord& rec, const fs::path& parFile) {
    const bool needsTable =
        rec.Czujnik.Lin == 2 && (rec.Czujnik.Typ == 15 || IsSignalInput(rec.Czujnik.Typ));
    if (!needsTable) return kExitOk;
    if (rec.File.empty()) {
        say(LangText("User defined sensor or conversion") + "! " + LangText("No data available") + ".");
        return kExitUsage;
    }
    const fs::path name = fs::path(rec.File).filename();
    std::vector<fs::path> dirs{parFile.parent_path().empty() ? fs::path(".") : parFile.parent_path()};
    if (!files::AppSettings().DataDir.empty()) dirs.emplace_back(files::AppSettings().DataDir);
    const auto found = files::FindFileIn(dirs, name.string());
    if (!found) {
        say(LangText("Cannot open file") + ": " + rec.File);
        return kExitUsage;
    }
    auto loaded = files::LoadTableFile(*found, rec);
    if (!loaded) {
        say(LangText("Cannot open file") + ": " + found->string());
        return kExitUsage;
    }
    if (!loaded->outcome.ok) {
        say(found->string() + ": " + files::TableFailureText(loaded->outcome.message));
        return kExitUsage;
    }
    files::SetTableRange(rec);
    rec.TableLoaded = true;
    return kExitOk;
}

// What the windows check before they let a configuration be written: a power series must sample
// monotonically, and the encoder must accept the codes and values.
int checkWritable(model::ConfigRecord& rec) {
    if (rec.Czujnik.Lin == 8 && IsSignalInput(rec.Czujnik.Typ) && !rec.TableLoaded) {
        std::string message;
        if (!model::SampleSeries(rec, message)) {
            say(model::TranslateRuleMessage(message) + "!");
            return kExitUsage;
        }
        rec.TableLoaded = true;
    }
    if (auto encodable = model::CheckEncodable(rec, TodayDays()); !encodable) {
        say(model::TranslateRuleMessage(encodable.error().message) + "!");
        return kExitUsage;
    }
    if (auto tf = model::ComputeTransferFunction(rec); !tf) {
        say(model::TranslateRuleMessage(tf.error().message) + "!");
        return kExitUsage;
    }
    return kExitOk;
}

int loadParFile(const std::string& file, model::ConfigRecord& rec) {
    if (auto read = files::ReadParFile(rec, file, files::AppSettings()); !read) {
        say(file + ": " + (read.error().code == Errc::Io ? LangText("Cannot open file")
                                                          : "not a parameter file (" + read.error().message + ")"));
        return kExitUsage;
    }
    return loadNamedTable(rec, file);
}

void printDifferences(const std::vector<std::size_t>& offsets) {
    std::printf("%zu differing offsets:", offsets.size());
    for (const auto o : offsets) std::printf(" 0x%02zX", o);
    std::printf("\n");
}

int commandRead(const Options& o, Session& session) {
    model::ConfigRecord rec;
    model::ConfigImage image{};
    if (const int rc = readInto(session, rec, image); rc != kExitOk) return rc;
    std::fputs(ConfigSummary(rec).c_str(), stdout);
    if (!o.parFile.empty()) {
        if (auto written = files::WriteParFile(rec, o.parFile, files::AppSettings()); !written) {
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

// Reads the transducer back over the ID tag block and compares it with what was sent.
bool idTagArrived(Session& session, const model::ConfigImage& sent) {
    model::ConfigImage image = sent;
    protocol::TransferRequest request;
    request.caption = LangText("Verifying...");
    request.connected = session.line().connected;
    const protocol::ReadRanges tagRange = protocol::MakeReadRanges(
        std::array<protocol::AddressRange, 1>{protocol::AddressRange{0x6C, 0x7B}});
    for (std::size_t i = 0x6C; i <= 0x7A; ++i) image[i] = 0;
    if (!protocol::RunReadTransfer(session.link(), session.ui(), request, tagRange, session.line().eepromError, image))
        return false;
    return std::equal(image.begin() + 0x6C, image.begin() + 0x7B, sent.begin() + 0x6C);
}

int commandWrite(const Options& o, Session& session, model::ConfigRecord& rec) {

    const int connected = protocol::ConnectedModelCode(session.line().typeIndex);
    if (!protocol::ModelMatches(rec, session.line().typeIndex)) {
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
    if (const int rc = readInto(session, current, image); rc != kExitOk) return rc;

    model::EncodeOptions options;
    options.today = TodayDays();
    options.selectedModelCode = connected;
    const auto kind = o.idTagOnly ? protocol::WriteKind::IdTagOnly : protocol::WriteKind::Full;
    if (!protocol::WriteConfiguration(session.link(), session.ui(), session.line(), rec, image, options, kind))
        return kExitTransducer;

    if (o.idTagOnly) {
        if (!idTagArrived(session, image)) {
            say(LangText("Verification ended with errors"));
            return kExitTransducer;
        }
        std::printf("%s\n", LangText("Information transferred").c_str());
        return kExitOk;
    }
    const auto verified = protocol::VerifyConfiguration(session.link(), session.ui(), session.line(), image);
    if (!verified.verified()) {
        if (verified.transferred) printDifferences(verified.differences);
        say(LangText("Verification ended with errors"));
        return kExitTransducer;
    }
    std::printf("%s, %s\n", LangText("Transducer programmed").c_str(), LangText("Verification successful").c_str());
    return kExitOk;
}

int commandVerify(const Options& o, Session& session, model::ConfigRecord& rec) {
    // The file's own configuration date, or the date bytes would always differ.
    const auto fileDate = ParseDateText(rec.Informacje.data);
    if (!fileDate) {
        say(o.parFile + ": no valid configuration date");
        return kExitUsage;
    }
    if (rec.Device.empty()) rec.Device = model::ModelName(protocol::ConnectedModelCode(session.line().typeIndex));
    if (const int rc = checkWritable(rec); rc != kExitOk) return rc;

    model::ConfigImage image{};
    model::EncodeOptions options;
    options.today = *fileDate;
    options.selectedModelCode = protocol::ConnectedModelCode(session.line().typeIndex);
    if (auto encoded = model::EncodeImage(rec, image, options); !encoded) {
        say(model::TranslateRuleMessage(encoded.error().message) + "!");
        return kExitUsage;
    }
    const auto verified = protocol::VerifyConfiguration(session.link(), session.ui(), session.line(), image);
    if (!verified.transferred) return kExitTransducer;
    if (!verified.differences.empty()) {
        printDifferences(verified.differences);
        return kExitTransducer;
    }
    std::printf("%s\n", LangText("Verification successful").c_str());
    return kExitOk;
}

int commandMonitor(const Options& o, Session& session) {
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
                    statusText(session.link().status).c_str());
        std::fflush(stdout);
        next += std::chrono::duration_cast<Clock::duration>(interval);
        while (!g_stop.load() && Clock::now() < next) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return kExitOk;
}

int commandInfo(Session& session) {
    model::ConfigRecord rec;
    model::ConfigImage image{};
    if (const int rc = readInto(session, rec, image); rc != kExitOk) return rc;
    session.poll();
    const auto& status = session.link().status;
    std::printf("Model:               %s\n", rec.Device.c_str());
    std::printf("Reported model:      %s (index %d)\n",
                model::ModelName(protocol::ConnectedModelCode(status.TypeIndex)).c_str(), status.TypeIndex);
    std::printf("Serial number:       %s\n", rec.Informacje.serial.c_str());
    std::printf("Inner code version:  %s\n", rec.Informacje.CodeVersion.c_str());
    std::printf("Unit of the result:  %s\n", std::string(UnitName(status.UnitIndex)).c_str());
    std::printf("Status:              %s\n", statusText(status).c_str());
    return kExitOk;
}

}  // namespace

void RequestStop() noexcept { g_stop.store(true); }

int RunCommand(const Options& o, TerminalUi& ui) {
    files::LoadSettings(files::AppSettings(), files::DesktopRect{});
    // A file that cannot be used is refused before the line is touched.
    model::ConfigRecord fromFile;
    if (o.command == Command::Write || o.command == Command::Verify) {
        if (const int rc = loadParFile(o.parFile, fromFile); rc != kExitOk) return rc;
    }
    Session session(ui);
    if (const int rc = session.open(o.port); rc != kExitOk) return rc;
    switch (o.command) {
    case Command::Read: return commandRead(o, session);
    case Command::Write: return commandWrite(o, session, fromFile);
    case Command::Verify: return commandVerify(o, session, fromFile);
    case Command::Monitor: return commandMonitor(o, session);
    case Command::Info: return commandInfo(session);
    case Command::Help: break;
    }
    return kExitOk;
}

}  // namespace r4860::cli
