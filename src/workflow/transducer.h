// What a window may ask of the transducer on the line, and nothing more: start and stop on a
// port, post a command, take the latest sample and its status, run a configuration transfer or a
// short command sequence as a job. The link's hand-over flags, its listener and its test seams
// stay behind this facade, and no call a window can reach blocks: whatever has to wait for an
// acknowledgement or a fresh sample runs inside a job (workflow/command_job.h).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "common/result.h"
#include "common/ui_hooks.h"
#include "model/config_record.h"
#include "protocol/measurement.h"
#include "protocol/transfer_job.h"
#include "workflow/command_job.h"
#include "workflow/port_failure.h"

namespace r4860::protocol {
class Link;
}

namespace r4860::workflow {

using protocol::MeasurementSample;
using protocol::StatusFlags;
using protocol::kNoSampleTypeIndex;

// Where the line stands, for a status bar: no port, a port nobody answers on, a transducer.
enum class LineCondition { NoPort, Silent, Answering };

class Transducer {
public:
    // Wraps the link; the link (and so AppContext, its owner) must outlive the facade.
    explicit Transducer(protocol::Link& link) : m_link(link) {}
    Transducer(const Transducer&) = delete;
    Transducer& operator=(const Transducer&) = delete;
    // A command job still running is cancelled and waited for.
    ~Transducer();

    // --- The port (4800 baud) ---
    // COMn through the ports folder. Whatever ran before is stopped first.
    Status start(int comPort, const std::filesystem::path& portsFolder);
    Status startOnPath(const std::string& devicePath);
    // Ends a running transfer or command job, the listener, and closes the port.
    void stop();
    [[nodiscard]] bool isOpen() const;
    // "" while no port is open.
    [[nodiscard]] std::string devicePath() const;
    // The port is up and the line is the window's to poll: false while a transfer or a command
    // job holds it.
    [[nodiscard]] bool pollingOn() const;
    [[nodiscard]] LineCondition condition(bool connected) const;
    // Why the last start on COMn (or on `device`) failed, for the operator.
    [[nodiscard]] PortFailure portFailure(int comPort, const std::filesystem::path& portsFolder,
                                          const std::string& device = {}) const;

    // --- The window's thread; none of these waits ---
    // Hands one command to the listener, which sends it after the next frame. A refusal beeps
    // through `ui` (no frame yet or busy: default; a command pending: asterisk). 'd' and 'V'
    // take their values from `values` (RoomT; ZeroReg and GainReg).
    bool post(std::uint8_t code, std::uint32_t parameter, UiHooks& ui, const model::ConfigRecord& values = {});
    // The latest frame when it is new, decoded into `sample` and status(); false otherwise (then
    // status().TypeIndex is 16). False, with the status untouched, while a job holds the line.
    bool takeSample(MeasurementSample& sample);
    // The flags of the last sample taken on the window's thread (or the last job's).
    [[nodiscard]] const StatusFlags& status() const;
    // After each poll: "Command failed!" once per command dropped unacknowledged.
    void reportCommandFailure(UiHooks& ui);
    // Readable while a frame has been stored since the last drain, for a socket notifier.
    [[nodiscard]] int frameNotifyFd() const;
    std::uint64_t drainFrameNotifications();

    // --- Jobs: each has the line to itself while it runs, and only one runs at a time ---
    // A configuration transfer (read, write, verification read) on its own thread; callbacks as
    // protocol::TransferJob gives them. Null when a command job holds the line.
    [[nodiscard]] std::unique_ptr<protocol::TransferJob> startTransfer(protocol::TransferRequest request,
                                                                       protocol::TransferCallbacks callbacks);
    [[nodiscard]] bool transferRunning() const;
    // A command sequence on its own thread (see CommandJob); `finished` is called on that thread
    // once the body has returned. Null, with nothing started, while the link is down or another
    // job holds the line.
    [[nodiscard]] std::unique_ptr<CommandJob> startCommands(CommandJob::Body body, CommandJob::Finished finished);
    [[nodiscard]] bool commandsRunning() const;

private:
    friend class CommandJob;
    void commandsEnded();
    // Cancels a running command job and waits until its thread has let go of the line.
    void stopCommands();

    protocol::Link& m_link;
    mutable std::mutex m_mutex;
    std::condition_variable m_commandsGone;
    CommandJob* m_commands = nullptr;  // the one running command job, under m_mutex
};

}  // namespace r4860::workflow
