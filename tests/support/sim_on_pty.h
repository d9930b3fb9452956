// The real r4860-sim on a fresh pseudo-terminal, for tests that need a transducer on the line.
// Link the CMake target `r4860_sim_harness`: it knows the emulator binary and builds it first.
//
//   SimOnPty sim;                                  // started, broadcasting, link made
//   OpenPort(sim.slavePath()) or OpenPort(sim.linkPath());
//   sim.control("drop-acks next 3");               // "ok", "ok <value>" or "error <why>"
//   for (const auto& f : sim.receivedFrames()) ... // every command frame the emulator saw
//
// Control commands (one line each, one reply line): send "help" for the list. A frame goes out every
// 60 ms (--period-ms) with a gap of at least 20 ms after each (--min-gap-ms); a command in the gap is
// acknowledged at once, one with bit 7 set that arrives mid-frame after that frame.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace r4860::testing {

// One line of the emulator's frame log (tab-separated, one line per frame, flushed per line).
struct SimLogEntry {
    std::int64_t timeUs = 0;  // steady clock, as SteadyMicros()
    std::string dir;          // "rx" (from the host), "tx" (to the host), "mark", "event"
    std::string kind;         // rx: command, noise; tx: frame, reply (to 's'), ack; event: unplug, ...
    std::string outcome;      // rx: accepted, ignored (not in a gap, or silent), refused (no valid command),
                              // invalid (bad frame); tx: sent, corrupted, dropped, skipped (a reply lost)
    bool inGap = false;       // rx: the command began inside the gap after a frame
    std::vector<std::uint8_t> data;  // rx: unstuffed command data (code first); tx: data bytes
    std::vector<std::uint8_t> wire;  // the bytes as they were on the line
    std::string note;                // mark text, why refused, ...

    [[nodiscard]] std::uint8_t code() const { return data.empty() ? 0 : data.front(); }
};

// Parses the emulator's log text; malformed lines are skipped.
[[nodiscard]] std::vector<SimLogEntry> ParseSimLog(std::string_view text);
// Now on the clock the emulator stamps its log with.
[[nodiscard]] std::int64_t SteadyMicros();
// The entries from the last "log-mark <note>" on (all of them without one).
[[nodiscard]] std::vector<SimLogEntry> SimLogSinceMark(const std::vector<SimLogEntry>& log,
                                                       std::string_view note);
// One line per entry, times from the first, for the message of a failed expectation.
[[nodiscard]] std::string SimLogText(const std::vector<SimLogEntry>& entries);

struct SimOptions {
    int modelCode = 47;                 // stored as 4700 + code at bytes 28-29
    long serial = 1234;                 // bytes 32-34
    std::string calDate = "01.02.2026"; // bytes 30-31
    std::string codeVersion = "V2.1";   // the four bytes at 0x8000
    bool silent = false;                // start with "silence on" (call startBroadcasting())
    std::optional<double> signal;       // fixed input signal instead of the slow default sweep
    std::optional<std::vector<std::uint8_t>> memory;  // start from these 2048 or 2052 bytes
    std::vector<std::string> extraArgs; // passed on to r4860-sim as they are
};

class SimOnPty {
public:
    // Starts the emulator and waits (up to 10 s) until its pty, link, control socket and log
    // are ready. It does not throw: check ok(), and startError() for why not.
    explicit SimOnPty(SimOptions options = {});
    ~SimOnPty();  // stop(), then the folder goes
    SimOnPty(const SimOnPty&) = delete;
    SimOnPty& operator=(const SimOnPty&) = delete;

    [[nodiscard]] bool ok() const noexcept { return m_pid > 0 && !m_slavePath.empty(); }
    [[nodiscard]] const std::string& startError() const noexcept { return m_error; }

    // The pty slave as printed at start; after unplug/replug ask control("slave-path").
    [[nodiscard]] const std::string& slavePath() const noexcept { return m_slavePath; }
    // The symbolic link to the slave (repointed on replug): dir()/"ports"/"COM99".
    [[nodiscard]] std::filesystem::path linkPath() const { return m_dir / "ports" / "COM99"; }
    [[nodiscard]] std::filesystem::path portsDir() const { return m_dir / "ports"; }
    [[nodiscard]] const std::filesystem::path& dir() const noexcept { return m_dir; }
    [[nodiscard]] std::filesystem::path logPath() const { return m_dir / "sim.log"; }
    [[nodiscard]] std::filesystem::path memoryPath() const { return m_dir / "memory.bin"; }
    [[nodiscard]] pid_t pid() const noexcept { return m_pid; }

    // Sends one control line; returns the reply line ("" when the emulator does not answer).
    std::string control(std::string_view line);
    void startBroadcasting() { control("silence off"); }

    // The log as written so far; only the host's command frames (rx command); only the line's tx.
    [[nodiscard]] std::vector<SimLogEntry> log() const;
    [[nodiscard]] std::vector<SimLogEntry> receivedFrames() const;
    [[nodiscard]] std::vector<SimLogEntry> sentFrames() const;
    // The live configuration memory: 2048 bytes plus the 4 bytes at 0x8000 (empty on failure).
    [[nodiscard]] std::vector<std::uint8_t> memory();

    // Waits until `count` more frames than now have been sent: pacing without sleeps.
    bool waitFrames(int count, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Ends the emulator (SIGTERM, SIGKILL after 3 s) and reaps it; later calls do nothing.
    void stop();
    [[nodiscard]] bool running();

private:
    std::filesystem::path m_dir;
    std::string m_slavePath, m_error;
    pid_t m_pid = -1;
    int m_stdout = -1;
};

}  // namespace r4860::testing
