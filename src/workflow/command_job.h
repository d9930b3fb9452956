// A short command sequence with a transducer as a job: the service windows' register switches,
// memory reads and writes, the oscillator adjustment and resets wait for acknowledgements and
// fresh samples, so the sequence runs on a thread of its own while the window stays live, and
// what it found comes back as a value when it is over.
//
//   auto job = transducer.startCommands(
//       [result](workflow::CommandLine& line) {           // the job's thread: these calls block
//           result->ok = line.execute('@') && line.execute('m', 16) && line.waitFreshSample(result->sample);
//       },
//       [](const std::vector<Beep>& beeps) { ... });      // still the job's thread: re-post it
//
// qtbridge/command_runner.h does the re-posting for a window and sounds the beeps.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "common/manual_reset_event.h"
#include "common/ui_hooks.h"
#include "model/config_record.h"
#include "protocol/measurement.h"
#include "workflow/service_line.h"

namespace r4860::protocol {
class Link;
}

namespace r4860::workflow {

class Transducer;

// The line as a job's body sees it: the service sequences' ServiceLine, so they run in a job as
// they are. Every call blocks for at most the time it names and returns false at once once the
// job is cancelled or the link has stopped. A command that cannot be posted is not an error the
// body must report: its beep is recorded and sounded afterwards.
class CommandLine final : public ServiceLine {
public:
    CommandLine(protocol::Link& link, const std::atomic<bool>& cancelled, ManualResetEvent& cancelEvent)
        : m_link(link), m_cancelled(cancelled), m_cancelEvent(cancelEvent) {}

    // Posts as soon as the link is ready (up to about 5 s) and waits up to about 1 s until the
    // listener has sent it and, except for 'r', the transducer acknowledged it. 'd' and 'V' take
    // their values from `values` (RoomT; ZeroReg and GainReg), nothing else reads it.
    bool execute(std::uint8_t code, std::uint32_t parameter = 0, const model::ConfigRecord& values = {}) override;
    // Posts as soon as the link is ready (up to about 5 s); does not wait for the send.
    bool postWhenReady(std::uint8_t code, std::uint32_t parameter = 0,
                       const model::ConfigRecord& values = {}) override;
    // The next frame, up to 1 s.
    bool waitNewSample(protocol::MeasurementSample& sample) override;
    // The next frame the listener took at its first attempt (one right after the gap), up to 300 ms:
    // what answers a memory read.
    bool waitFreshSample(protocol::MeasurementSample& sample) override;
    // The latest frame if it is new, without waiting.
    bool takeSample(protocol::MeasurementSample& sample) override;
    // Sleeps; false when the job was cancelled meanwhile.
    bool pause(std::chrono::milliseconds duration) override;
    [[nodiscard]] bool cancelled() const { return m_cancelled.load(std::memory_order_acquire); }
    // The flags of the last sample this job took.
    [[nodiscard]] const protocol::StatusFlags& status() const override;
    [[nodiscard]] const std::vector<Beep>& beeps() const { return m_beeps.beeps; }

private:
    struct BeepRecorder final : UiHooks {
        void beep(Beep kind) override { beeps.push_back(kind); }
        void showMessage(std::string_view, MessageIcon) override {}
        std::vector<Beep> beeps;
    };
    [[nodiscard]] bool live() const;

    protocol::Link& m_link;
    const std::atomic<bool>& m_cancelled;
    ManualResetEvent& m_cancelEvent;
    BeepRecorder m_beeps;
};

class CommandJob {
public:
    using Body = std::function<void(CommandLine& line)>;
    // Called on the job's thread after the body, with the beeps its refused commands would have
    // sounded, in order. It must not destroy the job or wait for it.
    using Finished = std::function<void(const std::vector<Beep>& beeps)>;

    CommandJob(const CommandJob&) = delete;
    CommandJob& operator=(const CommandJob&) = delete;
    // Cancels and waits.
    ~CommandJob();

    // Any thread: the body's calls return false from now on; a running wait ends at its time-out.
    void cancel();
    // Blocks until the body and the finished call have returned.
    void wait();
    [[nodiscard]] bool finished() const { return m_done.isSet(); }

private:
    friend class Transducer;
    CommandJob(Transducer& owner, protocol::Link& link, Body body, Finished finished);
    void launch();
    void run();

    Transducer& m_owner;
    protocol::Link& m_link;
    Body m_body;
    Finished m_finished;
    std::atomic<bool> m_cancelled{false};
    ManualResetEvent m_cancelEvent;
    ManualResetEvent m_done;
    std::thread m_thread;
};

}  // namespace r4860::workflow
