// The command set as the windows use it: building a command from its code and a 32-bit
// parameter, posting it to the listener, waiting for it, and the one-shot failure report.
#pragma once

#include <cstdint>

#include "common/result.h"
#include "common/ui_hooks.h"
#include "model/config_record.h"
#include "protocol/link.h"

namespace r4860::protocol {

// Codes callers pass to PostCommand. 'd' and '1' both go on the wire as 'D'.
namespace cmd {
inline constexpr std::uint8_t kSelectRegister = 'm';
inline constexpr std::uint8_t kSetOutput = 'o';
inline constexpr std::uint8_t kReset = 'r';
inline constexpr std::uint8_t kReadMemory = 's';
inline constexpr std::uint8_t kWriteFloat = 'd';
inline constexpr std::uint8_t kWriteByte = '1';
inline constexpr std::uint8_t kWriteChecksum = 'L';
inline constexpr std::uint8_t kStoreCorrections = 'V';
inline constexpr std::uint8_t kSendRaw = 'Z';
inline constexpr std::uint8_t kServiceMode = '@';
inline constexpr std::uint8_t kOscillator = '%';
}  // namespace cmd

// The command buffer for `code` with parameter bytes p0 (least significant) .. p3. 'd' takes
// the float from Parametry.RoomT, 'V' the corrections from Parametry.ZeroReg/GainReg (x100, rounded
// half to even, limited to the signed 16-bit range). Unknown codes and a RoomT the float
// format cannot hold are BadArgument.
[[nodiscard]] Result<FrameBuffer> BuildCommand(std::uint8_t code, std::uint32_t parameter,
                                               const model::ConfigRecord& record);

// The posting thread (the windows' own thread, or the one command thread of a service window).
// Refuses with a default beep when no frame has come or the link is busy, with an asterisk beep
// when a command is already pending; an unknown code is refused without a beep. 'd' and 'V' take
// their values from `record`. Never blocks.
bool PostCommand(Link& link, UiHooks& ui, std::uint8_t code, std::uint32_t parameter,
                 const model::ConfigRecord& record);
// Call from a worker thread only: they block. Waits up to about 5 s for the link to be ready,
// then posts; an asterisk beep when it did not become ready.
bool PostCommandWhenReady(Link& link, UiHooks& ui, std::uint8_t code, std::uint32_t parameter,
                          const model::ConfigRecord& record);
// Posts when ready and waits up to about 1 s for the listener to confirm the send.
bool ExecuteCommand(Link& link, UiHooks& ui, std::uint8_t code, std::uint32_t parameter,
                    const model::ConfigRecord& record);
// The polling thread, after each sample: exclamation beep and "Command failed!" once per command
// that was dropped unacknowledged.
void ReportCommandFailure(Link& link, UiHooks& ui);

}  // namespace r4860::protocol
