// Control lines for the service commands: the output scale the emulator reports on, and its
// service state as one line a test can check after a tool has let go (or failed to).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/device_engine.h"

namespace r4860::sim {

// The reply to a service control line, or nothing when the line is not one of them.
[[nodiscard]] std::optional<std::string> InterpretServiceControl(std::string_view line, DeviceEngine& engine);
// "service=on register=16 forced=none simulated=none scale=normal"
[[nodiscard]] std::string ServiceState(const DeviceEngine& engine);
[[nodiscard]] std::string ServiceControlHelp();

}  // namespace r4860::sim
