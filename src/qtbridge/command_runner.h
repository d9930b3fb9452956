// A command sequence for a window: the body runs as a job on its own thread (it may wait for
// acknowledgements and fresh samples), and what it returns comes back to the runner's thread as a
// value, after the beeps of its refused commands have been sounded.
//
//   struct Read { bool ok = false; workflow::MeasurementSample sample; };
//   m_commands.start<Read>(
//       [address](workflow::CommandLine& line) {
//           Read r;
//           r.ok = line.execute('s', address) && line.waitFreshSample(r.sample);
//           return r;
//       },
//       [this](const Read& r) { showMemory(r); });
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "workflow/command_job.h"

namespace r4860::workflow {
class Transducer;
}

namespace r4860::qtbridge {

class MessageService;

class CommandRunner : public QObject {
    Q_OBJECT
public:
    CommandRunner(workflow::Transducer& transducer, MessageService& messages, QObject* parent = nullptr);
    // Cancels a running sequence and waits for it; its outcome is dropped.
    ~CommandRunner() override;

    // Starts `body` unless a sequence or a transfer holds the line or the link is down: then false
    // and nothing runs (the caller says so; an asterisk beep is the classic answer to "busy").
    template <class T>
    [[nodiscard]] bool start(std::function<T(workflow::CommandLine&)> body, std::function<void(const T&)> done) {
        auto result = std::make_shared<T>();
        return startJob([body = std::move(body), result](workflow::CommandLine& line) { *result = body(line); },
                        [done = std::move(done), result] {
                            if (done) done(*result);
                        });
    }
    [[nodiscard]] bool running() const { return m_job != nullptr; }
    // The running sequence's calls return false from now on; its outcome still comes.
    void cancel();

signals:
    // After the outcome was handed over.
    void finished();

private:
    bool startJob(workflow::CommandJob::Body body, std::function<void()> done);

    workflow::Transducer& m_transducer;
    MessageService& m_messages;
    std::unique_ptr<workflow::CommandJob> m_job;
};

}  // namespace r4860::qtbridge
