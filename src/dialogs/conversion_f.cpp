#include "dialogs/conversion_f.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/catalogues.h"
#include "qtbridge/decorations.h"
#include "qtbridge/message_service.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"
#include "workflow/sensor_selection.h"

namespace r4860::dialogs {
namespace {

const QPoint kOffset(40, 66);
constexpr std::array<const char*, 9> kLetters{"a", "b", "c", "d", "f", "g", "h", "i", "j"};

QLineEdit* NamedEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-0.0000000E-000")) + 10);
    return edit;
}

QLabel* NamedLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

using qtbridge::ToQString;
using qtbridge::ToStd;
using qtbridge::Tr;
using workflow::ConversionField;
using workflow::Limit;

ConversionDialog::ConversionDialog(model::ConfigRecord& record, qtbridge::MessageService& messages, QPoint mainTopLeft,
                                   workflow::ConversionKind kind, QWidget* parent)
    : QDialog(parent, qtbridge::DialogFlags()), m_record(record), m_messages(messages),
      m_w(workflow::OpenConversionWindow(record, kind)), m_mainTopLeft(mainTopLeft) {
    setWindowTitle(ToQString(workflow::ConversionCaption(kind)));
}

void ConversionDialog::buildCommon(bool editableResult) {
    const QString inputUnit = ToQString(workflow::InputUnitLabel(m_w.inputType));
    const QString resultUnit = ToQString(UnitName(m_w.unit));
    auto* inputG = new QGroupBox(Tr("Input"), this);
    inputG->setObjectName(QStringLiteral("InputG"));
    auto* in = new QGridLayout(inputG);
    m_inMin = NamedEdit(QStringLiteral("InMinE"), inputG);
    m_inMax = NamedEdit(QStringLiteral("InMaxE"), inputG);
    in->addWidget(new QLabel(QStringLiteral("min"), inputG), 0, 0);
    in->addWidget(m_inMin, 0, 1);
    in->addWidget(NamedLabel(QStringLiteral("InMinJ"), inputUnit, inputG), 0, 2);
    in->addWidget(new QLabel(QStringLiteral("max"), inputG), 1, 0);
    in->addWidget(m_inMax, 1, 1);
    in->addWidget(NamedLabel(QStringLiteral("InMaxJ"), inputUnit, inputG), 1, 2);

    auto* resultG = new QGroupBox(Tr("Result1").chopped(1), this);
    resultG->setObjectName(QStringLiteral("ResultG"));
    auto* res = new QGridLayout(resultG);
    QWidget* minW = nullptr;
    QWidget* maxW = nullptr;
    if (editableResult) {
        minW = m_resMin = NamedEdit(QStringLiteral("ResMinE"), resultG);
        maxW = m_resMax = NamedEdit(QStringLiteral("ResMaxE"), resultG);
    } else {
        minW = m_resMinV = NamedLabel(QStringLiteral("ResMinV"), QString(), resultG);
        maxW = m_resMaxV = NamedLabel(QStringLiteral("ResMaxV"), QString(), resultG);
        m_resMinV->setMinimumWidth(m_resMinV->fontMetrics().horizontalAdvance(QStringLiteral("-1999.9")) + 8);
    }
    m_resMinJ = NamedLabel(QStringLiteral("ResMinJ"), resultUnit, resultG);
    m_resMaxJ = NamedLabel(QStringLiteral("ResMaxJ"), resultUnit, resultG);
    m_units = new QComboBox(resultG);
    m_units->setObjectName(QStringLiteral("UnitsE"));
    for (const std::string_view name : workflow::UnitPickerNames()) m_units->addItem(ToQString(name));
    m_units->setCurrentIndex(m_w.unit);
    res->addWidget(new QLabel(QStringLiteral("min"), resultG), 0, 0);
    res->addWidget(minW, 0, 1);
    res->addWidget(m_resMinJ, 0, 2);
    res->addWidget(new QLabel(QStringLiteral("max"), resultG), 1, 0);
    res->addWidget(maxW, 1, 1);
    res->addWidget(m_resMaxJ, 1, 2);
    res->addWidget(m_units, 2, 1);
    connect(m_units, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        m_w.unit = index;
        m_resMinJ->setText(ToQString(UnitName(index)));
        m_resMaxJ->setText(m_resMinJ->text());
    });

    m_ok = new QPushButton(ToQString(workflow::OkButtonCaption(m_w)), this);
    m_ok->setObjectName(QStringLiteral("TablOKB"));
    m_ok->setDefault(true);
    m_exit = new QPushButton(Tr("Exit"), this);
    m_exit->setObjectName(QStringLiteral("TablExitB"));
    connect(m_ok, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);

    auto* groups = new QHBoxLayout;
    groups->addWidget(inputG);
    groups->addWidget(resultG);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    for (QLineEdit* limit : {m_inMin, m_inMax}) {
        connect(limit, &QLineEdit::editingFinished, this, [this, limit] {
            const Limit which = limit == m_inMin ? Limit::Min : Limit::Max;
            showEdit(limit, workflow::InputLimitExit(m_w, m_record, which, ToStd(limit->text())));
        });
    }
    if (editableResult) {
        for (QLineEdit* limit : {m_resMin, m_resMax}) {
            connect(limit, &QLineEdit::editingFinished, this, [this, limit] {
                const Limit which = limit == m_resMin ? Limit::Min : Limit::Max;
                showEdit(limit, workflow::ResultLimitExit(m_w, which, ToStd(limit->text())));
            });
        }
    }
}

