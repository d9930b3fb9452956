// Why a serial port could not be opened, by what the operator can do about it: plug the adapter
// in, get access to the device, close the program that holds it, or name another port.
#pragma once

#include <string>

namespace r4860::link {

enum class PortProblem {
    None,
    Missing,    // no device behind the name: an adapter unplugged, a dangling entry in the ports folder
    NoAccess,   // the device is there but this user may not open it
    Busy,       // another program holds it
    NotSerial,  // the name leads to something that is not a serial port
    Failed,     // opened but not configured, or another failure of the system
};

// The problem an errno of open() or of claiming the device stands for.
[[nodiscard]] PortProblem PortProblemOfErrno(int err) noexcept;

// The group whose members may open `device` ("dialout" when the device does not say).
[[nodiscard]] std::string DeviceGroup(const std::string& device);

}  // namespace r4860::link
