#include "dialogs/wybor_rv.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/date_text.h"
#include "qtbridge/qt_text.h"

namespace r4860::dialogs {

using qtbridge::Tr;
using workflow::Conversion;

TWyborRV::TWyborRV(SelectionEnv env, QWidget* parent) : SelectionDialog(std::move(env), "TWyborRV", parent) {
    setWindowTitle(Tr("Input signal"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl"));
    m_tabs->addTab(buildTab(m_voltage, false), QLatin1Char('&') + Tr("Voltage"));
    m_tabs->addTab(buildTab(m_resistance, true), QLatin1Char('&') + Tr("Resistance"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttonRow(true));

    const workflow::WyborRVView view = workflow::WyborRVInitial(m_env.record, m_env.modelCode);
    m_wires->button(4)->setEnabled(view.w4Enabled);
    m_wires->button(view.choice.wires)->setChecked(true);
    Tab& shown = view.choice.resistanceTab ? m_resistance : m_voltage;
    shown.linear->setChecked(view.choice.conversion == Conversion::Linear);
    shown.series->setChecked(view.choice.conversion == Conversion::PowerSeries);
    m_tabs->setCurrentIndex(view.choice.resistanceTab ? 1 : 0);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] { showSpans(); });
    showSpans();
    placeAndFix();
}

QWidget* TWyborRV::buildTab(Tab& tab, bool resistance) {
    auto* page = new QWidget;
    page->setObjectName(resistance ? QStringLiteral("ResistanceTab") : QStringLiteral("VoltageTab"));
    tab.inputCode = resistance ? 5 : 16;
    auto* column = new QVBoxLayout(page);
    if (resistance) {
        auto* wiresG = NamedGroup("RTrybG", Tr("Connection"), page);
        auto* wiresL = new QHBoxLayout(wiresG);
        m_wires = new QButtonGroup(this);
        AddRadio(wiresL, m_wires, "W2", Tr("2-wire"), 2);
        AddRadio(wiresL, m_wires, "W3", Tr("3-wire"), 3);
        AddRadio(wiresL, m_wires, "W4", Tr("4-wire"), 4);
        column->addWidget(wiresG);
    }
    auto* convG = NamedGroup(resistance ? "RLinG" : "VLinG", Tr("result conversion"), page);
    auto* convL = new QHBoxLayout(convG);
    tab.linear = AddCheck(convL, resistance ? "RLina" : "VLina", Tr("linear"));
    tab.series = AddCheck(convL, resistance ? "RLin" : "VLin", Tr("power series"));
    column->addWidget(convG);
    tab.spans = AddSpanLabels(column, page, resistance ? "RInfoT" : "VInfoT");
    column->addStretch(1);
    connect(tab.linear, &QAbstractButton::clicked, this,
            [this, &tab] { conversionClicked(tab, tab.linear, Conversion::Linear); });
    connect(tab.series, &QAbstractButton::clicked, this,
            [this, &tab] { conversionClicked(tab, tab.series, Conversion::PowerSeries); });
    return page;
}

void TWyborRV::conversionClicked(Tab& tab, QAbstractButton* box, Conversion conversion) {
    if (m_settingUp) return;
    if (box->isChecked()) {
        if (!runConversion(conversion, tab.inputCode)) {
            box->setChecked(false);
        } else {
            // One conversion, on the visible tab only.
            for (QAbstractButton* other : {m_voltage.linear, m_voltage.series, m_resistance.linear, m_resistance.series})
                if (other != box) other->setChecked(false);
        }
    }
    showSpans();
}

void TWyborRV::showSpans() {
    for (const Tab* tab : {&m_voltage, &m_resistance}) {
        const bool converted = tab->linear->isChecked() || tab->series->isChecked();
        tab->spans.show(m_env.record, tab->inputCode, converted);
    }
}

workflow::WyborRVChoice TWyborRV::choice() const {
    workflow::WyborRVChoice c;
    c.resistanceTab = m_tabs->currentIndex() == 1;
    c.wires = static_cast<std::uint8_t>(m_wires->checkedId());
    const Tab& tab = c.resistanceTab ? m_resistance : m_voltage;
    c.conversion = tab.linear->isChecked()   ? Conversion::Linear
                   : tab.series->isChecked() ? Conversion::PowerSeries
                                             : Conversion::None;
    return c;
}

void TWyborRV::applyOk() { workflow::WyborRVOk(m_env.record, choice(), m_opening, TodayDays()); }

}  // namespace r4860::dialogs
