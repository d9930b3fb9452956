#include "link/serial_port.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <numeric>
#include <random>
#include <thread>

#include "support/pty_pair.h"
#include "support/temp_dir.h"

namespace r4860::link {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::PtyPair;

// The host's side of a fresh pseudo-terminal pair, opened and configured for 4800 baud.
class SerialPortOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        auto opened = SerialPort::OpenPath(pty.slavePath());
        ASSERT_TRUE(opened) << opened.error().message;
        port = std::move(*opened);
        ASSERT_TRUE(port->Configure(4800));
    }

    PtyPair pty;
    std::unique_ptr<SerialPort> port;
};

TEST(CharTimes, FollowTheBaudRate) {
    for (const auto& [baud, one, two] : {std::tuple{1200, 9u, 17u}, {2400, 5u, 9u}, {4800, 3u, 5u}, {9600, 2u, 3u}})
        EXPECT_EQ(std::pair(0u + CharTimesForBaud(baud).charTimeMs, CharTimesForBaud(baud).twoCharTimeMs), std::pair(one, two));
}

TEST_F(SerialPortOnPty, ConfiguresAPseudoTerminalAndWritesOneTo254BytesUnchanged) {
    EXPECT_FALSE(port->ftdiPort());
    EXPECT_FALSE(port->Configure(4801)) << "not a serial rate";
    EXPECT_FALSE(port->WriteBlock({}));
    EXPECT_FALSE(port->WriteBlock(std::vector<std::uint8_t>(255, 0x41)));
    EXPECT_TRUE(pty.read(50ms).empty()) << "a refused block sends nothing";
    std::vector<std::uint8_t> block(254);
    std::iota(block.begin(), block.end(), std::uint8_t{0});
    ASSERT_TRUE(port->WriteBlock(block));
    EXPECT_EQ(pty.read(), block) << "binary bytes pass unchanged (no CR/LF mapping)";
}

TEST_F(SerialPortOnPty, ReadByteKeepsEveryByteAcrossReadBoundaries) {
    std::mt19937 rng(4800);   // fixed seed: a failure replays exactly
    for (int round = 0; round < 40; ++round) {
        std::vector<std::uint8_t> sent(1 + rng() % 20), got;   // at most 20: below the drain limit
        for (auto& b : sent) b = static_cast<std::uint8_t>(rng());
        const auto split = sent.begin() + static_cast<std::ptrdiff_t>(rng() % sent.size());
        std::thread writer([&] {
            pty.write({sent.begin(), split});
            std::this_thread::sleep_for(2ms);   // less than 4 character times: still one frame
            pty.write({split, sent.end()});
        });
        ASSERT_TRUE(port->WaitForInput(500ms)) << "round " << round;
        // A late second half (a loaded machine) only costs a retry; a lost byte never comes.
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        for (std::uint8_t b = 0; got.size() < sent.size() && std::chrono::steady_clock::now() < deadline;) {
            if (port->ReadByte(b)) got.push_back(b);
        }
        writer.join();
        ASSERT_EQ(got, sent) << "round " << round << ", split at " << split - sent.begin();
    }
}

TEST_F(SerialPortOnPty, MoreThan24WaitingBytesAreDrainedSoTheNextFrameStartsClean) {
    std::uint8_t b = 0;
    for (const auto& [count, fill, drained] : {std::tuple{25, 0x11, true}, {24, 0x22, false}}) {
        pty.write(std::vector<std::uint8_t>(count, fill));
        std::this_thread::sleep_for(20ms);
        EXPECT_TRUE(port->WaitForInput(100ms)) << count << " waiting are input at once";
        EXPECT_EQ(port->ReadByte(b) && b == fill, !drained) << count << " waiting";
        if (!drained) continue;
        pty.write({0xC0});
        ASSERT_TRUE(port->WaitForInput(200ms) && port->ReadByte(b) && b == 0xC0) << "the old bytes are gone";
    }
}

extern "C" void ignoreSignal(int) {}

TEST_F(SerialPortOnPty, WaitsEndOnTimeWhateverSignalsComeAndAtTheFirstByte) {
    std::uint8_t b = 0x5A;
    auto start = Clock::now();
    EXPECT_FALSE(port->ReadByte(b));
    EXPECT_EQ(b, 0x5A) << "the previous byte is kept when nothing comes";
    EXPECT_LT(Clock::now() - start, 100ms) << "four character times, not more";
    struct sigaction action {}, previous {};
    action.sa_handler = ignoreSignal;   // no SA_RESTART: poll() really sees EINTR
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
    std::thread signaller([waiter = pthread_self()] {
        for (int i = 0; i < 5; ++i) std::this_thread::sleep_for(40ms), pthread_kill(waiter, SIGUSR1);
    });
    start = Clock::now();
    EXPECT_FALSE(port->WaitForInput(300ms));
    const auto waited = Clock::now() - start;
    signaller.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_GE(waited, 300ms) << "a signal is not a time-out";
    EXPECT_LT(waited, 450ms) << "the deadline is kept, not restarted after each signal";
    std::thread writer([&] { std::this_thread::sleep_for(50ms), pty.write({0x31}); });
    start = Clock::now();
    EXPECT_TRUE(port->WaitForInput(2000ms));
    EXPECT_LT(Clock::now() - start, 500ms) << "woken by the first byte";
    writer.join();
}

