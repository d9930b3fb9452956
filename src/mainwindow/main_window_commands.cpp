// The transducer commands: Read, Write, Verify, Reset, Lock Iout, Automatic read, Monitor only,
// and the gates of Corrections and Simulation. Transfers run as jobs behind the progress window;
// the window stays live and refuses every other command until the job's outcome is in.
#include <QAction>
#include <QEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QMenuBar>
#include <QStyle>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "common/date_text.h"
#include "common/lang_table.h"
#include "dialogs/wiadomosc.h"
#include "mainwindow/main_window.h"
#include "model/transfer_function.h"
#include "qtbridge/qt_text.h"
#include "workflow/config_commands.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::Tr;

void TR4860F::showOutcome(const workflow::Outcome& outcome) {
    if (outcome.beep) m_messages.beep(*outcome.beep);
    if (!outcome.message.empty()) m_messages.show(this, ToQString(outcome.message), outcome.icon);
    if (outcome.restoreStatus) {
        StatBarTxt(m_statusBeforeCommand);
    } else if (!outcome.status.empty()) {
        StatBarTxt(ToQString(outcome.status));
    }
}

void TR4860F::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // The progress window stays in front of the window it keeps waiting.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_wiadomosc) m_wiadomosc->raise();
}

bool TR4860F::busy() {
    // The progress window already keeps the operator out; this catches what comes another way.
    if (!m_ctx.state.TransferOn) return false;
    m_messages.beep(Beep::Asterisk);
    return true;
}

bool TR4860F::showiad(protocol::TransferRequest request, TransferFinish finish) {
    if (busy()) return false;
    m_statusBeforeCommand = m_status[0]->text().mid(1);
    StatBarTxt(ToQString(LangText(request.caption)));
    m_timer1->stop();
    m_ctx.state.TransferOn = true;
    m_transferFinish = std::move(finish);
    m_progress->setValue(0);
    m_progress->show();
    m_wynik->clear();
    m_output->clear();
    m_wiadomosc = new dialogs::TWiadomosc(dialogs::TWiadomosc::Mode::Progress, m_ctx.settings, mainTopLeft(), this);
    m_wiadomosc->show();
    const model::ConfigImage image = request.image;
    if (m_transfer.start(m_transducer, std::move(request))) return true;
    // Another job holds the line: the outcome is that of a busy link, and the image stays.
    onTransferFinished({protocol::TransferStatus::Busy, image});
    return false;
}

void TR4860F::onTransferFinished(const protocol::TransferResult& result) {
    if (m_wiadomosc) {
        m_wiadomosc->hide();
        m_wiadomosc->deleteLater();
        m_wiadomosc = nullptr;
    }
    m_progress->hide();
    m_progress->setValue(0);
    m_ctx.state.TransferOn = false;
    const bool ok = std::exchange(m_transferFinish, {})(result);
    m_timer1->start();
    emit transferFinished(ok);
}

void TR4860F::OdczytajTClick() {
    if (!busy()) readTransducer({});
}

void TR4860F::readTransducer(const std::function<void(bool)>& then) {
    const workflow::Prepared prepared = workflow::PrepareRead(lineState(), m_ctx.image);
    const auto finish = [this, then](const protocol::TransferResult& result) {
        const workflow::ReadOutcome r = workflow::FinishRead(result, m_ctx.record, m_ctx.image);
        if (r.outcome.ok) {
            m_panel.CoefMissing = r.coefMissing;
            m_ctx.state.ConfigRead = true;
            m_ctx.state.VerifyAllowed = false;
            pokaz(workflow::Kolory::Shown);
        }
        showOutcome(r.outcome);
        if (then) then(r.outcome.ok);
        emit readFinished(r.outcome.ok);
        return r.outcome.ok;
    };
    if (prepared.refused) {
        showOutcome(*prepared.refused);
        if (then) then(false);
        emit readFinished(false);
        return;
    }
    if (!showiad(prepared.request, finish) && then) then(false);
}

void TR4860F::ZapiszTClick() {
    if (busy()) return;
    bool complete = CheckParam(true, false);
    if (!complete && !CheckParam(false, true)) return;
    // What the user data lack, the ID tag can still take.
    if (!complete) {
        writeIdTagOnly();
        return;
    }
    startWrite(workflow::WriteKind::Full);
}

void TR4860F::startWrite(workflow::WriteKind kind) {
    model::EncodeOptions options;
    options.today = TodayDays();
    const workflow::Prepared prepared = workflow::PrepareWrite(lineState(), m_ctx.record, m_ctx.image, options, kind);
    if (prepared.refused) {
        showOutcome(*prepared.refused);
        return;
    }
    m_data->setText(ToQString(m_ctx.record.Informacje.data));
    showiad(prepared.request, [this, kind](const protocol::TransferResult& result) {
        const workflow::Outcome o = workflow::FinishWrite(result, kind, m_ctx.image);
        showOutcome(o);
        if (o.ok) Zapisane(kind == workflow::WriteKind::Full && !workflow::noTab(m_ctx.record, m_panel.CoefMissing));
        return o.ok;
    });
}

