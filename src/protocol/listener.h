// Starting and stopping the link: the port, its configuration and the listener thread that
// receives every frame and sends the pending command in the gap after one.
#pragma once

#include <filesystem>
#include <string>

#include "common/result.h"
#include "protocol/link.h"

namespace r4860::protocol {

inline constexpr int kDefaultBaudIndex = 3;   // 4800 baud

// Baud index 1..4 -> 1200, 2400, 4800, 9600; anything else 1200.
[[nodiscard]] int BaudForIndex(int baudIndex) noexcept;

// The listener thread's body; exit code 1 when it ended because ListenerRunning was cleared.
int ListenerLoop(Link& link);

// Starts the listener on the open port. Refused while the slot holds a running thread.
Status StartListener(Link& link);
// Ends the listener for a transfer: refused unless PollingOn; otherwise clears ListenerRunning,
// lets the thread end (50 ms, then up to 200 ms), breaks it off when it does not, and resets
// the exchange state. A failure (the thread could not be ended) leaves the slot occupied and
// must be reported; StartListener is then refused until the thread is gone.
Status StopListener(Link& link);

// Opens COMn (through the ports folder), configures it at the indexed baud rate and starts the
// listener; PollingOn follows the outcome. A port object left from an earlier attempt is
// destroyed first, so a second attempt on the same port can open it.
Status StartLink(Link& link, int portNumber, int baudIndex, const std::filesystem::path& portsFolder);
// The same on a device path (a pseudo-terminal, a test).
Status StartLinkOnPath(Link& link, const std::string& devicePath, int baudIndex);
// Ends every thread of the link, closes the port and resets the exchange state, so a command
// pending for one port is never sent to the next.
void StopLink(Link& link);

}  // namespace r4860::protocol
