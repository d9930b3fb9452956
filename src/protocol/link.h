// The state of the link to one transducer: the port, the listener and transfer thread slots,
// the hand-over flags between the UI thread and the I/O thread, the command and latest-frame
// buffers and the events. One process-wide instance (TheLink); tests make their own.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "common/manual_reset_event.h"
#include "link/serial_port.h"
#include "link/worker_thread.h"

namespace r4860::protocol {

// A command buffer holds n at [0] and the data at [1..n] (code first); a receive buffer holds
// the length at [0], data bytes 1..8 at [1..8] and the checksum at [9].
using FrameBuffer = std::array<std::uint8_t, 256>;

// The process-wide status flags of the latest decoded measurement frame. UI thread only.
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

class Link {
public:
    Link() = default;
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;
    // Stops the link (ends the threads, closes the port).
    ~Link();

    std::unique_ptr<link::SerialPort> port;   // present while the link is up
    link::WorkerThread listener;              // slot 0
    link::WorkerThread transferWorker;        // slot 1, used by the transfer runner

    // Hand-over flags. The UI thread fills `command` and sets ExpectAck only while
    // CommandPending is false, then publishes with CommandPending (release); the listener reads
    // the buffer only after seeing CommandPending (acquire) and clears it after the send.
    std::atomic<bool> ListenerRunning{false};
    std::atomic<bool> PollingOn{false};
    std::atomic<bool> CommandPending{false};
    std::atomic<bool> LinkReady{false};
    std::atomic<bool> LastSendOk{true};
    std::atomic<bool> SampleValid{false};
    std::atomic<bool> SampleConsumed{true};
    std::atomic<bool> ExpectAck{true};
    std::atomic<bool> TransferRunning{false};
    std::atomic<int> TransferProgress{0};
    FrameBuffer command{};

    ManualResetEvent NewFrameEvent;
    ManualResetEvent FirstTryFrameEvent;
    ManualResetEvent CommandDoneEvent;
    ManualResetEvent ProgressEvent;
    ManualResetEvent ProgressAckEvent;
    // Set by the listener whenever it makes the link ready, so a poster waiting for that state
    // wakes at once instead of at the end of its 200 ms slice.
    ManualResetEvent ReadyEvent;

    StatusFlags status;   // UI thread only (GetSample)

    // The listener's side of the latest-frame buffer: stores a received frame, latches the
    // NewAverage/LargeError bits and marks the sample new, all under one lock.
    void StoreLatestFrame(const FrameBuffer& frame);
    struct TakenFrame {
        FrameBuffer frame{};
        bool newAverage = false;
        bool largeError = false;
    };
    // The poller's side: when the latest frame has not been taken, copies it with the latched
    // bits (clearing the latches) and marks it taken. False when there is nothing new.
    bool TakeLatestFrame(TakenFrame& out);
    // Zeroes the latest-frame buffer and the latches (link start).
    void ClearLatestFrame();
    // The exchange state after a listener stop: nothing pending, not ready, no sample.
    void ResetExchangeState();

    // The inner code version text the read worker fills while the UI thread may show it.
    void SetCodeVersion(std::string text);
    [[nodiscard]] std::string CodeVersion() const;

private:
    mutable std::mutex m_frameMutex;
    FrameBuffer m_latest{};
    bool m_newAverageLatch = false;
    bool m_largeErrorLatch = false;

    mutable std::mutex m_codeVersionMutex;
    std::string m_codeVersion;
};

// The process-wide link, living for the whole run.
[[nodiscard]] Link& TheLink();

}  // namespace r4860::protocol
