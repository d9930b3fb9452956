#include "workflow/session.h"

#include <sys/stat.h>

#include <cctype>
#include <optional>
#include <string_view>

#include "common/lang_table.h"
#include "link/port_list.h"
#include "link/port_path.h"
#include "workflow/port_failure.h"

namespace r4860::workflow {

namespace {

// The number of "COMn" (any case, one to three digits); nothing for any other word.
std::optional<int> comNumberOf(std::string_view port) {
    if (port.size() < 4 || port.size() > 6) return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(port[i])) != "COM"[i]) return std::nullopt;
    int number = 0;
    for (const char c : port.substr(3)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

}  // namespace

Result<std::string> ResolvePortName(const std::string& port, const std::filesystem::path& portsFolder) {
    if (const auto number = comNumberOf(port)) return link::ResolvePortPath(*number, portsFolder);
    // Anything else must be a path; a word such as "COMX" or "usb0" names no port.
    if (port.find('/') == std::string::npos)
        return makeError(Errc::BadArgument, port + ": not a port name (COM1..COM255 or a device path)");
    return port;
}

std::string StatusText(const protocol::StatusFlags& s) {
    std::string text;
    const auto add = [&text](bool on, const std::string& what) {
        if (!on) return;
        if (!text.empty()) text += ", ";
        text += what;
    };
    add(s.EepromError, LangText("EEPROM error"));
    add(s.BrokenSensor, LangText("Broken sensor"));
    add(s.OutOfRange, LangText("Out of range!"));
    add(s.InternalError, LangText("Internal error"));
    add(s.LargeError, LangText("spurious error"));
    add(s.NewAverage, LangText("new average"));
    add(s.CalMode, "Cal mode");   // never translated
    add(s.IndependentOutput, "Independent output");
    return text.empty() ? "ok" : text;
}

namespace {

// What the operator can check: a missing device comes with the ports this machine has, any other
// failure with the system's own words.
std::string portHint(const PortFailure& failure, const std::string& systemText,
                     const std::filesystem::path& portsFolder) {
    std::string hint = PortProblemText(failure);
    if (failure.problem == link::PortProblem::Failed) return hint + " (" + systemText + ")";
    if (failure.problem != link::PortProblem::Missing) return hint;
    hint += " Ports on this machine:";
    const auto ports = link::FindPorts(portsFolder);
    if (ports.empty()) hint += " none found";
    for (const auto& p : ports) hint += "\n  " + p.label();
    return hint;
}

}  // namespace

Status Session::open(const std::string& port, const std::filesystem::path& portsFolder) {
    auto path = ResolvePortName(port, portsFolder);
    if (!path) return makeError(Errc::BadArgument, path.error().message);
    const std::string named = *path == port ? port : port + " (" + *path + ")";
    struct stat st {};
    if (::stat(path->c_str(), &st) == 0 && !S_ISCHR(st.st_mode))
        return makeError(Errc::BadArgument, named + ": not a serial device");
    if (auto started = m_context.link.startOnPath(*path, protocol::kDefaultBaudIndex); !started) {
        const PortFailure failure = PortFailureOf(m_context.link, 0, portsFolder, *path);
        const Errc code = started.error().code == Errc::BadArgument ? Errc::BadArgument : Errc::Io;
        return makeError(code, named + ": " + portHint(failure, started.error().message, portsFolder));
    }
    for (int attempt = 0; attempt < 3 && !m_line.connected; ++attempt)
        m_line.connected = protocol::WaitNewSample(m_context.link, m_sample);
    if (!m_line.connected) return makeError(Errc::Timeout, LangText("No communication with transducer") + "!");
    refreshLine();
    return {};
}

bool Session::poll() {
    const bool fresh = protocol::WaitNewSample(m_context.link, m_sample);
    if (fresh) refreshLine();
    return fresh;
}

void Session::refreshLine() {
    m_line.eepromError = m_context.link.status.EepromError;
    m_line.typeIndex = m_context.link.status.TypeIndex;
    m_line.rtPriority = m_context.settings.RTPriority;
}

}  // namespace r4860::workflow
