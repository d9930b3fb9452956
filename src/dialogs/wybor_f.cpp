#include "dialogs/wybor_f.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

#include "common/date_text.h"
#include "qtbridge/qt_text.h"

namespace r4860::dialogs {
namespace {

struct NamedCode {
    const char* name;
    const char* label;
    int code;
};
constexpr std::array<NamedCode, 4> kRtdTypes{{{"Pt100a", "Pt (0.00385)", 1},
                                              {"Pt100b", "Pt (0.00392)", 2},
                                              {"Ni100", "Ni", 3},
                                              {"Cu100", "Cu", 4}}};
constexpr std::array<NamedCode, 4> kNominals{{{"R100", "100", 0}, {"R200", "200", 1}, {"R500", "500", 2}, {"R1000", "1000", 3}}};
constexpr std::array<NamedCode, 9> kThermocouples{{{"ThB", "B", 6},
                                                   {"ThC", "C", 7},
                                                   {"ThE", "E", 8},
                                                   {"ThJ", "J", 9},
                                                   {"ThK", "K", 10},
                                                   {"ThN", "N", 11},
                                                   {"ThR", "R", 12},
                                                   {"ThS", "S", 13},
                                                   {"ThT", "T", 14}}};

constexpr int kUserSensor = 15;

}  // namespace

using qtbridge::Tr;
using workflow::WyborChoice;

TWybor::TWybor(SelectionEnv env, std::function<void(QWidget*)> roomT, QWidget* parent)
    : SelectionDialog(std::move(env), "TWybor", parent), m_roomT(std::move(roomT)) {
    setWindowTitle(Tr("Sensor selection"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl"));
    m_tabs->addTab(buildRtdTab(), QLatin1Char('&') + Tr("RTD"));
    m_tabs->addTab(buildThermocoupleTab(), QLatin1Char('&') + Tr("Thermocouples"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttonRow(true));
    showChoice(workflow::WyborInitial(m_env.record, m_env.modelCode));
    placeAndFix();
}

QWidget* TWybor::buildRtdTab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("RtdTab"));
    auto* typeG = NamedGroup("RTypG", Tr("Type"), tab);
    auto* typeL = new QVBoxLayout(typeG);
    m_rtd = new QButtonGroup(this);
    for (const auto& t : kRtdTypes) AddRadio(typeL, m_rtd, t.name, QString::fromLatin1(t.label), t.code);
    auto* nominalG = NamedGroup("RNomG", QStringLiteral("R0 [Ohm]"), tab);
    auto* nominalL = new QVBoxLayout(nominalG);
    m_nominal = new QButtonGroup(this);
    for (const auto& n : kNominals) AddRadio(nominalL, m_nominal, n.name, QString::fromLatin1(n.label), n.code);
    auto* wiresG = NamedGroup("RTrybG", Tr("Connection"), tab);
    auto* wiresL = new QVBoxLayout(wiresG);
    m_wires = new QButtonGroup(this);
    AddRadio(wiresL, m_wires, "W2", Tr("2-wire"), 2);
    AddRadio(wiresL, m_wires, "W3", Tr("3-wire"), 3);
    AddRadio(wiresL, m_wires, "W4", Tr("4-wire"), 4);
    auto* modeG = NamedGroup("RLinG", Tr("Mode"), tab);
    auto* modeL = new QVBoxLayout(modeG);
    m_rLin = AddCheck(modeL, "RLin", Tr("linearization"));

    auto* right = new QVBoxLayout;
    right->addWidget(wiresG);
    right->addWidget(modeG);
    auto* row = new QHBoxLayout(tab);
    row->addWidget(typeG);
    row->addWidget(nominalG);
    row->addLayout(right);
    return tab;
}

QWidget* TWybor::buildThermocoupleTab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("ThTab"));
    auto* typeG = NamedGroup("ThTypG", Tr("Type"), tab);
    auto* typeL = new QHBoxLayout(typeG);
    auto* columnA = new QVBoxLayout;
    auto* columnB = new QVBoxLayout;
    typeL->addLayout(columnA);
    typeL->addLayout(columnB);
    m_thermocouple = new QButtonGroup(this);
    for (std::size_t i = 0; i < kThermocouples.size(); ++i) {
        const auto& t = kThermocouples[i];
        AddRadio(i < 5 ? columnA : columnB, m_thermocouple, t.name, QString::fromLatin1(t.label), t.code);
    }
    // The user sensor described by a table: its table window opens at once, and a table not
    // confirmed there gives the previous type back.
    AddRadio(columnB, m_thermocouple, "ThU", Tr("table defined"), kUserSensor);
    columnB->addStretch(1);
    auto* modeG = NamedGroup("ThTrybG", Tr("Mode"), tab);
    auto* modeL = new QVBoxLayout(modeG);
    m_tempDiff = AddCheck(modeL, "TempDiff", Tr("temperature difference"));
    m_cjc = AddCheck(modeL, "CJC", Tr("cold junction compensation"));
    m_thLin = AddCheck(modeL, "ThLin", Tr("linearization"));
    modeL->addStretch(1);
    // The two mode boxes exclude each other; the rule lives with the choice.
    connect(m_tempDiff, &QAbstractButton::clicked, this, [this](bool on) {
        if (!on || !m_cjc->isEnabled()) return;
        WyborChoice c = choice();
        workflow::TempDiffChecked(c);
        m_cjc->setChecked(c.cjc);
    });
    connect(m_cjc, &QAbstractButton::clicked, this, [this](bool on) {
        if (!on || !m_tempDiff->isEnabled()) return;
        WyborChoice c = choice();
        workflow::CjcChecked(c);
        m_tempDiff->setChecked(c.tempDiff);
    });
    connect(m_thermocouple, &QButtonGroup::idClicked, this, [this](int id) {
        for (QAbstractButton* box : {m_tempDiff, m_cjc, m_thLin}) box->setEnabled(true);
        if (id == kUserSensor && id != m_lastThermocouple && !runConversion(workflow::Conversion::Table, kUserSensor))
            m_thermocouple->button(m_lastThermocouple)->setChecked(true);
        m_lastThermocouple = m_thermocouple->checkedId();
    });
    auto* row = new QHBoxLayout(tab);
    row->addWidget(typeG);
    row->addWidget(modeG, 1);
    return tab;
}

