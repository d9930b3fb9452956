// The main window: it owns the parts (the configuration panel, the live panel, the diagram, the
// status line), builds the menus and toolbar from the action table, runs the commands and the
// polling tick and wires the parts together. Every rule it applies comes from the workflow layer,
// every file and transfer from the core, and the line only through workflow::Transducer.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "mainwindow/action_table.h"
#include "mainwindow/dialog_hooks.h"
#include "mainwindow/file_chooser.h"
#include "mainwindow/timer_pause.h"
#include "model/models.h"
#include "qtbridge/message_service.h"
#include "workflow/app_context.h"
#include "workflow/config_commands.h"
#include "workflow/history_review.h"
#include "workflow/panel_rules.h"
#include "workflow/transducer.h"

class QPrinter;
class QTimer;
class QToolBar;
class QVBoxLayout;

namespace r4860::qtbridge {
class CommandRunner;
class FrameNotifier;
}

namespace r4860::mainwindow {

class ConfigPanel;
class DiagramView;
class EditShortcuts;
class LivePanel;
class StatusLine;
class WindowTransfer;
class WindowHistory;
class HistoryWindow;
class SeriesRun;

class TR4860F : public QMainWindow {
    Q_OBJECT
public:
    TR4860F(workflow::AppContext& context, qtbridge::MessageService& messages, FileChooser& files,
            QWidget* parent = nullptr);
    ~TR4860F() override;

    // Start-up after the splash: texts, the empty configuration, the stored port, Timer1.
    // `startLink` opens the stored port, on a thread of its own while the window comes up (the
    // port settles for a while after it is set up); false: the failure is reported
    // (DialogHooks::portFailed) and the port dialog opens.
    void init(std::function<bool()> startLink);
    void setDialogHooks(DialogHooks hooks) { m_dialogs = std::move(hooks); }
    // The transducer on the line, for the dialogs this window opens.
    [[nodiscard]] workflow::Transducer& transducer() { return m_transducer; }

    // Operations of the design, public so the tests drive them as the menus do.
    void odnowa();
    void ShowCaption();
    void StatBarTxt(const QString& text);
    void FormLang();
    void CheckDevice();
    // After the options dialog's OK: the untitled name follows the language.
    void languageChanged(bool wasUntitled);

