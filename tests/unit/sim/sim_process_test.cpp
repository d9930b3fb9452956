// The real r4860-sim on its pty: pacing, gaps, acknowledgements, faults, unplugging, shutdown.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <optional>

#include "protocol/frame_codec.h"
#include "support/sim_on_pty.h"

namespace r4860::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// The host's end, kept to the bare minimum: raw bytes with deadlines.
class HostEnd {
public:
    explicit HostEnd(const std::string& path) : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios t{};
        if (m_fd >= 0 && ::tcgetattr(m_fd, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(m_fd, TCSANOW, &t);
            ::tcflush(m_fd, TCIFLUSH);
        }
    }
    ~HostEnd() { if (m_fd >= 0) ::close(m_fd); }
    [[nodiscard]] bool ok() const { return m_fd >= 0; }

    // One byte, or nothing when the deadline passes or the device has gone.
    std::optional<std::uint8_t> byte(std::chrono::milliseconds timeout = 500ms) {
        pollfd p{m_fd, POLLIN, 0};
        std::uint8_t b = 0;
        if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0 || !(p.revents & POLLIN)) return std::nullopt;
        return ::read(m_fd, &b, 1) == 1 ? std::optional(b) : std::nullopt;
    }
    // From the next START to its END.
    Bytes frame(std::chrono::milliseconds timeout = 500ms) {
        Bytes out;
        while (auto b = byte(timeout)) {
            if (out.empty() && *b != protocol::kStart) continue;
            out.push_back(*b);
            if (*b == protocol::kEnd) return out;
        }
        return {};
    }
    void send(const Bytes& wire) { ASSERT_EQ(::write(m_fd, wire.data(), wire.size()), ssize_t(wire.size())); }
    // A command sent while a device frame is going out.
    void sendMidFrame(const Bytes& data) {
        while (byte() != protocol::kStart) {}
        send(protocol::BuildCommandFrame(data));
        while (auto b = byte()) if (*b == protocol::kEnd) return;
    }

private:
    int m_fd;
};

bool validDeviceFrame(const Bytes& w) {
    if (w.size() < 13 || w[1] != protocol::kDeviceAddress || w[2] != protocol::kReplyLength) return false;
    Bytes body;
    for (std::size_t i = 3; i + 1 < w.size(); ++i) body.push_back(w[i] == protocol::kEsc ? w[++i] ^ protocol::kEscXor : w[i]);
    return body.size() == 9 && protocol::Checksum(std::span(body).first(8)) == body[8];
}

const Bytes kAck(protocol::kAckFrame.begin(), protocol::kAckFrame.end());

// An emulator on a fresh pty, with the host already in step with its frames.
class SimProcess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.ok()) << sim.startError();
        ASSERT_TRUE(host.ok());
        ASSERT_FALSE(host.frame().empty());
    }
    SimOnPty sim;
    HostEnd host{sim.linkPath()};
};

TEST_F(SimProcess, BroadcastsValidFramesAtFourThousandEightHundredBaud) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(validDeviceFrame(host.frame())) << "frame " << i;
    const auto perFrame = (std::chrono::steady_clock::now() - t0) / 10;
    // 60 ms a frame by default; a frame of 13 bytes alone takes 27 ms at 4800 baud.
    EXPECT_GT(perFrame, 45ms);
    EXPECT_LT(perFrame, 120ms);
}

TEST_F(SimProcess, AcknowledgesACommandInTheGapAndAnswersAReadInTheNextFrame) {
    host.send(protocol::BuildCommandFrame(Bytes{'s', 0x00, 0x1C}));
    EXPECT_EQ(host.frame(), kAck) << "exactly C0 31 00 C1";
    const Bytes reply = host.frame();
    ASSERT_TRUE(validDeviceFrame(reply));
    EXPECT_EQ(Bytes(reply.begin() + 3, reply.begin() + 5), (Bytes{0x12, 0x8B})) << "4747";
    EXPECT_EQ(Bytes(reply.begin() + 7, reply.begin() + 9), (Bytes{0x00, 0x1C})) << "the address is echoed";
    const auto rx = sim.receivedFrames();
    ASSERT_EQ(rx.size(), 1u);
    EXPECT_EQ(rx[0].outcome, "accepted");
    EXPECT_TRUE(rx[0].inGap);
}

