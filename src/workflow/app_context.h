// Everything one run of a program works on: created by each executable's main() and passed
// down, so tests build fresh ones and nothing hides in a process-wide instance.
#pragma once

#include "files/settings.h"
#include "model/config_image.h"
#include "model/config_record.h"
#include "protocol/link.h"

namespace r4860::workflow {

// The main window's workflow flags, read by the commands and the service windows.
struct WorkflowState {
    bool Connected = false;      // a transducer is answering the polling
    bool ConfigRead = false;     // the record came from the connected transducer
    bool VerifyAllowed = false;  // the image holds what was last written or read
    bool TransferOn = false;     // a transfer job runs: no other command may start
    int PollFailCount = 0;       // ticks without a new frame
};

struct AppContext {
    files::Settings settings;
    model::ConfigRecord record;
    model::ConfigImage image{};
    WorkflowState state;
    // Last, so it is destroyed first: its threads end before anything they might look at goes.
    protocol::Link link;
};

}  // namespace r4860::workflow
