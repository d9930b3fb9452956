#include "protocol/frame_codec.h"

#include <numeric>

namespace r4860::protocol {

std::uint8_t Checksum(std::span<const std::uint8_t> data) noexcept {
    const unsigned sum = std::accumulate(data.begin(), data.end(), 0u);
    return static_cast<std::uint8_t>(255u - (sum & 0xFFu));
}

void AppendStuffed(Bytes& out, std::uint8_t b) {
    if (NeedsEscape(b)) {
        out.push_back(kEsc);
        out.push_back(static_cast<std::uint8_t>(b ^ kEscXor));
    } else {
        out.push_back(b);
    }
}

Bytes BuildCommandFrame(std::span<const std::uint8_t> data) {
    if (data.empty() || data.size() > kMaxCommandData) return {};
    Bytes out;
    out.reserve(2 * data.size() + 8);
    out.push_back(kStart);
    AppendStuffed(out, kHostAddress);
    AppendStuffed(out, static_cast<std::uint8_t>(data.size()));
    for (const auto b : data) AppendStuffed(out, b);
    AppendStuffed(out, Checksum(data));
    out.push_back(kEnd);
    return out;
}

Bytes BuildDeviceFrame(const ReplyData& data) {
    Bytes out;
    out.reserve(24);
    out.push_back(kStart);
    out.push_back(kDeviceAddress);
    out.push_back(kReplyLength);
    for (const auto b : data) AppendStuffed(out, b);
    AppendStuffed(out, Checksum(data));
    out.push_back(kEnd);
    return out;
}

}  // namespace r4860::protocol
