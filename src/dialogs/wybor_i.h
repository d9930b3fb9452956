// The current input (TWyborI, model 20) and the volt-or-current input (TWyborIV, model 39): a
// single or double input and a conversion chosen with radio buttons, which fall back to "none"
// when the conversion's own window is not confirmed.
#pragma once

#include "dialogs/selection_window.h"

class QButtonGroup;
class QTabWidget;

namespace r4860::dialogs {

// One input's page: its conversion buttons (ids are workflow::Conversion values) and span labels.
struct SignalPage {
    QWidget* page = nullptr;
    QButtonGroup* conversion = nullptr;
    QButtonGroup* inputs = nullptr;  // W2 single, W3 double (current only)
    SpanLabels spans;
    std::uint8_t inputCode = 0;
    [[nodiscard]] workflow::Conversion chosen() const;
    void choose(workflow::Conversion c) const;
};

class TWyborI : public SelectionDialog {
    Q_OBJECT
public:
    explicit TWyborI(SelectionEnv env, QWidget* parent = nullptr);

private:
    void applyOk() override;
    SignalPage m_current;
};

class TWyborIV : public SelectionDialog {
    Q_OBJECT
public:
    explicit TWyborIV(SelectionEnv env, QWidget* parent = nullptr);

private:
    void applyOk() override;
    QTabWidget* m_tabs = nullptr;
    SignalPage m_volt, m_current;
};

}  // namespace r4860::dialogs
