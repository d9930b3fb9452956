// Start-up, the polling tick with the live panel, the model check and the Read the check may
// ask for.
#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "mainwindow/main_window.h"
#include "common/lang_table.h"
#include "qtbridge/frame_notifier.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"
#include "workflow/config_commands.h"
#include "workflow/live_text.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::Tr;

void TR4860F::init(const std::function<bool()>& startLink) {
    move(qtbridge::OnSomeScreen(mainTopLeft(), size(), qtbridge::ScreenRects()));
    for (int i = 2; i < 5; ++i) m_status[i]->clear();
    FormLang();
    if (m_panel.ParamsShown) odnowa();
    StatBarTxt(Tr("No parameters"));
    applyEnabling();
    const bool linked = startLink ? startLink() : false;
    show();
    storePosition();
    m_timer1->start();
    // While nothing answers, the first frame of a transducer plugged in is shown at once rather
    // than at the next tick; once connected the timer alone paces the panel.
    m_startHeight = height();
    m_frames = new qtbridge::FrameNotifier(m_transducer, this);
    connect(m_frames, &qtbridge::FrameNotifier::frameStored, this, [this] {
        if (!m_ctx.state.Connected && m_timer1->isActive()) Timer1Timer();
    });
    if (!linked) {
        // After the window is up, as Options > Communication would.
        QTimer::singleShot(0, this, &TR4860F::Komunikacja1Click);
    }
}

void TR4860F::ShowCaption() {
    setWindowTitle(ToQString(workflow::ShowCaptionText(m_ctx.record.Device, m_modelList, qtbridge::ToStd(m_parFileName),
                                                       LangText("Unspecified type"))));
}

void TR4860F::Timer1Timer() {
    if (m_transducer.pollingOn() && !m_transfer.running()) {
        TimerPause pause(*this);
        const bool ok = m_transducer.takeSample(m_sample);
        switch (workflow::PollTick(m_ctx.state, ok, m_timer1->interval())) {
            case workflow::LivePanels::ShowSample:
                showres(m_sample);
                showout(m_sample);
                CheckAutoRead();
                CheckDevice();
                if (m_diagramShown) WykresPlot(m_sample.result, m_sample.outputMa);
                break;
            case workflow::LivePanels::Blank: blankLive(); break;
            case workflow::LivePanels::NoContact: noContactLive(); break;
            case workflow::LivePanels::Unchanged: break;
        }
        m_transducer.reportCommandFailure(m_ui);
        if (m_frames) m_frames->setEnabled(!m_ctx.state.Connected);
    }
    applyEnabling();
}

void TR4860F::showres(const workflow::MeasurementSample& sample) {
    const workflow::ResultPanelText r = workflow::showres(sample, m_transducer.status());
    QFont f = m_wynik->font();
    f.setPointSize(r.fontSize);
    m_wynik->setFont(f);
    m_wynik->setAlignment((r.align == workflow::PanelAlign::Centre ? Qt::AlignHCenter : Qt::AlignRight) |
                          Qt::AlignVCenter);
    m_wynik->setText(ToQString(r.text));
}

void TR4860F::showout(const workflow::MeasurementSample& sample) {
    const workflow::OutputPanelText o = workflow::showout(sample, m_transducer.status());
    QPalette p = m_output->palette();
    p.setColor(QPalette::WindowText, o.colour == workflow::TextColour::Red ? QColor(Qt::red) : QColor(Qt::black));
    m_output->setPalette(p);
    m_output->setText(ToQString(o.text));
}

void TR4860F::blankLive() {
    m_wynik->clear();
    m_output->clear();
}

void TR4860F::noContactLive() {
    showres(m_sample);  // font and alignment of a value
    const workflow::ResultPanelText r = workflow::NoContactResult();
    QFont f = m_wynik->font();
    f.setPointSize(r.fontSize);
    m_wynik->setFont(f);
    m_wynik->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_wynik->setText(ToQString(workflow::kNoContactText));
    m_output->setText(ToQString(workflow::kNoContactText));
}

void TR4860F::applyEnabling() {
    const workflow::MainWindowEnabling e = workflow::EnablingFor(m_ctx.state, m_transducer.status().EepromError, m_panel);
    for (const auto& [name, on] : std::initializer_list<std::pair<const char*, bool>>{
             {"RegulacjaT", e.RegulacjaT}, {"Regulacja1", e.Regulacja1}, {"Odswierz1", e.Odswierz1},
             {"Odczytaj1", e.Odczytaj1}, {"OdczytajT", e.OdczytajT}, {"Wykres1T", e.Wykres1T},
             {"Weryfikuj1", e.Weryfikuj1}, {"Wykres1", e.Wykres1}, {"ZapiszT", e.ZapiszT},
             {"Ustawienia1", e.Ustawienia1}, {"Reset1", e.Reset1}, {"Blokada1", e.Blokada1}}) {
        if (auto a = m_actions.find(QLatin1String(name)); a != m_actions.end()) a->second->setEnabled(on);
        if (auto b = m_buttons.find(QLatin1String(name)); b != m_buttons.end()) b->second->setEnabled(on);
    }
}

void TR4860F::CheckDevice() {
    const workflow::DeviceCheck check = workflow::CheckDevice(m_ctx.record.Device, m_transducer.status().TypeIndex);
    if (check.kind == workflow::DeviceCheck::Kind::Consistent) return;
    if (check.kind == workflow::DeviceCheck::Kind::Adopt) {
        m_ctx.record.Device = check.modelName;
        ShowCaption();
        return;
    }
    TimerPause pause(*this);
    if (m_messages.ask(this, ToQString(workflow::DeviceMismatchText()), MessageIcon::None,
                       qtbridge::Buttons::OkCancel) != qtbridge::Answer::Ok) {
        return;  // the box comes back at the next poll while this transducer stays
    }
    readTransducer([this](bool) {
        m_parFileName = Tr("No_name");
        ShowCaption();
    });
}

workflow::LineState TR4860F::lineState() const {
    workflow::LineState line;
    line.connected = m_ctx.state.Connected;
    line.eepromError = m_transducer.status().EepromError;
    line.typeIndex = m_transducer.status().TypeIndex;
    line.rtPriority = m_ctx.settings.RTPriority;
    return line;
}

}  // namespace r4860::mainwindow
