// The real r4860-sim on its pty: pacing, gaps, acknowledgements, faults, unplugging, shutdown.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "protocol/frame_codec.h"
#include "support/sim_on_pty.h"
#include "support/temp_dir.h"

extern char** environ;

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
    ~HostEnd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    [[nodiscard]] bool ok() const { return m_fd >= 0; }

    // One byte, or nothing when the deadline passes or the device has gone.
    std::optional<std::uint8_t> byte(std::chrono::milliseconds timeout) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0 || !(p.revents & POLLIN)) return std::nullopt;
        std::uint8_t b = 0;
        if (::read(m_fd, &b, 1) != 1) return std::nullopt;
        return b;
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
    void skipToEnd() {
        while (auto b = byte(500ms))
            if (*b == protocol::kEnd) return;
    }
    void send(const Bytes& wire) { ASSERT_EQ(::write(m_fd, wire.data(), wire.size()), static_cast<ssize_t>(wire.size())); }

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

// The data bytes of a device frame: address and length dropped, escapes undone, check dropped.
Bytes deviceData(const Bytes& w) {
    Bytes body;
    for (std::size_t i = 3; i + 1 < w.size(); ++i) body.push_back(w[i] == protocol::kEsc ? w[++i] ^ protocol::kEscXor : w[i]);
    if (body.size() == 9) body.pop_back();
    return body;
}

struct Finished {
    int exitCode = -1;
    std::string out, err;
};

