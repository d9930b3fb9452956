// The transfer workers against a scripted transducer: request order, the pipelined reply
// bookkeeping, the retry after a lost frame, the reset after a failed write and the progress.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "protocol/link.h"
#include "protocol/transfer_workers.h"

namespace r4860::protocol {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A transducer that answers an 's' in its next frame, as the real one does, with faults by
// number: the n-th frame lost, the n-th command unacknowledged, the reply to an address echoing
// a wrong one. Composite sends follow the link's rules closely enough for the workers' logic.
class ScriptedTransducer final : public TransferLine {
public:
    explicit ScriptedTransducer(Link& link) : m_link(link) {
        std::mt19937 rng(4860);
        for (auto& b : memory) b = static_cast<std::uint8_t>(rng());
    }

    model::ConfigImage memory{};
    std::vector<Bytes> commands;     // as sent, code first (bit 7 set for an immediate send)
    std::set<int> lostFrames;        // frame numbers (from 0) that do not arrive
    std::set<int> unackedCommands;   // command numbers (from 0) without acknowledgement
    int wrongEchoFor = -1;           // address whose reply repeats another address
    int stopAfterCommands = -1;      // clears TransferRunning after this many commands, as an abort

    bool ReceiveFrame(ReplyData& reply) override {
        const int n = m_frames++;
        if (lostFrames.count(n)) return false;
        reply = {0x7F, 0x00, 0x00, 0x00, 0x12, 0x34, 0x05, 0x02};   // a measurement
        if (m_pendingRead >= 0) {
            const int a = m_pendingRead, echo = a == wrongEchoFor ? a + 4 : a;
            const std::size_t at = a == 0x8000 ? 2048 : static_cast<std::size_t>(a);
            std::copy_n(memory.begin() + at, 4, reply.begin());
            reply[4] = static_cast<std::uint8_t>(echo >> 8);
            reply[5] = static_cast<std::uint8_t>(echo & 0xFF);
        }
        m_pendingRead = -1;
        return true;
    }
    bool SendAfterFrame(std::span<const std::uint8_t> command, ReplyData& reply, bool expectAck) override {
        for (int cycle = 0; cycle < 10; ++cycle) {
            bool frame = false;
            for (int i = 0; i < 5 && !frame && m_link.TransferRunning; ++i) frame = ReceiveFrame(reply);
            if (!frame) return false;
            if (send(command, expectAck) || !m_link.TransferRunning) return m_sendOk;
        }
        return false;
    }
    bool ReceiveThenSend(std::span<const std::uint8_t> command, ReplyData& reply, bool expectAck) override {
        return ReceiveFrame(reply) && send(command, expectAck);
    }
    bool SendImmediate(std::span<const std::uint8_t> command, ReplyData& reply) override {
        Bytes marked(command.begin(), command.end());
        marked[0] |= 0x80;
        return send(marked, true) || SendAfterFrame(marked, reply, true);
    }
    void DrainInput() override {}

private:
    bool send(std::span<const std::uint8_t> command, bool expectAck) {
        const int n = static_cast<int>(commands.size());
        commands.emplace_back(command.begin(), command.end());
        if (n + 1 == stopAfterCommands) m_link.TransferRunning = false;
        if (command[0] == 's') m_pendingRead = command[1] * 256 + command[2];
        m_sendOk = !expectAck || !unackedCommands.count(n);
        return m_sendOk;
    }

    Link& m_link;
    int m_frames = 0;
    int m_pendingRead = -1;
    bool m_sendOk = true;
};

// Stands in for the runner's side of the progress hand-over and records what it was shown.
class ProgressTaker {
public:
    explicit ProgressTaker(Link& link) : m_link(link), m_thread([this] { run(); }) {}
    ~ProgressTaker() { stop(); }
    std::vector<int> stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        return m_seen;
    }

private:
    void run() {
        while (!m_stop) {
            if (!m_link.ProgressEvent.waitFor(std::chrono::milliseconds(5))) continue;
            m_link.ProgressEvent.reset();
            const int p = m_link.TransferProgress.load();
            if (m_seen.empty() || m_seen.back() != p) m_seen.push_back(p);
            m_link.ProgressAckEvent.set();
        }
    }
    Link& m_link;
    std::atomic<bool> m_stop{false};
    std::vector<int> m_seen;
    std::thread m_thread;
};

std::vector<int> readAddresses(const std::vector<Bytes>& commands) {
    std::vector<int> out;
    for (const auto& c : commands)
        if (c[0] == 's') out.push_back(c[1] * 256 + c[2]);
    return out;
}

