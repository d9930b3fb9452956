// The bytes that shape every frame on the line. The serial layer times its waits by them and the
// frame codec builds and checks frames with them, so they are defined once, here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace r4860::link {

inline constexpr std::uint8_t kStart = 0xC0;           // first byte of every frame
inline constexpr std::uint8_t kEnd = 0xC1;             // last byte of every frame
inline constexpr std::uint8_t kEsc = 0xCE;             // escape prefix inside a frame
inline constexpr std::uint8_t kEscXor = 0x20;          // an escaped byte is sent XOR this
inline constexpr std::uint8_t kHostAddress = 0x55;     // second byte of every frame the PC sends
inline constexpr std::uint8_t kDeviceAddress = 0x31;   // second byte of every frame the transducer sends
inline constexpr std::uint8_t kReplyLength = 8;        // data bytes of every transducer frame but the ack
inline constexpr std::size_t kReplyFrameBytes = 13;    // a whole transducer frame, unstuffed
inline constexpr std::size_t kAckFrameBytes = 4;       // START, address, 0, END

}  // namespace r4860::link