// r4860-sim run as a script runs it: arguments in, exit code and both outputs back.
Finished runSimProgram(const std::vector<std::string>& args) {
    std::vector<std::string> all = {R4860_SIM_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    Finished f;
    // Until both ends close: a daemon that kept either open would hang a script's $(...).
    pollfd fds[] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[] = {&f.out, &f.err};
    for (int open = 2; open > 0 && rc == 0 && ::poll(fds, 2, 5'000) > 0;) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buf[1024];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) texts[i]->append(buf, static_cast<std::size_t>(n));
            if (n <= 0) fds[i].fd = -1, --open;
        }
    }
    ::close(out[0]);
    ::close(err[0]);
    if (rc != 0) return f;
    // One that is still running has not refused: end it, so the test fails instead of hanging.
    int status = 0;
    pid_t done = 0;
    for (int waited = 0; (done = ::waitpid(pid, &status, WNOHANG)) == 0; ++waited) {
        if (waited == 250) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(20ms);
    }
    if (done == pid && WIFEXITED(status)) f.exitCode = WEXITSTATUS(status);
    return f;
}

bool waitGone(const std::filesystem::path& p, std::chrono::milliseconds timeout = 5s) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (std::filesystem::exists(std::filesystem::symlink_status(p))) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

TEST(SimProcess, BroadcastsValidFramesAtFourThousandEightHundredBaud) {
    SimOnPty sim;
    ASSERT_TRUE(sim.ok()) << sim.startError();
    HostEnd host(sim.linkPath());
    ASSERT_TRUE(host.ok());
    ASSERT_FALSE(host.frame().empty());
    const auto t0 = std::chrono::steady_clock::now();
    int frames = 0;
    for (; frames < 10; ++frames) {
        const Bytes f = host.frame();
        ASSERT_TRUE(validDeviceFrame(f)) << "frame " << frames;
    }
    const double perFrameMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / frames;
    // 60 ms a frame by default; a frame of 13 bytes alone takes 27 ms at 4800 baud.
    EXPECT_GT(perFrameMs, 45.0);
    EXPECT_LT(perFrameMs, 120.0);
}

TEST(SimProcess, AcknowledgesACommandInTheGapAndAnswersAReadInTheNextFrame) {
    SimOnPty sim;
    ASSERT_TRUE(sim.ok()) << sim.startError();
    HostEnd host(sim.slavePath());
    ASSERT_FALSE(host.frame().empty());
    host.send(protocol::BuildCommandFrame(Bytes{'s', 0x00, 0x1C}));
    EXPECT_EQ(host.frame(), kAck) << "exactly C0 31 00 C1";
    const Bytes reply = host.frame();
    ASSERT_TRUE(validDeviceFrame(reply));
    EXPECT_EQ(reply[3], 0x12) << "4747 high byte";
    EXPECT_EQ(reply[4], 0x8B) << "4747 low byte";
    EXPECT_EQ(reply[7], 0x00);
    EXPECT_EQ(reply[8], 0x1C) << "the address is echoed";
    const auto rx = sim.receivedFrames();
    ASSERT_EQ(rx.size(), 1u);
    EXPECT_EQ(rx[0].outcome, "accepted");
    EXPECT_TRUE(rx[0].inGap);
    EXPECT_EQ(rx[0].data, (Bytes{'s', 0x00, 0x1C}));
}

TEST(SimProcess, TakesOnlyImmediateCommandsWhileAFrameIsGoingOut) {
    SimOnPty sim;
    ASSERT_TRUE(sim.ok()) << sim.startError();
    HostEnd host(sim.slavePath());
    ASSERT_FALSE(host.frame().empty());
    while (host.byte(500ms) != protocol::kStart) {}
    host.send(protocol::BuildCommandFrame(Bytes{'D', 1, 0x00, 0x30, 0x77}));  // mid-frame, no bit 7
    host.skipToEnd();
    EXPECT_NE(host.frame(), kAck);
    while (host.byte(500ms) != protocol::kStart) {}
    host.send(protocol::BuildCommandFrame(Bytes{0xC4, 1, 0x00, 0x31, 0x66}));  // mid-frame, bit 7
    host.skipToEnd();
    EXPECT_EQ(host.frame(), kAck) << "the acknowledgement follows the frame";
    const auto mem = sim.memory();
    ASSERT_EQ(mem.size(), 2052u);
    EXPECT_NE(mem[0x30], 0x77);
    EXPECT_EQ(mem[0x31], 0x66);
    const auto rx = sim.receivedFrames();
    ASSERT_EQ(rx.size(), 2u);
    EXPECT_EQ(rx[0].outcome, "ignored");
    EXPECT_FALSE(rx[0].inGap);
    EXPECT_EQ(rx[1].outcome, "accepted");
}

// A 30 ms gap in a 150 ms period leaves room on both sides of "late": a command 60 ms after END
// is past the gap, yet the next frame is not due for another 60 ms.
TEST(SimProcess, StrictlyTakesOnlyCommandsThatStartInsideTheGap) {
    SimOptions options;
    options.extraArgs = {"--period-ms", "150", "--gap-ms", "30", "--strict"};
    SimOnPty sim(options);
    ASSERT_TRUE(sim.ok()) << sim.startError();
    HostEnd host(sim.slavePath());
    ASSERT_FALSE(host.frame().empty());
    struct Case {
        const char* why;
        const char* mode;
        bool duringFrame;
        std::chrono::milliseconds afterEnd;
        Bytes command;
        bool taken;
    };
    const Case cases[] = {
        {"at once after END", "strict on", false, 0ms, {'s', 0x00, 0x1C}, true},
        {"past the gap, though no frame is due", "strict on", false, 60ms, {'s', 0x00, 0x1C}, false},
        {"an immediate command while a frame goes out", "strict on", true, 0ms, {0xC4, 1, 0x00, 0x31, 0x66}, false},
        {"past the gap, not strictly", "strict off", false, 60ms, {'s', 0x00, 0x1C}, true},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(sim.control(c.mode), "ok");
        if (c.duringFrame) {
            while (host.byte(500ms) != protocol::kStart) {}
        } else {
            host.skipToEnd();
            std::this_thread::sleep_for(c.afterEnd);
        }
        host.send(protocol::BuildCommandFrame(c.command));
        if (c.duringFrame) host.skipToEnd();
        EXPECT_EQ(host.frame() == kAck, c.taken) << c.why;
        const auto rx = sim.receivedFrames();
        ASSERT_FALSE(rx.empty()) << c.why;
        EXPECT_EQ(rx.back().outcome, c.taken ? "accepted" : "ignored") << c.why;
        if (!c.taken) {
            EXPECT_EQ(rx.back().note, "outside the gap") << c.why;
        }
    }
}

TEST(SimProcess, RejectsAFrameWithABadChecksumSilently) {
    SimOnPty sim;
    ASSERT_TRUE(sim.ok()) << sim.startError();
    HostEnd host(sim.slavePath());
    ASSERT_FALSE(host.frame().empty());
    Bytes wire = protocol::BuildCommandFrame(Bytes{'m', 16});
    wire[wire.size() - 2] ^= 0x01;
    host.send(wire);
    EXPECT_NE(host.frame(), kAck);
    const auto rx = sim.receivedFrames();
    ASSERT_EQ(rx.size(), 1u);
    EXPECT_EQ(rx[0].outcome, "invalid");
}

TEST(SimProcess, DropsAcknowledgementsAndCorruptsFramesOnRequest) {
    SimOnPty sim;
    ASSERT_TRUE(sim.ok()) << sim.startError();
    HostEnd host(sim.slavePath());
    EXPECT_EQ(sim.control("drop-acks next 1"), "ok");
    ASSERT_FALSE(host.frame().empty());
    host.send(protocol::BuildCommandFrame(Bytes{'m', 16}));
    EXPECT_NE(host.frame(), kAck) << "the first acknowledgement is withheld";
    ASSERT_FALSE(host.frame().empty());
    host.send(protocol::BuildCommandFrame(Bytes{'m', 16}));
    EXPECT_EQ(host.frame(), kAck) << "the second one comes";

    EXPECT_EQ(sim.control("corrupt 1"), "ok");
    (void)host.frame();  // may have started before the switch
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(validDeviceFrame(host.frame())) << "frame " << i;
    EXPECT_EQ(sim.control("corrupt 0"), "ok");
    (void)host.frame();
    EXPECT_TRUE(validDeviceFrame(host.frame()));
}

TEST(SimProcess, SilenceStopsTheLineUntilBroadcastingStarts) {
    SimOptions o;
    o.silent = true;
    SimOnPty sim(o);
    ASSERT_TRUE(sim.ok()) << sim.startError();
    HostEnd host(sim.slavePath());
    EXPECT_TRUE(host.frame(300ms).empty());
    sim.startBroadcasting();
    EXPECT_TRUE(validDeviceFrame(host.frame()));
}

TEST(SimProcess, UnplugAndReplugKeepTheLinkUsable) {
    SimOnPty sim;
    ASSERT_TRUE(sim.ok()) << sim.startError();
    {
        HostEnd host(sim.linkPath());
        ASSERT_FALSE(host.frame().empty());
        EXPECT_EQ(sim.control("unplug"), "ok");
        EXPECT_TRUE(host.frame(300ms).empty()) << "the device has gone";
        EXPECT_TRUE(sim.control("slave-path").starts_with("error"));
    }
    const std::string reply = sim.control("replug");
    ASSERT_TRUE(reply.starts_with("ok /dev/")) << reply;
    EXPECT_EQ(std::filesystem::read_symlink(sim.linkPath()).string(), reply.substr(3));
    HostEnd again(sim.linkPath());
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE(validDeviceFrame(again.frame()));
    const auto log = sim.log();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const auto& e) { return e.kind == "unplug"; }));
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const auto& e) { return e.kind == "replug"; }));
}

