#include "protocol/listener.h"

#include <chrono>
#include <thread>

#include "common/trace.h"
#include "protocol/exchange.h"

namespace r4860::protocol {

namespace {

using namespace std::chrono_literals;

constexpr int kReceivesPerPass = 3;
// Sends after the first that may fail before a command is dropped: one try per frame, four frames.
constexpr int kResends = 3;

// After a frame: the latest-frame buffer and the flags the pollers and posters look at.
void publishFrame(Link& link, const FrameBuffer& rx, bool firstAttempt) {
    link.StoreLatestFrame(rx);
    link.SampleValid.store(true, std::memory_order_release);
    if (!link.CommandPending.load(std::memory_order_acquire)) {
        link.LinkReady.store(true, std::memory_order_release);
        link.ReadyEvent.set();
    }
    link.NewFrameEvent.set();
    if (firstAttempt) link.FirstTryFrameEvent.set();
}

}  // namespace

int BaudForIndex(int baudIndex) noexcept {
    switch (baudIndex) {
    case 2: return 2400;
    case 3: return 4800;
    case 4: return 9600;
    default: return 1200;
    }
}

int ListenerLoop(Link& link) {
    link::RaiseThreadPriority();
    // Counted per command rather than carried over from the previous one's outcome, so a new
    // command always gets its four tries even when the last failure has not been reported yet.
    int failedSends = 0;
    FrameBuffer rx{};
    while (link.ListenerRunning.load(std::memory_order_acquire)) {
        bool framed = false;
        for (int attempt = 0; attempt < kReceivesPerPass && link.ListenerRunning.load(std::memory_order_acquire);
             ++attempt) {
            if (ReceiveFrame(link, rx)) {
                publishFrame(link, rx, attempt == 0);
                framed = true;
                break;
            }
        }
        if (!framed) link.SampleValid.store(false, std::memory_order_release);

        if (!framed || !link.CommandPending.load(std::memory_order_acquire)) continue;
        link.LinkReady.store(false, std::memory_order_release);
        const bool sent = SendFrame(link, link.command, link.ExpectAck.load(std::memory_order_acquire));
        link.LastSendOk.store(sent, std::memory_order_release);
        if (!sent && ++failedSends <= kResends) continue;   // still pending: tried after the next frame
        failedSends = 0;
        link.CommandPending.store(false, std::memory_order_release);
        link.LinkReady.store(true, std::memory_order_release);
        link.ReadyEvent.set();
        if (sent) link.CommandDoneEvent.set();
    }
    // Release whoever waits for the listener: it will not set these again.
    link.CommandDoneEvent.set();
    link.NewFrameEvent.set();
    link.FirstTryFrameEvent.set();
    link.ReadyEvent.set();
    return link::kExitOk;
}

Status StartListener(Link& link) {
    if (!link.port) return makeError(Errc::Refused, "the link is not open");
    if (link.listener.Occupied()) {
        if (!link.listener.Ended()) return makeError(Errc::Refused, "the previous listener is still running");
        link.listener.Join();
    }
    link.ListenerRunning.store(true, std::memory_order_release);
    if (auto started = link.listener.Start([&link] { return ListenerLoop(link); }); !started) {
        link.ListenerRunning.store(false, std::memory_order_release);
        return started;
    }
    return {};
}

Status StopListener(Link& link) {
    if (!link.PollingOn.load(std::memory_order_acquire)) return makeError(Errc::Refused, "the link is not started");
    link.ListenerRunning.store(false, std::memory_order_release);
    Status result;
    if (link.listener.Occupied()) {
        std::this_thread::sleep_for(50ms);
        int code = link.listener.ExitCode();
        if (code == link::kStillActive) code = link.listener.WaitEnded(200ms) ? link.listener.ExitCode() : link::kExitFailed;
        if (code == link::kExitOk) {
            link.listener.Join();
        } else if (!link.port || !link.port->AbortWorker(link.listener)) {
            result = makeError(Errc::Io, "the listener could not be stopped");
        }
    }
    link.ResetExchangeState();
    return result;
}

namespace {

Status startOn(Link& link, Result<std::unique_ptr<link::SerialPort>> created, int baudIndex) {
    if (!created) return created.error();
    link.port = std::move(*created);
    if (auto configured = link.port->Configure(BaudForIndex(baudIndex)); !configured) {
        // Not initialised: release the port at once so the next attempt (or program) can open it.
        link.port.reset();
        return configured;
    }
    if (auto started = StartListener(link); !started) {
        link.port.reset();
        return started;
    }
    link.PollingOn.store(true, std::memory_order_release);
    return {};
}

void prepareStart(Link& link) {
    if (link.port || link.listener.Occupied() || link.transferWorker.Occupied()) StopLink(link);
    link.ClearLatestFrame();
    link.ResetExchangeState();
}

}  // namespace

Status StartLink(Link& link, int portNumber, int baudIndex, const std::filesystem::path& portsFolder) {
    prepareStart(link);
    return startOn(link, link::SerialPort::Create(portNumber, portsFolder), baudIndex);
}

Status StartLinkOnPath(Link& link, const std::string& devicePath, int baudIndex) {
    prepareStart(link);
    return startOn(link, link::SerialPort::OpenPath(devicePath), baudIndex);
}

void StopLink(Link& link) {
    link.ListenerRunning.store(false, std::memory_order_release);
    link.TransferRunning.store(false, std::memory_order_release);
    if (link.port) link.port->Interrupt();
    // The eventfd wake-up makes every wait of both threads return, so these joins are prompt;
    // only then may the port go.
    link.listener.Join();
    link.transferWorker.Join();
    link.port.reset();
    link.PollingOn.store(false, std::memory_order_release);
    link.ResetExchangeState();
}

}  // namespace r4860::protocol
