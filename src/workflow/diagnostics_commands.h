// The diagnostics window's command sequences. Each one blocks for up to a few seconds: the
// window runs it in a command job, with its timer's work paused (the Active flag), and shows the
// value it returns. They beep for nothing themselves; the window beeps for a failure.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "workflow/diagnostics.h"
#include "workflow/service_mode.h"

namespace r4860::workflow {

// Opening: service mode ('@'), then the measurement register ('m' 16). False when '@' failed.
bool EnterServiceMode(ServiceLine& line);
// A click on Rejestry: '@' again, then 'm' 2^item.
bool SelectRegister(ServiceLine& line, int item);

// ReadEEB: the address rounded down to a multiple of 4 (show it in the up-down), and the four
// bytes when the transducer answered for that address. The measurement register is selected
// again afterwards, as the radio group shows item 4 once more.
struct MemoryRead {
    int address = 0;
    std::optional<std::array<std::uint8_t, 4>> bytes;
};
MemoryRead ReadMemory(ServiceLine& line, int address);

// EEwriteB: sends what ParseMemoryWrite made of the text. A float goes out from a scratch
// record, so no field of the configuration the main window shows is changed. False when refused
// or not acknowledged: the window then beeps (Exclamation), as it does for a read that failed.
bool WriteMemory(ServiceLine& line, const MemoryWrite& write);

// SetOscButt after the operator said Yes: '@', '%', a second for the adjustment, '@', then the
// nibble read back from address 36 (nothing when it did not come); the measurement afterwards.
std::optional<int> AdjustOscillator(ServiceLine& line);

// Resetb: 'r', back into service mode and the measurement register.
bool ResetInService(ServiceLine& line);

}  // namespace r4860::workflow
