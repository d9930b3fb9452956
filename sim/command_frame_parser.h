// Splits the bytes the host sends into command frames: START, stuffed address, length, data and
// checksum, END. Bytes outside a frame are reported as noise, an unfinished frame after a pause.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "protocol/frame_codec.h"

namespace r4860::sim {

enum class FrameStatus { Ok, BadChecksum, BadAddress, BadLength, Truncated };
[[nodiscard]] const char* FrameStatusText(FrameStatus status) noexcept;

struct HostFrame {
    bool noise = false;               // bytes outside any frame (for example the zeros after '%')
    FrameStatus status = FrameStatus::Ok;
    protocol::Bytes data;             // unstuffed command data, code first (valid frames only)
    protocol::Bytes wire;             // as received
    std::int64_t startUs = 0;         // arrival of the first byte
    bool startedInGap = false;        // the START byte came while the gap was open
};

class CommandFrameParser {
public:
    // A frame that stops arriving for this long is given up; noise is reported after it too.
    static constexpr std::int64_t kIdleUs = 40'000;

    void feed(std::uint8_t byte, std::int64_t nowUs, bool gapOpen, std::vector<HostFrame>& out);
    // Reports an unfinished frame or pending noise once they have been idle for kIdleUs.
    void expire(std::int64_t nowUs, std::vector<HostFrame>& out);
    [[nodiscard]] std::optional<std::int64_t> deadline() const noexcept;
    [[nodiscard]] bool inFrame() const noexcept { return m_inFrame; }
    void reset() noexcept;

private:
    void finishFrame(std::vector<HostFrame>& out);
    void flushNoise(std::vector<HostFrame>& out);

    bool m_inFrame = false;
    HostFrame m_frame;
    HostFrame m_noise;
    std::int64_t m_lastUs = 0;
};

// The checks the firmware makes on a complete frame's unstuffed body (address .. checksum).
[[nodiscard]] FrameStatus CheckBody(const protocol::Bytes& body) noexcept;

}  // namespace r4860::sim
