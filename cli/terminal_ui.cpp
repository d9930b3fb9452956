#include "terminal_ui.h"

#include <unistd.h>

#include <cstdio>

namespace r4860::cli {

TerminalUi::TerminalUi() : m_progressToTerminal(::isatty(STDERR_FILENO) == 1) {}

TerminalUi::~TerminalUi() { endProgressLine(); }

void TerminalUi::endProgressLine() {
    if (!m_progressLineOpen) return;
    std::fputc('\n', stderr);
    m_progressLineOpen = false;
}

void TerminalUi::showMessage(std::string_view text, MessageIcon) {
    endProgressLine();
    std::fprintf(stderr, "r4860-cli: %.*s\n", static_cast<int>(text.size()), text.data());
}

void TerminalUi::transferProgress(int, std::string_view statusText) {
    if (!m_progressToTerminal) return;
    std::fprintf(stderr, "\r%-40.*s", static_cast<int>(statusText.size()), statusText.data());
    std::fflush(stderr);
    m_progressLineOpen = true;
}

}  // namespace r4860::cli
