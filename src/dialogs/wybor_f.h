// The sensor choice for the temperature models: resistance thermometers and thermocouples, with
// "More" handing over to the signal inputs (TWyborRV).
#pragma once

#include "dialogs/selection_window.h"

class QButtonGroup;
class QTabWidget;

namespace r4860::dialogs {

class TWybor : public SelectionDialog {
    Q_OBJECT
public:
    // `roomT` asks for the external cold-junction temperature (TRoomF) when the choice needs it.
    TWybor(SelectionEnv env, std::function<void(QWidget* caller)> roomT, QWidget* parent = nullptr);

private:
    QWidget* buildRtdTab();
    QWidget* buildThermocoupleTab();
    void showChoice(const workflow::WyborView& view);
    [[nodiscard]] workflow::WyborChoice choice() const;
    void applyOk() override;

    std::function<void(QWidget*)> m_roomT;
    QTabWidget* m_tabs = nullptr;
    QButtonGroup* m_rtd = nullptr;
    QButtonGroup* m_nominal = nullptr;
    QButtonGroup* m_wires = nullptr;
    QButtonGroup* m_thermocouple = nullptr;
    QAbstractButton* m_rLin = nullptr;
    QAbstractButton* m_tempDiff = nullptr;
    QAbstractButton* m_cjc = nullptr;
    QAbstractButton* m_thLin = nullptr;
    int m_lastThermocouple = 6;
};

}  // namespace r4860::dialogs
