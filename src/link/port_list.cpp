#include "link/port_list.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <system_error>

#include "common/lang_table.h"
#include "link/port_path.h"

namespace r4860::link {
namespace {

namespace fs = std::filesystem;

struct DeviceBlock {
    int firstCom;
    const char* prefix;
    bool needsHardware;   // built-in UART nodes exist whether or not a chip is behind them
};
constexpr DeviceBlock kBlocks[] = {{1, "ttyS", true}, {33, "ttyUSB", false}, {65, "ttyACM", false}};
constexpr int kBlockSize = 32;

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// The USB device a tty belongs to is a few folders up from its interface; it names maker and product.
std::string usbDescription(const fs::path& ttyClassDir) {
    std::error_code ec;
    fs::path dir = fs::canonical(ttyClassDir / "device", ec);
    for (int up = 0; !ec && up < 4 && !dir.empty(); ++up, dir = dir.parent_path()) {
        if (!fs::exists(dir / "product", ec)) continue;
        const std::string maker = firstLine(dir / "manufacturer");
        const std::string product = firstLine(dir / "product");
        return maker.empty() ? product : maker + " " + product;
    }
    return {};
}

// A built-in port counts when the kernel bound a platform or PCI device to it beyond the legacy
// placeholders, which it marks by leaving the port type unknown in sysfs.
bool hasHardware(const fs::path& ttyClassDir) {
    const std::string type = firstLine(ttyClassDir / "type");
    return !type.empty() && type != "0";
}

}  // namespace

std::string FoundPort::label() const {
    std::string text = "COM" + std::to_string(comNumber) + "  " + device;
    if (!description.empty()) text += "  " + description;
    if (missing) text += "  (" + LangText("device missing") + ")";
    return text;
}

std::vector<FoundPort> FindPorts(const fs::path& portsFolder, const fs::path& sysfsRoot, const fs::path& devRoot) {
    std::map<int, FoundPort> found;
    std::error_code ec;
    if (!portsFolder.empty() && fs::is_directory(portsFolder, ec)) {
        for (const auto& entry : fs::directory_iterator(portsFolder, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.size() < 4 || name.compare(0, 3, "COM") != 0) continue;
            const std::string digits = name.substr(3);
            if (digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) continue;
            const int com = std::stoi(digits);
            auto device = ResolvePortPath(com, portsFolder);
            if (device) found[com] = FoundPort{com, *device, {}, !fs::exists(*device, ec)};
        }
    }
    for (const auto& block : kBlocks) {
        for (int i = 0; i < kBlockSize; ++i) {
            const int com = block.firstCom + i;
            const std::string name = block.prefix + std::to_string(i);
            if (found.count(com) != 0 || !fs::exists(devRoot / name, ec)) continue;
            const fs::path classDir = sysfsRoot / "class" / "tty" / name;
            if (block.needsHardware && !hasHardware(classDir)) continue;
            const std::string description = block.needsHardware ? "" : usbDescription(classDir);
            found[com] = FoundPort{com, (devRoot / name).string(), description, false};
        }
    }
    std::vector<FoundPort> out;
    for (auto& [com, port] : found) out.push_back(std::move(port));
    return out;
}

}  // namespace r4860::link
