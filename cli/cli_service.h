// The service commands of r4860-cli for calibration stations: forcing the output current for a
// loop check, and trimming the zero and gain corrections. Both are behind the password of the
// corrections window, and both let go of the transducer whatever ends them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli_options.h"
#include "common/result.h"
#include "terminal_ui.h"
#include "workflow/app_context.h"
#include "workflow/session.h"

namespace r4860::cli {

[[nodiscard]] constexpr bool IsServiceCommand(Command c) noexcept { return c == Command::Output || c == Command::Trim; }

// A service option at args[i] (--zero, --gain, --password) is taken, i moved past its value.
// Nothing when args[i] is not one; otherwise whether its value is usable.
[[nodiscard]] std::optional<Status> TakeServiceOption(const std::vector<std::string>& args, std::size_t& i,
                                                      Options& o);
// After parsing: the output's current from the positional words; service options only with
// service commands.
[[nodiscard]] Status CheckServiceOptions(Options& o, const std::vector<std::string>& positional);
[[nodiscard]] std::string ServiceUsageText();

// Before the line is touched: the password (the typed one against the settings' password, or
// the service code for output), and the values. An exit code, kExitOk to go on.
[[nodiscard]] int CheckServiceAccess(const Options& o, const files::Settings& settings);
// The command on the open session.
int RunServiceCommand(const Options& o, workflow::Session& session, TerminalUi& ui);

}  // namespace r4860::cli
