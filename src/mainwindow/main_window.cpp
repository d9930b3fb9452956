#include "mainwindow/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QScopeGuard>
#include <QMenuBar>
#include <QPrinter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/lang_table.h"
#include "mainwindow/config_panel.h"
#include "mainwindow/diagram_view.h"
#include "mainwindow/edit_shortcuts.h"
#include "mainwindow/live_panel.h"
#include "mainwindow/series_run.h"
#include "mainwindow/status_line.h"
#include "mainwindow/window_history.h"
#include "mainwindow/window_transfer.h"
#include "qtbridge/command_runner.h"
#include "qtbridge/decorations.h"
#include "qtbridge/frame_notifier.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"
#include "workflow/live_text.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::Tr;

namespace {

// The client area the panel was drawn for; the menu bar comes on top of it.
constexpr int kClientWidth = 481, kClientHeight = 385;
constexpr int kLiveGap = 2;  // between the configuration and the live panel

}  // namespace

// A fixed-size window has nothing to maximise: system menu, minimise and close only.
TR4860F::TR4860F(workflow::AppContext& context, qtbridge::MessageService& messages, FileChooser& files,
                 QWidget* parent)
    : QMainWindow(parent, qtbridge::MainWindowFlags()),
      m_ctx(context), m_transducer(context.link), m_timer1(new QTimer(this)), m_messages(messages, *m_timer1, context.state),
      m_files(files), m_ui(m_messages, this, [this](const QString& text) { StatBarTxt(text); }) {
    setObjectName(QStringLiteral("R4860F"));
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(500);
    connect(m_timer1, &QTimer::timeout, this, &TR4860F::Timer1Timer);
    m_toolBar = addToolBar(QString());
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->toggleViewAction()->setEnabled(false);
    m_actions.build(*menuBar(), *m_toolBar, [this](const ActionSpec& spec, QToolButton* button) { runAction(spec, button); });
    m_status = std::make_unique<StatusLine>(*statusBar());
    m_history = std::make_unique<WindowHistory>(
        m_ctx, [this](const QString& text, bool newReason) { historyFailed(text, newReason); });
    buildParts();
    wireParts();
    FormLang();
}

TR4860F::~TR4860F() {
    if (m_opening.joinable()) m_opening.join();
}

void TR4860F::buildParts() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Bevel1"));
    setCentralWidget(central);
    m_central = new QVBoxLayout(central);
    m_central->setContentsMargins(0, 0, 0, 0);
    m_central->setSpacing(kLiveGap);
    m_config = new ConfigPanel(
        m_ctx, m_panel, m_messages,
        [this] { return untitled() ? std::filesystem::path() : std::filesystem::path(qtbridge::ToStd(m_parFileName)); },
        central);
    m_diagram = new DiagramView(m_ctx, m_messages, m_files, central);
    m_diagram->hide();
    m_live = new LivePanel(central);
    m_live->setFixedHeight(44);
    m_central->addWidget(m_config);
    m_central->addWidget(m_diagram, 1);
    m_central->addWidget(m_live);
    m_transfer = new WindowTransfer(m_transducer, m_ctx, *m_status, *this);
    m_leaveService = new qtbridge::CommandRunner(m_transducer, m_messages, this);
    m_shortcuts = new EditShortcuts(this);
    for (QLineEdit* edit : m_config->edits()) m_shortcuts->watch(edit);
}

void TR4860F::wireParts() {
    connect(m_config, &ConfigPanel::senSelClicked, this, &TR4860F::SenSelClick);
    connect(m_config, &ConfigPanel::shown, this, &TR4860F::panelShown);
    connect(m_diagram, &DiagramView::exitWanted, this, &TR4860F::Wykres1Click);
    connect(m_diagram, &DiagramView::readWanted, this, &TR4860F::diagramReadWanted);
    connect(m_diagram, &DiagramView::savingChanged, this, [this](bool saving) {
        if (m_diagramShown) m_actions.item(Act::Zapiszjako1)->setText(saving ? Tr("&Stop saving") : Tr("&Keep results") + QStringLiteral("..."));
    });
    connect(m_transfer, &WindowTransfer::started, this, [this] {
        m_timer1->stop();
        m_live->blank();
    });
    connect(m_transfer, &WindowTransfer::finished, this, [this](bool ok) {
        m_timer1->start();
        syncChecks();
        emit transferFinished(ok);
    });
}

void TR4860F::runAction(const ActionSpec& spec, QToolButton* button) {
    // A plain button shows itself pressed while its command runs; a transfer keeps it so until
    // its outcome is in. A toggle's mark is its checked state instead.
    const bool press = button && !spec.checkable;
    if (press) button->setDown(true);
    m_pressedButton = press ? button : nullptr;
    (this->*spec.handler)();
    m_pressedButton = nullptr;
    if (press && !m_transfer->running()) button->setDown(false);
    syncChecks();
    applyEnabling();
}

