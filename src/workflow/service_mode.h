// What the tool guarantees about a transducer it has put into service mode or whose output it
// has forced: it lets go of both on every way out it controls (a reset, confirmed by the frames
// that follow), and a later start can tell from the status flags that a transducer was left so
// by a tool that could not let go (killed, or unplugged half-way).
//
// The calls that wait block: run them in a window's command job or on the command-line tool's thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "protocol/link.h"
#include "workflow/outcome.h"
#include "workflow/service_line.h"

namespace r4860::workflow {

// Keys of the tool's own texts (in kToolKeys).
inline constexpr std::string_view kStillInServiceKey = "The transducer is still in service mode";
inline constexpr std::string_view kLeaveServiceKey = "Leave service mode";
inline constexpr std::string_view kNotLeftKey = "The transducer did not leave service mode";

// A transducer in service mode reports the calibration flag; a forced output the independent
// output flag. Either one seen by a tool that holds neither means someone did not let go.
[[nodiscard]] bool ServiceModeLeftOn(const protocol::StatusFlags& status) noexcept;
// The question to offer at start: "The transducer is still in service mode. Leave service mode?"
[[nodiscard]] std::string LeaveServiceQuestion();

// Resets the transducer (which leaves service mode, releases a forced output, ends a simulated
// result and selects the measurement again) and waits for frames without either flag, resending
// the reset when the transducer did not take it. Fails with kNotLeftKey when the flags stay, and
// with "No communication with transducer!" when no frame comes back.
[[nodiscard]] Outcome LeaveServiceMode(ServiceLine& line);

// Reads four bytes of configuration memory at `address` ('s'); the answer counts only when the
// frame repeats the address. Asked up to three times.
[[nodiscard]] std::optional<std::array<std::uint8_t, 4>> ReadMemoryWord(ServiceLine& line, int address);

}  // namespace r4860::workflow
