// The real r4860-sim on a fresh pseudo-terminal, for tests that need a transducer on the line.
// Link the CMake target `r4860_sim_harness` (it knows where the emulator binary is and builds it
// first); include "support/sim_on_pty.h".
//
//   SimOnPty sim;                                  // started, broadcasting, link made
//   OpenPort(sim.slavePath()) or OpenPort(sim.linkPath());
//   sim.control("drop-acks next 3");               // "ok", "ok <value>" or "error <why>"
//   for (const auto& f : sim.receivedFrames()) ... // every command frame the emulator saw
//
// Control commands (one line each, one reply line): corrupt P | drop-acks P | drop-acks next N |
// silence on|off | eeprom-error on|off | broken-sensor on|off | out-of-range on|off |
// internal-error on|off | cal-mode on|off | pulse new-average|large-error | model-index N|auto |
// checksum-check on|off (wrong sums in memory show as an EEPROM error) | oscillator N (-8..7, what
// '%' leaves at 0x27) | signal X|auto (X in the input's signal unit: ohm, mV, mA, V) | measurement |
// unplug | replug | slave-path | dump-memory | poke ADDR HEX | save-memory | stats | log-mark TEXT |
// help | quit.
//
// Line timing: a frame every 60 ms (--period-ms), the gap after any frame at least 20 ms
// (--min-gap-ms); a command started in the gap is acknowledged at once and the next frame waits
// for it; a command with bit 7 set that arrives while a frame goes out is acknowledged after it.
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
    std::int64_t timeUs = 0;  // steady clock in microseconds; compare with SteadyMicros()
    std::string dir;          // "rx" (from the host), "tx" (to the host), "mark", "event"
    std::string kind;         // rx: "command" or "noise"; tx: "frame", "reply" (answer to 's') or "ack";
                              // mark: "mark"; event: "unplug", "replug", "reset", "start", "stop"
    std::string outcome;      // rx: "accepted", "ignored" (not in a gap, or silent), "refused"
                              //     (well-formed but not a valid command), "invalid" (bad frame);
                              // tx: "sent", "corrupted" (sent with a damaged byte), "dropped"
    bool inGap = false;       // rx: the command began inside the gap after a frame
    std::vector<std::uint8_t> data;  // rx: unstuffed command data (code first); tx: data bytes
    std::vector<std::uint8_t> wire;  // the bytes as they were on the line
    std::string note;                // free text (mark text, why refused, ...)

    [[nodiscard]] std::uint8_t code() const { return data.empty() ? 0 : data.front(); }
};

// Parses the emulator's log text; malformed lines are skipped.
[[nodiscard]] std::vector<SimLogEntry> ParseSimLog(std::string_view text);
// Now on the clock the emulator stamps its log with.
[[nodiscard]] std::int64_t SteadyMicros();

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
    ~SimOnPty();  // SIGTERM, then SIGKILL after 3 s; always reaps the child
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

    // The log as written so far.
    [[nodiscard]] std::vector<SimLogEntry> log() const;
    // Only the command frames from the host (dir rx, kind command), in arrival order.
    [[nodiscard]] std::vector<SimLogEntry> receivedFrames() const;
    // Only what the emulator put on the line (dir tx).
    [[nodiscard]] std::vector<SimLogEntry> sentFrames() const;

    // The live configuration memory: 2048 bytes plus the 4 bytes at 0x8000 (empty on failure).
    [[nodiscard]] std::vector<std::uint8_t> memory();

    // Waits until `count` more frames than now have been sent (for pacing a test without sleeps).
    bool waitFrames(int count, std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Ends the emulator now (quit, then signals); later calls do nothing.
    void stop();
    [[nodiscard]] bool running();

private:
    std::filesystem::path m_dir;
    std::string m_slavePath;
    std::string m_error;
    pid_t m_pid = -1;
    int m_stdout = -1;
};

}  // namespace r4860::testing
