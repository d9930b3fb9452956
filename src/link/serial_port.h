// The byte level of the link to the transducer: one open serial port with its eventfd, waits and
// reads with time-outs derived from the baud rate, interruption of a blocked worker, and the
// re-opening of the same port when an unplugged adapter comes back.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "common/result.h"
#include "common/unique_fd.h"
#include "link/frame_bytes.h"
#include "link/port_problem.h"
#include "link/worker_thread.h"

namespace r4860::link {

// Error word bits, as the classic comm-error call reports them; here derived from TIOCGICOUNT.
inline constexpr std::uint32_t kCeRxOver = 0x0001;
inline constexpr std::uint32_t kCeOverrun = 0x0002;
inline constexpr std::uint32_t kCeFrame = 0x0008;
inline constexpr std::uint32_t kCeBreak = 0x0010;
inline constexpr std::uint32_t kCeTxFull = 0x0100;
inline constexpr std::uint32_t kCeIoe = 0x0400;

// More bytes than three replies waiting means the reader fell behind: drain and start clean.
inline constexpr std::size_t kInputQueueLimit = 24;
inline constexpr std::size_t kMaxWriteBlock = 254;

// A character is counted as 10 bit times.
struct CharTimes {
    double charTime = 0.0;          // ms
    std::uint8_t charTimeMs = 0;     // ceil(charTime)
    unsigned twoCharTimeMs = 0;      // ceil(2 * charTime)
};
[[nodiscard]] CharTimes CharTimesForBaud(int baud) noexcept;

// What the comm-error call gives: the error word since the last look and the bytes waiting
// (kernel queue plus what the port has buffered itself).
struct CommStatus {
    std::uint32_t errors = 0;
    std::size_t queued = 0;
};

class SerialPort {
public:
    // Resolves COMn through the ports folder, checks for an FTDI adapter and opens the device
    // exclusively. Every later re-open resolves the number again, so a link the emulator
    // re-points to its new pseudo-terminal is followed. On failure `why` (when given) tells the
    // operator's side of it, whatever language the system's own error text is in.
    static Result<std::unique_ptr<SerialPort>> Create(int comNumber, std::filesystem::path portsFolder,
                                                      PortProblem* why = nullptr);
    // The same for a device given by path (a pseudo-terminal in tests); re-opens use that path.
    static Result<std::unique_ptr<SerialPort>> OpenPath(std::string devicePath, PortProblem* why = nullptr);

    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    // Close: break, wake any waiter, drop DTR and RTS, close. Threads using the port must have
    // been joined before (the owner interrupts them with interrupt() and joins).
    ~SerialPort();

    // Raw 8N1 at `baud` (1200, 2400, 4800 or 9600 and the other standard rates), no flow
    // control, DTR and RTS raised, input flushed, low-latency where the driver has it, then a
    // 250 ms pause. What a pseudo-terminal lacks (modem lines, low latency) is not a failure.
    Status Configure(int baud);

    // 1..254 bytes within count x 2 character times; a failed or late write is flushed from the
    // output queue so no partial frame stays, and pauses 100 ms.
    bool WriteBlock(std::span<const std::uint8_t> bytes);
    // True when bytes of a frame are there or about to be: any byte, or with an FTDI adapter an
    // END byte among those buffered. False on time-out, receive error, abort or a lost device.
    // `frameBytes` is the shortest frame the caller expects: once it starts, the wait sleeps
    // until that many bytes are due instead of waking for each one.
    bool WaitForInput(std::chrono::milliseconds timeout, std::size_t frameBytes = kAckFrameBytes);
    // One byte within 4 character times; on failure `byte` keeps its previous value. More than
    // 24 bytes waiting drains the input and fails; with an FTDI adapter an empty queue fails at once.
    bool ReadByte(std::uint8_t& byte);
    // Discards what is waiting (up to 1024 bytes); false when interrupted or the device failed.
    bool DrainInput();
    // tcflush plus the port's own buffer.
    bool purgeInput();
    bool purgeOutput();
    // The comm-error call; an Error when the device has gone away.
    Result<CommStatus> ClearCommError();
    // A pause that interrupt() and AbortWorker() cut short; kept to the microsecond, not rounded
    // up to whole milliseconds.
    void pause(std::chrono::microseconds duration);
    // Sleeps until `wake` while no input waits, so bytes that come meanwhile are read together
    // afterwards; ends early on interrupt() or AbortWorker(), or when `alsoFd` becomes readable.
    void idleUntil(std::chrono::steady_clock::time_point wake, int alsoFd);
    // True when the last byte taken is the last that came and it arrived at most `within` ago.
    // Its arrival is judged from the last moment the input was seen empty (a read that emptied
    // it, or a wait that input ended) and the line's pace of one byte per character time; a byte
    // that came while nobody looked (during a pause, say) counts as old.
    bool lastByteJustArrived(std::chrono::microseconds within);