    [[nodiscard]] const QString& parFileName() const { return m_parFileName; }
    [[nodiscard]] const workflow::PanelState& panelState() const { return m_panel; }
    [[nodiscard]] QTimer* timer1() const { return m_timer1; }
    [[nodiscard]] bool transferRunning() const;
    [[nodiscard]] bool diagramShown() const { return m_diagramShown; }
    [[nodiscard]] bool logSaving() const;
    // The programming history every transfer is recorded into (opened on first use).
    [[nodiscard]] WindowHistory& history() { return *m_history; }
    // A recorded configuration on the panel as an untitled one, as File > Open would put it.
    void openRecordedConfiguration(const model::ConfigRecord& record);
    // Puts the connected transducer back to what it held before the recorded write: it is read,
    // its serial number checked, and the earlier image written by the normal write, recorded.
    void restoreRecord(const files::HistoryRecord& record);
    // The diagram's clock, so that tests make time pass without waiting.
    void setDiagramClock(std::function<std::int64_t()> elapsedMs);
    // The series being programmed, null when none runs.
    [[nodiscard]] const SeriesRun* series() const { return m_series; }

public slots:
    void Timer1Timer();
    void Nowy1Click();
    void Otworz1Click();
    // The file the command line names: opened once the port has been tried, as File > Open would.
    void openAtStart(const QString& file);
    void Zachowaj1Click();
    void Zapiszjako1Click();
    void Drukuj1Click();
    void PrintSetup1Click();
    void Podglad1Click();
    void EksportPdf1Click();
    void Exit1Click();
    void OdczytajTClick();
    void Odswierz1Click() { OdczytajTClick(); }
    void ZapiszTClick();
    void Weryfikuj1Click();
    void Reset1Click();
    void Regulacja1Click();
    void Blokada1Click();
    void Autoread1Click();
    // Configuration > Program each new transducer: starts or ends series programming.
    void Seria1Click();
    void MonOnly1Click();
    void Symulacja1Click();
    void Wykres1Click();
    void SenSelClick();
    void Ogolne1Click();
    void Komunikacja1Click();
    void DaneTech1Click();
    void Wersja1Click();
    void Info1Click();
    void Status1Click();
    void Pasek1Click();
    // View > History.
    void Historia1Click();

signals:
    // A Read ended (ok or not); tests wait for it.
    void readFinished(bool ok);
    // Any transfer ended, after its outcome was shown.
    void transferFinished(bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void linkOpened(bool linked);
    void buildParts();
    void wireParts();
    void runAction(const ActionSpec& spec, QToolButton* button);
    // Check marks and the diagram button's mark follow the window's own state, whatever a click
    // on them did to them first.
    void syncChecks();
    void applyEnabling();
    void applyFixedSize();
    void showPort();

    // Commands and their outcomes.
    void readTransducer(const std::function<void(bool)>& then);
    bool readDone(const protocol::TransferResult& result, const std::function<void(bool)>& then);
    // Starts a transfer behind the progress window (see WindowTransfer::start).
    bool transfer(protocol::TransferRequest request, std::function<bool(const protocol::TransferResult&)> finish);
    void showOutcome(const workflow::Outcome& outcome);
    void startWrite(workflow::WriteKind kind);
    void runWrite(workflow::WriteKind kind, const protocol::TransferRequest& request,
                  const std::optional<model::ConfigImage>& before);
    void Zapisane(bool complete);
    // The history's records of the transfers (main_window_history.cpp).
    void recordRead(const workflow::Outcome& outcome);
    void recordWrite(workflow::WriteKind kind, const workflow::Outcome& outcome, bool sent,
                     const std::optional<model::ConfigImage>& before);
    void recordVerify(const workflow::VerifyOutcome& outcome, const std::optional<model::ConfigImage>& identity);
    void historyFailed(const QString& text, bool newReason);
    void runRestore(const std::shared_ptr<workflow::RestorePlan>& plan, const model::ConfigImage& current);
    void recordRestore(const workflow::RestorePlan& plan, const workflow::Outcome& outcome, bool sent,
                       const model::ConfigImage& current, const model::ConfigImage& image);
    void CheckAutoRead();
    bool TypSelect();
    void EnDisMenu(bool on);
    void panelShown(bool incomplete);
    void diagramReadWanted();
    void setMonitorOnly(bool on);
    // The diagnostics or the corrections window, modally, with this window's polling stopped.
    void openServiceWindow(bool diagnostics);
    // The simulation on a prepared copy of the configuration.
    void openSimulation();
    // A transducer a stopped tool left in service mode or with its output forced: the operator is
    // asked once while it stays connected whether to let go of it.
    void offerToLeaveServiceMode();
    void startSeries();
    void seriesEnded();

    // While a transfer runs no other command may start: an asterisk beep instead.
    bool busy();
    void storePosition();
    [[nodiscard]] QPoint mainTopLeft() const;
    [[nodiscard]] bool untitled() const;
    bool saveTo(const QString& file);
    void openParFile(const QString& file);
    [[nodiscard]] QString parFilter() const;
    // The report of the configuration shown, and where it goes when there is no printer.
    [[nodiscard]] std::vector<std::string> reportLines() const;
    [[nodiscard]] bool printerInstalled() const;
    void exportReport(const std::vector<std::string>& lines);
    [[nodiscard]] workflow::LineState lineState() const;
    [[nodiscard]] TimerPause pause() { return TimerPause(*m_timer1, m_ctx.state); }
    [[nodiscard]] bool autoReadOn() const { return m_autoReadChecked && !m_panel.MonitorOnly; }

    workflow::AppContext& m_ctx;
    workflow::Transducer m_transducer;
    QTimer* m_timer1;
    PausingMessages m_messages;
    FileChooser& m_files;
    qtbridge::QtUiHooks m_ui;
    DialogHooks m_dialogs;
    workflow::PanelState m_panel;
    std::vector<model::ModelListRow> m_modelList = model::DefaultModelList();
    QString m_parFileName;
    QString m_startFile;
    workflow::MeasurementSample m_sample;
    bool m_autoReadChecked = false;  // the menu's check mark; automatic read runs unless Monitor only
    bool m_diagramShown = false;
    bool m_autoReadIcon = false;
    QToolButton* m_pressedButton = nullptr;  // the button whose command runs now
    int m_startHeight = 0;           // the window's height at start-up, which Monitor only returns to

    MainActions m_actions;
    QToolBar* m_toolBar = nullptr;
    QVBoxLayout* m_central = nullptr;
    ConfigPanel* m_config = nullptr;
    DiagramView* m_diagram = nullptr;
    LivePanel* m_live = nullptr;
    std::unique_ptr<StatusLine> m_status;
    WindowTransfer* m_transfer = nullptr;
    std::unique_ptr<WindowHistory> m_history;
    HistoryWindow* m_historyWindow = nullptr;
    EditShortcuts* m_shortcuts = nullptr;
    qtbridge::FrameNotifier* m_frames = nullptr;
    qtbridge::CommandRunner* m_leaveService = nullptr;
    bool m_serviceOffered = false;  // for the transducer connected now
    SeriesRun* m_series = nullptr;
    std::thread m_opening;  // the start-up opening of the port
    std::unique_ptr<QPrinter> m_printer;  // lives with the window: Print setup's page is kept for the next job
};

}  // namespace r4860::mainwindow
