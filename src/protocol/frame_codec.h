// The byte layout of frames on the line: START, address, length, stuffed body, checksum, END.
// Shared by the host side (listener, workers) and the transducer emulator.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "link/frame_bytes.h"

namespace r4860::protocol {

using link::kDeviceAddress;
using link::kEnd;
using link::kEsc;
using link::kEscXor;
using link::kHostAddress;
using link::kReplyLength;
using link::kStart;
inline constexpr std::size_t kMaxCommandData = 100;

// What the transducer sends when it accepts a command: no data, no checksum.
inline constexpr std::array<std::uint8_t, 4> kAckFrame = {kStart, kDeviceAddress, 0x00, kEnd};

using Bytes = std::vector<std::uint8_t>;
using ReplyData = std::array<std::uint8_t, kReplyLength>;

// 255 minus the 8-bit sum: the bitwise complement of the sum of the data bytes only.
[[nodiscard]] std::uint8_t Checksum(std::span<const std::uint8_t> data) noexcept;
[[nodiscard]] constexpr bool NeedsEscape(std::uint8_t b) noexcept { return b == kStart || b == kEnd || b == kEsc; }
void AppendStuffed(Bytes& out, std::uint8_t b);

// A host command frame for 1..100 data bytes (code first); empty for any other length.
[[nodiscard]] Bytes BuildCommandFrame(std::span<const std::uint8_t> data);
// A transducer frame: address and length as they are, the 8 data bytes and checksum stuffed.
[[nodiscard]] Bytes BuildDeviceFrame(const ReplyData& data);

}  // namespace r4860::protocol