void TR4860F::writeIdTagOnly() {
    const auto write = [this] { startWrite(workflow::WriteKind::IdTagOnly); };
    if (m_ctx.state.ConfigRead) {
        write();
        return;
    }
    // The tag's block ends with a byte the tool never sets and writes back as last read: an image
    // of another transducer must not put its byte there, so this transducer's memory is read into
    // the image first (the record and the panel stay as they are).
    const workflow::Prepared read = workflow::PrepareRead(lineState(), m_ctx.image);
    if (read.refused) {
        showOutcome(*read.refused);
        return;
    }
    showiad(read.request, [this, write](const protocol::TransferResult& result) {
        if (!result.ok()) {
            showOutcome(workflow::TransferFailure(result));
            return false;
        }
        m_ctx.image = result.image;
        QTimer::singleShot(0, this, write);
        return true;
    });
}

void TR4860F::Zapisane(bool complete) {
    StatBarTxt(Tr(complete ? "Transducer programmed" : "Information transferred"));
    kolory(workflow::Kolory::Shown);
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
    showiad(prepared.prepared.request, [this, expected](const protocol::TransferResult& result) {
        const workflow::VerifyOutcome v = workflow::FinishVerify(result, expected, m_ctx.image);
        showOutcome(v.outcome);
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
        TimerPause pause(*this);
        storePosition();
        if (m_dialogs.password) kind = m_dialogs.password(this);
    }
    if (kind == workflow::PasswordKind::Refused) return;
    // The corrections and diagnostics windows work on a configuration read from this transducer.
    if (!m_ctx.state.ConfigRead) readTransducer({});
}

void TR4860F::Blokada1Click() {
    QAction* lock = m_actions[QStringLiteral("Blokada1")];
    if (busy()) {
        lock->setChecked(!lock->isChecked());
        return;
    }
    if (lock->isChecked()) {
        m_ctx.record.Parametry.Burnout = 2;
    } else {
        m_ctx.record.Parametry.Burnout = 0;
        markAqua(m_burnout);
    }
    ReakcjaField();
    if (m_burnout->isVisibleTo(m_parametryG)) m_burnout->setEnabled(true);
}

void TR4860F::Autoread1Click() {
    m_autoReadOn = m_actions[QStringLiteral("Autoread1")]->isChecked();
    m_buttons[QStringLiteral("OdczytajT")]->setIcon(
        style()->standardIcon(m_autoReadOn ? QStyle::SP_BrowserReload : QStyle::SP_ArrowDown));
}

void TR4860F::CheckAutoRead() {
    if (!m_autoReadOn || m_ctx.state.ConfigRead || m_transducer.status().EepromError) return;
    readTransducer([this](bool ok) {
        if (ok || m_ctx.state.ConfigRead) return;
        TimerPause pause(*this);
        if (m_messages.ask(this, Tr("Turn Autoread off") + QLatin1Char('?'), MessageIcon::Information,
                           qtbridge::Buttons::YesNo) == qtbridge::Answer::Yes) {
            m_actions[QStringLiteral("Autoread1")]->setChecked(false);
            Autoread1Click();
        }
    });
}

void TR4860F::EnDisMenu(bool on) {
    if (!on) {
        if (!statusBar()->isHidden()) Status1Click();
        if (!m_toolBar->isHidden()) Pasek1Click();
    } else {
        if (statusBar()->isHidden()) Status1Click();
        if (m_toolBar->isHidden()) Pasek1Click();
    }
    for (const char* name : {"Status1", "Pasek1", "Ogolne1", "Symulacja1", "Nowy1", "Otworz1", "Zachowaj1",
                             "Zapiszjako1", "Drukuj1", "PrintSetup1"}) {
        m_actions[QLatin1String(name)]->setEnabled(on);
    }
    m_menus[QStringLiteral("Konfig1")]->setEnabled(on);
}

void TR4860F::MonOnly1Click() {
    QAction* item = m_actions[QStringLiteral("MonOnly1")];
    if (busy()) {
        item->setChecked(!item->isChecked());
        return;
    }
    const bool on = item->isChecked();
    if (on && m_diagramShown) Wykres1Click();
    m_panel.MonitorOnly = on;
    QAction* autoRead = m_actions[QStringLiteral("Autoread1")];
    m_autoReadOn = !on && autoRead->isChecked();
    autoRead->setEnabled(!on);
    m_actions[QStringLiteral("Wykres1")]->setEnabled(!on);
    for (QWidget* w : std::initializer_list<QWidget*>{m_senTypeG, m_parametryG, m_info}) w->setVisible(!on);
    QWidget* tlo = m_wynik->parentWidget();
    EnDisMenu(!on);
    // Only the live panel stays: the window shrinks around it and comes back to its start-up size.
    tlo->move(tlo->x(), on ? 5 : kTloTop);
    const int compact = menuBar()->sizeHint().height() + tlo->height() + 10;
    setFixedSize(width(), on ? compact : m_startHeight);
    applyEnabling();
}

void TR4860F::Symulacja1Click() {
    if (busy()) return;
    if (!CheckParam(true, true)) {
        m_messages.beep(Beep::Exclamation);
        m_messages.show(this, Tr("Information incomplete") + QLatin1Char('!'), MessageIcon::Exclamation);
        return;
    }
    model::ConfigRecord trial = m_ctx.record;
    model::ConfigImage image = m_ctx.image;
    model::EncodeOptions options;
    options.today = TodayDays();
    if (const auto encoded = model::EncodeImage(trial, image, options); !encoded) {
        m_messages.beep(Beep::Exclamation);
        m_messages.show(this, ToQString(model::TranslateRuleMessage(encoded.error().message)) + QLatin1Char('!'),
                        MessageIcon::Error);
    }
    // The simulation window itself comes with the service windows.
}

}  // namespace r4860::mainwindow
