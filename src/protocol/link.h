// The link to one transducer: the port, the listener and transfer thread slots, and the hand-over
// between the thread that posts commands, the listener that sends them in the gap after a frame,
// the pollers that take the latest frame and a transfer that borrows the port. The flags stay
// behind named operations so every hand-over keeps its memory ordering in one place.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "common/manual_reset_event.h"
#include "common/result.h"
#include "common/unique_fd.h"
#include "link/serial_port.h"
#include "link/worker_thread.h"

namespace r4860::protocol {

// A command buffer holds n at [0] and the data at [1..n] (code first); a receive buffer holds
// the length at [0], data bytes 1..8 at [1..8] and the checksum at [9].
using FrameBuffer = std::array<std::uint8_t, 256>;

inline constexpr int kDefaultBaudIndex = 3;   // 4800 baud

// Baud index 1..4 -> 1200, 2400, 4800, 9600; anything else 1200.
[[nodiscard]] int BaudForIndex(int baudIndex) noexcept;

// The status flags of the latest decoded measurement frame. Owned by the one thread that polls.
struct StatusFlags {
    bool EepromError = false;
    bool BrokenSensor = false;
    bool IndependentOutput = false;
    bool CalMode = false;
    int UnitIndex = 15;
    bool OutOfRange = false;
    // Held from the frame that carried the bit until the GetSample after it, so a one-frame
    // pulse between two polls is still seen once.
    bool LargeError = false;
    bool NewAverage = false;
    bool InternalError = false;
    int TypeIndex = 16;          // 16: the last poll found no new sample
    bool ExtendedOutputScale = false;
};

// Why a command could not be posted: the caller's beep follows from it.
enum class PostState { Ready, NotReady, Pending };

class Link {
public:
    Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    // Stops the link: a running transfer is cancelled and waited for first.
    ~Link();

    // --- Lifecycle (the owner's thread) ---
    // Opens COMn (through the ports folder), configures it at the indexed baud rate and starts the
    // listener. Whatever ran before is stopped first (a running transfer is cancelled and waited
    // for), so a command pending for one port is never sent to the next.
    Status start(int portNumber, int baudIndex, const std::filesystem::path& portsFolder);
    // The same on a device path (a pseudo-terminal, a test).
    Status startOnPath(const std::string& devicePath, int baudIndex);
    // Why the last start failed, by what the operator can do (None after a start that succeeded).
    [[nodiscard]] link::PortProblem startProblem() const noexcept { return m_startProblem; }
    // Cancels a running transfer and waits for it, ends the listener, closes the port.
    void stop();
    // The link is started and may be polled (false for the length of a transfer).
    [[nodiscard]] bool pollingOn() const noexcept { return m_pollingOn.load(std::memory_order_acquire); }
    [[nodiscard]] bool listenerRunning() const noexcept { return m_listenerRunning.load(std::memory_order_acquire); }
    [[nodiscard]] bool isOpen() const;
    // The port's device path, "" while closed.
    [[nodiscard]] std::string devicePath() const;

    // --- Posting commands (one posting thread at a time) ---
    [[nodiscard]] PostState postState() const noexcept;
    // Hands `command` to the listener; only while postState() is Ready.
    void postCommand(const FrameBuffer& command, bool expectAck);
    // Wakes on every change the listener makes to the ready state; false at the time-out.
    bool waitReadyChange(std::chrono::milliseconds timeout);
    void armReadyWait() { m_readyEvent.reset(); }
    void armCommandDone() { m_commandDoneEvent.reset(); }
    bool waitCommandDone(std::chrono::milliseconds timeout) { return m_commandDoneEvent.waitFor(timeout); }
    // Takes a send failure not yet reported (once per failure), while nothing is pending.
    bool takeSendFailure() noexcept;
    [[nodiscard]] bool commandPending() const noexcept { return m_commandPending.load(std::memory_order_acquire); }

    // --- Polling (one polling thread at a time) ---
    struct TakenFrame {
        FrameBuffer frame{};
        bool newAverage = false;
        bool largeError = false;
    };
    // When the latest frame has not been taken, copies it with the latched bits (clearing the
    // latches) and marks it taken. False when there is nothing new.
    bool takeLatestFrame(TakenFrame& out);
    void armNewFrame() { m_newFrameEvent.reset(); }
    bool waitNewFrame(std::chrono::milliseconds timeout) { return m_newFrameEvent.waitFor(timeout); }
    void armFirstTryFrame() { m_firstTryFrameEvent.reset(); }
    bool waitFirstTryFrame(std::chrono::milliseconds timeout) { return m_firstTryFrameEvent.waitFor(timeout); }
    // An eventfd that becomes readable whenever a new frame has been stored, so a window can
    // react to frames (a socket notifier) instead of only polling. Read 8 bytes to clear it.
    [[nodiscard]] int frameNotifyFd() const noexcept { return m_frameNotify.get(); }
    // Clears the frame notification; returns how many frames were signalled since the last call.
    std::uint64_t drainFrameNotifications() noexcept;
    StatusFlags status;   // the polling thread's

