// The transducer commands: Read, Write, Verify, Reset, Lock Iout, Automatic read, the sensor
// selection and the gates of Corrections and Simulation. Transfers run as jobs behind the progress
// window; the window stays live and refuses every other command until the job's outcome is in.
#include <QAction>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "common/date_text.h"
#include "mainwindow/config_panel.h"
#include "mainwindow/main_window.h"
#include "mainwindow/window_transfer.h"
#include "model/transfer_function.h"
#include "qtbridge/qt_text.h"
#include "workflow/config_commands.h"
#include "workflow/selection_command.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::Tr;

void TR4860F::showOutcome(const workflow::Outcome& outcome) {
    workflow::ShowOutcome(m_ui, outcome, qtbridge::ToStd(m_transfer->statusBefore()));
}

bool TR4860F::busy() {
    // The progress window already keeps the operator out; this catches what comes another way.
    if (!m_transfer->running()) return false;
    m_messages.beep(Beep::Asterisk);
    return true;
}

bool TR4860F::transfer(protocol::TransferRequest request,
                       std::function<bool(const protocol::TransferResult&)> finish) {
    return m_transfer->start(std::move(request), m_pressedButton, std::move(finish));
}

workflow::LineState TR4860F::lineState() const {
    workflow::LineState line;
    line.connected = m_ctx.state.Connected;
    line.eepromError = m_transducer.status().EepromError;
    line.typeIndex = m_transducer.status().TypeIndex;
    line.rtPriority = m_ctx.settings.RTPriority;
    return line;
}

void TR4860F::OdczytajTClick() {
    if (!busy()) readTransducer({});
}

void TR4860F::readTransducer(const std::function<void(bool)>& then) {
    const workflow::Prepared prepared = workflow::PrepareRead(lineState(), m_ctx.image);
    if (prepared.refused) {
        showOutcome(*prepared.refused);
        if (then) then(false);
        emit readFinished(false);
        return;
    }
    // The operator sees that a read runs, also from the diagram, which hides the status bar.
    const bool reveal = m_diagramShown && statusBar()->isHidden();
    if (reveal) Status1Click();
    transfer(prepared.request, [this, then, reveal](const protocol::TransferResult& result) {
        const bool ok = readDone(result, then);
        if (reveal && !statusBar()->isHidden()) Status1Click();
        return ok;
    });
}

bool TR4860F::readDone(const protocol::TransferResult& result, const std::function<void(bool)>& then) {
    const workflow::ReadOutcome r = workflow::FinishRead(result, m_ctx.record, m_ctx.image);
    if (r.outcome.ok) {
        m_panel.CoefMissing = r.coefMissing;
        m_ctx.state.ConfigRead = true;
        m_ctx.state.VerifyAllowed = false;
        m_config->pokaz(workflow::Kolory::Shown);
    }
    showOutcome(r.outcome);
    // After the outcome, so that a history that failed is what the status line says last.
    recordRead(r.outcome);
    if (then) then(r.outcome.ok);
    emit readFinished(r.outcome.ok);
    return r.outcome.ok;
}

void TR4860F::ZapiszTClick() {
    if (busy()) return;
    const bool complete = m_config->CheckParam(true, false);
    if (!complete && !m_config->CheckParam(false, true)) return;
    // What the user data lack, the ID tag can still take.
    startWrite(complete ? workflow::WriteKind::Full : workflow::WriteKind::IdTagOnly);
}

