// The emulated transducer on its line: paces every byte at 4800 baud, sends a frame each period,
// opens the gap after each frame in which it takes one command, answers, and obeys the control
// socket. One thread, one poll loop; between bytes it sleeps until the next one is due.
#pragma once

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "sim/command_frame_parser.h"
#include "sim/control_commands.h"
#include "sim/control_server.h"
#include "sim/device_engine.h"
#include "sim/frame_log.h"
#include "sim/pty_port.h"

namespace r4860::sim {

struct LineTiming {
    std::int64_t charUs = 2083;     // 10 bits at 4800 baud
    std::int64_t periodUs = 60'000; // from one frame start to the next
    std::int64_t minGapUs = 20'000; // the listening gap after any frame, even when the next one is due
    std::int64_t resetUs = 150'000; // silence while the firmware restarts
};

struct LoopSettings {
    std::optional<std::filesystem::path> link;
    std::optional<std::filesystem::path> control;
    std::optional<std::filesystem::path> log;
    std::optional<std::filesystem::path> memoryFile;
    LineTiming timing;
    std::uint32_t seed = 4800;
    bool silent = false;
    bool strict = false;   // start with LineFaults::strictGap on
    bool realtime = false; // pace the line at real-time priority where the system allows it
};

struct LineStats {
    long frames = 0, replies = 0, acks = 0, acksDropped = 0, corrupted = 0;
    long accepted = 0, ignored = 0, refused = 0, invalid = 0;
};

class SimLoop {
public:
    SimLoop(LoopSettings settings, DeviceEngine engine);

    // Opens the pty, link, control socket and log; prints the slave path on stdout.
    [[nodiscard]] Status start();
    // Runs until quit or `stop` becomes non-zero (set by a signal handler); tidies up after.
    void run(const volatile std::sig_atomic_t& stop);

    [[nodiscard]] DeviceEngine& engine() noexcept { return m_engine; }

private:
    enum class Phase { Gap, Sending, Paused, Unplugged };

    void step(std::int64_t now);
    void startFrame(std::int64_t now);
    void startSending(protocol::Bytes wire, std::int64_t now);
    void sendDueBytes(std::int64_t now);
    void readLine(std::int64_t now);
    void handleFrame(const HostFrame& frame, std::int64_t now);
    void acknowledge(std::int64_t now);
    bool corrupt(protocol::Bytes& wire);
    std::string control(std::string_view line);
    std::string stats() const;
    void openGap(std::int64_t txEnd);
    [[nodiscard]] bool listening(std::int64_t now) const;
    std::int64_t nextWakeUs(std::int64_t now) const;
    void shutdown();

    LoopSettings m_settings;
    DeviceEngine m_engine;
    LineFaults m_faults;
    PtyPort m_port;
    ControlServer m_control;
    FrameLog m_log;
    CommandFrameParser m_parser;
    std::mt19937 m_rng;
    LineStats m_stats;

    Phase m_phase = Phase::Gap;
    protocol::Bytes m_tx;
    std::size_t m_txNext = 0;
    std::int64_t m_txDueUs = 0;
    int m_acksQueued = 0;
    std::int64_t m_gapUntilUs = 0;
    std::int64_t m_listenUntilUs = 0;   // end of the listening gap after the last transmission
    std::int64_t m_nextFrameUs = 0;
    std::int64_t m_pauseUntilUs = 0;
    std::int64_t m_startUs = 0;
    bool m_quit = false;
};

}  // namespace r4860::sim
