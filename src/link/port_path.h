// Which device file a COM number names on this machine: the operator's own link in the ports
// folder wins, otherwise the fixed blocks of built-in, USB and ACM ports.
#pragma once

#include <filesystem>
#include <string>

#include "common/result.h"

namespace r4860::link {

inline constexpr int kMinComPort = 1;
inline constexpr int kMaxComPort = 255;

// COMn for n in 1..255: the target of `portsFolder`/COMn when that entry exists (a symbolic link
// made by the user, the installer or the emulator); else COM1-32 -> /dev/ttyS0-31,
// COM33-64 -> /dev/ttyUSB0-31, COM65-96 -> /dev/ttyACM0-31. Other numbers without a link in the
// folder are BadArgument. The device itself is not opened, so a missing one is not an error here.
[[nodiscard]] Result<std::string> ResolvePortPath(int comNumber, const std::filesystem::path& portsFolder);

}  // namespace r4860::link