void TR4860F::startWrite(workflow::WriteKind kind) {
    model::EncodeOptions options;
    options.today = TodayDays();
    // Bytes the tool never sets are written back as this transducer holds them: an image that
    // came from elsewhere is first replaced by a read of this one (the record stays as it is).
    const auto origin = m_ctx.state.ConfigRead ? workflow::ImageOrigin::ThisTransducer : workflow::ImageOrigin::Elsewhere;
    // What this transducer held, for the history: the image read from it, when it was.
    std::optional<model::ConfigImage> before;
    if (m_ctx.state.ConfigRead) before = m_ctx.image;
    const workflow::Prepared prepared = workflow::PrepareWrite(lineState(), m_ctx.record, m_ctx.image, options, kind, origin);
    if (prepared.refused) {
        showOutcome(*prepared.refused);
        recordWrite(kind, *prepared.refused, false, before);
        return;
    }
    if (!prepared.readFirst) {
        runWrite(kind, prepared.request, before);
        return;
    }
    const QPointer<QToolButton> button = m_pressedButton;
    transfer(prepared.request, [this, kind, options, button](const protocol::TransferResult& result) {
        const workflow::Prepared write =
            workflow::PrepareWriteOver(result, lineState(), m_ctx.record, m_ctx.image, options, kind);
        std::optional<model::ConfigImage> readNow;
        if (result.status == protocol::TransferStatus::Ok) readNow = result.image;
        if (write.refused) {
            showOutcome(*write.refused);
            recordWrite(kind, *write.refused, false, readNow);
            return false;
        }
        // The write follows once this transfer has let go of the line.
        QTimer::singleShot(0, this, [this, kind, request = write.request, button, readNow] {
            m_pressedButton = button;
            runWrite(kind, request, readNow);
            m_pressedButton = nullptr;
        });
        return true;
    });
}

void TR4860F::runWrite(workflow::WriteKind kind, const protocol::TransferRequest& request,
                       const std::optional<model::ConfigImage>& before) {
    m_config->showDate();
    transfer(request, [this, kind, before](const protocol::TransferResult& result) {
        const workflow::Outcome o = workflow::FinishWrite(result, kind, m_ctx.image);
        showOutcome(o);
        if (o.ok) Zapisane(kind == workflow::WriteKind::Full && !workflow::noTab(m_ctx.record, m_panel.CoefMissing));
        recordWrite(kind, o,
                    result.status != protocol::TransferStatus::Busy && result.status != protocol::TransferStatus::NotStarted,
                    before);
        return o.ok;
    });
}

void TR4860F::Zapisane(bool complete) {
    StatBarTxt(Tr(complete ? "Transducer programmed" : "Information transferred"));
    m_config->kolory(workflow::Kolory::Shown);
    m_ctx.state.VerifyAllowed = true;
}

void TR4860F::Weryfikuj1Click() {
    if (busy()) return;
    const workflow::PreparedVerify prepared = workflow::PrepareVerify(lineState(), m_ctx.image);
    if (prepared.prepared.refused) {
        showOutcome(*prepared.prepared.refused);
        return;
    }
    const model::ImageSnapshot expected = prepared.expected;
    // An image read from this transducer names it in the record.
    std::optional<model::ConfigImage> identity;
    if (m_ctx.state.ConfigRead) identity = m_ctx.image;
    transfer(prepared.prepared.request, [this, expected, identity](const protocol::TransferResult& result) {
        const workflow::VerifyOutcome v = workflow::FinishVerify(result, expected, m_ctx.image);
        showOutcome(v.outcome);
        recordVerify(v, identity);
        return v.verified();
    });
}

void TR4860F::Reset1Click() {
    if (busy()) return;
    // Failures are reported by the command layer at the next tick.
    (void)m_transducer.post('r', 0, m_ui);
}

