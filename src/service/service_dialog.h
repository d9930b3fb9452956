// What the service windows share: their own polling timer, one command sequence at a time with
// that timer stopped meanwhile, and a way out that first lets go of the transducer. Every close
// (Escape, the title bar, Exit, the main window going) ends in the window's leave sequence; the
// dialog really closes only when that sequence has come back, so nothing blocks while it runs.
#pragma once

#include <QColor>
#include <QDialog>
#include <QTimer>
#include <functional>

#include "qtbridge/command_runner.h"
#include "qtbridge/message_service.h"
#include "workflow/service_rules.h"
#include "workflow/transducer.h"

namespace r4860::service {

[[nodiscard]] QColor ToQColor(workflow::ServiceColour colour);

class ServiceDialog : public QDialog {
    Q_OBJECT
public:
    ServiceDialog(workflow::Transducer& transducer, qtbridge::MessageService& messages, int intervalMs,
                  QWidget* parent);
    [[nodiscard]] QTimer* timer1() const { return m_timer; }
    [[nodiscard]] bool leaving() const { return m_leaving; }
    [[nodiscard]] bool sequenceRunning() const { return m_commands.running(); }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Starts the sequence that lets go of the transducer and calls left() when it is back;
    // false when none could start (the line is down): the window closes at once.
    virtual bool startLeaving() = 0;
    void left();

    // Runs `body` as a job with the timer stopped; `done` gets its value on this thread and the
    // timer starts again afterwards (not while leaving). False, with an asterisk beep, when the
    // line is busy.
    template <class T>
    bool run(std::function<T(workflow::CommandLine&)> body, std::function<void(const T&)> done) {
        m_timer->stop();
        const bool started = m_commands.start<T>(std::move(body), [this, done = std::move(done)](const T& r) {
            if (done) done(r);
            if (!m_leaving) m_timer->start();
        });
        if (!started && !m_leaving) {
            m_messages.beep(Beep::Asterisk);
            m_timer->start();
        }
        return started;
    }
    void showOutcome(const workflow::Outcome& outcome);

    workflow::Transducer& m_transducer;
    qtbridge::MessageService& m_messages;
    qtbridge::QtUiHooks m_ui;
    qtbridge::CommandRunner m_commands;
    QTimer* m_timer;

private:
    void leaveNow();
    bool m_leaving = false;
    bool m_left = false;
};

}  // namespace r4860::service