std::vector<int> displayReadOrder() {
    std::vector<int> order;
    for (int a = 0x00; a <= 0x20; a += 4) order.push_back(a);
    for (int a = 0x40; a <= 0x78; a += 4) order.push_back(a);
    order.insert(order.end(), {0xF8, 0xF8, 0x8000});
    return order;
}

struct Run {
    int exitCode;
    std::vector<int> progress;
};

template <class Body>
Run runWorker(Link& link, Body body) {
    link.TransferRunning = true;
    ProgressTaker taker(link);
    const int code = body();
    return {code, taker.stop()};
}

TEST(ReadImageWorker, RequestsEachBlockOnceAndTheLastTwiceThenTheCodeVersion) {
    Link link;
    ScriptedTransducer device(link);
    model::ConfigImage image{};
    const auto run = runWorker(link, [&] { return ReadImageWorker(device, link, kDisplayReadRanges, image); });

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(readAddresses(device.commands), displayReadOrder());
    for (const auto& r : kDisplayReadRanges)
        for (int a = r.first; !IsEmpty(r) && a <= r.last; ++a) ASSERT_EQ(image[a], device.memory[a]) << a;
    EXPECT_TRUE(std::equal(image.begin() + 2048, image.end(), device.memory.begin() + 2048));
    EXPECT_EQ(image[0x24], 0) << "bytes outside the ranges are not touched";
    ASSERT_FALSE(run.progress.empty());
    EXPECT_EQ(run.progress.back(), 100);
    EXPECT_FALSE(link.TransferRunning) << "the worker clears the flag when it ends";
}

TEST(ReadImageWorker, ALostFrameIsMadeGoodByAskingForThePreviousBlockAgain) {
    Link link;
    ScriptedTransducer device(link);
    device.lostFrames = {5};   // the frame that would answer block 0x10
    model::ConfigImage image{};
    const auto run = runWorker(link, [&] { return ReadImageWorker(device, link, kVerifyReadRanges, image); });

    EXPECT_EQ(run.exitCode, 1);
    const auto order = readAddresses(device.commands);
    const std::vector<int> around(order.begin() + 4, order.begin() + 7);
    EXPECT_EQ(around, (std::vector<int>{0x10, 0x10, 0x14})) << "the unanswered block again, then on";
    for (const auto& r : kVerifyReadRanges)
        for (int a = r.first; a <= r.last; ++a) ASSERT_EQ(image[a], device.memory[a]) << a;
}

TEST(ReadImageWorker, AReplyForAnotherAddressFailsTheReadAndStaysOutOfTheImage) {
    Link link;
    ScriptedTransducer device(link);
    device.wrongEchoFor = 0x48;
    model::ConfigImage image{};
    const auto run = runWorker(link, [&] { return ReadImageWorker(device, link, kDisplayReadRanges, image); });

    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(image[0x44], device.memory[0x44]) << "blocks before the bad one were taken";
    EXPECT_TRUE(std::all_of(image.begin() + 0x48, image.end(), [](auto b) { return b == 0; }));
    EXPECT_EQ(readAddresses(device.commands).back(), 0x4C) << "no request after the bad reply";
}

TEST(WriteImageWorker, SendsTheOpeningTheBlocksByteFcAndTheRegistersThenCountsToHundred) {
    Link link;
    ScriptedTransducer device(link);
    model::ConfigImage image{};
    std::mt19937 rng(152);
    for (auto& b : image) b = static_cast<std::uint8_t>(rng());
    const auto run = runWorker(link, [&] { return WriteImageWorker(device, link, image); });

    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(device.commands.size(), 1u + 37u + 3u);
    EXPECT_EQ(device.commands.front(), (Bytes{0xEF, 0x00, 0x00}));
    std::vector<int> blocks;
    for (std::size_t i = 1; i <= 37; ++i) {
        const auto& c = device.commands[i];
        ASSERT_EQ(c.size(), 8u);
        ASSERT_EQ(c[0], 0xC4) << "a block goes as an immediate 'D'";
        blocks.push_back(c[3]);
        ASSERT_TRUE(std::equal(c.begin() + 4, c.end(), image.begin() + c[3])) << c[3];
    }
    EXPECT_EQ(blocks.front(), 0x00);
    EXPECT_EQ(blocks[6], 0x18);
    EXPECT_EQ(blocks[7], 0x40);
    EXPECT_EQ(blocks[21], 0x78);
    EXPECT_EQ(blocks[22], 0xC0);
    EXPECT_EQ(blocks.back(), 0xF8);
    EXPECT_EQ(device.commands[38], (Bytes{0xC4, 1, 0x00, 0xFC, image[0xFC]}));
    EXPECT_EQ(device.commands[39], (Bytes{0xCC, 2, image[0x7F], image[0x7F], image[0x7F]})) << "checksum B";
    EXPECT_EQ(device.commands[40], (Bytes{0xCC, 1, image[0x7E], image[0x7E], image[0x7E]})) << "checksum A";
    ASSERT_GE(run.progress.size(), 2u);
    EXPECT_EQ(run.progress.back(), 100);
    EXPECT_LT(run.progress[run.progress.size() - 2], 100) << "100 % only once everything is sent";
}

