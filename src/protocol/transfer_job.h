// One configuration transfer (read, full write, ID-tag write, verification read) as a job: it
// starts at once and runs on its own thread, which stops the listener, raises the priority, runs
// the worker on the link's transfer slot, relays its progress, breaks it off when it falls silent
// for 10 s and brings the listener back. The job works on its own copy of the image and hands the
// result back, so no other thread touches the caller's image while it runs.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "common/manual_reset_event.h"
#include "model/config_image.h"
#include "protocol/transfer_line.h"
#include "protocol/transfer_ranges.h"

namespace r4860::protocol {

class Link;

// A worker body: the line, the link (for its running flag and progress) and the job's image.
// Returns the thread's exit code (1 for success).
using TransferWorker = std::function<int(TransferLine& line, Link& link, model::ConfigImage& image)>;

[[nodiscard]] TransferWorker ReadWorker(const ReadRanges& ranges);
[[nodiscard]] TransferWorker FullWriteWorker();
[[nodiscard]] TransferWorker IdTagWriteWorker();

struct TransferRequest {
    TransferWorker worker;
    model::ConfigImage image{};  // the job's copy: what a write sends, what a read starts from
    std::string caption;         // translated, e.g. LangText("Reading data..."); progress adds "  n%"
    bool rtPriority = false;     // the RTPriority setting: real-time rather than high priority
};

enum class TransferStatus {
    Ok,
    Failed,       // the worker failed (no frame, no acknowledgement, wrong echo)
    Stalled,      // the worker fell silent for 10 s and was broken off
    Cancelled,    // cancel(), or the link was stopped
    Busy,         // another transfer holds the link
    NotStarted,   // the link is down or its listener could not be stopped
};

struct TransferResult {
    TransferStatus status = TransferStatus::Failed;
    model::ConfigImage image{};  // what was read or sent so far (the request's image when nothing ran)
    [[nodiscard]] bool ok() const noexcept { return status == TransferStatus::Ok; }
};

// Both run on the job's own thread, never on the caller's: a window re-posts them to its own
// thread with queued signals. They must not destroy the job or wait for it.
struct TransferCallbacks {
    std::function<void(int percent, const std::string& statusText)> progress;
    std::function<void(const TransferResult& result)> finished;
};

class TransferJob {
public:
    // Starts the transfer on `link`, which must outlive the job (Link::stop() cancels a running
    // job and waits until the port is given back).
    TransferJob(Link& link, TransferRequest request, TransferCallbacks callbacks = {});
    TransferJob(const TransferJob&) = delete;
    TransferJob& operator=(const TransferJob&) = delete;
    // Cancels and waits.
    ~TransferJob();

    // Any thread. The worker is broken off the port; the outcome is Cancelled unless it had
    // already been decided.
    void cancel();
    // Blocks until the job has finished (after the finished callback has returned).
    const TransferResult& wait();
    [[nodiscard]] bool finished() const { return m_done.isSet(); }

private:
    void run();
    // Cancelled by its owner, or the link was stopped (a port switch, a closing window).
    [[nodiscard]] bool cancelled() const;
    TransferStatus transfer();
    bool relayProgress();
    int collectExitCode();

    Link& m_link;
    TransferRequest m_request;
    TransferCallbacks m_callbacks;
    unsigned m_generation;
    model::ConfigImage m_work{};
    TransferResult m_result;
    std::atomic<bool> m_cancel{false};
    ManualResetEvent m_done;
    std::thread m_thread;   // last: started once everything above is set
};

// The job started and waited for: for the command-line tool and worker threads.
TransferResult RunTransferBlocking(Link& link, TransferRequest request,
                                   std::function<void(int, const std::string&)> progress = {});

}  // namespace r4860::protocol
