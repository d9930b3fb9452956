#include "workflow/command_job.h"

#include "protocol/commands.h"
#include "protocol/link.h"
#include "workflow/transducer.h"

namespace r4860::workflow {

bool CommandLine::live() const { return !cancelled() && m_link.listenerRunning(); }

bool CommandLine::execute(std::uint8_t code, std::uint32_t parameter, const model::ConfigRecord& values) {
    return live() && protocol::ExecuteCommand(m_link, m_beeps, code, parameter, values);
}

bool CommandLine::postWhenReady(std::uint8_t code, std::uint32_t parameter, const model::ConfigRecord& values) {
    return live() && protocol::PostCommandWhenReady(m_link, m_beeps, code, parameter, values);
}

bool CommandLine::waitNewSample(protocol::MeasurementSample& sample) {
    return live() && protocol::WaitNewSample(m_link, sample);
}

bool CommandLine::waitFreshSample(protocol::MeasurementSample& sample) {
    return live() && protocol::WaitFreshSample(m_link, sample);
}

bool CommandLine::takeSample(protocol::MeasurementSample& sample) {
    return live() && protocol::GetSample(m_link, sample);
}

bool CommandLine::pause(std::chrono::milliseconds duration) {
    return !cancelled() && !m_cancelEvent.waitFor(duration);
}

const protocol::StatusFlags& CommandLine::status() const { return m_link.status; }

CommandJob::CommandJob(Transducer& owner, protocol::Link& link, Body body, Finished finished)
    : m_owner(owner), m_link(link), m_body(std::move(body)), m_finished(std::move(finished)) {}

CommandJob::~CommandJob() {
    cancel();
    wait();
}

void CommandJob::launch() { m_thread = std::thread([this] { run(); }); }

void CommandJob::run() {
    CommandLine line(m_link, m_cancelled, m_cancelEvent);
    // No exception leaves a thread body: a sequence that throws has simply ended.
    try {
        if (m_body) m_body(line);
    } catch (...) {
    }
    // The line is free again before anyone hears that the job is over.
    m_owner.commandsEnded();
    try {
        if (m_finished) m_finished(line.beeps());
    } catch (...) {
    }
    m_done.set();
}

void CommandJob::cancel() {
    m_cancelled.store(true, std::memory_order_release);
    m_cancelEvent.set();
}

void CommandJob::wait() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) m_thread.join();
}

}  // namespace r4860::workflow
