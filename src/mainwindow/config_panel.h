// The configuration panel in the middle of the main window: the sensor group, the parameter group
// and the information group. It shows the configuration record, validates each edit when it is
// left or Enter is pressed, colours what is changed and not yet written, and completes missing
// user data from a table file or the power series. Nothing here talks to the transducer.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "workflow/app_context.h"
#include "workflow/panel_rules.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace r4860::qtbridge {
class MessageService;
}

namespace r4860::mainwindow {

class UpDown;

class ConfigPanel : public QWidget {
    Q_OBJECT
public:
    // The parameter file the configuration came from (empty while untitled): its table is looked
    // for beside it first.
    using ParFile = std::function<std::filesystem::path()>;
    // `messages` pauses the window's polling around each box (see timer_pause.h).
    ConfigPanel(workflow::AppContext& context, workflow::PanelState& panel, qtbridge::MessageService& messages,
                ParFile parFile, QWidget* parent = nullptr);

    // The design's operations of the panel.
    void pokaz(workflow::Kolory state);
    // The panel's part of the empty state: the record has been reset by the window already.
    void odnowa();
    void kolory(workflow::Kolory state);
    void ReakcjaField();
    bool CheckParam(bool checkUserData, bool silent);
    bool nietypo();

    // FormLang's share: captions, hints and the combo boxes' items.
    void translate();
    // After a write stamped the date; after the corrections window changed the corrections.
    void showDate();
    void showCorrections();
    // Lock Iout was switched off: the reaction is shown again, marked as changed.
    void burnoutUnlocked();
    void focusSenSel();
    // The edits whose Ctrl+Z and Ctrl+C the window shares with its menu (edit_shortcuts.h).
    [[nodiscard]] std::vector<QLineEdit*> edits() const;

signals:
    // The sensor group's Select button.
    void senSelClicked();
    // pokaz has shown the record: the window's caption, Lock Iout and status text follow.
    void shown(bool incomplete);

private:
    void buildSensorGroup();
    void buildParameterGroup();
    QWidget* buildRangeColumn();
    QWidget* buildFilterColumn();
    void buildInfoGroup();
    void connectEdits();
    void setEditsEnabled(bool complete);
    void showMessages(const std::vector<workflow::PanelMessage>& messages, QLineEdit* edit);
    template <class T>
    void runExit(QLineEdit* edit, T& field,
                 workflow::EditResult<T> (*rule)(std::string_view, const model::ConfigRecord&));
    void showOutcome(const workflow::Outcome& outcome);
    void markAqua(QWidget* widget);

    // Edit handlers of the design.
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

    workflow::AppContext& m_ctx;
    workflow::PanelState& m_panel;
    qtbridge::MessageService& m_messages;
    ParFile m_parFile;
    bool m_inEditExit = false;

    QGroupBox* m_senTypeG = nullptr;
    QLabel* m_senTypeText = nullptr;
    QPushButton* m_senSel = nullptr;
    QGroupBox* m_parametryG = nullptr;
    QLabel* m_jednostkiTxt = nullptr;
    QLabel* m_jednostki = nullptr;
    QLabel* m_minimum = nullptr;
    QLineEdit* m_minInput = nullptr;
    QLabel* m_absMin = nullptr;
    QLabel* m_maksimum = nullptr;
    QLineEdit* m_maxInput = nullptr;
    QLabel* m_absMax = nullptr;
    QLabel* m_reakcja = nullptr;
    QComboBox* m_burnout = nullptr;
    QLabel* m_siecTxt = nullptr;
    QComboBox* m_siec = nullptr;
    QLabel* m_filtry = nullptr;
    QLabel* m_filtrZakresTxt = nullptr;
    QLineEdit* m_filtrZakres = nullptr;
    QLabel* m_filtrCzasTxt = nullptr;
    QLineEdit* m_filtrCzas = nullptr;
    QLabel* m_filtrLimitTxt = nullptr;
    QLineEdit* m_filtrLimit = nullptr;
    UpDown* m_filtrLimitUpDown = nullptr;
    QPushButton* m_filtrDobierz = nullptr;
    QLabel* m_regulT = nullptr;
    QLabel* m_regulZT = nullptr;
    QLabel* m_regulZ = nullptr;
    QLabel* m_regulGT = nullptr;
    QLabel* m_regulG = nullptr;
    QGroupBox* m_info = nullptr;
    QLabel* m_kodTxt = nullptr;
    QLineEdit* m_kod = nullptr;
    QLabel* m_ogolneTxt = nullptr;
    QLineEdit* m_ogolne = nullptr;
    QLabel* m_serialTxt = nullptr;
    QLabel* m_serial = nullptr;
    QLabel* m_dataTxt = nullptr;
    QLabel* m_data = nullptr;
};

}  // namespace r4860::mainwindow
