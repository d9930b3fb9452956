// The frame exchange as a transfer worker sees it. The link's procedures are the real line; the
// seam exists so the workers' request order and fault handling can also be driven by a scripted
// transducer in unit tests.
#pragma once

#include <cstdint>
#include <span>

#include "protocol/frame_codec.h"

namespace r4860::protocol {

class Link;

class TransferLine {
public:
    virtual ~TransferLine() = default;

    // `command` is the data of a command frame: the code, then its parameters (1..100 bytes).
    // `reply` receives the data bytes 1..8 of the transducer frame the call took from the line.
    virtual bool SendAfterFrame(std::span<const std::uint8_t> command, ReplyData& reply, bool expectAck) = 0;
    virtual bool ReceiveThenSend(std::span<const std::uint8_t> command, ReplyData& reply, bool expectAck) = 0;
    virtual bool SendImmediate(std::span<const std::uint8_t> command, ReplyData& reply) = 0;
    virtual bool ReceiveFrame(ReplyData& reply) = 0;
    virtual void DrainInput() = 0;
};

// The line over the link's open port, with the link's exchange procedures.
class LinkTransferLine final : public TransferLine {
public:
    explicit LinkTransferLine(Link& link) : m_link(link) {}

    bool SendAfterFrame(std::span<const std::uint8_t> command, ReplyData& reply, bool expectAck) override;
    bool ReceiveThenSend(std::span<const std::uint8_t> command, ReplyData& reply, bool expectAck) override;
    bool SendImmediate(std::span<const std::uint8_t> command, ReplyData& reply) override;
    bool ReceiveFrame(ReplyData& reply) override;
    void DrainInput() override;

private:
    Link& m_link;
};

}  // namespace r4860::protocol
