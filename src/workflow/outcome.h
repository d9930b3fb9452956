// What an operator-level step did, as a value: the window or the command-line tool shows it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/ui_hooks.h"

namespace r4860::workflow {

struct Outcome {
    bool ok = false;
    std::string message;                  // translated text of the message box; "" for none
    MessageIcon icon = MessageIcon::None;
    std::optional<Beep> beep;             // sounded before the box
    std::string status;                   // translated status text to show; "" keeps the shown one
    bool restoreStatus = false;           // put back the status text shown before the command

    [[nodiscard]] static Outcome Success(std::string status = {});
    // A box with the translated `key` followed by "!".
    [[nodiscard]] static Outcome Failure(std::string_view key, MessageIcon icon, std::optional<Beep> beep = {});
};

// The classic way of showing it: the beep, the box, then the status text (`previousStatus` when
// the outcome asks for the one shown before the command).
void ShowOutcome(UiHooks& ui, const Outcome& outcome, std::string_view previousStatus = {});

}  // namespace r4860::workflow
