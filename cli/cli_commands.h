// The commands of r4860-cli over the core: one function per command, returning the exit code.
#pragma once

#include "cli_options.h"
#include "terminal_ui.h"
#include "workflow/app_context.h"

namespace r4860::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitTransducer = 1;  // no communication, EEPROM error, transfer, model, verification
inline constexpr int kExitUsage = 2;       // bad usage or unreadable file

// Runs the parsed command against the transducer on `options.port`, in the run's `context`.
int RunCommand(const Options& options, TerminalUi& ui, workflow::AppContext& context);

// A stop request from the operator (Ctrl-C, SIGTERM), called by the signal watcher thread. The
// first one during a write only announces that the write is being finished; any other stops the
// command promptly. Returns the exit code the program ends with when it was stopped.
void RequestStop(int signalNumber) noexcept;
// Whether a stop request has ended (or is ending) the command.
[[nodiscard]] bool StopRequested() noexcept;
// The signal that stopped the command, 0 when none did.
[[nodiscard]] int StopSignal() noexcept;

}  // namespace r4860::cli
