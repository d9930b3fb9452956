// One thread slot of the link (listener or transfer worker): a std::thread, whether its body has
// ended, and its exit code, so the owner can wait with a time-out and always join before it
// closes the port the thread works on.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "common/manual_reset_event.h"
#include "common/result.h"

namespace r4860::link {

// Exit codes of link threads: 1 is a normal end, 0 a failure; a body that throws ends with 0.
inline constexpr int kExitOk = 1;
inline constexpr int kExitFailed = 0;
inline constexpr int kStillActive = 259;

class WorkerThread {
public:
    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    // Joins a thread still in the slot; its owner must have made it stop first.
    ~WorkerThread();

    // Fails (Refused) while the slot holds a thread that has not been joined.
    Status start(std::function<int()> body);
    // The slot holds a thread (running or ended) that has not been joined yet.
    [[nodiscard]] bool occupied() const noexcept { return m_thread.joinable(); }
    [[nodiscard]] bool ended() const { return m_ended.isSet(); }
    // True when the body has returned within the time-out (or the slot is empty).
    bool waitEnded(std::chrono::milliseconds timeout);
    // kStillActive while the body runs, else its exit code (kExitFailed for an empty slot).
    [[nodiscard]] int exitCode() const noexcept { return m_exitCode.load(std::memory_order_acquire); }
    // Blocks until the body returns, then empties the slot; nothing happens on an empty slot.
    void join();

private:
    std::thread m_thread;
    ManualResetEvent m_ended;
    std::atomic<int> m_exitCode{kExitFailed};
};

// Raises the calling thread to a real-time priority (SCHED_FIFO, above ordinary threads); without
// the rights it stays as it is. The link threads call it first, as the gap after a frame is short.
void RaiseThreadPriority() noexcept;

}  // namespace r4860::link