TEST_F(SimProcess, TakesOnlyImmediateCommandsWhileAFrameIsGoingOut) {
    host.sendMidFrame({'D', 1, 0x00, 0x30, 0x77});  // no bit 7
    EXPECT_NE(host.frame(), kAck);
    host.sendMidFrame({0xC4, 1, 0x00, 0x31, 0x66});  // bit 7
    EXPECT_EQ(host.frame(), kAck) << "the acknowledgement follows the frame";
    const auto mem = sim.memory();
    ASSERT_EQ(mem.size(), 2052u);
    EXPECT_NE(mem[0x30], 0x77);
    EXPECT_EQ(mem[0x31], 0x66);
    const auto rx = sim.receivedFrames();
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0].outcome, "ignored");
    EXPECT_EQ(rx[1].outcome, "accepted");
}

TEST_F(SimProcess, RejectsBadChecksumsSilentlyAndDropsOrCorruptsOnRequest) {
    Bytes wire = protocol::BuildCommandFrame(Bytes{'m', 16});
    wire[wire.size() - 2] ^= 0x01;
    host.send(wire);
    EXPECT_NE(host.frame(), kAck);
    ASSERT_EQ(sim.receivedFrames().size(), 1u);
    EXPECT_EQ(sim.receivedFrames()[0].outcome, "invalid");

    EXPECT_EQ(sim.control("drop-acks next 1"), "ok");
    for (const bool acked : {false, true}) {
        ASSERT_FALSE(host.frame().empty());
        host.send(protocol::BuildCommandFrame(Bytes{'m', 16}));
        EXPECT_EQ(host.frame() == kAck, acked) << "only the first acknowledgement is withheld";
    }
    EXPECT_EQ(sim.control("corrupt 1"), "ok");
    (void)host.frame();  // may have started before the switch
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(validDeviceFrame(host.frame())) << "frame " << i;
}

TEST(SimProcessStart, SilenceStopsTheLineUntilBroadcastingStarts) {
    SimOptions o;
    o.silent = true;
    SimOnPty sim(o);
    ASSERT_TRUE(sim.ok()) << sim.startError();
    HostEnd host(sim.slavePath());
    EXPECT_TRUE(host.frame(300ms).empty());
    sim.startBroadcasting();
    EXPECT_TRUE(validDeviceFrame(host.frame()));
}

TEST_F(SimProcess, UnplugAndReplugKeepTheLinkUsable) {
    EXPECT_EQ(sim.control("unplug"), "ok");
    EXPECT_TRUE(host.frame(300ms).empty()) << "the device has gone";
    EXPECT_TRUE(sim.control("slave-path").starts_with("error"));
    const std::string reply = sim.control("replug");
    ASSERT_TRUE(reply.starts_with("ok /dev/")) << reply;
    EXPECT_EQ(std::filesystem::read_symlink(sim.linkPath()).string(), reply.substr(3));
    HostEnd again(sim.linkPath());
    EXPECT_TRUE(validDeviceFrame(again.frame()));
    const auto log = sim.log();
    for (const char* kind : {"unplug", "replug"})
        EXPECT_TRUE(std::ranges::any_of(log, [kind](const auto& e) { return e.kind == kind; })) << kind;
}

TEST_F(SimProcess, EndingRemovesTheLinkAndKeepsTheMemoryForTheNextStart) {
    EXPECT_EQ(sim.control("poke 40 DEADBEEF"), "ok");
    sim.stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sim.linkPath())));
    std::ifstream in(sim.memoryPath(), std::ios::binary);
    SimOptions o;
    o.memory = Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(o.memory->size(), 2052u);
    SimOnPty next(o);
    ASSERT_TRUE(next.ok()) << next.startError();
    const auto mem = next.memory();
    ASSERT_EQ(mem.size(), 2052u);
    EXPECT_EQ(Bytes(mem.begin() + 0x40, mem.begin() + 0x44), (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
}

}  // namespace
}  // namespace r4860::testing
