// Why a port could not be opened, as the window and the command-line tool tell the operator:
// "COM5 initialization failed!" with the device it leads to, whether that device is missing,
// may not be opened by this user (and how to get access), or is held by another program.
#pragma once

#include <filesystem>
#include <string>

#include "link/port_problem.h"
#include "workflow/outcome.h"

namespace r4860::protocol {
class Link;
}

namespace r4860::workflow {

struct PortFailure {
    int comNumber = 0;     // 0 when the port was named by its path
    std::string device;    // where the name leads; empty when it leads nowhere
    link::PortProblem problem = link::PortProblem::Failed;
    std::string group;     // NoAccess: the group whose members may open the device
};

// After `link` failed to start on COMn (or on `device` when comNumber is 0).
[[nodiscard]] PortFailure PortFailureOf(const protocol::Link& link, int comNumber,
                                        const std::filesystem::path& portsFolder, const std::string& device = {});

// Why, translated, as a clause after the device: "the device does not exist; is the adapter
// plugged in?".
[[nodiscard]] std::string PortProblemText(const PortFailure& failure);

// The box: the translated "COM%d initialization failed" with "!", then the device and why on
// the next line. Beeped first, as every report of a port that did not open.
[[nodiscard]] Outcome PortFailureOutcome(const PortFailure& failure);

}  // namespace r4860::workflow
