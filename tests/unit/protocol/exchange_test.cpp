#include "protocol/exchange.h"

#include <gtest/gtest.h>

#include <thread>

#include "protocol/frame_codec.h"
#include "support/pty_pair.h"

namespace r4860::protocol {
namespace {

using namespace std::chrono_literals;
using testing::PtyPair;

// A link whose port is the slave of a fresh pty pair; the test is the transducer on the master.
class ExchangeOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        auto port = link::SerialPort::OpenPath(pty.slavePath());
        ASSERT_TRUE(port) << port.error().message;
        ASSERT_TRUE((*port)->Configure(4800));
        link.port = std::move(*port);
    }

    // Plays the transducer for one command: waits for a whole command frame, then answers.
    std::thread answerNextCommand(Bytes answer, Bytes* received = nullptr) {
        return std::thread([this, answer = std::move(answer), received] {
            const Bytes got = readCommand();
            if (!answer.empty()) pty.write(answer);
            if (received != nullptr) *received = got;
        });
    }

    // What the host sends up to its END, as soon as END is there (the gap is short).
    Bytes readCommand() {
        Bytes got;
        const auto end = std::chrono::steady_clock::now() + 1s;
        while ((got.empty() || got.back() != kEnd) && std::chrono::steady_clock::now() < end) {
            const Bytes more = pty.read(2ms, 20ms);
            got.insert(got.end(), more.begin(), more.end());
        }
        return got;
    }

    PtyPair pty;
    Link link;
    FrameBuffer rx{};
};

const ReplyData kMeasurement = {0x85, 0x48, 0x00, 0x00, 0x20, 0x00, 0x03, 0x00};

TEST_F(ExchangeOnPty, ReceiveFrameUnstuffsDataAndChecksum) {
    const ReplyData data = {0x7F, 0xC1, 0xC0, 0xCE, 0x00, 0x24, 0x00, 0x05};
    pty.write(BuildDeviceFrame(data));
    ASSERT_TRUE(ReceiveFrame(link, rx));
    EXPECT_EQ(rx[0], 8);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), rx.begin() + 1));
    EXPECT_EQ(rx[9], Checksum(data));
}

TEST_F(ExchangeOnPty, ReceiveFrameSkipsNoiseBeforeStart) {
    Bytes wire = {0x00, 0x31, 0x08, 0x55, 0xC1};   // the tail of a frame we came in on
    const Bytes frame = BuildDeviceFrame(kMeasurement);
    wire.insert(wire.end(), frame.begin(), frame.end());
    pty.write(wire);
    ASSERT_TRUE(ReceiveFrame(link, rx));
    EXPECT_TRUE(std::equal(kMeasurement.begin(), kMeasurement.end(), rx.begin() + 1));
}

struct BadFrame {
    const char* why;
    Bytes wire;
};

class BadFrames : public ExchangeOnPty, public ::testing::WithParamInterface<BadFrame> {};

TEST_P(BadFrames, AreDropped) {
    const auto& [why, wire] = GetParam();
    pty.write(wire);
    EXPECT_FALSE(ReceiveFrame(link, rx)) << why;
}

Bytes withByte(Bytes wire, std::size_t at, std::uint8_t value) {
    wire[at] = value;
    return wire;
}

INSTANTIATE_TEST_SUITE_P(Frames, BadFrames, ::testing::Values(
    BadFrame{"the host's address is not the transducer's", withByte(BuildDeviceFrame(kMeasurement), 1, kHostAddress)},
    BadFrame{"an acknowledgement is not a measurement", {0xC0, 0x31, 0x00, 0xC1}},
    BadFrame{"a wrong checksum", withByte(BuildDeviceFrame(kMeasurement), 11, 0x00)},
    BadFrame{"a damaged data byte", withByte(BuildDeviceFrame(kMeasurement), 5, 0x01)},
    BadFrame{"END missing", withByte(BuildDeviceFrame(kMeasurement), 12, 0x00)},
    BadFrame{"cut short", {0xC0, 0x31, 0x08, 0x85, 0x48}},
    BadFrame{"nothing at all", {}}));

