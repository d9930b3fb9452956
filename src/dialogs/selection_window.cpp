#include "dialogs/selection_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "common/date_text.h"
#include "qtbridge/decorations.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"

namespace r4860::dialogs {
namespace {

const QPoint kOffset(38, 44);

}  // namespace

using qtbridge::ToQString;
using qtbridge::Tr;

SelectionDialog::SelectionDialog(SelectionEnv env, const char* objectName, QWidget* parent)
    : QDialog(parent, qtbridge::DialogFlags()), m_env(std::move(env)),
      m_opening(workflow::OpenSelectionWindow(m_env.record)) {
    setObjectName(QString::fromLatin1(objectName));
}

workflow::DialogResult SelectionDialog::run() {
    m_result = workflow::DialogResult::Cancel;
    exec();
    return m_result;
}

QBoxLayout* SelectionDialog::buttonRow(bool withMore) {
    auto* row = new QHBoxLayout;
    if (withMore) {
        auto* more = new QPushButton(QStringLiteral("..."), this);
        more->setObjectName(QStringLiteral("MoreB"));
        more->setToolTip(Tr("More") + QStringLiteral("..."));
        more->setFixedWidth(more->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
        connect(more, &QPushButton::clicked, this, [this] { finish(workflow::DialogResult::More); });
        row->addWidget(more);
    }
    row->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButt"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(Tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButt"));
    connect(ok, &QPushButton::clicked, this, [this] {
        applyOk();
        finish(workflow::DialogResult::Ok);
    });
    connect(cancel, &QPushButton::clicked, this, [this] { finish(workflow::DialogResult::Cancel); });
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

void SelectionDialog::finish(workflow::DialogResult result) {
    m_result = result;
    if (result == workflow::DialogResult::Cancel) reject();
    else accept();
}

bool SelectionDialog::runConversion(workflow::Conversion conversion, std::uint8_t inputCode) {
    if (m_settingUp || !m_env.conversion) return false;
    workflow::PrepareConversionWindow(m_env.record, inputCode);
    return m_env.conversion(this, conversion);
}

void SelectionDialog::placeAndFix() {
    setFixedSize(sizeHint());
    qtbridge::PlaceDialog(*this, m_env.mainTopLeft, kOffset);
    m_settingUp = false;
}

QAbstractButton* AddRadio(QBoxLayout* layout, QButtonGroup* group, const char* name, const QString& text, int id) {
    auto* button = new QRadioButton(text);
    button->setObjectName(QString::fromLatin1(name));
    layout->addWidget(button);
    if (group != nullptr) group->addButton(button, id);
    return button;
}

QAbstractButton* AddCheck(QBoxLayout* layout, const char* name, const QString& text) {
    auto* box = new QCheckBox(text);
    box->setObjectName(QString::fromLatin1(name));
    layout->addWidget(box);
    return box;
}

QGroupBox* NamedGroup(const char* name, const QString& title, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(QString::fromLatin1(name));
    return group;
}

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

void SpanLabels::show(const model::ConfigRecord& rec, int inputCode, bool converted) const {
    maxRange->setText(ToQString(workflow::MaxRangeText(rec, inputCode)));
    input->setText(converted ? ToQString(workflow::InputSpanText(rec, inputCode)) : QString());
    result->setText(converted ? ToQString(workflow::ResultSpanText(rec)) : QString());
    for (QLabel* label : {inputCaption, input, resultCaption, result}) label->setVisible(converted);
}

SpanLabels AddSpanLabels(QBoxLayout* layout, QWidget* parent, const char* maxRangeName) {
    auto* grid = new QGridLayout;
    SpanLabels labels;
    grid->addWidget(NamedLabel("MaxRangeT", ToQString(workflow::MaxRangeCaption()), parent), 0, 0);
    labels.maxRange = NamedLabel(maxRangeName, QString(), parent);
    grid->addWidget(labels.maxRange, 0, 1);
    labels.inputCaption = NamedLabel("InputT", ToQString(workflow::InputCaption()), parent);
    labels.input = NamedLabel("InputIT", QString(), parent);
    labels.resultCaption = NamedLabel("ResultT", ToQString(workflow::ResultCaption()), parent);
    labels.result = NamedLabel("ResultIT", QString(), parent);
    grid->addWidget(labels.inputCaption, 1, 0);
    grid->addWidget(labels.input, 1, 1);
    grid->addWidget(labels.resultCaption, 2, 0);
    grid->addWidget(labels.result, 2, 1);
    grid->setColumnStretch(1, 1);
    // Room for the widest value, so that the window does not grow when a conversion is chosen.
    labels.result->setMinimumWidth(labels.result->fontMetrics().horizontalAdvance(QStringLiteral("-1999.9...10000 Ohm")));
    layout->addLayout(grid);
    return labels;
}

}  // namespace r4860::dialogs
