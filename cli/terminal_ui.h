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
    void processPendingMessages() override {}
    void transferProgress(int percent, std::string_view statusText) override;
    void setStatusText(std::string_view) override {}

    // The last message shown, so the exit code's line can name the failure once.
    [[nodiscard]] const std::string& lastMessage() const { return m_lastMessage; }

private:
    void endProgressLine();

    bool m_progressToTerminal;
    bool m_progressLineOpen = false;
    std::string m_lastMessage;
};

}  // namespace r4860::cli