void TR4860F::syncChecks() {
    const bool diagram = m_diagramShown;
    m_actions.item(Act::Wykres1)->setChecked(diagram);
    m_actions.button(Act::Wykres1T)->setChecked(diagram);
    m_actions.item(Act::MonOnly1)->setChecked(m_panel.MonitorOnly);
    m_actions.item(Act::Seria1)->setChecked(m_series && !m_series->stopping());
    m_actions.item(Act::Pasek1)->setChecked(!m_toolBar->isHidden());
    m_actions.item(Act::Status1)->setChecked(!statusBar()->isHidden());
    m_actions.item(Act::Autoread1)->setChecked(m_autoReadChecked);
    m_actions.item(Act::Blokada1)->setChecked(m_panel.ParamsShown && m_ctx.record.Parametry.Burnout == 2);
    const bool autoRead = autoReadOn();
    if (autoRead != m_autoReadIcon) {
        m_autoReadIcon = autoRead;
        m_actions.button(Act::OdczytajT)->setIcon(style()->standardIcon(autoRead ? QStyle::SP_BrowserReload : QStyle::SP_ArrowDown));
    }
}

void TR4860F::applyEnabling() {
    EnableState s;
    s.connected = m_ctx.state.Connected;
    s.eepromError = m_transducer.status().EepromError;
    s.verifyAllowed = m_ctx.state.VerifyAllowed;
    s.paramsShown = m_panel.ParamsShown;
    s.diagramShown = m_diagramShown;
    s.monitorOnly = m_panel.MonitorOnly;
    m_actions.applyEnabling(s);
}

void TR4860F::applyFixedSize() {
    // The client area keeps its size whatever the menu bar's texts need.
    const int bars = statusBar()->isHidden() ? -statusBar()->sizeHint().height() : 0;
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height() + bars);
}

void TR4860F::init(std::function<bool()> startLink) {
    // Until it is open the window touches nothing of the port but its flags, which say "not
    // polling": the ticks wait, and the first frame arrives as soon as it would have anyway.
    if (startLink) {
        m_opening = std::thread([this, startLink = std::move(startLink)] {
            const bool linked = startLink();
            QMetaObject::invokeMethod(this, [this, linked] { linkOpened(linked); }, Qt::QueuedConnection);
        });
    } else {
        QTimer::singleShot(0, this, [this] { linkOpened(false); });
    }
    move(qtbridge::OnSomeScreen(mainTopLeft(), size(), qtbridge::ScreenRects()));
    FormLang();
    if (m_panel.ParamsShown) odnowa();
    StatBarTxt(Tr("No parameters"));
    applyEnabling();
    show();
    storePosition();
    m_startHeight = height();
    m_timer1->start();
    // While nothing answers, the first frame of a transducer plugged in is shown at once rather
    // than at the next tick; once connected the timer alone paces the panel.
    m_frames = new qtbridge::FrameNotifier(m_transducer, this);
    connect(m_frames, &qtbridge::FrameNotifier::frameStored, this, [this] {
        if (!m_ctx.state.Connected && m_timer1->isActive()) Timer1Timer();
    });
}

void TR4860F::linkOpened(bool linked) {
    if (m_opening.joinable()) m_opening.join();
    showPort();
    // A file named on the command line opens once the start-up is over, after any port report,
    // as if File > Open had chosen it then.
    const auto openStartFile = qScopeGuard([this] {
        if (m_startFile.isEmpty()) return;
        const QString file = std::exchange(m_startFile, QString());
        if (busy()) return;
        const TimerPause paused = pause();
        storePosition();
        openParFile(file);
    });
    if (linked) return;
    {
        const TimerPause paused = pause();
        if (m_dialogs.portFailed) m_dialogs.portFailed(this);
    }
    // After the report, as Options > Communication would.
    Komunikacja1Click();
}

void TR4860F::FormLang() {
    m_actions.translate();
    m_config->translate();
    m_live->translate();
    m_diagram->translate();
    m_status->translate();
    applyFixedSize();
    // The panel re-reads its texts through the new table.
    if (m_panel.ParamsShown) {
        m_config->pokaz(workflow::Kolory::Keep);
    } else {
        odnowa();
    }
}

