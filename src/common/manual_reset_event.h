// A manual-reset event: stays signalled until reset, wakes every waiter. The threads of the link
// meet through these and a few atomic flags.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace r4860 {

class ManualResetEvent {
public:
    void set() {
        {
            std::lock_guard lock(m_mutex);
            m_signalled = true;
        }
        m_cv.notify_all();
    }
    void reset() {
        std::lock_guard lock(m_mutex);
        m_signalled = false;
    }
    [[nodiscard]] bool isSet() const {
        std::lock_guard lock(m_mutex);
        return m_signalled;
    }
    // True when signalled within the time-out (steady clock); the event stays signalled.
    bool waitFor(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [this] { return m_signalled; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_signalled = false;
};

}  // namespace r4860
