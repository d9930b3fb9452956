#include "link/worker_thread.h"

#include <pthread.h>
#include <sched.h>

namespace r4860::link {

WorkerThread::~WorkerThread() { join(); }

Status WorkerThread::start(std::function<int()> body) {
    if (m_thread.joinable()) return makeError(Errc::Refused, "a thread is still in this slot");
    m_ended.reset();
    m_exitCode.store(kStillActive, std::memory_order_release);
    try {
        m_thread = std::thread([this, body = std::move(body)] {
            int code = kExitFailed;
            try {
                code = body();
            } catch (...) {
                code = kExitFailed;   // nothing leaves a thread body; the owner sees a failure
            }
            m_exitCode.store(code, std::memory_order_release);
            m_ended.set();
        });
    } catch (const std::system_error& e) {
        m_exitCode.store(kExitFailed, std::memory_order_release);
        m_ended.set();
        return makeError(Errc::Io, std::string("cannot start a thread: ") + e.what());
    }
    return {};
}

bool WorkerThread::waitEnded(std::chrono::milliseconds timeout) {
    if (!m_thread.joinable()) return true;
    return m_ended.waitFor(timeout);
}

void WorkerThread::join() {
    if (m_thread.joinable()) m_thread.join();
}

void RaiseThreadPriority() noexcept {
    // Above every ordinary thread, below the kernel's interrupt threads (which run at 50), so
    // the serial driver itself is never held up by us.
    constexpr int kLinkPriority = 40;
    sched_param param{};
    param.sched_priority = kLinkPriority;
    (void)pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);   // without rights: as it is
}

}  // namespace r4860::link
