// The main window: the configuration panel, the live panel, the menus and toolbar, the polling
// tick and the file commands. It owns widgets and the main-window flags; every rule it applies
// comes from the workflow layer, every file and transfer from the core.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "files/log_file.h"
#include "model/models.h"
#include "qtbridge/message_service.h"
#include "qtbridge/transfer_runner.h"
#include "workflow/app_context.h"
#include "workflow/config_commands.h"
#include "workflow/panel_rules.h"
#include "workflow/password.h"
#include "workflow/transducer.h"

class QAction;
class QCheckBox;
class QRadioButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolBar;
class QToolButton;

namespace r4860::qtbridge {
class FrameNotifier;
}
namespace r4860::dialogs {
class TWiadomosc;
}
namespace r4860::charts {
class TXYChart;
}

namespace r4860::mainwindow {

class UpDown;

// The operator's file choices; tests script them so that no modal file dialog ever opens.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen file, or empty when the operator cancelled.
    virtual QString openFile(QWidget* parent, const QString& dir, const QString& filter) = 0;
    virtual QString saveFile(QWidget* parent, const QString& proposed, const QString& filter) = 0;
};

// The dialogs the window opens modally, so a test can replace them with scripted answers.
struct DialogHooks {
    // TTransdF: may change the model name; true on OK.
    std::function<bool(QWidget* parent, std::string& device)> chooseType;
    // TOgolneF: true on OK.
    std::function<bool(QWidget* parent)> options;
    // TPortS: runs the port dialog.
    std::function<void(QWidget* parent)> portDialog;
    // The password prompt: Refused when cancelled.
    std::function<workflow::PasswordKind(QWidget* parent)> password;
    // TProgwerF and TInfoF.
    std::function<void(QWidget* parent)> version;
    std::function<void(QWidget* parent)> info;
};

class TR4860F : public QMainWindow {
    Q_OBJECT
public:
    TR4860F(workflow::AppContext& context, qtbridge::MessageService& messages, FileChooser& files,
            QWidget* parent = nullptr);
    ~TR4860F() override;

    // Start-up after the splash: texts, the empty configuration, the stored port, Timer1.
    // `startLink` opens the stored port and reports its own failure; false opens the port dialog.
    void init(const std::function<bool()>& startLink);
    void setDialogHooks(DialogHooks hooks) { m_dialogs = std::move(hooks); }
    // The transducer on the line, for the dialogs this window opens.
    [[nodiscard]] workflow::Transducer& transducer() { return m_transducer; }

    // Operations of the design, public so the tests drive them as the menus do.
    void odnowa();
    void pokaz(workflow::Kolory state);
    void kolory(workflow::Kolory state);
    void ShowCaption();
    void StatBarTxt(const QString& text);
    void FormLang();
    bool CheckParam(bool checkUserData, bool silent);
    bool nietypo();
    void CheckDevice();
    // After the options dialog's OK: the untitled name follows the language.
    void languageChanged(bool wasUntitled);

