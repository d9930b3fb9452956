// Sending one command frame and receiving one transducer frame over the link's port, and the
// three ways the transfer workers time a command to the transducer's frames.
#pragma once

#include "protocol/link.h"

namespace r4860::protocol {

inline constexpr std::uint8_t kOscillatorCode = '%';
inline constexpr std::size_t kOscillatorTrailer = 7;   // 0x00 bytes sent unframed after its ack

// Frames and sends command[1..n] (n = command[0], 1..100; anything else sends nothing and
// fails). With `expectAck`, true only when exactly C0 31 00 C1 comes back; a wrong answer is
// purged from the input with a 50 ms pause. After the acknowledged '%' seven 0x00 bytes follow.
bool SendFrame(Link& link, const FrameBuffer& command, bool expectAck);

// One transducer frame of length 8 into `rx` (length at [0], data [1..8], checksum [9]).
// False on time-out, wrong address or length, bad checksum or a missing END.
bool ReceiveFrame(Link& link, FrameBuffer& rx);

// Waits for a frame (up to 5 receives, fewer when TransferRunning is cleared), then sends;
// up to 10 such cycles while the send fails and TransferRunning stays set. Only a frame whose
// END arrived just now counts: one that had waited in the input is passed over.
bool SendAfterFrame(Link& link, const FrameBuffer& command, FrameBuffer& rx, bool expectAck);
// One receive, then one send when it succeeded; when that frame had waited in the input, the
// send follows the next frame that ends just now (`rx` keeps the first).
bool ReceiveThenSend(Link& link, const FrameBuffer& command, FrameBuffer& rx, bool expectAck);
// Sends a copy with bit 7 of the code set at once (acknowledged), falling back to
// SendAfterFrame with that copy.
bool SendImmediate(Link& link, const FrameBuffer& command, FrameBuffer& rx);

// A command buffer from its data bytes (code first); n = 0 (never sent) when there are more
// than 255.
[[nodiscard]] FrameBuffer MakeCommand(std::span<const std::uint8_t> data);

}  // namespace r4860::protocol
