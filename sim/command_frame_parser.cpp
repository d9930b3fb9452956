#include "sim/command_frame_parser.h"

#include <span>

namespace r4860::sim {

using protocol::kEnd;
using protocol::kEsc;
using protocol::kEscXor;
using protocol::kStart;

const char* FrameStatusText(FrameStatus status) noexcept {
    switch (status) {
    case FrameStatus::Ok: return "ok";
    case FrameStatus::BadChecksum: return "bad checksum";
    case FrameStatus::BadAddress: return "bad address";
    case FrameStatus::BadLength: return "bad length";
    case FrameStatus::Truncated: return "truncated";
    }
    return "?";
}

FrameStatus CheckBody(const protocol::Bytes& body) noexcept {
    if (body.size() < 3) return FrameStatus::BadLength;
    if (body[0] != protocol::kHostAddress) return FrameStatus::BadAddress;
    const std::size_t n = body[1];
    if (n == 0 || n > protocol::kMaxCommandData || body.size() != n + 3) return FrameStatus::BadLength;
    const auto data = std::span(body).subspan(2, n);
    return protocol::Checksum(data) == body.back() ? FrameStatus::Ok : FrameStatus::BadChecksum;
}

void CommandFrameParser::feed(std::uint8_t byte, std::int64_t nowUs, bool gapOpen, std::vector<HostFrame>& out) {
    m_lastUs = nowUs;
    if (byte == kStart) {
        if (m_inFrame) {  // a new START inside a frame: the one before was cut short
            m_frame.status = FrameStatus::Truncated;
            out.push_back(std::move(m_frame));
        }
        flushNoise(out);
        m_frame = HostFrame{};
        m_frame.startUs = nowUs;
        m_frame.startedInGap = gapOpen;
        m_frame.wire.push_back(byte);
        m_inFrame = true;
        return;
    }
    if (!m_inFrame) {
        if (m_noise.wire.empty()) {
            m_noise.noise = true;
            m_noise.startUs = nowUs;
            m_noise.startedInGap = gapOpen;
        }
        m_noise.wire.push_back(byte);
        return;
    }
    m_frame.wire.push_back(byte);
    if (byte == kEnd) {
        finishFrame(out);
        return;
    }
    // Longest legal frame: every byte of address, length, 100 data and checksum escaped.
    if (m_frame.wire.size() > 2 * (protocol::kMaxCommandData + 3) + 2) {
        m_frame.status = FrameStatus::BadLength;
        out.push_back(std::move(m_frame));
        m_inFrame = false;
    }
}

void CommandFrameParser::finishFrame(std::vector<HostFrame>& out) {
    m_inFrame = false;
    protocol::Bytes body;
    const auto& w = m_frame.wire;
    for (std::size_t i = 1; i + 1 < w.size(); ++i) {
        if (w[i] != kEsc) {
            body.push_back(w[i]);
            continue;
        }
        if (i + 2 >= w.size()) {  // ESC right before END: the escaped byte is missing
            m_frame.status = FrameStatus::Truncated;
            out.push_back(std::move(m_frame));
            return;
        }
        body.push_back(static_cast<std::uint8_t>(w[++i] ^ kEscXor));
    }
    m_frame.status = CheckBody(body);
    if (m_frame.status == FrameStatus::Ok) m_frame.data.assign(body.begin() + 2, body.end() - 1);
    out.push_back(std::move(m_frame));
}

void CommandFrameParser::flushNoise(std::vector<HostFrame>& out) {
    if (m_noise.wire.empty()) return;
    out.push_back(std::move(m_noise));
    m_noise = HostFrame{};
}

void CommandFrameParser::expire(std::int64_t nowUs, std::vector<HostFrame>& out) {
    if (nowUs - m_lastUs < kIdleUs) return;
    if (m_inFrame) {
        m_frame.status = FrameStatus::Truncated;
        out.push_back(std::move(m_frame));
        m_frame = HostFrame{};
        m_inFrame = false;
    }
    flushNoise(out);
}

std::optional<std::int64_t> CommandFrameParser::deadline() const noexcept {
    if (!m_inFrame && m_noise.wire.empty()) return std::nullopt;
    return m_lastUs + kIdleUs;
}

void CommandFrameParser::reset() noexcept {
    m_inFrame = false;
    m_frame = HostFrame{};
    m_noise = HostFrame{};
}

}  // namespace r4860::sim