TEST_F(ExchangeOnPty, SendFrameStuffsTheCommandAndAcceptsOnlyTheExactAck) {
    Bytes received;
    auto peer = answerNextCommand({0xC0, 0x31, 0x00, 0xC1}, &received);
    EXPECT_TRUE(SendFrame(link, MakeCommand(Bytes{'D', 1, 0x00, 0xC0, 0xCE}), true));
    peer.join();
    EXPECT_EQ(received, BuildCommandFrame(Bytes{'D', 1, 0x00, 0xC0, 0xCE}));
    EXPECT_EQ(received, (Bytes{0xC0, 0x55, 0x05, 'D', 0x01, 0x00, 0xCE, 0xE0, 0xCE, 0xEE, 0x2C, 0xC1}));

    peer = answerNextCommand({0xC0, 0x31, 0x00, 0xFF, 0xC1});
    EXPECT_FALSE(SendFrame(link, MakeCommand(Bytes{'m', 16}), true)) << "the ack has no checksum byte";
    peer.join();

    peer = answerNextCommand({});
    EXPECT_FALSE(SendFrame(link, MakeCommand(Bytes{'m', 16}), true)) << "no answer";
    peer.join();
}

TEST_F(ExchangeOnPty, AFailedAckLeavesNoStaleBytesForTheNextFrame) {
    Bytes answer = BuildDeviceFrame(kMeasurement);   // a frame where the ack should be
    auto peer = answerNextCommand(answer);
    EXPECT_FALSE(SendFrame(link, MakeCommand(Bytes{'m', 16}), true));
    peer.join();
    pty.write(BuildDeviceFrame(kMeasurement));
    ASSERT_TRUE(ReceiveFrame(link, rx)) << "the next frame is read from its start";
}

TEST_F(ExchangeOnPty, TheResetIsSentWithoutWaitingForAnAck) {
    Bytes received;
    auto peer = answerNextCommand({}, &received);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(SendFrame(link, MakeCommand(Bytes{'r'}), false));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms);
    peer.join();
    EXPECT_EQ(received, (Bytes{0xC0, 0x55, 0x01, 0x72, 0x8D, 0xC1}));
}

TEST_F(ExchangeOnPty, TheOscillatorCommandIsFollowedBySevenZerosAfterItsAck) {
    auto peer = answerNextCommand({0xC0, 0x31, 0x00, 0xC1});
    EXPECT_TRUE(SendFrame(link, MakeCommand(Bytes{'%', 'K', 'Q', 'V', 'z'}), true));
    peer.join();
    EXPECT_EQ(pty.read(), Bytes(7, 0x00));
}

TEST_F(ExchangeOnPty, CommandsOfNoOrTooManyBytesAreNeverSent) {
    EXPECT_FALSE(SendFrame(link, MakeCommand(Bytes{}), true));
    EXPECT_FALSE(SendFrame(link, MakeCommand(Bytes(101, 's')), true));
    EXPECT_TRUE(pty.read(50ms).empty());
}

TEST_F(ExchangeOnPty, SendImmediateSetsBit7OfTheCode) {
    Bytes received;
    auto peer = answerNextCommand({0xC0, 0x31, 0x00, 0xC1}, &received);
    EXPECT_TRUE(SendImmediate(link, MakeCommand(Bytes{'L', 1, 0x20, 0x20, 0x20}), rx));
    peer.join();
    EXPECT_EQ(received, BuildCommandFrame(Bytes{0xCC, 1, 0x20, 0x20, 0x20}));
}

TEST_F(ExchangeOnPty, SendAfterFrameSendsInTheGapAfterAFrame) {
    link.TransferRunning = true;
    Bytes received;
    std::thread transducer([&] {
        std::this_thread::sleep_for(30ms);
        pty.write(BuildDeviceFrame(kMeasurement));
        received = readCommand();
        pty.write({0xC0, 0x31, 0x00, 0xC1});
    });
    EXPECT_TRUE(SendAfterFrame(link, MakeCommand(Bytes{'s', 0x00, 0x24}), rx, true));
    transducer.join();
    EXPECT_EQ(received, BuildCommandFrame(Bytes{'s', 0x00, 0x24}));
    EXPECT_TRUE(std::equal(kMeasurement.begin(), kMeasurement.end(), rx.begin() + 1)) << "the frame it waited for";
}

TEST_F(ExchangeOnPty, SendAfterFrameGivesUpWithoutFrames) {
    link.TransferRunning = true;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendAfterFrame(link, MakeCommand(Bytes{'s', 0, 0}), rx, true));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 900ms) << "five receives of 200 ms";
    EXPECT_LT(waited, 1500ms) << "and no second cycle without a frame";
    EXPECT_TRUE(pty.read(50ms).empty());
}

}  // namespace
}  // namespace r4860::protocol
