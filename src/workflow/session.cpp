#include "workflow/session.h"

#include <sys/stat.h>

#include <regex>

#include "common/lang_table.h"
#include "link/port_list.h"
#include "link/port_path.h"

namespace r4860::workflow {

Result<std::string> ResolvePortName(const std::string& port, const std::filesystem::path& portsFolder) {
    static const std::regex kCom("^[Cc][Oo][Mm]([0-9]{1,3})$");
    std::smatch m;
    if (std::regex_match(port, m, kCom)) return link::ResolvePortPath(std::stoi(m[1].str()), portsFolder);
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

bool contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// What the operator can check, after the port and its device named once.
std::string portHint(const std::string& why, const std::filesystem::path& portsFolder) {
    if (contains(why, "Permission denied"))
        return "; the user needs read and write access to it (membership of the 'dialout' group, then log in again)";
    if (contains(why, "busy")) return "; another program has it open";
    std::string hint = "; is the adapter plugged in? Ports on this machine:";
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
        // The link names the device itself; the operator needs the COM name beside it once.
        std::string why = started.error().message;
        if (why.rfind(*path + ": ", 0) == 0) why.erase(0, path->size() + 2);
        const Errc code = started.error().code == Errc::BadArgument ? Errc::BadArgument : Errc::Io;
        return makeError(code, named + ": " + why + (code == Errc::Io ? portHint(why, portsFolder) : ""));
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
