// Recognises a tty that belongs to an FTDI 0403:6001 USB adapter and lowers its latency timer,
// the one driver setting that decides whether a command still falls into the transducer's gap.
#pragma once

#include <filesystem>
#include <string_view>

namespace r4860::link {

struct FtdiInfo {
    bool isFtdi = false;
    int latencyBefore = -1;   // ms as the driver had it; -1 when unknown
    bool latencyLowered = false;
};

inline constexpr int kMaxLatencyMs = 2;

// `ttyName` is the kernel name ("ttyUSB0"); `sysfsRoot` is "/sys" except in tests. Walks from
// class/tty/<name>/device up to the USB device with idVendor/idProduct; a latency_timer above
// 2 ms is rewritten to 2 when writable. Lack of rights or a missing tree is silent (not FTDI).
[[nodiscard]] FtdiInfo CheckFtdiAdapter(std::string_view ttyName,
                                        const std::filesystem::path& sysfsRoot = "/sys");

}  // namespace r4860::link
