#include "workflow/transducer.h"

#include "protocol/commands.h"
#include "protocol/link.h"

namespace r4860::workflow {

Transducer::~Transducer() {
    std::unique_lock lock(m_mutex);
    if (m_commands) m_commands->cancel();
    // Its thread still calls back into this facade once; the job object itself belongs to its owner.
    m_commandsGone.wait(lock, [this] { return m_commands == nullptr; });
}

Status Transducer::start(int comPort, const std::filesystem::path& portsFolder) {
    stopCommands();
    return m_link.start(comPort, protocol::kDefaultBaudIndex, portsFolder);
}

Status Transducer::startOnPath(const std::string& devicePath) {
    stopCommands();
    return m_link.startOnPath(devicePath, protocol::kDefaultBaudIndex);
}

void Transducer::stop() {
    stopCommands();
    m_link.stop();
}

void Transducer::stopCommands() {
    std::unique_lock lock(m_mutex);
    if (!m_commands) return;
    m_commands->cancel();
    m_commandsGone.wait(lock, [this] { return m_commands == nullptr; });
}

bool Transducer::isOpen() const { return m_link.isOpen(); }

std::string Transducer::devicePath() const { return m_link.devicePath(); }

bool Transducer::pollingOn() const { return m_link.pollingOn() && !commandsRunning(); }

LineCondition Transducer::condition(bool connected) const {
    if (!m_link.isOpen()) return LineCondition::NoPort;
    return connected ? LineCondition::Answering : LineCondition::Silent;
}

PortFailure Transducer::portFailure(int comPort, const std::filesystem::path& portsFolder,
                                    const std::string& device) const {
    return PortFailureOf(m_link, comPort, portsFolder, device);
}

bool Transducer::post(std::uint8_t code, std::uint32_t parameter, UiHooks& ui, const model::ConfigRecord& values) {
    if (commandsRunning()) {
        ui.beep(Beep::Asterisk);
        return false;
    }
    return protocol::PostCommand(m_link, ui, code, parameter, values);
}

bool Transducer::takeSample(MeasurementSample& sample) {
    if (commandsRunning()) return false;
    return protocol::GetSample(m_link, sample);
}

const StatusFlags& Transducer::status() const { return m_link.status; }

void Transducer::reportCommandFailure(UiHooks& ui) {
    if (!commandsRunning()) protocol::ReportCommandFailure(m_link, ui);
}

int Transducer::frameNotifyFd() const { return m_link.frameNotifyFd(); }

std::uint64_t Transducer::drainFrameNotifications() { return m_link.drainFrameNotifications(); }

std::unique_ptr<protocol::TransferJob> Transducer::startTransfer(protocol::TransferRequest request,
                                                                 protocol::TransferCallbacks callbacks) {
    if (commandsRunning()) return nullptr;
    return std::make_unique<protocol::TransferJob>(m_link, std::move(request), std::move(callbacks));
}

bool Transducer::transferRunning() const { return m_link.transferRunning(); }

std::unique_ptr<CommandJob> Transducer::startCommands(CommandJob::Body body, CommandJob::Finished finished) {
    std::lock_guard lock(m_mutex);
    if (m_commands || !m_link.pollingOn() || m_link.transferRunning()) return nullptr;
    std::unique_ptr<CommandJob> job(new CommandJob(*this, m_link, std::move(body), std::move(finished)));
    // Registered before its thread runs, so a job that ends at once cannot leave a stale entry.
    m_commands = job.get();
    job->launch();
    return job;
}

bool Transducer::commandsRunning() const {
    std::lock_guard lock(m_mutex);
    return m_commands != nullptr;
}

void Transducer::commandsEnded() {
    {
        std::lock_guard lock(m_mutex);
        m_commands = nullptr;
    }
    m_commandsGone.notify_all();
}

}  // namespace r4860::workflow
