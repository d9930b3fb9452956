// The commands of r4860-cli over the core: one function per command, returning the exit code.
#pragma once

#include "cli_options.h"
#include "terminal_ui.h"

namespace r4860::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitTransducer = 1;  // no communication, EEPROM error, transfer, model, verification
inline constexpr int kExitUsage = 2;       // bad usage or unreadable file

// Runs the parsed command against the transducer on `options.port`.
int RunCommand(const Options& options, TerminalUi& ui);

// Asks a running monitor to stop (from a signal handler: only sets an atomic flag).
void RequestStop() noexcept;

}  // namespace r4860::cli
