#include "protocol/transfer_job.h"

#include <cerrno>
#include <chrono>
#include <mutex>

#include <sys/resource.h>

#include "common/trace.h"
#include "link/worker_thread.h"
#include "protocol/link.h"
#include "protocol/transfer_workers.h"

namespace r4860::protocol {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kSilenceLimit = 10s;     // a worker that reports nothing for this long is stalled
constexpr auto kWaitSlice = 200ms;      // how often the supervisor looks at the clock and cancel
constexpr auto kLateExitWait = 1000ms;  // for a worker that has cleared its flag but not returned

// The process priority classes of a transfer as nice values: high for every transfer,
// real-time (the strongest nice, never a real-time policy for the whole process) on request.
constexpr int kHighNice = -10;
constexpr int kRealtimeNice = -20;

// Best effort: without the rights the process keeps its priority and the line is only slower.
void setProcessNice(int nice) {
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, 0);
    if (errno == 0 && current == nice) return;
    (void)::setpriority(PRIO_PROCESS, 0, nice);
}

std::string progressText(const std::string& caption, int percent) {
    return caption + "  " + std::to_string(percent) + "%";
}

}  // namespace

TransferWorker ReadWorker(const ReadRanges& ranges) {
    return [ranges](TransferLine& line, Link& link, model::ConfigImage& image) {
        return ReadImageWorker(line, link, ranges, image);
    };
}

TransferWorker FullWriteWorker() {
    return [](TransferLine& line, Link& link, model::ConfigImage& image) { return WriteImageWorker(line, link, image); };
}

TransferWorker IdTagWriteWorker() {
    return [](TransferLine& line, Link& link, model::ConfigImage& image) {
        return WriteUserBlockWorker(line, link, image);
    };
}

TransferJob::TransferJob(Link& link, TransferRequest request, TransferCallbacks callbacks)
    : m_link(link),
      m_request(std::move(request)),
      m_callbacks(std::move(callbacks)),
      m_generation(link.generation()),
      m_work(m_request.image),
      m_thread([this] { run(); }) {}

TransferJob::~TransferJob() {
    cancel();
    if (m_thread.joinable()) m_thread.join();
}

void TransferJob::cancel() {
    if (m_done.isSet() || m_cancel.exchange(true)) return;
    // Only a transfer of this job may be told to stop; one of a later job is not ours.
    if (m_link.generation() == m_generation) m_link.requestTransferCancel();
}

const TransferResult& TransferJob::wait() {
    (void)m_done.waitFor(std::chrono::hours(24 * 365));
    return m_result;
}

bool TransferJob::cancelled() const {
    return m_cancel.load() || m_link.generation() != m_generation || m_link.transferCancelled();
}

void TransferJob::run() {
    m_result.image = m_request.image;
    try {
        m_result.status = transfer();
    } catch (...) {
        // No exception leaves a thread body; whatever threw, the transfer did not complete.
        m_result.status = TransferStatus::Failed;
    }
    if (m_callbacks.finished) m_callbacks.finished(m_result);
    m_done.set();
}

TransferStatus TransferJob::transfer() {
    std::unique_lock lock(m_link.transferMutex(), std::try_to_lock);
    if (!lock) return TransferStatus::Busy;
    // The link's own cancel flag belongs to the transfer that ran before until beginTransfer().
    if (m_cancel.load() || m_link.generation() != m_generation) return TransferStatus::Cancelled;
    if (auto suspended = m_link.suspendForTransfer(); !suspended) {
        // The listener may still hold the port: say so rather than leave the link dead silently.
        Trace("transfer", "listener not stopped: " + suspended.error().message);
        if (m_link.isOpen()) (void)m_link.resumeAfterTransfer();
        return TransferStatus::NotStarted;
    }
    if (m_callbacks.progress) m_callbacks.progress(0, m_request.caption);
    setProcessNice(m_request.rtPriority ? kRealtimeNice : kHighNice);

    m_link.beginTransfer();
    TransferStatus status = TransferStatus::Failed;
    if (auto started = m_link.transferWorker().start([this] {
            LinkTransferLine line(m_link);
            return m_request.worker(line, m_link, m_work);
        });
        started) {
        const bool stalled = relayProgress();
        const int exitCode = collectExitCode();
        const bool joined = !m_link.transferWorker().occupied();
        if (joined) m_result.image = m_work;   // a thread still running may yet write it
        if (cancelled()) status = TransferStatus::Cancelled;
        else if (stalled) status = TransferStatus::Stalled;
        else if (exitCode == link::kExitOk) status = TransferStatus::Ok;
    } else {
        Trace("transfer", "worker not started: " + started.error().message);
        (void)m_link.endTransfer();
    }

    if (m_request.rtPriority) setProcessNice(kHighNice);
    // After a stop() the port is about to go: starting the listener again would only be undone.
    if (m_link.generation() == m_generation) {
        if (auto resumed = m_link.resumeAfterTransfer(); !resumed)
            Trace("transfer", "listener not restarted: " + resumed.error().message);
    }
    return status;
}

// Relays each new percentage and answers the worker until it clears the running flag; breaks it
// off after 10 s without a word from it, or at once when cancelled. True when it stalled.
bool TransferJob::relayProgress() {
    bool stalled = false;
    int shown = 0;
    auto lastSignal = Clock::now();
    while (m_link.transferRunning() && !cancelled()) {
        int percent = 0;
        if (m_link.waitProgress(kWaitSlice, percent)) {
            lastSignal = Clock::now();
            if (percent != shown) {
                shown = percent;
                if (m_callbacks.progress) m_callbacks.progress(percent, progressText(m_request.caption, percent));
            }
        } else if (Clock::now() - lastSignal >= kSilenceLimit) {
            Trace("transfer", "worker silent for 10 s, aborting");
            stalled = true;
            break;
        }
    }
    if (stalled || cancelled()) {
        if (!m_link.abortTransferWorker()) Trace("transfer", "the worker could not be broken off");
    }
    return stalled;
}

// The worker's exit code; one that has not returned a second after clearing its flag counts as
// failed. The thread is joined whenever it has ended, before anyone else uses the port.
int TransferJob::collectExitCode() {
    auto& worker = m_link.transferWorker();
    if (!worker.occupied()) return link::kExitFailed;   // broken off and joined: it did not complete
    int code = worker.exitCode();
    if (code == link::kStillActive) code = worker.waitEnded(kLateExitWait) ? worker.exitCode() : link::kExitFailed;
    if (worker.ended()) worker.join();
    return code;
}

TransferResult RunTransferBlocking(Link& link, TransferRequest request,
                                   std::function<void(int, const std::string&)> progress) {
    TransferJob job(link, std::move(request), TransferCallbacks{std::move(progress), {}});
    return job.wait();
}

}  // namespace r4860::protocol
