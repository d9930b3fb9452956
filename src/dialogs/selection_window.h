// What the four sensor selection windows share: the record they edit, how a conversion
// sub-window is opened for them, and the buttons every one of them carries.
#pragma once

#include <QDialog>
#include <QPoint>
#include <cstdint>
#include <functional>

#include "model/config_record.h"
#include "workflow/selection_command.h"
#include "workflow/sensor_selection.h"

class QAbstractButton;
class QBoxLayout;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;

namespace r4860::qtbridge {
class MessageService;
}

namespace r4860::dialogs {

// Opens the linear, power-series or table window for the input whose code the selection window
// has just stored in TableInputType; true when it closed with OK.
using ConversionRunner = std::function<bool(QWidget* parent, workflow::Conversion conversion)>;

struct SelectionEnv {
    model::ConfigRecord& record;
    qtbridge::MessageService& messages;
    QPoint mainTopLeft;
    int modelCode = 0;
    ConversionRunner conversion;
};

// The base of TWybor, TWyborRV, TWyborI and TWyborIV: remembers the record at creation, and
// closes with OK, Cancel or "More" (the hand-over between TWybor and TWyborRV).
class SelectionDialog : public QDialog {
    Q_OBJECT
public:
    [[nodiscard]] workflow::DialogResult result() const noexcept { return m_result; }
    // Runs the window modally and says how it was closed.
    workflow::DialogResult run();

protected:
    SelectionDialog(SelectionEnv env, const char* objectName, QWidget* parent);
    // OK, Cancel and, when `withMore`, the small "More" button, right-aligned under the content.
    QBoxLayout* buttonRow(bool withMore);
    void finish(workflow::DialogResult result);
    // The record's changes when OK is pressed; the window closes with OK after it.
    virtual void applyOk() = 0;
    // Stores the input code in TableInputType and runs the sub-window; ignored (false) while the
    // window still sets itself up.
    bool runConversion(workflow::Conversion conversion, std::uint8_t inputCode);
    void placeAndFix();

    SelectionEnv m_env;
    workflow::SelectionOpening m_opening;
    bool m_settingUp = true;

private:
    workflow::DialogResult m_result = workflow::DialogResult::Cancel;
};

// A radio button or check box with an object name, added to `layout` (and `group` when given).
QAbstractButton* AddRadio(QBoxLayout* layout, QButtonGroup* group, const char* name, const QString& text, int id);
QAbstractButton* AddCheck(QBoxLayout* layout, const char* name, const QString& text);
QGroupBox* NamedGroup(const char* name, const QString& title, QWidget* parent);
QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent);
// The span labels beside a selected conversion: caption and value, hidden without a conversion.
struct SpanLabels {
    QLabel* maxRange = nullptr;
    QLabel* inputCaption = nullptr;
    QLabel* input = nullptr;
    QLabel* resultCaption = nullptr;
    QLabel* result = nullptr;
    void show(const model::ConfigRecord& rec, int inputCode, bool converted) const;
};
// "Maximum range:" with its value (`maxRangeName`: RInfoT or VInfoT), "Input:" and "Result:" with
// theirs (InputIT, ResultIT), in a grid on one tab.
SpanLabels AddSpanLabels(QBoxLayout* layout, QWidget* parent, const char* maxRangeName);

}  // namespace r4860::dialogs
