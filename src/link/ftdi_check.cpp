#include "link/ftdi_check.h"

#include <fstream>
#include <string>
#include <system_error>

namespace r4860::link {

namespace {

namespace fs = std::filesystem;

std::string firstWord(const fs::path& file) {
    std::ifstream in(file);
    std::string word;
    in >> word;
    return word;
}

// The USB device that carries the tty: the nearest ancestor of the tty's device folder with a
// vendor and a product id. The interface and usb-serial port folders below it have neither.
fs::path usbDeviceOf(const fs::path& ttyDevice) {
    std::error_code ec;
    fs::path dir = fs::canonical(ttyDevice, ec);
    if (ec) return {};
    for (int depth = 0; depth < 8 && dir.has_relative_path(); ++depth, dir = dir.parent_path()) {
        if (fs::exists(dir / "idVendor", ec) && fs::exists(dir / "idProduct", ec)) return dir;
    }
    return {};
}

}  // namespace

FtdiInfo CheckFtdiAdapter(std::string_view ttyName, const fs::path& sysfsRoot) {
    FtdiInfo info;
    if (ttyName.empty() || ttyName.find('/') != std::string_view::npos) return info;
    const fs::path ttyDevice = sysfsRoot / "class" / "tty" / std::string(ttyName) / "device";
    const fs::path usb = usbDeviceOf(ttyDevice);
    if (usb.empty()) return info;
    if (firstWord(usb / "idVendor") != "0403" || firstWord(usb / "idProduct") != "6001") return info;
    info.isFtdi = true;

    const fs::path latencyFile = ttyDevice / "latency_timer";
    const std::string text = firstWord(latencyFile);
    if (text.empty()) return info;
    try {
        info.latencyBefore = std::stoi(text);
    } catch (...) {
        return info;   // not a number: leave the driver alone
    }
    if (info.latencyBefore <= kMaxLatencyMs) return info;
    std::ofstream out(latencyFile);
    if (!out) return info;   // no rights: silent, the link works, only slower
    out << kMaxLatencyMs << '\n';
    out.flush();
    info.latencyLowered = static_cast<bool>(out);
    return info;
}

}  // namespace r4860::link
