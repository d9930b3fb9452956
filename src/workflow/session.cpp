#include "workflow/session.h"

#include <regex>

#include "common/lang_table.h"
#include "link/port_path.h"

namespace r4860::workflow {

Result<std::string> ResolvePortName(const std::string& port, const std::filesystem::path& portsFolder) {
    static const std::regex kCom("^[Cc][Oo][Mm]([0-9]{1,3})$");
    std::smatch m;
    if (!std::regex_match(port, m, kCom)) return port;
    return link::ResolvePortPath(std::stoi(m[1].str()), portsFolder);
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

Status Session::open(const std::string& port, const std::filesystem::path& portsFolder) {
    auto path = ResolvePortName(port, portsFolder);
    if (!path) return makeError(Errc::BadArgument, path.error().message);
    if (auto started = m_context.link.startOnPath(*path, protocol::kDefaultBaudIndex); !started)
        return makeError(Errc::Io, *path + ": " + started.error().message);
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