struct WriteFailureCase {
    const char* why;
    std::set<int> unacked;
    int stopAfter;
    bool expectReset;
};

class WriteImageFailure : public ::testing::TestWithParam<WriteFailureCase> {};

TEST_P(WriteImageFailure, ResetsTheTransducerOnlyAfterAFailureWhileRunning) {
    const auto& c = GetParam();
    Link link;
    ScriptedTransducer device(link);
    device.unackedCommands = c.unacked;
    device.stopAfterCommands = c.stopAfter;
    model::ConfigImage image{};
    const auto run = runWorker(link, [&] { return WriteImageWorker(device, link, image); });

    EXPECT_EQ(run.exitCode, 0) << c.why;
    const bool reset = !device.commands.empty() && device.commands.back() == Bytes{'r'};
    EXPECT_EQ(reset, c.expectReset) << c.why;
}

std::set<int> everyCommandFrom(int first) {
    std::set<int> out;
    for (int i = first; i < first + 40; ++i) out.insert(i);
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, WriteImageFailure,
    ::testing::Values(WriteFailureCase{"a block never acknowledged", everyCommandFrom(5), -1, true},
                      WriteFailureCase{"the last register write never acknowledged", everyCommandFrom(40), -1, true},
                      WriteFailureCase{"the opening never acknowledged", everyCommandFrom(0), -1, false},
                      WriteFailureCase{"aborted in the middle", {}, 12, false}));

TEST(WriteUserBlockWorker, SendsTheFourIdTagBlocksAfterFrames) {
    Link link;
    ScriptedTransducer device(link);
    model::ConfigImage image{};
    for (std::size_t i = 0; i < 256; ++i) image[i] = static_cast<std::uint8_t>(i);
    const auto run = runWorker(link, [&] { return WriteUserBlockWorker(device, link, image); });

    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(device.commands.size(), 4u);
    EXPECT_EQ(device.commands[0], (Bytes{'D', 4, 0x00, 0x6C, 0x6C, 0x6D, 0x6E, 0x6F}));
    EXPECT_EQ(device.commands[3][3], 0x78);
    EXPECT_EQ(run.progress, (std::vector<int>{25, 50, 75, 100}));
}

struct PercentCase {
    const char* why;
    int done, total, percent;
};

class ProgressPercent : public ::testing::TestWithParam<PercentCase> {};

TEST_P(ProgressPercent, RoundsToNearestWithHalvesToEven) {
    const auto& c = GetParam();
    Link link;
    link.ProgressAckEvent.set();   // the hand-over is answered at once
    int last = -1;
    ReportProgress(link, c.done, c.total, last);
    EXPECT_EQ(link.TransferProgress.load(), c.percent) << c.why;
    EXPECT_EQ(last, c.percent) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProgressPercent,
    ::testing::Values(PercentCase{"a quarter of the ID tag", 4, 16, 25},
                      PercentCase{"12.5 goes down to the even 12", 1, 8, 12},
                      PercentCase{"37.5 goes up to the even 38", 3, 8, 38},
                      PercentCase{"one block of a read", 4, 100, 4},
                      PercentCase{"the last block of the full write", 148, 152, 97},
                      PercentCase{"more than the total is limited", 160, 152, 100},
                      PercentCase{"a zero total counts as complete", 0, 0, 100}));

TEST(ReportProgress, HoldsTheWorkerUntilTheNewPercentageIsTaken) {
    Link link;
    int last = 0;
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        ReportProgress(link, 1, 2, last);
        returned = true;
    });
    ASSERT_TRUE(link.ProgressEvent.waitFor(std::chrono::seconds(2)));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned) << "still waiting for the acknowledgement";
    link.ProgressAckEvent.set();
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_FALSE(link.ProgressAckEvent.isSet()) << "the worker resets the acknowledgement it took";
}

}  // namespace
}  // namespace r4860::protocol
