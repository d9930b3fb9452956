// A transfer job for a window: its progress and its one outcome come back as Qt signals on the
// thread the runner lives in (the UI thread), never on the job's own thread.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "protocol/transfer_job.h"
#include "workflow/transducer.h"

namespace r4860::qtbridge {

class TransferRunner : public QObject {
    Q_OBJECT
public:
    explicit TransferRunner(QObject* parent = nullptr) : QObject(parent) {}
    ~TransferRunner() override;  // cancels a running job and waits for it

    // Starts a job unless one is running here or a command job holds the line (then false, and
    // nothing starts).
    [[nodiscard]] bool start(workflow::Transducer& transducer, protocol::TransferRequest request);
    [[nodiscard]] bool running() const { return m_job != nullptr; }
    void cancel();

signals:
    void progress(int percent, const QString& statusText);
    void finished(const r4860::protocol::TransferResult& result);

private:
    std::unique_ptr<protocol::TransferJob> m_job;
};

}  // namespace r4860::qtbridge
