// The emulator's control language: one text line in, one reply line out ("ok", "ok <value>" or
// "error <why>"), so that a test can script faults and conditions while the line runs.
#pragma once

#include <string>
#include <string_view>

#include "sim/device_engine.h"

namespace r4860::sim {

// Faults of the line itself, applied by the loop that paces the bytes.
struct LineFaults {
    double corruptRate = 0.0;  // share of sent frames with one damaged byte
    double dropAckRate = 0.0;  // share of acknowledgements never sent
    int dropAckNext = 0;       // the next N acknowledgements are never sent
    int skipRepliesNext = 0;   // the next N read answers are lost: a measurement frame comes instead
    bool silence = false;      // nothing is sent and nothing is accepted
    bool strictGap = false;    // a command is taken only when its START comes inside the listening
                               // gap after a frame or acknowledgement, immediate ones included
};

// What the loop itself has to do for a command that needs more than the engine.
enum class ControlAction { None, Unplug, Replug, SlavePath, Stats, SaveMemory, Mark, Quit };

struct ControlReply {
    std::string text;  // without the line end; empty when the action supplies it
    ControlAction action = ControlAction::None;
    std::string argument;
};

[[nodiscard]] ControlReply InterpretControl(std::string_view line, DeviceEngine& engine, LineFaults& faults);

[[nodiscard]] std::string ControlHelp();

}  // namespace r4860::sim
