// The polling timer stops around every command and modal dialog of the main window, so that no
// tick re-enters a command and nothing updates behind a box: a pause for the length of a scope,
// and the window's message service, which pauses around each box it shows.
#pragma once

#include <QTimer>

#include "qtbridge/message_service.h"
#include "workflow/app_context.h"

namespace r4860::mainwindow {

// Stops the timer and starts it again on every way out, unless a transfer started meanwhile
// (which starts it when it ends) or it was not running to begin with.
class TimerPause {
public:
    TimerPause(QTimer& timer, const workflow::WorkflowState& state)
        : m_timer(timer), m_state(state), m_wasActive(timer.isActive()) {
        m_timer.stop();
    }
    ~TimerPause() {
        if (m_wasActive && !m_state.TransferOn) m_timer.start();
    }
    TimerPause(const TimerPause&) = delete;
    TimerPause& operator=(const TimerPause&) = delete;

private:
    QTimer& m_timer;
    const workflow::WorkflowState& m_state;
    bool m_wasActive;
};

// Every box of the window, with the timer paused while it is up.
class PausingMessages final : public qtbridge::MessageService {
public:
    PausingMessages(qtbridge::MessageService& messages, QTimer& timer, const workflow::WorkflowState& state)
        : m_messages(messages), m_timer(timer), m_state(state) {}
    void beep(Beep kind) override { m_messages.beep(kind); }
    qtbridge::Answer ask(QWidget* parent, const QString& text, MessageIcon icon, qtbridge::Buttons buttons) override {
        TimerPause pause(m_timer, m_state);
        return m_messages.ask(parent, text, icon, buttons);
    }

private:
    qtbridge::MessageService& m_messages;
    QTimer& m_timer;
    const workflow::WorkflowState& m_state;
};

}  // namespace r4860::mainwindow
