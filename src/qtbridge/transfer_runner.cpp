#include "qtbridge/transfer_runner.h"

#include <QMetaObject>

#include "qtbridge/qt_text.h"

namespace r4860::qtbridge {

TransferRunner::~TransferRunner() { m_job.reset(); }

bool TransferRunner::start(workflow::Transducer& transducer, protocol::TransferRequest request) {
    if (m_job) return false;
    protocol::TransferCallbacks callbacks;
    // Both run on the job's thread, while this runner is alive (its destructor ends the job
    // first): only values cross, re-posted to the runner's thread, where Qt drops them if the
    // runner is gone by then.
    callbacks.progress = [this](int percent, const std::string& text) {
        QMetaObject::invokeMethod(
            this, [this, percent, t = ToQString(text)] { emit progress(percent, t); }, Qt::QueuedConnection);
    };
    callbacks.finished = [this](const protocol::TransferResult& result) {
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                // The job's thread has left its callbacks by now; wait() only joins it.
                if (m_job) m_job->wait();
                m_job.reset();
                emit finished(result);
            },
            Qt::QueuedConnection);
    };
    m_job = transducer.startTransfer(std::move(request), std::move(callbacks));
    return m_job != nullptr;
}

void TransferRunner::cancel() {
    if (m_job) m_job->cancel();
}

}  // namespace r4860::qtbridge
