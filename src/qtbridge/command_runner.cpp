#include "qtbridge/command_runner.h"

#include <QMetaObject>

#include "qtbridge/message_service.h"
#include "workflow/transducer.h"

namespace r4860::qtbridge {

CommandRunner::CommandRunner(workflow::Transducer& transducer, MessageService& messages, QObject* parent)
    : QObject(parent), m_transducer(transducer), m_messages(messages) {}

CommandRunner::~CommandRunner() { m_job.reset(); }

bool CommandRunner::startJob(workflow::CommandJob::Body body, std::function<void()> done) {
    if (m_job) return false;
    // The finished call runs on the job's thread while this runner is alive (its destructor ends
    // the job first); only values cross, re-posted here, where Qt drops them if the runner is gone.
    auto onEnd = [this, done = std::move(done)](const std::vector<Beep>& beeps) {
        QMetaObject::invokeMethod(
            this,
            [this, done, beeps] {
                if (m_job) m_job->wait();
                m_job.reset();
                for (const Beep beep : beeps) m_messages.beep(beep);
                done();
                emit finished();
            },
            Qt::QueuedConnection);
    };
    m_job = m_transducer.startCommands(std::move(body), std::move(onEnd));
    return m_job != nullptr;
}

void CommandRunner::cancel() {
    if (m_job) m_job->cancel();
}

}  // namespace r4860::qtbridge
