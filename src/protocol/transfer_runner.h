// Runs one configuration transfer from the UI thread: stops the listener, raises the priority,
// runs a worker on the link's transfer slot, relays its progress, aborts it when it falls silent
// for 10 s, reports the outcome and brings the listener back. The windows only show what it reports.
#pragma once

#include <functional>
#include <string>

#include "common/ui_hooks.h"
#include "protocol/transfer_ranges.h"
#include "protocol/transfer_workers.h"

namespace r4860::protocol {

class Link;

struct TransferRequest {
    std::string caption;         // translated, e.g. LangText("Reading data..."); progress adds "  n%"
    std::string previousStatus;  // the status text to put back when the transfer fails
    bool connected = false;      // the main window's Connected: a transducer is answering
    bool rtPriority = false;     // the RTPriority setting: real-time rather than high priority
};

// A worker body as the runner starts it; it returns the thread's exit code.
using TransferWorker = std::function<int(TransferLine& line, Link& link)>;

// The transfer without the message window. True only when the worker ended with exit code 1;
// every refusal or failure has been reported through `ui` when it returns.
bool RunTransfer(Link& link, UiHooks& ui, const TransferRequest& request, const TransferWorker& worker);

// The read step of Read and Verify: refused with "EEPROM error!" when the last sample reported
// one, else `ranges` into `image` (then the inner code version into bytes 2048..2051).
bool RunReadTransfer(Link& link, UiHooks& ui, const TransferRequest& request, const ReadRanges& ranges,
                     bool eepromError, model::ConfigImage& image);
bool RunFullWriteTransfer(Link& link, UiHooks& ui, const TransferRequest& request, const model::ConfigImage& image);
bool RunIdTagWriteTransfer(Link& link, UiHooks& ui, const TransferRequest& request, const model::ConfigImage& image);

// Called when the worker stalls: clears TransferRunning and breaks the worker off the port.
// False when no transfer was running or the worker could not be ended.
bool AbortTransfer(Link& link);

}  // namespace r4860::protocol