void ConversionDialog::finishLayout(QWidget* middle) {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    if (middle != nullptr) layout->addWidget(middle);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_exit);
    layout->addLayout(buttons);
    fillLimits();
    m_filling = false;
    setFixedSize(sizeHint());
    qtbridge::PlaceDialog(*this, m_mainTopLeft, kOffset);
    m_inMin->setFocus();
}

void ConversionDialog::fillLimits() {
    m_inMin->setText(ToQString(workflow::InputLimitText(m_w.inMin)));
    m_inMax->setText(ToQString(workflow::InputLimitText(m_w.inMax)));
    const QString lo = ToQString(workflow::ResultLimitText(m_w.resMin));
    const QString hi = ToQString(workflow::ResultLimitText(m_w.resMax));
    if (m_resMin != nullptr) {
        m_resMin->setText(lo);
        m_resMax->setText(hi);
    } else if (m_w.tookOver || m_w.checked) {
        m_resMinV->setText(lo);
        m_resMaxV->setText(hi);
    }
}

void ConversionDialog::showEdit(QLineEdit* edit, const workflow::EditResult<double>& r) {
    const bool was = m_filling;
    m_filling = true;  // rewriting the field is not the operator's change
    edit->setText(ToQString(r.shown));
    m_filling = was;
    qtbridge::QtUiHooks ui(m_messages, this);
    for (const workflow::PanelMessage& m : r.messages) workflow::ShowOutcome(ui, m.outcome());
    if (r.focusBack()) {
        edit->setFocus();
        edit->selectAll();
    }
}

void ConversionDialog::showProblem(const workflow::ConversionProblem& p) {
    qtbridge::QtUiHooks ui(m_messages, this);
    workflow::ShowOutcome(ui, p.outcome());
    if (QLineEdit* edit = fieldOf(p.focus)) edit->setFocus();
}

QLineEdit* ConversionDialog::fieldOf(ConversionField f) const {
    switch (f) {
        case ConversionField::InMinE: return m_inMin;
        case ConversionField::InMaxE: return m_inMax;
        case ConversionField::ResMinE: return m_resMin;
        case ConversionField::ResMaxE: return m_resMax;
        case ConversionField::A0E: return m_coef[0];
    }
    return nullptr;
}

TLinaF::TLinaF(model::ConfigRecord& record, qtbridge::MessageService& messages, QPoint mainTopLeft, QWidget* parent)
    : ConversionDialog(record, messages, mainTopLeft, workflow::ConversionKind::Linear, parent) {
    setObjectName(QStringLiteral("TLinaF"));
    buildCommon(true);
    finishLayout(nullptr);
}

void TLinaF::okClicked() {
    if (const auto problem = workflow::LinearOk(m_w, m_record)) {
        showProblem(*problem);
        return;
    }
    accept();
}

TPowerF::TPowerF(model::ConfigRecord& record, qtbridge::MessageService& messages, QPoint mainTopLeft, QWidget* parent)
    : ConversionDialog(record, messages, mainTopLeft, workflow::ConversionKind::PowerSeries, parent) {
    setObjectName(QStringLiteral("TPowerF"));
    buildCommon(false);
    finishLayout(buildCoefficients());
    for (QLineEdit* edit : {m_inMin, m_inMax})
        connect(edit, &QLineEdit::textChanged, this, &TPowerF::fieldChanged);
}

QWidget* TPowerF::buildCoefficients() {
    auto* box = new QGroupBox(QStringLiteral("y = a + bx + cx² + dx³ + fx⁴ + gx⁵ + hx⁶ + ix⁷ + jx⁸"), this);
    box->setObjectName(QStringLiteral("CoefG"));
    auto* grid = new QGridLayout(box);
    for (int k = 0; k < 9; ++k) {
        QLineEdit* edit = NamedEdit(QStringLiteral("A%1E").arg(k), box);
        edit->setText(ToQString(workflow::CoefficientText(m_record.LinCoef[static_cast<std::size_t>(k)])));
        m_coef[static_cast<std::size_t>(k)] = edit;
        grid->addWidget(new QLabel(QString::fromLatin1(kLetters[static_cast<std::size_t>(k)]) + QStringLiteral(" ="), box),
                        k % 5, (k / 5) * 2);
        grid->addWidget(edit, k % 5, (k / 5) * 2 + 1);
        connect(edit, &QLineEdit::textChanged, this, &TPowerF::fieldChanged);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, k] {
            showEdit(edit, workflow::CoefficientExit(m_w, m_record, k, ToStd(edit->text())));
        });
    }
    return box;
}

void TPowerF::fieldChanged() {
    if (m_filling) return;
    workflow::ConversionFieldChanged(m_w);
    m_ok->setText(ToQString(workflow::OkButtonCaption(m_w)));
}

void TPowerF::okClicked() {
    if (m_w.checked) {
        workflow::PowerSeriesOk(m_w, m_record);
        accept();
        return;
    }
    m_ok->setEnabled(false);
    const auto problem = workflow::PowerSeriesCheck(m_w, m_record);
    m_ok->setEnabled(true);
    if (m_w.checked || !problem) {
        m_resMinV->setText(ToQString(workflow::ResultLimitText(m_w.resMin)));
        m_resMaxV->setText(ToQString(workflow::ResultLimitText(m_w.resMax)));
    }
    if (problem) showProblem(*problem);
    m_ok->setText(ToQString(workflow::OkButtonCaption(m_w)));
}

void TPowerF::reject() {
    workflow::ConversionCancel(m_w, m_record);
    QDialog::reject();
}

}  // namespace r4860::dialogs
