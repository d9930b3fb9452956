// The serial ports of this machine as the operator names them: each COM number that leads to a
// device here, with the device path and, for USB adapters, the maker and product, so adapters of
// one kind can be told apart. The port dialog and the command-line tool's hints both show it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace r4860::link {

struct FoundPort {
    int comNumber = 0;
    std::string device;       // "/dev/ttyUSB0"
    std::string description;  // "FTDI FT232R USB UART"; empty when the system tells nothing
    bool missing = false;     // an entry of the ports folder that leads to no device (unplugged)
    // "COM33  /dev/ttyUSB0  FTDI FT232R USB UART"; a missing one says so, translated.
    [[nodiscard]] std::string label() const;
};

// The entries COMn of the ports folder (whatever they point to, marked when that is nothing),
// then every USB and ACM device present and the built-in ports that have hardware behind them,
// ordered by COM number; a number appears once (the folder's entry wins). `sysfsRoot` and
// `devRoot` are "/sys" and "/dev" except in tests.
[[nodiscard]] std::vector<FoundPort> FindPorts(const std::filesystem::path& portsFolder,
                                               const std::filesystem::path& sysfsRoot = "/sys",
                                               const std::filesystem::path& devRoot = "/dev");

}  // namespace r4860::link
