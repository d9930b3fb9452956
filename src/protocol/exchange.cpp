#include "protocol/exchange.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "protocol/frame_codec.h"

namespace r4860::protocol {

namespace {

using namespace std::chrono_literals;

constexpr int kSendCycles = 10;
constexpr int kReceivesPerCycle = 5;
constexpr int kStartSearchLimit = 25;
constexpr std::size_t kStuffedFieldCount = kReplyLength + 1;   // 8 data bytes and the checksum
constexpr std::uint8_t kImmediateBit = 0x80;

bool readUnstuffed(link::SerialPort& port, std::uint8_t& byte) {
    if (!port.ReadByte(byte)) return false;
    if (byte != kEsc) return true;
    if (!port.ReadByte(byte)) return false;
    byte ^= kEscXor;
    return true;
}

// The transducer listens only for a short while after each of its frames. A frame that waited in
// the input (it came during the pause after a wrong answer, say) still gives its data but is no
// moment to send: that needs nothing come after its END, and the END arrived at most two
// character times ago, so the command starts well inside the shortest gap. The port's bound on
// the arrival may lie up to one character early (it sleeps through whole characters), hence three.
bool frameJustEnded(link::SerialPort& port) {
    const auto window = std::chrono::microseconds(std::llround(3000.0 * port.charTimes().charTime));
    return port.lastByteJustArrived(window);
}

// Receives until a frame has just ended, up to five frames (fewer when TransferRunning is
// cleared); the last frame taken is in `rx`.
bool receiveFrameJustEnded(Link& link, FrameBuffer& rx) {
    for (int attempt = 0; attempt < kReceivesPerCycle; ++attempt) {
        if (ReceiveFrame(link, rx) && frameJustEnded(*link.port())) return true;
        if (!link.transferRunning()) return false;
    }
    return false;
}

}  // namespace

FrameBuffer MakeCommand(std::span<const std::uint8_t> data) {
    FrameBuffer buffer{};
    if (data.size() >= buffer.size()) return buffer;
    buffer[0] = static_cast<std::uint8_t>(data.size());
    std::copy(data.begin(), data.end(), buffer.begin() + 1);
    return buffer;
}

bool SendFrame(Link& link, const FrameBuffer& command, bool expectAck) {
    link::SerialPort* port = link.port();
    const std::size_t n = command[0];
    if (port == nullptr || n == 0 || n > kMaxCommandData) return false;
    const bool oscillator = command[1] == kOscillatorCode;
    const Bytes frame = BuildCommandFrame(std::span<const std::uint8_t>(command.data() + 1, n));

    port->pause(1ms);
    if (!port->WriteBlock(frame)) return false;
    if (!expectAck) return true;

    (void)port->WaitForInput(100ms);   // an early false is fine: the reads below decide
    std::uint8_t byte = 0;
    if (!port->ReadByte(byte)) return false;
    bool matched = byte == kAckFrame[0];
    for (std::size_t i = 1; matched && i < kAckFrame.size(); ++i) matched = port->ReadByte(byte) && byte == kAckFrame[i];
    if (matched && oscillator) {
        const std::array<std::uint8_t, kOscillatorTrailer> zeros{};
        (void)port->WriteBlock(zeros);
    }
    if (!matched) {
        // Whatever came instead (a measurement frame, noise) must not be taken for the next frame's start.
        (void)port->purgeInput();
        port->pause(50ms);
    }
    return matched;
}

bool ReceiveFrame(Link& link, FrameBuffer& rx) {
    link::SerialPort* port = link.port();
    if (port == nullptr || !port->WaitForInput(200ms, link::kReplyFrameBytes)) return false;
    std::uint8_t byte = 0;
    // Skip to START; after 25 other bytes go on as if it had come, the checks below decide.
    for (int i = 0; i < kStartSearchLimit; ++i) {
        if (!port->ReadByte(byte)) return false;
        if (byte == kStart) break;
    }
    if (!port->ReadByte(byte) || byte != kDeviceAddress) return false;
    if (!port->ReadByte(byte)) return false;
    rx[0] = byte;
    if (byte != kReplyLength) return false;
    for (std::size_t i = 1; i <= kStuffedFieldCount; ++i) {
        if (!readUnstuffed(*port, byte)) return false;
        rx[i] = byte;
    }
    const bool checksumOk = rx[kStuffedFieldCount] == Checksum(std::span<const std::uint8_t>(rx.data() + 1, kReplyLength));
    const bool endOk = port->ReadByte(byte) && byte == kEnd;
    return checksumOk && endOk;
}

bool SendAfterFrame(Link& link, const FrameBuffer& command, FrameBuffer& rx, bool expectAck) {
    for (int cycle = 0; cycle < kSendCycles; ++cycle) {
        if (!receiveFrameJustEnded(link, rx)) return false;
        if (SendFrame(link, command, expectAck)) return true;
        if (!link.transferRunning()) return false;
    }
    return false;
}

bool ReceiveThenSend(Link& link, const FrameBuffer& command, FrameBuffer& rx, bool expectAck) {
    if (!ReceiveFrame(link, rx)) return false;
    if (!frameJustEnded(*link.port())) {
        // `rx` keeps the frame asked for; the command waits for one that ends while we listen.
        FrameBuffer later{};
        if (!receiveFrameJustEnded(link, later)) return false;
    }
    return SendFrame(link, command, expectAck);
}

bool SendImmediate(Link& link, const FrameBuffer& command, FrameBuffer& rx) {
    FrameBuffer marked = command;
    marked[1] |= kImmediateBit;
    if (SendFrame(link, marked, true)) return true;
    return SendAfterFrame(link, marked, rx, true);
}

}  // namespace r4860::protocol
