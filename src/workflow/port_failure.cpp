#include "workflow/port_failure.h"

#include "common/lang_table.h"
#include "link/port_path.h"
#include "protocol/link.h"

namespace r4860::workflow {

using link::PortProblem;

PortFailure PortFailureOf(const protocol::Link& link, int comNumber, const std::filesystem::path& portsFolder,
                          const std::string& device) {
    PortFailure f;
    f.comNumber = comNumber;
    f.problem = link.startProblem() == PortProblem::None ? PortProblem::Failed : link.startProblem();
    f.device = device;
    if (comNumber != 0) {
        const auto resolved = link::ResolvePortPath(comNumber, portsFolder);
        f.device = resolved ? *resolved : std::string();
    }
    if (f.problem == PortProblem::NoAccess) f.group = link::DeviceGroup(f.device);
    return f;
}

std::string PortProblemText(const PortFailure& failure) {
    switch (failure.problem) {
    case PortProblem::Missing:
        return LangText(failure.device.empty() ? "no device is known by this number"
                                               : "the device does not exist; is the adapter plugged in?");
    case PortProblem::NoAccess: {
        std::string text = LangText("this user may not open it; members of the group %1 may (add the user to it, "
                                    "then log in again)");
        if (const auto at = text.find("%1"); at != std::string::npos) text.replace(at, 2, failure.group);
        return text;
    }
    case PortProblem::Busy: return LangText("another program holds it");
    case PortProblem::NotSerial: return LangText("it is not a serial port");
    case PortProblem::None:
    case PortProblem::Failed: break;
    }
    return LangText("it could not be set up for the transducer");
}

Outcome PortFailureOutcome(const PortFailure& failure) {
    std::string text = LangText("COM%d initialization failed") + "!";
    if (const auto at = text.find("%d"); at != std::string::npos)
        text.replace(at, 2, std::to_string(failure.comNumber));
    text += "\n" + (failure.device.empty() ? std::string() : failure.device + ": ") + PortProblemText(failure);
    Outcome o;
    o.beep = Beep::Asterisk;
    o.message = std::move(text);
    o.icon = MessageIcon::None;
    return o;
}

}  // namespace r4860::workflow
