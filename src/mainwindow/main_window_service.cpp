// The service windows the Corrections command opens after the password: the diagnostics for the
// service code, the corrections for the operator's password.
#include "mainwindow/config_panel.h"
#include "mainwindow/main_window.h"
#include "service/diagn_f.h"
#include "service/regul_f.h"
#include "service/symul_f.h"
#include "common/date_text.h"
#include "qtbridge/command_runner.h"
#include "qtbridge/qt_text.h"
#include "workflow/service_mode.h"

namespace r4860::mainwindow {

void TR4860F::openServiceWindow(bool diagnostics) {
    // Each window polls with a timer of its own; this one rests until the window is gone, on
    // every way out (the pause ends with the scope).
    const TimerPause paused = pause();
    storePosition();
    if (diagnostics) {
        service::TDiagnF window(m_transducer, m_messages, m_ctx.record, mainTopLeft(), this);
        window.exec();
    } else {
        service::TRegulF window(m_transducer, m_messages, m_ctx, mainTopLeft(), this);
        window.exec();
        m_config->showCorrections();
    }
    update();
}

}  // namespace r4860::mainwindow

namespace r4860::mainwindow {

void TR4860F::openSimulation() {
    const workflow::PreparedSimulation prepared = workflow::PrepareSimulation(m_ctx.record, TodayDays());
    const TimerPause paused = pause();
    storePosition();
    if (prepared.warning) showOutcome(*prepared.warning);
    service::TSymulF window(prepared.input, m_messages, mainTopLeft(), this);
    window.exec();
}

}  // namespace r4860::mainwindow

namespace r4860::mainwindow {

void TR4860F::offerToLeaveServiceMode() {
    if (m_serviceOffered || !workflow::ServiceModeLeftOn(m_transducer.status())) return;
    m_serviceOffered = true;
    if (m_messages.ask(this, qtbridge::ToQString(workflow::LeaveServiceQuestion()), MessageIcon::Exclamation,
                       qtbridge::Buttons::YesNo) != qtbridge::Answer::Yes) {
        return;
    }
    const bool started = m_leaveService->start<workflow::Outcome>(
        [](workflow::CommandLine& line) { return workflow::LeaveServiceMode(line); },
        [this](const workflow::Outcome& outcome) {
            if (!outcome.ok) showOutcome(outcome);
        });
    if (!started) m_messages.beep(Beep::Asterisk);
}

}  // namespace r4860::mainwindow