    // --- The listener's side (protocol internals) ---
    struct PendingCommand {
        const FrameBuffer* command = nullptr;
        bool expectAck = true;
    };
    // Stores a received frame, latches its NewAverage/LargeError bits, marks the sample new and the
    // link ready (when nothing is pending), and wakes every waiter of a frame.
    void publishFrame(const FrameBuffer& frame, bool firstAttempt);
    void markNoFrame() noexcept { m_sampleValid.store(false, std::memory_order_release); }
    // The command to send after this frame, or none; marks the link busy while it is sent.
    PendingCommand takePendingForSend() noexcept;
    // The outcome of one send; `finished` drops the command (sent, or out of tries).
    void commandSent(bool ok, bool finished);
    // Readable once a command has been posted or the listener is asked to end, so a listener
    // sleeping through a frame wakes for it; drain it before looking at commandPending().
    [[nodiscard]] int listenerWakeFd() const noexcept { return m_listenerWake.get(); }
    void drainListenerWake() noexcept;
    // Wakes everyone waiting for the listener: it will not signal again.
    void releaseListenerWaiters();

    // --- Transfers (protocol internals: the transfer job and its worker) ---
    [[nodiscard]] link::SerialPort* port() const noexcept { return m_port.get(); }
    [[nodiscard]] link::WorkerThread& transferWorker() noexcept { return m_transferWorker; }
    [[nodiscard]] bool transferRunning() const noexcept { return m_transferRunning.load(std::memory_order_acquire); }
    // Stops the listener so a transfer may use the port; refused unless the link is polling.
    Status suspendForTransfer();
    // Starts the listener again after a transfer; polling resumes when it did.
    Status resumeAfterTransfer();
    void beginTransfer();
    // Clears the running flag; true when it was set (this call ended the transfer).
    bool endTransfer() noexcept { return m_transferRunning.exchange(false, std::memory_order_acq_rel); }
    // Breaks a transfer worker off the port (the running flag is cleared first).
    bool abortTransferWorker();
    // The worker's side of the progress hand-over: publishes a percentage and, when asked to,
    // holds the worker until the supervising thread has taken it (at most `ackTimeout`).
    void publishProgress(int percent, bool waitForAck, std::chrono::milliseconds ackTimeout);
    void signalProgress() { m_progressEvent.set(); }
    // The supervisor's side: waits for a progress signal, takes it and answers the worker.
    bool waitProgress(std::chrono::milliseconds timeout, int& percent);
    // Held by a transfer for its whole length, so stop() waits until the port is returned.
    [[nodiscard]] std::mutex& transferMutex() noexcept { return m_transferMutex; }
    // Bumped by every stop(): a transfer created before it must not run on whatever port follows.
    [[nodiscard]] unsigned generation() const noexcept { return m_generation.load(std::memory_order_acquire); }
    // Asks the running transfer to end (its supervisor breaks the worker off) and wakes the supervisor.
    void requestTransferCancel();
    // Any thread, even one that does not own the link (a signal watcher): the running transfer ends
    // as cancelled. Forgotten when the next transfer begins.
    void cancelTransfer();
    [[nodiscard]] bool transferCancelled() const noexcept { return m_transferCancelled.load(std::memory_order_acquire); }

    // --- For tests that play the listener or a transfer themselves, without its thread ---
    void attachPortForTest(std::unique_ptr<link::SerialPort> port) { m_port = std::move(port); }
    void setListenerRunningForTest(bool on) { m_listenerRunning.store(on, std::memory_order_release); }

private:
    Status startOn(Result<std::unique_ptr<link::SerialPort>> created, link::PortProblem openProblem, int baudIndex);
    Status startListener();
    Status stopListener();
    void stopUnlocked();
    void resetExchangeState() noexcept;
    void wakeListener() noexcept;
    void clearLatestFrame();

    std::unique_ptr<link::SerialPort> m_port;   // present while the link is up
    link::PortProblem m_startProblem = link::PortProblem::None;   // the owner thread's
    link::WorkerThread m_listener;
    link::WorkerThread m_transferWorker;
    std::mutex m_transferMutex;

    // Hand-over flags. The poster fills `m_command` and sets m_expectAck only while
    // m_commandPending is false, then publishes with m_commandPending (release); the listener
    // reads the buffer only after seeing it (acquire) and clears it after the send.
    std::atomic<bool> m_listenerRunning{false};
    std::atomic<bool> m_pollingOn{false};
    std::atomic<bool> m_commandPending{false};
    std::atomic<bool> m_linkReady{false};
    std::atomic<bool> m_lastSendOk{true};
    std::atomic<bool> m_sampleValid{false};
    std::atomic<bool> m_sampleConsumed{true};
    std::atomic<bool> m_expectAck{true};
    std::atomic<bool> m_transferRunning{false};
    std::atomic<int> m_transferProgress{0};
    std::atomic<unsigned> m_generation{0};
    std::atomic<bool> m_transferCancelled{false};
    FrameBuffer m_command{};

    ManualResetEvent m_newFrameEvent;
    ManualResetEvent m_firstTryFrameEvent;
    ManualResetEvent m_commandDoneEvent;
    ManualResetEvent m_progressEvent;
    ManualResetEvent m_progressAckEvent;
    ManualResetEvent m_readyEvent;
    UniqueFd m_frameNotify;
    UniqueFd m_listenerWake;

    mutable std::mutex m_frameMutex;
    FrameBuffer m_latest{};
    bool m_newAverageLatch = false;
    bool m_largeErrorLatch = false;
};

}  // namespace r4860::protocol