TEST_F(SerialPortOnPty, AbortAndInterruptEndWhatIsUnderWay) {
    WorkerThread worker, empty;
    ASSERT_TRUE(worker.start([&] { return port->WaitForInput(10s) ? kExitOk : kExitFailed; }));
    std::this_thread::sleep_for(50ms);
    auto start = Clock::now();
    EXPECT_TRUE(port->AbortWorker(worker));
    EXPECT_LT(Clock::now() - start, 2s) << "woken at once, then the two settling pauses";
    EXPECT_FALSE(worker.occupied());
    EXPECT_EQ(worker.exitCode(), kExitFailed) << "the wait failed because of the abort";
    EXPECT_FALSE(port->aborting()) << "the port is usable again";
    EXPECT_FALSE(port->AbortWorker(empty)) << "nothing to end";
    pty.write({0xC0, 0x31});
    ASSERT_TRUE(port->WaitForInput(500ms));
    port->interrupt();
    start = Clock::now();
    std::uint8_t b = 0;
    EXPECT_FALSE(port->WaitForInput(1s));
    EXPECT_FALSE(port->ReadByte(b)) << "not even the bytes already waiting";
    EXPECT_FALSE(port->WriteBlock(std::vector<std::uint8_t>{1}));
    port->pause(1s);
    EXPECT_LT(Clock::now() - start, 100ms) << "an interrupted port fails everything at once";
}

TEST(SerialPortReplug, APortWhoseDeviceVanishedIsReopenedWhenItComesBack) {
    testing::TempDir dir;
    auto pty = std::make_unique<PtyPair>();
    std::filesystem::create_symlink(pty->slavePath(), dir / "COM5");
    auto created = SerialPort::Create(5, dir.path());
    ASSERT_TRUE(created && (*created)->Configure(4800));
    auto port = std::move(*created);
    pty->closeMaster();   // unplugged
    EXPECT_FALSE(port->WaitForInput(200ms));
    EXPECT_FALSE(port->deviceOpen());
    const auto start = Clock::now();
    EXPECT_FALSE(port->WaitForInput(300ms));
    EXPECT_GE(Clock::now() - start, 250ms) << "a lost device keeps the caller's rhythm, no spinning";
    PtyPair replugged;   // a new pseudo-terminal, as on replug; the link is repointed
    std::filesystem::remove(dir / "COM5");
    std::filesystem::create_symlink(replugged.slavePath(), dir / "COM5");
    for (const auto until = Clock::now() + 4s; !port->deviceOpen() && Clock::now() < until;) (void)port->WaitForInput(200ms);
    ASSERT_TRUE(port->deviceOpen()) << "reopened within about a second";
    EXPECT_EQ(port->reopenCount(), 1);
    EXPECT_EQ(port->devicePath(), replugged.slavePath());
}

}  // namespace
TEST_F(SerialPortOnPty, TellsWhetherTheLastByteTakenHasJustArrived) {
    struct Case {
        const char* why;
        std::vector<std::uint8_t> bytes;
        bool whileWaiting;   // written while the port waits for input, else well before
        bool fresh;
    };
    for (const auto& [why, bytes, whileWaiting, fresh] :
         {Case{"a byte that came while the port waited", {0xC1}, true, true},
          Case{"a byte that waited while nobody looked", {0xC1}, false, false},
          Case{"more input after the byte taken", {0xC1, 0xC0}, true, false}}) {
        if (!whileWaiting) {
            pty.write(bytes);
            std::this_thread::sleep_for(100ms);
        }
        std::thread writer([&, bytes = bytes, whileWaiting = whileWaiting] {
            std::this_thread::sleep_for(30ms);
            if (whileWaiting) pty.write(bytes);
        });
        std::uint8_t b = 0;
        EXPECT_TRUE(port->WaitForInput(500ms)) << why;
        EXPECT_TRUE(port->ReadByte(b)) << why;
        // Generous against a busy machine, and still a fifth of the stale byte's age.
        EXPECT_EQ(port->lastByteJustArrived(20ms), fresh) << why;
        writer.join();
        EXPECT_TRUE(port->purgeInput());
    }
}

}  // namespace r4860::link
