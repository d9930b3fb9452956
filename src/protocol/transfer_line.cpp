#include "protocol/transfer_line.h"

#include <algorithm>

#include "protocol/exchange.h"
#include "protocol/link.h"

namespace r4860::protocol {
namespace {

// A receive buffer holds the length at [0] and data bytes 1..8 at [1..8].
void takeReply(const FrameBuffer& rx, ReplyData& reply) {
    std::copy_n(rx.begin() + 1, reply.size(), reply.begin());
}

}  // namespace

bool LinkTransferLine::SendAfterFrame(std::span<const std::uint8_t> command, ReplyData& reply, bool expectAck) {
    FrameBuffer rx{};
    const bool ok = protocol::SendAfterFrame(m_link, MakeCommand(command), rx, expectAck);
    takeReply(rx, reply);
    return ok;
}

bool LinkTransferLine::ReceiveThenSend(std::span<const std::uint8_t> command, ReplyData& reply, bool expectAck) {
    FrameBuffer rx{};
    const bool ok = protocol::ReceiveThenSend(m_link, MakeCommand(command), rx, expectAck);
    takeReply(rx, reply);
    return ok;
}

bool LinkTransferLine::SendImmediate(std::span<const std::uint8_t> command, ReplyData& reply) {
    FrameBuffer rx{};
    const bool ok = protocol::SendImmediate(m_link, MakeCommand(command), rx);
    takeReply(rx, reply);
    return ok;
}

bool LinkTransferLine::ReceiveFrame(ReplyData& reply) {
    FrameBuffer rx{};
    const bool ok = protocol::ReceiveFrame(m_link, rx);
    takeReply(rx, reply);
    return ok;
}

void LinkTransferLine::DrainInput() {
    if (auto* port = m_link.port()) (void)port->DrainInput();
}

}  // namespace r4860::protocol