void TR4860F::odnowa() {
    m_ctx.state.VerifyAllowed = false;
    m_panel.ParamsShown = false;
    StatBarTxt(Tr("No parameters"));
    m_parFileName = Tr("No_name");
    m_diagram->setLogFileName(m_parFileName);
    m_ctx.record.Device.clear();
    ShowCaption();
    // The nominal resistance index is not part of the empty configuration: a reset keeps it.
    const int gain = m_ctx.record.Czujnik.Gain;
    model::SetEmptyRecord(m_ctx.record);
    m_ctx.record.Czujnik.Gain = gain;
    m_config->odnowa();
    syncChecks();
    applyEnabling();
}

void TR4860F::panelShown(bool incomplete) {
    ShowCaption();
    StatBarTxt(Tr(incomplete ? "Information incomplete" : "Information complete"));
    syncChecks();
    applyEnabling();
}

void TR4860F::ShowCaption() {
    setWindowTitle(ToQString(workflow::ShowCaptionText(m_ctx.record.Device, m_modelList, qtbridge::ToStd(m_parFileName),
                                                       LangText("Unspecified type"))));
}

void TR4860F::StatBarTxt(const QString& text) { m_status->setText(text); }

void TR4860F::showPort() {
    m_status->showPort(m_ctx.settings.ComPort, ToQString(m_transducer.devicePath()));
    m_status->showLine(m_transducer.condition(m_ctx.state.Connected));
}

void TR4860F::Timer1Timer() {
    if (m_transducer.pollingOn() && !m_transfer->running()) {
        const TimerPause paused = pause();
        const bool ok = m_transducer.takeSample(m_sample);
        switch (workflow::PollTick(m_ctx.state, ok, m_timer1->interval())) {
            case workflow::LivePanels::ShowSample:
                m_live->showres(m_sample, m_transducer.status());
                m_live->showout(m_sample, m_transducer.status());
                // A series identifies every transducer itself: no read, model box or offer of its own.
                if (!m_series) {
                    CheckAutoRead();
                    // A read just started has the line: the model check and the diagram step wait
                    // for its outcome and come with the next sample.
                    if (m_transfer->running()) break;
                    CheckDevice();
                    if (!m_transfer->running()) offerToLeaveServiceMode();
                }
                if (m_diagramShown && !m_transfer->running()) {
                    m_diagram->WykresPlot(m_sample.result, m_sample.outputMa, m_transducer.status());
                }
                break;
            case workflow::LivePanels::Blank: m_live->blank(); break;
            case workflow::LivePanels::NoContact: m_live->noContact(); break;
            case workflow::LivePanels::Unchanged: break;
        }
        // Two missed frames may be a swapped transducer: the next one is asked about anew.
        if (m_ctx.state.PollFailCount > 1) m_serviceOffered = false;
        if (m_series && !m_transfer->running()) m_series->polled(lineState(), ok, m_ctx.state.PollFailCount);
        m_transducer.reportCommandFailure(m_ui);
        if (m_frames) m_frames->setEnabled(!m_ctx.state.Connected);
        if (!m_transfer->running()) showPort();
    }
    applyEnabling();
}

void TR4860F::CheckDevice() {
    const workflow::DeviceCheck check = workflow::CheckDevice(m_ctx.record.Device, m_transducer.status().TypeIndex);
    if (check.kind == workflow::DeviceCheck::Kind::Consistent) return;
    if (check.kind == workflow::DeviceCheck::Kind::Adopt) {
        m_ctx.record.Device = check.modelName;
        ShowCaption();
        return;
    }
    if (m_messages.ask(this, ToQString(workflow::DeviceMismatchText()), MessageIcon::None,
                       qtbridge::Buttons::OkCancel) != qtbridge::Answer::Ok) {
        return;  // the box comes back at the next poll while this transducer stays
    }
    readTransducer([this](bool) {
        m_parFileName = Tr("No_name");
        ShowCaption();
    });
}

void TR4860F::closeEvent(QCloseEvent* event) {
    storePosition();
    // A transfer is broken off before the window goes; its outcome is no longer wanted.
    m_transfer->cancel();
    m_timer1->stop();
    event->accept();
}

void TR4860F::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    storePosition();
}

void TR4860F::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // The progress window stays in front of the window it keeps waiting.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) m_transfer->raiseProgress();
}

void TR4860F::storePosition() {
    m_ctx.settings.MainLeft = x();
    m_ctx.settings.MainTop = y();
}

QPoint TR4860F::mainTopLeft() const { return {m_ctx.settings.MainLeft, m_ctx.settings.MainTop}; }

bool TR4860F::transferRunning() const { return m_transfer->running(); }

bool TR4860F::logSaving() const { return m_diagram->logSaving(); }

void TR4860F::setDiagramClock(std::function<std::int64_t()> elapsedMs) { m_diagram->setClock(std::move(elapsedMs)); }

}  // namespace r4860::mainwindow