    [[nodiscard]] const QString& parFileName() const { return m_parFileName; }
    [[nodiscard]] const workflow::PanelState& panelState() const { return m_panel; }
    [[nodiscard]] QTimer* timer1() const { return m_timer1; }
    [[nodiscard]] bool transferRunning() const { return m_transfer.running(); }
    [[nodiscard]] bool diagramShown() const { return m_diagramShown; }
    [[nodiscard]] bool logSaving() const { return m_logSaving; }
    // The diagram's clock, so that tests make time pass without waiting.
    void setDiagramClock(std::function<std::int64_t()> elapsedMs) { m_diagramElapsedMs = std::move(elapsedMs); }

public slots:
    void Timer1Timer();
    void Nowy1Click();
    void Otworz1Click();
    void Zachowaj1Click();
    void Zapiszjako1Click();
    void Drukuj1Click();
    void PrintSetup1Click();
    void Exit1Click();
    void OdczytajTClick();
    void Odswierz1Click() { OdczytajTClick(); }
    void ZapiszTClick();
    void Weryfikuj1Click();
    void Reset1Click();
    void Regulacja1Click();
    void Blokada1Click();
    void Autoread1Click();
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

signals:
    // A Read ended (ok or not); tests wait for it.
    void readFinished(bool ok);
    // Any transfer ended, after its outcome was shown.
    void transferFinished(bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TimerPause;
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void buildPanel(QWidget* central);
    void buildParameterGroup(QWidget* group);
    void buildInfoAndLive(QWidget* central);
    void connectEdits();
    QAction* menuItem(QMenu* menu, const char* name, const std::function<void()>& handler,
                      const QKeySequence& shortcut = {});
    QToolButton* toolButton(const char* name, int icon, const std::function<void()>& handler);

    // The configuration panel.
    void ReakcjaField();
    void showPanelMessages(const std::vector<workflow::PanelMessage>& messages, QLineEdit* edit);
    // Leaving an edit: the rule's value into the record, its text into the edit, its messages.
    template <class T>
    void runExit(QLineEdit* edit, T& field,
                 workflow::EditResult<T> (*rule)(std::string_view, const model::ConfigRecord&));
    void MinInputEExit();
    void MaxInputEExit();
    void FiltrZakresEExit();
    void FiltrCzasEExit();
    void FiltrLimitEExit();
    void FiltrLimitUpDownClick(bool up);
    void FiltrLimitEChange(const QString& text);
    void FiltrDobierzClick();
    void BurnoutEChange(int index);
    void SiecEChange(int index);
    void KodEChange(const QString& text);
    void OgolneEChange(const QString& text);
    void markAqua(QWidget* widget);
    bool TypSelect();
    bool completeFromTable();
    void setPanelEnabled(bool enabled);

    // The live side.
    void showres(const workflow::MeasurementSample& sample);
    void showout(const workflow::MeasurementSample& sample);
    void blankLive();
    void noContactLive();
    void applyEnabling();
    void CheckAutoRead();
    void readTransducer(const std::function<void(bool)>& then);
    // The background transfer with its progress window: false when it could not start.
    using TransferFinish = std::function<bool(const protocol::TransferResult&)>;
    bool showiad(protocol::TransferRequest request, TransferFinish finish);
    void onTransferFinished(const protocol::TransferResult& result);
    void showOutcome(const workflow::Outcome& outcome);
    void startWrite(workflow::WriteKind kind);
    void writeIdTagOnly();
    void Zapisane(bool complete);
    void EnDisMenu(bool on);

    // The diagram.
    void buildDiagram(QWidget* central);
    void layoutDiagram();
    void WykresPlot(double result, double output);
    void WykresStartBClick();
    void WykresClearBClick();
    void setChartType(int type);
    void StopScalingCBClick();
    void ShowFilterCBClick();
    void WykresIntEChange();
    void SavingIDblClick();
    void keepResults();
    bool XYChart1NeedLinesY(int line, double& value, QColor& colour);
    [[nodiscard]] std::int64_t diagramMs() const;
    [[nodiscard]] workflow::LineState lineState() const;

    // While a transfer runs no other command may start: an asterisk beep instead.
    bool busy();
    void storePosition();
    [[nodiscard]] QPoint mainTopLeft() const;
    [[nodiscard]] bool untitled() const;
    bool saveTo(const QString& file);
    [[nodiscard]] QString parFilter() const;

    static constexpr int kTloTop = 288;  // the live panel's place below the configuration

    workflow::AppContext& m_ctx;
    workflow::Transducer m_transducer;
    qtbridge::MessageService& m_messages;
    FileChooser& m_files;
    qtbridge::QtUiHooks m_ui;
    DialogHooks m_dialogs;
    workflow::PanelState m_panel;
    std::vector<model::ModelListRow> m_modelList = model::DefaultModelList();
    QString m_parFileName;
    QString m_logFileName;
    QString m_statusBeforeCommand;
    workflow::MeasurementSample m_sample;
    qtbridge::TransferRunner m_transfer;
    TransferFinish m_transferFinish;
    dialogs::TWiadomosc* m_wiadomosc = nullptr;
    bool m_autoReadOn = false;
    int m_startHeight = 0;  // the window's height at start-up, which Monitor only returns to

    bool m_diagramShown = false;
    bool m_logSaving = false;
    bool m_pointPending = false;
    QColor m_pointColour;
    // Elapsed time runs on a monotonic clock: a clock change must not bend the plot or the log.
    QElapsedTimer m_chartClock;
    std::function<std::int64_t()> m_diagramElapsedMs;
    files::DiagramStart m_chartStart;  // wall-clock start, only for the log's header
    QWidget* m_wykresP1 = nullptr;
    QWidget* m_wykresP2 = nullptr;
    charts::TXYChart* m_chart = nullptr;
    QLabel* m_newAvLed = nullptr;
    QLabel* m_largeErLed = nullptr;
    QLabel* m_wykresTime = nullptr;
    QLabel* m_savingI = nullptr;
    QCheckBox* m_showFilter = nullptr;
    QCheckBox* m_stopScaling = nullptr;
    QRadioButton* m_chartTypeButtons[3] = {};
    QLineEdit* m_wykresInt = nullptr;
    UpDown* m_wykresIntUd = nullptr;
    QPushButton* m_wykresStart = nullptr;
    bool m_inEditExit = false;

    QTimer* m_timer1 = nullptr;
    qtbridge::FrameNotifier* m_frames = nullptr;
    QToolBar* m_toolBar = nullptr;
    std::map<QString, QAction*> m_actions;       // menu items by component name
    std::map<QString, QMenu*> m_menus;
    std::map<QString, QToolButton*> m_buttons;   // toolbar buttons by component name
    QLabel* m_status[5] = {};
    QProgressBar* m_progress = nullptr;

    QGroupBox* m_senTypeG = nullptr;
    QLabel* m_senTypeText = nullptr;
    QPushButton* m_senSel = nullptr;
    QGroupBox* m_parametryG = nullptr;
    QLabel* m_jednostki = nullptr;
    QLineEdit* m_minInput = nullptr;
    QLineEdit* m_maxInput = nullptr;
    QLabel* m_absMin = nullptr;
    QLabel* m_absMax = nullptr;
    QLineEdit* m_filtrZakres = nullptr;
    QLineEdit* m_filtrCzas = nullptr;
    QLineEdit* m_filtrLimit = nullptr;
    UpDown* m_filtrLimitUpDown = nullptr;
    QPushButton* m_filtrDobierz = nullptr;
    QLabel* m_reakcja = nullptr;
    QComboBox* m_burnout = nullptr;
    QComboBox* m_siec = nullptr;
    QLabel* m_regulZ = nullptr;
    QLabel* m_regulG = nullptr;
    QGroupBox* m_info = nullptr;
    QLineEdit* m_kod = nullptr;
    QLabel* m_serialTxt = nullptr;
    QLabel* m_serial = nullptr;
    QLabel* m_dataTxt = nullptr;
    QLabel* m_data = nullptr;
    QLineEdit* m_ogolne = nullptr;
    QLabel* m_wynik = nullptr;
    QLabel* m_output = nullptr;
    std::map<QString, QLabel*> m_captions;       // labels whose text FormLang sets, by name
};

// Stops Timer1 for the length of a command or modal dialog and starts it again on every way
// out, so that no tick re-enters a command and no early return leaves the polling dead.
class TimerPause {
public:
    explicit TimerPause(TR4860F& window);
    ~TimerPause();
    TimerPause(const TimerPause&) = delete;
    TimerPause& operator=(const TimerPause&) = delete;

private:
    QTimer* m_timer;
    const bool& m_transferOn;
    bool m_wasActive;
};

}  // namespace r4860::mainwindow
