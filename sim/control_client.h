// The other end of the control socket, for `r4860-sim ctl`: scripts need no socket tool.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/result.h"

namespace r4860::sim {

// Sends `line` and returns the one reply line without its line end. Io when nobody listens at
// `socket`, Timeout when no complete reply comes within `timeout`.
[[nodiscard]] Result<std::string> SendControlLine(const std::filesystem::path& socket, std::string_view line,
                                                  std::chrono::milliseconds timeout);

}  // namespace r4860::sim
