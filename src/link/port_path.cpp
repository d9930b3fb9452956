#include "link/port_path.h"

#include <system_error>

namespace r4860::link {

namespace {

struct PortBlock {
    int firstCom;
    const char* prefix;
};
// 32 numbers per block, in the order the operator is used to from other systems' COM numbering.
constexpr PortBlock kBlocks[] = {{1, "/dev/ttyS"}, {33, "/dev/ttyUSB"}, {65, "/dev/ttyACM"}};
constexpr int kBlockSize = 32;

}  // namespace

Result<std::string> ResolvePortPath(int comNumber, const std::filesystem::path& portsFolder) {
    if (comNumber < kMinComPort || comNumber > kMaxComPort)
        return makeError(Errc::BadArgument, "COM" + std::to_string(comNumber) + ": no such port number");

    if (!portsFolder.empty()) {
        const auto entry = portsFolder / ("COM" + std::to_string(comNumber));
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(entry, ec);
        if (!ec && std::filesystem::is_symlink(status)) {
            auto target = std::filesystem::read_symlink(entry, ec);
            if (ec) return makeError(Errc::Io, entry.string() + ": " + ec.message());
            // A relative link is relative to the folder it lives in, as the kernel reads it.
            if (target.is_relative()) target = portsFolder / target;
            return target.lexically_normal().string();
        }
        // A plain entry (a device node or a file the operator put there) names itself.
        if (!ec && std::filesystem::exists(status)) return entry.string();
    }

    for (const auto& block : kBlocks) {
        const int index = comNumber - block.firstCom;
        if (index >= 0 && index < kBlockSize) return std::string(block.prefix) + std::to_string(index);
    }
    return makeError(Errc::BadArgument,
                     "COM" + std::to_string(comNumber) + ": no device for this number (add ports/COM" +
                         std::to_string(comNumber) + ")");
}

}  // namespace r4860::link
