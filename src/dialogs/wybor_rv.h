// The signal inputs of the temperature models: millivolts ("Voltage") and ohms ("Resistance"),
// each with an optional linear or power-series conversion; "More" hands back to TWybor.
#pragma once

#include "dialogs/selection_window.h"

class QButtonGroup;
class QTabWidget;

namespace r4860::dialogs {

class TWyborRV : public SelectionDialog {
    Q_OBJECT
public:
    explicit TWyborRV(SelectionEnv env, QWidget* parent = nullptr);

private:
    struct Tab {
        QAbstractButton* linear = nullptr;  // RLina / VLina
        QAbstractButton* series = nullptr;  // RLin / VLin
        SpanLabels spans;
        std::uint8_t inputCode = 0;
    };
    QWidget* buildTab(Tab& tab, bool resistance);
    void conversionClicked(Tab& tab, QAbstractButton* box, workflow::Conversion conversion);
    void showSpans();
    [[nodiscard]] workflow::WyborRVChoice choice() const;
    void applyOk() override;

    QTabWidget* m_tabs = nullptr;
    QButtonGroup* m_wires = nullptr;
    Tab m_voltage, m_resistance;
};

}  // namespace r4860::dialogs