    // Ends `worker`, which may be blocked in this port's operations: every wait fails at once
    // while the abort is on; waits up to 10 s for the body to end, purges, and on success joins
    // the thread and empties the slot. False (slot kept) when the thread did not end, or when
    // the slot or the port is empty. Called by the thread that owns the slot, never by the worker.
    bool AbortWorker(WorkerThread& worker);
    // The first half of Close: abort on, break, wake every waiter. Stays on until destruction.
    void interrupt();
    [[nodiscard]] bool aborting() const noexcept { return m_abortIo.load(std::memory_order_acquire); }

    [[nodiscard]] const std::string& devicePath() const noexcept { return m_path; }
    [[nodiscard]] bool ftdiPort() const noexcept { return m_ftdi; }
    [[nodiscard]] CharTimes charTimes() const noexcept { return m_times; }
    [[nodiscard]] int baud() const noexcept { return m_baud; }
    // The device answers (it has not vanished since the last open).
    [[nodiscard]] bool deviceOpen() const noexcept { return m_online.load(std::memory_order_acquire); }
    // How many times the port was opened again after the device had gone away.
    [[nodiscard]] int reopenCount() const noexcept { return m_reopens.load(std::memory_order_relaxed); }

private:
    SerialPort() = default;
    Status openDevice();
    Status applyTermios(int baud);
    void markLost();
    bool reviveIfDue();
    bool fill();
    void forgetArrivals();
    Result<CommStatus> errorWord(std::size_t kernelQueued);
    enum class Wait { Ready, TimedOut, Aborted, Failed };
    Wait pollFor(short events, std::chrono::steady_clock::time_point deadline);
    void sleepFor(std::chrono::steady_clock::duration duration);
    bool endBuffered() const;
    [[nodiscard]] std::size_t buffered() const noexcept { return m_buffer.size() - m_head; }
    bool gatherFrame(std::size_t frameBytes);
    std::size_t bytesStillExpected(std::size_t frameBytes) const;
    void wake();
    void clearWake();
    void setBreak(bool on);

    PortProblem m_problem = PortProblem::None;   // why the last openDevice failed
    int m_comNumber = 0;               // 0 when opened by path
    std::filesystem::path m_portsFolder;
    bool m_fromFolder = false;         // the number was resolved through a link in the folder
    std::string m_path;
    bool m_ftdi = false;
    int m_baud = 0;
    CharTimes m_times = CharTimesForBaud(4800);

    // The descriptor is replaced only by the I/O thread and only under m_fdMutex; the owner
    // thread takes the mutex for its ioctls (break, purge) so it never touches a closed number.
    std::mutex m_fdMutex;
    UniqueFd m_fd;
    UniqueFd m_wake;                   // eventfd: written by Interrupt/AbortWorker, polled by every wait
    std::atomic<bool> m_abortIo{false};
    bool m_interrupted = false;        // owner thread only
    std::chrono::steady_clock::time_point m_breakSince{};
    std::atomic<bool> m_online{false};
    std::atomic<int> m_reopens{0};
    std::chrono::steady_clock::time_point m_lastReviveAttempt{};

    std::vector<std::uint8_t> m_buffer;   // bytes read from the device, not yet taken
    std::size_t m_head = 0;
    // When the device's queue was last read empty, and the earliest the newest byte read can
    // have arrived: the two bound the age of a frame's END.
    std::chrono::steady_clock::time_point m_emptyAt{};
    std::chrono::steady_clock::time_point m_newestNotBefore{};
    bool m_haveCounts = false;
    bool m_noCounts = false;           // the driver has no TIOCGICOUNT (a pseudo-terminal)
    std::uint32_t m_frameCount = 0, m_overrunCount = 0, m_breakCount = 0, m_bufOverrunCount = 0;
};

}  // namespace r4860::link