TEST(SimProcess, EndingRemovesTheLinkAndKeepsTheMemory) {
    SimOnPty sim;
    ASSERT_TRUE(sim.ok()) << sim.startError();
    ASSERT_TRUE(std::filesystem::is_symlink(sim.linkPath()));
    EXPECT_EQ(sim.control("poke 40 DEADBEEF"), "ok");
    sim.stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(sim.linkPath())));
    std::ifstream in(sim.memoryPath(), std::ios::binary);
    const Bytes saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(saved.size(), 2052u);
    EXPECT_EQ(Bytes(saved.begin() + 0x40, saved.begin() + 0x44), (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));

    SimOptions o;  // and a new emulator starts from those bytes
    o.memory = saved;
    SimOnPty next(o);
    ASSERT_TRUE(next.ok()) << next.startError();
    const auto mem = next.memory();
    ASSERT_EQ(mem.size(), 2052u);
    EXPECT_EQ(Bytes(mem.begin() + 0x40, mem.begin() + 0x44), (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
}

TEST(SimProcess, ChecksumsAreCheckedUnlessSwitchedOff) {
    const struct {
        const char* why;
        std::vector<std::string> args;
        std::uint8_t eepromBit;
    } cases[] = {
        {"by default", {}, 0x80},
        {"--check-sums is still accepted", {"--check-sums"}, 0x80},
        {"--no-check-sums", {"--no-check-sums"}, 0x00},
    };
    for (const auto& c : cases) {
        SimOptions o;
        o.extraArgs = c.args;
        SimOnPty sim(o);
        ASSERT_TRUE(sim.ok()) << c.why << ": " << sim.startError();
        HostEnd host(sim.slavePath());
        ASSERT_EQ(deviceData(host.frame()).at(6) & 0x80, 0x00) << c.why << ": the factory sums are right";
        ASSERT_EQ(sim.control("poke 5 63"), "ok");
        (void)host.frame();  // may have been composed before the poke
        EXPECT_EQ(deviceData(host.frame()).at(6) & 0x80, c.eepromBit) << c.why;
    }
}

TEST(SimProcess, ASecondEmulatorForTheSameLinkRefusesAndLeavesTheFirstAlone) {
    SimOnPty first;
    ASSERT_TRUE(first.ok()) << first.startError();
    for (const auto* how : {"--silent", "--daemon"}) {
        const Finished second =
            runSimProgram({how, "--link", first.linkPath().string(), "--control", (first.dir() / "2.sock").string()});
        EXPECT_EQ(second.exitCode, 2) << how;
        EXPECT_NE(second.err.find("already served by another r4860-sim (pid " + std::to_string(first.pid()) + ")"),
                  std::string::npos)
            << how << ": " << second.err;
        EXPECT_EQ(std::filesystem::read_symlink(first.linkPath()).string(), first.slavePath()) << how;
        EXPECT_TRUE(first.control("stats").starts_with("ok ")) << how;
    }
    // Someone repoints the link (a newer emulator, the operator): ending must not take theirs.
    std::filesystem::remove(first.linkPath());
    std::filesystem::create_symlink("/dev/null", first.linkPath());
    first.stop();
    EXPECT_EQ(std::filesystem::read_symlink(first.linkPath()), "/dev/null");
    EXPECT_FALSE(std::filesystem::exists(first.linkPath().string() + ".lock")) << "the lock goes with its holder";
}

TEST(SimProcess, RunsInTheBackgroundAndAnswersControlLinesFromTheCommandLine) {
    TempDir dir;
    const auto link = dir / "ports/COM98";
    const Finished started = runSimProgram({"--daemon", "--link", link.string(), "--silent"});
    ASSERT_EQ(started.exitCode, 0) << started.err;
    EXPECT_EQ(started.out.find_first_not_of("0123456789\n"), std::string::npos) << "only the pid: " << started.out;
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << "ready when the command returns";
    const auto control = link.string() + ".ctl";
    const struct {
        const char* why;
        std::vector<std::string> args;
        int exitCode;
        const char* outStart;
    } cases[] = {
        {"one word", {"ctl", "--control", control, "stats"}, 0, "ok frames="},
        {"words joined into one line", {"ctl", "--control", control, "drop-acks", "next", "2"}, 0, "ok\n"},
        {"one argument holding the line", {"ctl", "--control", control, "silence off"}, 0, "ok\n"},
        {"an error reply fails the command", {"ctl", "--control", control, "explode"}, 1, "error "},
        {"nobody listening", {"ctl", "--control", control + ".none", "stats"}, 1, ""},
        {"no line", {"ctl", "--control", control}, 2, ""},
    };
    for (const auto& c : cases) {
        const Finished f = runSimProgram(c.args);
        EXPECT_EQ(f.exitCode, c.exitCode) << c.why << ": " << f.err;
        EXPECT_TRUE(f.out.starts_with(c.outStart)) << c.why << ": " << f.out;
    }
    EXPECT_EQ(runSimProgram({"ctl", "--control", control, "quit"}).out, "ok\n");
    EXPECT_TRUE(waitGone(link)) << "quit removes the link";
    EXPECT_TRUE(waitGone(control)) << "and the control socket";
}

TEST(SimLog, ParsesWhatTheEmulatorWrites) {
    const auto entries = ParseSimLog(
        "time_us\tdir\tkind\toutcome\tgap\tdata\twire\tnote\n"
        "12\trx\tcommand\taccepted\tgap\t73 00 1C\tC0 55 03 73 00 1C 70 C1\tanswer in the next frame\n"
        "13\ttx\tack\tsent\t-\t\tC0 31 00 C1\t\n"
        "14\ttx\tframe\tsent\t-\t00 01");  // unfinished last line
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].timeUs, 12);
    EXPECT_EQ(entries[0].code(), 's');
    EXPECT_TRUE(entries[0].inGap);
    EXPECT_EQ(entries[0].wire.size(), 8u);
    EXPECT_EQ(entries[0].note, "answer in the next frame");
    EXPECT_EQ(entries[1].wire, kAck);
    EXPECT_TRUE(entries[1].data.empty());
}

}  // namespace
}  // namespace r4860::testing
