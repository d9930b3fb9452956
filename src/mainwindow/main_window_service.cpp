// The service windows the Corrections command opens after the password: the diagnostics for the
// service code, the corrections for the operator's password.
#include "mainwindow/config_panel.h"
#include "mainwindow/main_window.h"
#include "service/diagn_f.h"
#include "service/regul_f.h"
#include "service/symul_f.h"
#include "common/date_text.h"

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