void TR4860F::Regulacja1Click() {
    if (busy()) return;
    if (!m_ctx.state.Connected) {
        m_messages.show(this, Tr("Transducer has to be connected!"), MessageIcon::None);
        return;
    }
    if (m_transducer.status().EepromError) {
        m_messages.show(this, Tr("EEPROM error") + QLatin1Char('!'), MessageIcon::Exclamation);
        return;
    }
    workflow::PasswordKind kind = workflow::PasswordKind::Refused;
    {
        const TimerPause paused = pause();
        storePosition();
        if (m_dialogs.password) kind = m_dialogs.password(this);
    }
    if (kind == workflow::PasswordKind::Refused) return;
    const bool diagnostics = kind == workflow::PasswordKind::Service;
    // The corrections and diagnostics windows work on a configuration read from this transducer.
    if (m_ctx.state.ConfigRead) {
        openServiceWindow(diagnostics);
        return;
    }
    readTransducer([this, diagnostics](bool ok) {
        if (ok) openServiceWindow(diagnostics);
    });
}

void TR4860F::Blokada1Click() {
    if (busy()) return;
    model::ConfigRecord& rec = m_ctx.record;
    if (rec.Parametry.Burnout != 2) {
        rec.Parametry.Burnout = 2;
        m_config->ReakcjaField();
        return;
    }
    // Unlocked: the reaction below 4 mA, shown as what the next Write sends.
    rec.Parametry.Burnout = 0;
    m_config->burnoutUnlocked();
}

void TR4860F::Autoread1Click() { m_autoReadChecked = !m_autoReadChecked; }

void TR4860F::CheckAutoRead() {
    if (!autoReadOn() || m_ctx.state.ConfigRead || m_transducer.status().EepromError) return;
    readTransducer([this](bool ok) {
        if (ok || m_ctx.state.ConfigRead) return;
        if (m_messages.ask(this, Tr("Turn Autoread off") + QLatin1Char('?'), MessageIcon::Information,
                           qtbridge::Buttons::YesNo) == qtbridge::Answer::Yes) {
            m_autoReadChecked = false;
            syncChecks();
        }
    });
}

void TR4860F::Symulacja1Click() {
    if (busy()) return;
    if (!m_config->CheckParam(true, true)) {
        m_messages.warn(this, Tr("Information incomplete") + QLatin1Char('!'));
        return;
    }
    openSimulation();
}

bool TR4860F::TypSelect() {
    const std::string saved = m_ctx.record.Device;
    bool ok = false;
    const TimerPause paused = pause();
    storePosition();
    if (m_dialogs.chooseType) ok = m_dialogs.chooseType(this, m_ctx.record.Device);
    const std::string& name = m_ctx.record.Device;
    if (!name.empty()) {
        const auto code = model::ModelCodeOfName(name).value_or(0) + (name[0] != 'R' ? 100 : 0);
        if (ok && code != 20 && code != 39 && (code < 47 || code > 49)) {
            m_messages.show(this, Tr("Device") + QLatin1Char(' ') + ToQString(name) + QLatin1Char(' ') +
                                      Tr("not implemented yet"), MessageIcon::None);
            m_ctx.record.Device = saved;
            ok = false;
        }
    }
    ShowCaption();
    return ok;
}

void TR4860F::SenSelClick() {
    if (busy()) return;
    if (workflow::NeedsTypeSelection(m_ctx.record, m_transducer.status().TypeIndex) && !TypSelect()) return;
    const TimerPause paused = pause();
    storePosition();
    workflow::SelectionStart start = workflow::StartSelection(m_ctx.record);
    workflow::DialogResult result = workflow::DialogResult::Cancel;
    for (workflow::SelectionWindow window = start.first; window != workflow::SelectionWindow::None;
         window = workflow::NextSelectionWindow(window, result)) {
        result = m_dialogs.selectSensor ? m_dialogs.selectSensor(this, window, m_ctx.record, start.modelCode)
                                        : workflow::DialogResult::Cancel;
        if (result != workflow::DialogResult::More) break;
    }
    if (result == workflow::DialogResult::Ok) {
        m_config->pokaz(workflow::FinishSelectionOk(m_ctx.record, m_panel, m_ctx.state, TodayDays()));
    } else {
        workflow::CancelSelection(m_ctx.record, start.snapshot);
    }
    ShowCaption();
}

}  // namespace r4860::mainwindow
