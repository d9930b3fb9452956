// The UI boundary for the command-line tool: messages to stderr, progress only on a terminal.
#pragma once

#include <string>

#include "common/ui_hooks.h"

namespace r4860::cli {

class TerminalUi : public UiHooks {
public:
    TerminalUi();
    ~TerminalUi() override;

    void beep(Beep) override {}
    void showMessage(std::string_view text, MessageIcon icon) override;
    void transferProgress(int percent, std::string_view statusText) override;
    void setStatusText(std::string_view) override {}
    // Ends an open progress line, so what follows starts on a line of its own. Called on the
    // command's thread once the transfer that printed progress has finished.
    void endProgressLine();

private:
    bool m_progressToTerminal;
    bool m_progressLineOpen = false;
};

}  // namespace r4860::cli
