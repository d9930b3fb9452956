#include "dialogs/wybor_i.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/date_text.h"
#include "qtbridge/qt_text.h"

namespace r4860::dialogs {
namespace {

using qtbridge::Tr;
using workflow::Conversion;

int Id(Conversion c) { return static_cast<int>(c); }

// Builds the page of the current (17) or volt (18) input; `withTable` adds "table defined".
SignalPage BuildPage(SelectionDialog* owner, std::uint8_t inputCode, bool withTable) {
    SignalPage p;
    p.inputCode = inputCode;
    const bool current = inputCode == 17;
    p.page = new QWidget;
    p.page->setObjectName(current ? QStringLiteral("CurrentTab") : QStringLiteral("VoltTab"));
    auto* column = new QVBoxLayout(p.page);
    if (current) {
        auto* inputG = NamedGroup("RTrybG", Tr("Input"), p.page);
        auto* inputL = new QHBoxLayout(inputG);
        p.inputs = new QButtonGroup(owner);
        AddRadio(inputL, p.inputs, "W2", Tr("single"), 0);
        AddRadio(inputL, p.inputs, "W3", Tr("double"), 1);
        column->addWidget(inputG);
    }
    auto* convG = NamedGroup(current ? "RLinG" : "VLinG", Tr("result conversion"), p.page);
    auto* convL = new QVBoxLayout(convG);
    p.conversion = new QButtonGroup(owner);
    AddRadio(convL, p.conversion, current ? "RnoLin" : "VnoLin", Tr("none"), Id(Conversion::None));
    AddRadio(convL, p.conversion, current ? "RLina" : "VLina", Tr("linear"), Id(Conversion::Linear));
    AddRadio(convL, p.conversion, current ? "RLins" : "VLins", Tr("power series"), Id(Conversion::PowerSeries));
    if (withTable) AddRadio(convL, p.conversion, current ? "RLin" : "VLin", Tr("table defined"), Id(Conversion::Table));
    column->addWidget(convG);
    p.spans = AddSpanLabels(column, p.page, current ? "RInfoT" : "VInfoT");
    column->addStretch(1);
    return p;
}

// A conversion button opens its window; anything but OK falls back to "none".
void Connect(SelectionDialog* owner, SignalPage& page, const std::function<bool(Conversion, std::uint8_t)>& run,
             const model::ConfigRecord& rec) {
    QObject::connect(page.conversion, &QButtonGroup::idClicked, owner, [&page, run, &rec](int id) {
        const auto c = static_cast<Conversion>(id);
        if (c != Conversion::None && !run(c, page.inputCode)) page.choose(Conversion::None);
        page.spans.show(rec, page.inputCode, page.chosen() != Conversion::None);
    });
}

}  // namespace

Conversion SignalPage::chosen() const { return static_cast<Conversion>(conversion->checkedId()); }

void SignalPage::choose(Conversion c) const {
    if (QAbstractButton* b = conversion->button(Id(c))) b->setChecked(true);
}

TWyborI::TWyborI(SelectionEnv env, QWidget* parent) : SelectionDialog(std::move(env), "TWyborI", parent) {
    setWindowTitle(Tr("Input signal"));
    m_current = BuildPage(this, 17, false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_current.page);
    layout->addLayout(buttonRow(false));
    const workflow::WyborIChoice c = workflow::WyborIInitial(m_env.record);
    m_current.inputs->button(c.doubleInput ? 1 : 0)->setChecked(true);
    m_current.choose(c.conversion);
    m_current.spans.show(m_env.record, 17, c.conversion != Conversion::None);
    Connect(this, m_current, [this](Conversion k, std::uint8_t code) { return runConversion(k, code); }, m_env.record);
    placeAndFix();
}

void TWyborI::applyOk() {
    workflow::WyborIChoice c;
    c.doubleInput = m_current.inputs->checkedId() == 1;
    c.conversion = m_current.chosen();
    workflow::WyborIOk(m_env.record, c, m_opening, TodayDays());
}

TWyborIV::TWyborIV(SelectionEnv env, QWidget* parent) : SelectionDialog(std::move(env), "TWyborIV", parent) {
    setWindowTitle(Tr("Input signal"));
    m_volt = BuildPage(this, 18, true);
    m_current = BuildPage(this, 17, true);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl"));
    m_tabs->addTab(m_volt.page, QStringLiteral("V"));
    m_tabs->addTab(m_current.page, QStringLiteral("I"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttonRow(false));

    const workflow::WyborIVChoice c = workflow::WyborIVInitial(m_env.record);
    m_current.inputs->button(c.doubleInput ? 1 : 0)->setChecked(true);
    m_volt.choose(c.currentTab ? Conversion::None : c.conversion);
    m_current.choose(c.currentTab ? c.conversion : Conversion::None);
    m_tabs->setCurrentIndex(c.currentTab ? 1 : 0);
    for (SignalPage* page : {&m_volt, &m_current}) {
        page->spans.show(m_env.record, page->inputCode, page->chosen() != Conversion::None);
        Connect(this, *page, [this](Conversion k, std::uint8_t code) { return runConversion(k, code); }, m_env.record);
    }
    placeAndFix();
}

void TWyborIV::applyOk() {
    workflow::WyborIVChoice c;
    c.currentTab = m_tabs->currentIndex() == 1;
    c.doubleInput = c.currentTab && m_current.inputs->checkedId() == 1;
    c.conversion = (c.currentTab ? m_current : m_volt).chosen();
    workflow::WyborIVOk(m_env.record, c, m_opening, TodayDays());
}

}  // namespace r4860::dialogs
