#include "protocol/transfer_runner.h"

#include <cerrno>
#include <chrono>

#include <sys/resource.h>

#include "common/lang_table.h"
#include "common/trace.h"
#include "link/serial_port.h"
#include "link/worker_thread.h"
#include "protocol/listener.h"
#include "protocol/link.h"

namespace r4860::protocol {
namespace {

using namespace std::chrono_literals;

constexpr auto kSilenceLimit = 10s;     // a worker that reports nothing for this long is stalled
constexpr auto kWaitSlice = 200ms;      // the UI thread never waits longer without pumping
constexpr auto kLateExitWait = 1000ms;  // for a worker that has cleared its flag but not returned

// The process priority classes of a transfer as nice values: high for every transfer,
// real-time (the strongest nice, never a real-time policy for the whole process) on request.
constexpr int kHighNice = -10;
constexpr int kRealtimeNice = -20;

// Best effort: without the rights the process keeps its priority and the line is only slower.
void setProcessNice(int nice) {
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, 0);
    if (errno == 0 && current == nice) return;
    (void)::setpriority(PRIO_PROCESS, 0, nice);
}

void report(UiHooks& ui, std::string_view key, MessageIcon icon) {
    ui.showMessage(LangText(key) + "!", icon);
}

// Relays each new percentage to the UI and answers the worker, until the worker clears
// TransferRunning; breaks the worker off after 10 s without a word from it. True when it had to.
bool relayProgress(Link& link, UiHooks& ui, const std::string& caption) {
    bool aborted = false;
    int shown = 0;
    auto lastSignal = std::chrono::steady_clock::now();
    while (link.TransferRunning.load()) {
        if (link.ProgressEvent.waitFor(kWaitSlice)) {
            link.ProgressEvent.reset();
            link.ProgressAckEvent.set();
            lastSignal = std::chrono::steady_clock::now();
            const int percent = link.TransferProgress.load();
            if (percent != shown) {
                shown = percent;
                ui.transferProgress(percent, caption + "  " + std::to_string(percent) + "%");
            }
        } else if (std::chrono::steady_clock::now() - lastSignal >= kSilenceLimit) {
            Trace("transfer", "worker silent for 10 s, aborting");
            aborted = true;
            if (!AbortTransfer(link)) Trace("transfer", "the worker could not be broken off");
        }
        ui.processPendingMessages();
    }
    return aborted;
}

// The worker's exit code; one that has not returned a second after clearing its flag counts
// as failed. The thread is joined either way before anyone else uses the port.
int collectExitCode(Link& link) {
    int code = link.transferWorker.ExitCode();
    if (code == r4860::link::kStillActive)
        code = link.transferWorker.WaitEnded(kLateExitWait) ? link.transferWorker.ExitCode()
                                                            : r4860::link::kExitFailed;
    link.transferWorker.Join();
    return code;
}

void restartListener(Link& link) {
    if (auto started = StartListener(link); started)
        link.PollingOn.store(true);
    else
        Trace("transfer", "listener not restarted: " + started.error().message);
}

}  // namespace

bool AbortTransfer(Link& link) {
    if (!link.TransferRunning.exchange(false)) return false;
    return link.port && link.port->AbortWorker(link.transferWorker);
}

bool RunTransfer(Link& link, UiHooks& ui, const TransferRequest& request, const TransferWorker& worker) {
    if (!request.connected) {
        report(ui, "No communication with transducer", MessageIcon::None);
        return false;
    }
    // Only reachable when the UI re-enters while it pumps messages during a transfer.
    if (link.TransferRunning.load() || link.transferWorker.Occupied()) {
        ui.beep(Beep::Asterisk);
        return false;
    }
    if (auto stopped = StopListener(link); !stopped) {
        // The listener may still hold the port: say so rather than leave the link dead silently.
        Trace("transfer", "listener not stopped: " + stopped.error().message);
        report(ui, "Transmission unsuccessful", MessageIcon::Exclamation);
        restartListener(link);
        return false;
    }
    link.PollingOn.store(false);
    ui.transferProgress(0, request.caption);
    setProcessNice(request.rtPriority ? kRealtimeNice : kHighNice);

    link.TransferRunning.store(true);
    link.ProgressEvent.reset();
    link.ProgressAckEvent.reset();
    int exitCode = r4860::link::kExitFailed;
    if (auto started = link.transferWorker.Start([&link, worker] {
            LinkTransferLine line(link);
            return worker(line, link);
        });
        started) {
        const bool aborted = relayProgress(link, ui, request.caption);
        exitCode = collectExitCode(link);
        // Whatever a broken-off worker returns, its transfer did not complete.
        if (aborted) exitCode = r4860::link::kExitFailed;
    } else {
        Trace("transfer", "worker not started: " + started.error().message);
        link.TransferRunning.store(false);
    }

    if (request.rtPriority) setProcessNice(kHighNice);
    const bool ok = exitCode == r4860::link::kExitOk;
    if (!ok) {
        report(ui, "Transmission unsuccessful", MessageIcon::Exclamation);
        ui.setStatusText(request.previousStatus);
    }
    ui.processPendingMessages();
    restartListener(link);
    return ok;
}

bool RunReadTransfer(Link& link, UiHooks& ui, const TransferRequest& request, const ReadRanges& ranges,
                     bool eepromError, model::ConfigImage& image) {
    if (eepromError) {
        report(ui, "EEPROM error", MessageIcon::Exclamation);
        return false;
    }
    return RunTransfer(link, ui, request, [ranges, &image](TransferLine& line, Link& l) {
        return ReadImageWorker(line, l, ranges, image);
    });
}

bool RunFullWriteTransfer(Link& link, UiHooks& ui, const TransferRequest& request, const model::ConfigImage& image) {
    return RunTransfer(link, ui, request,
                       [&image](TransferLine& line, Link& l) { return WriteImageWorker(line, l, image); });
}

bool RunIdTagWriteTransfer(Link& link, UiHooks& ui, const TransferRequest& request, const model::ConfigImage& image) {
    return RunTransfer(link, ui, request,
                       [&image](TransferLine& line, Link& l) { return WriteUserBlockWorker(line, l, image); });
}

}  // namespace r4860::protocol
