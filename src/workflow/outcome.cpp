#include "workflow/outcome.h"

#include "common/lang_table.h"

namespace r4860::workflow {

Outcome Outcome::Success(std::string status) {
    Outcome o;
    o.ok = true;
    o.status = std::move(status);
    return o;
}

Outcome Outcome::Failure(std::string_view key, MessageIcon icon, std::optional<Beep> beep) {
    Outcome o;
    o.message = LangText(key) + "!";
    o.icon = icon;
    o.beep = beep;
    return o;
}

void ShowOutcome(UiHooks& ui, const Outcome& outcome, std::string_view previousStatus) {
    if (outcome.beep) ui.beep(*outcome.beep);
    if (!outcome.message.empty()) ui.showMessage(outcome.message, outcome.icon);
    if (outcome.restoreStatus) ui.setStatusText(previousStatus);
    else if (!outcome.status.empty()) ui.setStatusText(outcome.status);
}

}  // namespace r4860::workflow
