// The transfer workers against a scripted transducer: request order, the pipelined reply
// bookkeeping, the retry after a lost frame, the reset after a failed write and the progress.
#include <gtest/gtest.h>

#include <algorithm>
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
// a wrong one or, once, a measurement frame instead of it. Composite sends follow the link's rules
// closely enough for the workers' logic.
class ScriptedTransducer final : public TransferLine {
public:
    explicit ScriptedTransducer(Link& link) : m_link(link) {
        for (std::mt19937 rng(4860); auto& b : memory) b = static_cast<std::uint8_t>(rng());
    }
    model::ConfigImage memory{};
    std::vector<Bytes> commands;     // as sent, code first (bit 7 set for an immediate send)
    std::set<int> lostFrames;        // frame numbers (from 0) that do not arrive
    std::set<int> unackedCommands;   // command numbers (from 0) without acknowledgement
    int wrongEchoFor = -1;           // address whose reply repeats another address
    int unansweredOnce = -1;         // address whose first request is taken but not answered
    int stopAfterCommands = -1;      // clears TransferRunning after this many commands, as an abort
    bool ReceiveFrame(ReplyData& reply) override {
        if (lostFrames.count(m_frames++)) return false;
        reply = {0x7F, 0x00, 0x00, 0x00, 0x12, 0x34, 0x05, 0x02};   // a measurement
        if (m_pendingRead >= 0) {
            const int a = m_pendingRead, echo = a == wrongEchoFor ? a + 4 : a;
            std::copy_n(memory.begin() + (a == 0x8000 ? 2048 : a), 4, reply.begin());
            reply[4] = std::uint8_t(echo >> 8), reply[5] = std::uint8_t(echo & 0xFF);
        }
        m_pendingRead = -1;
        return true;
    }
    bool SendAfterFrame(std::span<const std::uint8_t> command, ReplyData& reply, bool expectAck) override {
        for (int cycle = 0; cycle < 10; ++cycle) {
            bool frame = false;
            for (int i = 0; i < 5 && !frame; ++i) {
                frame = ReceiveFrame(reply);
                if (!m_link.transferRunning()) break;  // as the link: one more frame is still waited for
            }
            if (!frame) return false;
            if (send(command, expectAck) || !m_link.transferRunning()) return m_sendOk;
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
        if (n + 1 == stopAfterCommands) (void)m_link.endTransfer();
        if (command[0] == 's') m_pendingRead = command[1] * 256 + command[2];
        if (m_pendingRead >= 0 && m_pendingRead == unansweredOnce) m_pendingRead = unansweredOnce = -1;
        m_sendOk = !expectAck || !unackedCommands.count(n);
        return m_sendOk;
    }

    Link& m_link;
    int m_frames = 0, m_pendingRead = -1;
    bool m_sendOk = true;
};

// Runs `body` as the transfer while standing in for the runner's side of the progress
// hand-over; gives the exit code and the percentages shown, each once.
template <class Body>
std::pair<int, std::vector<int>> runWorker(Link& link, Body body) {
    link.beginTransfer();
    std::atomic<bool> stop{false};
    std::vector<int> seen;
    std::thread runner([&] {
        for (int p = 0; !stop;)
            if (link.waitProgress(std::chrono::milliseconds(5), p) && (seen.empty() || seen.back() != p))
                seen.push_back(p);
    });
    const int code = body();
    stop = true;
    runner.join();
    return {code, seen};
}

// The block addresses of each (first, last) span, four apart, followed by `tail`.
std::vector<int> blocks(std::initializer_list<std::pair<int, int>> spans, std::initializer_list<int> tail = {}) {
    std::vector<int> out;
    for (const auto& [first, last] : spans)
        for (int a = first; a <= last; a += 4) out.push_back(a);
    out.insert(out.end(), tail);
    return out;
}

TEST(ReadImageWorker, RequestsInOrderAndTakesOnlyRepliesThatEchoTheAddress) {
    const std::vector<std::pair<int, int>> all{{0x00, 0x23}, {0x40, 0x7B}, {0xF8, 0xFB}, {2048, 2051}};
    // `order` is the addresses asked for, `taken` the image bytes read; the rest stays 0. The
    // fault-free order is checked against the emulator (transfer_against_sim_test).
    const struct { const char* why; std::set<int> lostFrames; int wrongEchoFor, unanswered, exitCode;
                   std::vector<int> order; std::vector<std::pair<int, int>> taken; } cases[] = {
        {"a lost frame is made good by asking for the unanswered block again", {5}, -1, -1, 1,
         blocks({{0x00, 0x10}, {0x10, 0x20}, {0x40, 0x78}}, {0xF8, 0xF8, 0x8000}), all},
        {"a lost code-version reply is asked for again", {27}, -1, -1, 1,
         blocks({{0x00, 0x20}, {0x40, 0x78}}, {0xF8, 0xF8, 0x8000, 0x8000}), all},
        {"a measurement frame instead of the reply: the same address again", {}, -1, 0x48, 1,
         blocks({{0x00, 0x20}, {0x40, 0x4C}, {0x48, 0x78}}, {0xF8, 0xF8, 0x8000}), all},
        {"replies that keep echoing another address: three more tries, then the read fails", {}, 0x48, -1, 0,
         blocks({{0x00, 0x20}, {0x40, 0x4C}, {0x48, 0x4C}, {0x48, 0x4C}, {0x48, 0x4C}}),
         {{0x00, 0x23}, {0x40, 0x47}}}};
    for (const auto& c : cases) {
        Link link;
        ScriptedTransducer device(link);
        device.lostFrames = c.lostFrames, device.wrongEchoFor = c.wrongEchoFor, device.unansweredOnce = c.unanswered;
        model::ConfigImage image{};
        const auto [exitCode, progress] =
            runWorker(link, [&] { return ReadImageWorker(device, link, kDisplayReadRanges, image); });
        EXPECT_EQ(exitCode, c.exitCode) << c.why;
        std::vector<int> order;
        for (const auto& command : device.commands)
            if (command[0] == 's') order.push_back(command[1] * 256 + command[2]);
        EXPECT_EQ(order, c.order) << c.why;
        model::ConfigImage want{};
        for (const auto& [first, last] : c.taken)
            std::copy_n(&device.memory[first], last + 1 - first, &want[first]);
        EXPECT_TRUE(image == want) << c.why << ": the bytes read";
        EXPECT_EQ(!progress.empty() && progress.back() == 100, c.exitCode == 1) << c.why;
        EXPECT_FALSE(link.transferRunning()) << c.why;
    }
}

// The full write's sequence is checked against the emulator (transfer_against_sim_test).
TEST(WriteUserBlockWorker, SendsTheIdTagAsFourPlainBlocksAfterFrames) {
    Link link;
    ScriptedTransducer device(link);
    model::ConfigImage image{};
    for (std::size_t i = 0; i < 256; ++i) image[i] = static_cast<std::uint8_t>(i);
    const auto [exitCode, progress] =
        runWorker(link, [&] { return WriteUserBlockWorker(device, link, image); });
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(device.commands.size(), 4u);
    EXPECT_EQ(device.commands[0], (Bytes{'D', 4, 0x00, 0x6C, 0x6C, 0x6D, 0x6E, 0x6F}));
    for (int i = 1; i < 4; ++i) EXPECT_EQ(device.commands[i][3], 0x6C + 4 * i);
    EXPECT_EQ(progress, (std::vector<int>{25, 50, 75, 100}));
}

TEST(WriteImageWorker, ResetsTheTransducerOnlyAfterAFailureWhileRunning) {
    const struct { const char* why; int unackedFrom, stopAfter; bool reset; } cases[] = {
        {"a block never acknowledged", 5, -1, true}, {"the last register write unacknowledged", 40, -1, true},
        {"the opening never acknowledged", 0, -1, false}, {"aborted in the middle", 1000, 12, false},
        {"aborted while a block goes unacknowledged", 5, 6, false}};
    for (const auto& c : cases) {
        Link link;
        ScriptedTransducer device(link);
        for (int i = c.unackedFrom; i < c.unackedFrom + 40; ++i) device.unackedCommands.insert(i);
        device.stopAfterCommands = c.stopAfter;
        model::ConfigImage image{};
        EXPECT_EQ(runWorker(link, [&] { return WriteImageWorker(device, link, image); }).first, 0) << c.why;
        EXPECT_EQ(device.commands.back() == Bytes{'r'}, c.reset) << c.why;
    }
}

TEST(ReportProgress, RoundsToNearestWithHalvesToEvenAndHandsEachNewPercentageOver) {
    const struct { int done, total, percent; } cases[] = {
        {1, 8, 12}, {3, 8, 38}, {148, 152, 97}, {160, 152, 100}, {0, 0, 100}};  // halves to even; limited
    for (const auto& c : cases) {
        Link link;
        int last = -1, taken = -1;
        std::thread worker([&] { ReportProgress(link, c.done, c.total, last); });
        EXPECT_TRUE(link.waitProgress(std::chrono::seconds(5), taken)) << "the worker waits to be heard";
        worker.join();
        EXPECT_EQ(std::pair(taken, last), std::pair(c.percent, c.percent)) << c.done << " of " << c.total;
    }
}

}  // namespace
}  // namespace r4860::protocol