void TWybor::showChoice(const workflow::WyborView& view) {
    const WyborChoice& c = view.choice;
    m_wires->button(4)->setEnabled(view.w4Enabled);
    m_rtd->button(c.rtd)->setChecked(true);
    m_nominal->button(c.nominal)->setChecked(true);
    m_wires->button(c.wires)->setChecked(true);
    m_rLin->setChecked(c.rtdLinearization);
    if (QAbstractButton* th = m_thermocouple->button(c.thermocouple)) th->setChecked(true);
    else m_thermocouple->button(6)->setChecked(true);
    m_lastThermocouple = m_thermocouple->checkedId();
    m_tempDiff->setChecked(c.tempDiff);
    m_cjc->setChecked(c.cjc);
    m_thLin->setChecked(c.thLinearization);
    m_tabs->setCurrentIndex(c.thermocoupleTab ? 1 : 0);
    (c.thermocoupleTab ? m_thermocouple->checkedButton() : m_rtd->checkedButton())->setFocus();
}

WyborChoice TWybor::choice() const {
    WyborChoice c;
    c.thermocoupleTab = m_tabs->currentIndex() == 1;
    c.rtd = static_cast<std::uint8_t>(m_rtd->checkedId());
    c.nominal = static_cast<std::uint8_t>(m_nominal->checkedId());
    c.wires = static_cast<std::uint8_t>(m_wires->checkedId());
    c.rtdLinearization = m_rLin->isChecked();
    c.thermocouple = static_cast<std::uint8_t>(m_thermocouple->checkedId());
    c.tempDiff = m_tempDiff->isChecked();
    c.cjc = m_cjc->isChecked();
    c.thLinearization = m_thLin->isChecked();
    return c;
}

void TWybor::applyOk() {
    const WyborChoice c = choice();
    if (workflow::WyborNeedsRoomT(c) && m_roomT) m_roomT(this);
    workflow::WyborOk(m_env.record, c, m_opening, TodayDays());
}

}  // namespace r4860::dialogs
