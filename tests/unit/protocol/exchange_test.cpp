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
        link.attachPortForTest(std::move(*port));
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

Bytes withByte(Bytes wire, std::size_t at, std::uint8_t value) { return wire[at] = value, wire; }

TEST_F(ExchangeOnPty, ReceiveFrameUnstuffsAfterNoiseAndDropsBadFrames) {
    const ReplyData data = {0x7F, 0xC1, 0xC0, 0xCE, 0x00, 0x24, 0x00, 0x05};
    const Bytes frame = BuildDeviceFrame(data);
    ASSERT_EQ(frame[4], kEsc) << "a received CE E1 must come out as C1";
    pty.write({0x00, 0x31, 0x08, 0x55, 0xC1});  // the tail of a frame we came in on
    pty.write(frame);
    ASSERT_TRUE(ReceiveFrame(link, rx));
    EXPECT_TRUE(rx[0] == 8 && std::equal(data.begin(), data.end(), &rx[1]) && rx[9] == Checksum(data));
    const Bytes good = BuildDeviceFrame(kMeasurement);  // then ways to spoil it
    struct Case { const char* why; Bytes wire; };
    for (const auto& [why, bad] : {Case{"the host's address", withByte(good, 1, kHostAddress)},
                                   Case{"an ack is no measurement", {0xC0, 0x31, 0x00, 0xC1}},
                                   Case{"sum", withByte(good, 11, 0)}, Case{"data", withByte(good, 5, 1)},
                                   Case{"END missing", withByte(good, 12, 0x00)},
                                   Case{"cut short", {0xC0, 0x31, 0x08, 0x85}}, Case{"nothing", {}}}) {
        if (!bad.empty()) pty.write(bad);
        EXPECT_FALSE(ReceiveFrame(link, rx)) << why;
        for (std::uint8_t rest = 0; link.port()->ReadByte(rest);) {}   // each case starts on a quiet line
    }
}

TEST_F(ExchangeOnPty, SendFrameStuffsTheCommandAndAcceptsOnlyTheExactAck) {
    const Bytes data{'D', 1, 0x00, 0xC0, 0xCE};
    struct Case { const char* why; Bytes answer; bool ok; };
    for (const auto& [why, answer, ok] : {Case{"the exact ack", {0xC0, 0x31, 0x00, 0xC1}, true},
                                          Case{"no checksum in an ack", {0xC0, 0x31, 0, 0xFF, 0xC1}, false},
                                          Case{"a frame", BuildDeviceFrame(kMeasurement), false},
                                          Case{"no answer", {}, false}}) {
        Bytes received;
        auto peer = answerNextCommand(answer, &received);
        EXPECT_EQ(SendFrame(link, MakeCommand(data), true), ok) << why;
        peer.join();
        EXPECT_EQ(received, (Bytes{0xC0, 0x55, 0x05, 'D', 1, 0, 0xCE, 0xE0, 0xCE, 0xEE, 0x2C, 0xC1})) << why;
        pty.write(BuildDeviceFrame(kMeasurement));
        EXPECT_TRUE(ReceiveFrame(link, rx)) << why << ": the next frame is read from its start";
    }
}

TEST_F(ExchangeOnPty, ResetOscillatorAndImmediateSendsFollowTheirOwnRules) {
    Bytes received;
    auto peer = answerNextCommand({}, &received);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(SendFrame(link, MakeCommand(Bytes{'r'}), false));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 50ms);
    peer.join();
    EXPECT_EQ(received, (Bytes{0xC0, 0x55, 0x01, 0x72, 0x8D, 0xC1}));
    peer = answerNextCommand({0xC0, 0x31, 0x00, 0xC1});
    EXPECT_TRUE(SendFrame(link, MakeCommand(Bytes{'%', 'K', 'Q', 'V', 'z'}), true));
    peer.join();
    EXPECT_EQ(pty.read(), Bytes(7, 0x00));
    peer = answerNextCommand({0xC0, 0x31, 0x00, 0xC1}, &received);
    EXPECT_TRUE(SendImmediate(link, MakeCommand(Bytes{'L', 1, 0x20, 0x20, 0x20}), rx));
    peer.join();
    EXPECT_EQ(received, BuildCommandFrame(Bytes{0xCC, 1, 0x20, 0x20, 0x20})) << "immediate sets bit 7";
}

// After a frame that waited in the input the transducer no longer listens. SendAfterFrame takes the
// next frame instead; ReceiveThenSend keeps the waiting frame's data (its reply) and sends after the next.
TEST_F(ExchangeOnPty, ACommandFollowsOnlyAFrameThatHasJustEnded) {
    using Exchange = bool (*)(Link&, const FrameBuffer&, FrameBuffer&, bool);
    const ReplyData waiting = {0x85, 0x48, 0x00, 0x00, 0x20, 0x00, 0x03, 0x01};
    struct Case { const char* why; Exchange exchange; ReplyData taken; };
    for (const auto& [why, exchange, taken] : {Case{"SendAfterFrame", SendAfterFrame, kMeasurement},
                                               Case{"ReceiveThenSend", ReceiveThenSend, waiting}}) {
        link.beginTransfer();
        pty.write(BuildDeviceFrame(waiting));
        std::this_thread::sleep_for(100ms);  // four times what the frame takes on the line
        Bytes early, received;
        std::thread transducer([&] {
            std::this_thread::sleep_for(100ms);
            early = pty.read(1ms, 5ms);
            pty.write(BuildDeviceFrame(kMeasurement));
            received = readCommand();
            pty.write({0xC0, 0x31, 0x00, 0xC1});
        });
        EXPECT_TRUE(exchange(link, MakeCommand(Bytes{'s', 0x00, 0x24}), rx, true)) << why;
        transducer.join();
        EXPECT_TRUE(early.empty()) << why << ": sent after the frame that had waited";
        EXPECT_EQ(received, BuildCommandFrame(Bytes{'s', 0x00, 0x24})) << why;
        EXPECT_TRUE(std::equal(taken.begin(), taken.end(), rx.begin() + 1)) << why;
    }
}

TEST_F(ExchangeOnPty, SendAfterFrameGivesUpWithoutFrames) {
    link.beginTransfer();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(SendAfterFrame(link, MakeCommand(Bytes{'s', 0, 0}), rx, true));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 900ms) << "five receives of 200 ms";
    EXPECT_LT(waited, 1500ms) << "and no second cycle without a frame";
    EXPECT_TRUE(pty.read(50ms).empty());
}

}  // namespace
}  // namespace r4860::protocol
