// The panel's controls, their texts and showing the record on them; the edits' rules are in
// config_panel_edits.cpp.
#include "mainwindow/config_panel.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/number_text.h"
#include "mainwindow/up_down.h"
#include "qtbridge/qt_text.h"
#include "workflow/panel_text.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::Tr;
using workflow::Kolory;

namespace {

// The heights the design gives the three groups; the panel is as wide as the window.
constexpr int kSensorHeight = 48, kParameterHeight = 168, kInfoHeight = 66;

QLabel* Label(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QLineEdit* Edit(QWidget* parent, const char* name, QSize size, Qt::Alignment alignment = Qt::AlignRight) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setFixedSize(size);
    edit->setAlignment(alignment);
    return edit;
}

QComboBox* Combo(QWidget* parent, const char* name, QSize size) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setFixedSize(size);
    return combo;
}

QGroupBox* Group(QWidget* parent, const char* name, int height) {
    auto* group = new QGroupBox(parent);
    group->setObjectName(QLatin1String(name));
    group->setFixedHeight(height);
    return group;
}

// The colours of the design's states are the platform's, taken from the standard palette: what a
// widget shows now must not decide what "button face" is (a shown panel repaints its edits white).
void SetColour(QWidget* w, workflow::EditColour colour) {
    const QPalette standard = QApplication::palette(w);
    QColor c;
    switch (colour) {
        case workflow::EditColour::Keep: return;
        case workflow::EditColour::ButtonFace: c = standard.color(QPalette::Button); break;
        case workflow::EditColour::Window: c = standard.color(QPalette::Base); break;
        case workflow::EditColour::Aqua: c = QColor(0, 255, 255); break;
    }
    QPalette p = w->palette();
    p.setColor(QPalette::Base, c);
    // Combo boxes paint their face with Button.
    if (qobject_cast<QComboBox*>(w)) p.setColor(QPalette::Button, c);
    w->setPalette(p);
}

}  // namespace

ConfigPanel::ConfigPanel(workflow::AppContext& context, workflow::PanelState& panel,
                         qtbridge::MessageService& messages, ParFile parFile, QWidget* parent)
    : QWidget(parent), m_ctx(context), m_panel(panel), m_messages(messages), m_parFile(std::move(parFile)) {
    setObjectName(QStringLiteral("ConfigPanel"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 0, 4, 0);
    column->setSpacing(2);
    buildSensorGroup();
    buildParameterGroup();
    buildInfoGroup();
    for (QWidget* group : std::initializer_list<QWidget*>{m_senTypeG, m_parametryG, m_info}) column->addWidget(group);
    column->addStretch(1);
    connectEdits();
}

void ConfigPanel::buildSensorGroup() {
    m_senTypeG = Group(this, "SenTypeG", kSensorHeight);
    m_senTypeText = Label(m_senTypeG, "SenTypeText");
    m_senSel = new QPushButton(m_senTypeG);
    m_senSel->setObjectName(QStringLiteral("SenSel"));
    m_senSel->setFixedSize(80, 26);
    auto* row = new QHBoxLayout(m_senTypeG);
    row->setContentsMargins(10, 2, 6, 4);
    row->addWidget(m_senTypeText, 1);
    row->addWidget(m_senSel);
    connect(m_senSel, &QPushButton::clicked, this, &ConfigPanel::senSelClicked);
}

void ConfigPanel::buildParameterGroup() {
    m_parametryG = Group(this, "ParametryG", kParameterHeight);
    auto* row = new QHBoxLayout(m_parametryG);
    row->setContentsMargins(6, 0, 6, 2);
    row->setSpacing(6);
    // The filter column takes what its texts need, the range column the rest.
    row->addWidget(buildRangeColumn(), 1);
    row->addWidget(buildFilterColumn());
}

// Left: the range and the output's reactions.
QWidget* ConfigPanel::buildRangeColumn() {
    auto* box = new QWidget(m_parametryG);
    auto* g = new QGridLayout(box);
    g->setContentsMargins(0, 0, 0, 0);
    g->setVerticalSpacing(2);
    m_jednostkiTxt = Label(box, "JednostkiTxt");
    m_jednostki = Label(box, "JednostkiE");
    m_minimum = Label(box, "Minimum");
    m_minInput = Edit(box, "MinInputE", {70, 24});
    m_absMin = Label(box, "AbsMinE");
    m_maksimum = Label(box, "Maksimum");
    m_maxInput = Edit(box, "MaxInputE", {70, 24});
    m_absMax = Label(box, "AbsMaxE");
    m_reakcja = Label(box, "Reakcja");
    m_burnout = Combo(box, "BurnoutE", {170, 24});
    m_siecTxt = Label(box, "SiecTxt");
    m_siec = Combo(box, "SiecE", {80, 22});
    g->addWidget(m_jednostkiTxt, 0, 0);
    g->addWidget(m_jednostki, 0, 1, 1, 2);
    g->addWidget(m_minimum, 1, 0);
    g->addWidget(m_minInput, 1, 1);
    g->addWidget(m_absMin, 1, 2);
    g->addWidget(m_maksimum, 2, 0);
    g->addWidget(m_maxInput, 2, 1);
    g->addWidget(m_absMax, 2, 2);
    g->addWidget(m_reakcja, 3, 0, 1, 3);
    g->addWidget(m_burnout, 4, 0, 1, 3, Qt::AlignLeft);
    g->addWidget(m_siecTxt, 5, 0, 1, 2);
    g->addWidget(m_siec, 5, 2, Qt::AlignRight);
    g->setColumnStretch(2, 1);
    return box;
}

// Right: the signal filter and the corrections.
QWidget* ConfigPanel::buildFilterColumn() {
    auto* box = new QWidget(m_parametryG);
    auto* g = new QGridLayout(box);
    g->setContentsMargins(0, 0, 0, 0);
    g->setVerticalSpacing(2);
    m_filtry = Label(box, "Filtry");
    m_filtry->setStyleSheet(QStringLiteral("font-weight: bold"));
    m_filtrZakresTxt = Label(box, "FiltrZakresTxt");
    m_filtrZakres = Edit(box, "FiltrZakresE", {60, 24});
    m_filtrCzasTxt = Label(box, "FiltrCzasTxt");
    m_filtrCzas = Edit(box, "FiltrCzasE", {60, 24});
    m_filtrLimitTxt = Label(box, "FiltrLimitTxt");
    m_filtrLimit = Edit(box, "FiltrLimitE", {50, 24});
    m_filtrLimitUpDown = new UpDown(0, 100, box);
    m_filtrLimitUpDown->setObjectName(QStringLiteral("FiltrLimitUpDown"));
    m_filtrLimitUpDown->setFixedSize(16, 24);
    m_filtrDobierz = new QPushButton(box);
    m_filtrDobierz->setObjectName(QStringLiteral("FiltrDobierz"));
    m_filtrDobierz->setFixedSize(80, 24);
    auto* limit = new QHBoxLayout;
    limit->setSpacing(0);
    limit->addWidget(m_filtrLimit);
    limit->addWidget(m_filtrLimitUpDown);
    limit->addStretch(1);
    limit->addWidget(m_filtrDobierz);
    m_regulT = Label(box, "RegulT");
    m_regulZT = Label(box, "RegulZT");
    m_regulZ = Label(box, "RegulZV");
    m_regulGT = Label(box, "RegulGT");
    m_regulG = Label(box, "RegulGV");
    // Zero and gain share a line: each label keeps its value beside it, the gap between them grows.
    auto* corrections = new QHBoxLayout;
    corrections->setContentsMargins(8, 0, 0, 0);
    corrections->setSpacing(2);
    for (QWidget* w : std::initializer_list<QWidget*>{m_regulZT, m_regulZ}) corrections->addWidget(w);
    corrections->addStretch(1);
    corrections->addSpacing(6);
    for (QWidget* w : std::initializer_list<QWidget*>{m_regulGT, m_regulG}) corrections->addWidget(w);
    g->addWidget(m_filtry, 0, 0, 1, 2);
    g->addWidget(m_filtrZakresTxt, 1, 0);
    g->addWidget(m_filtrZakres, 1, 1, Qt::AlignRight);
    g->addWidget(m_filtrCzasTxt, 2, 0);
    g->addWidget(m_filtrCzas, 2, 1, Qt::AlignRight);
    g->addWidget(m_filtrLimitTxt, 3, 0, 1, 2);
    g->addLayout(limit, 4, 0, 1, 2);
    g->addWidget(m_regulT, 5, 0, 1, 2);
    g->addLayout(corrections, 6, 0, 1, 2);
    g->setColumnStretch(0, 1);
    return box;
}

void ConfigPanel::buildInfoGroup() {
    m_info = Group(this, "Info", kInfoHeight);
    m_kodTxt = Label(m_info, "KodTxt");
    m_kod = Edit(m_info, "KodE", {120, 22}, Qt::AlignLeft);
    m_kod->setMaxLength(static_cast<int>(model::kMaxKod));
    m_ogolneTxt = Label(m_info, "OgolneTxt");
    m_ogolne = Edit(m_info, "OgolneE", {120, 22}, Qt::AlignLeft);
    m_ogolne->setReadOnly(true);
    m_serialTxt = Label(m_info, "SerialTxt");
    m_serial = Label(m_info, "SerialE");
    m_dataTxt = Label(m_info, "DataTxt");
    m_data = Label(m_info, "DataE");
    auto* g = new QGridLayout(m_info);
    g->setContentsMargins(8, 0, 8, 2);
    g->setVerticalSpacing(2);
    g->setHorizontalSpacing(4);
    g->addWidget(m_kodTxt, 0, 0);
    g->addWidget(m_kod, 0, 1);
    g->addWidget(m_ogolneTxt, 1, 0);
    g->addWidget(m_ogolne, 1, 1);
    g->addWidget(m_serialTxt, 0, 3);
    g->addWidget(m_serial, 0, 4);
    g->addWidget(m_dataTxt, 1, 3);
    g->addWidget(m_data, 1, 4);
    g->setColumnStretch(0, 1);
    g->setColumnStretch(2, 0);
    g->setColumnMinimumWidth(2, 6);
    g->setColumnStretch(3, 1);
}

void ConfigPanel::translate() {
    const QString blank = QStringLiteral(" ");
    m_senSel->setText(Tr("Select"));
    m_senSel->setToolTip(Tr("Select sensor"));
    m_parametryG->setTitle(blank + Tr("Parameters") + blank);
    m_info->setTitle(blank + Tr("Info") + blank);
    m_jednostkiTxt->setText(blank + Tr("Eng. units") + QLatin1Char(':'));
    m_minimum->setText(blank + Tr("Minimum") + QLatin1Char(':'));
    m_maksimum->setText(blank + Tr("Maximum") + QLatin1Char(':'));
    m_filtry->setText(blank + Tr("Signal filter"));
    m_filtrZakresTxt->setText(Tr("Range") + QStringLiteral(" (0-25%)"));
    m_filtrCzasTxt->setText(Tr("Time") + QStringLiteral(" (0-40s)"));
    m_filtrLimitTxt->setText(Tr("Spurious error threshold") + QStringLiteral(" (0-100%)"));
    m_siecTxt->setText(Tr("Net filter freq.") + QLatin1Char(':'));
    m_regulT->setText(blank + Tr("User corrections") + QLatin1Char(':'));
    m_regulZT->setText(Tr("Zero") + QStringLiteral(":  "));
    m_regulGT->setText(Tr("Gain") + QStringLiteral(":  "));
    m_kodTxt->setText(Tr("User ID Tag"));
    m_serialTxt->setText(Tr("Serial No") + QLatin1Char(':'));
    m_dataTxt->setText(Tr("Last config. date") + QLatin1Char(':'));
    m_ogolneTxt->setText(Tr("Other"));
    m_filtrDobierz->setText(Tr("Optimal"));
    m_filtrDobierz->setToolTip(Tr("Optimal settings") + QStringLiteral("\n(") + Tr("no noise") + QLatin1Char(')'));
    for (const auto& [widget, key] : std::initializer_list<std::pair<QWidget*, const char*>>{
             {m_minInput, "Enter the minimum value"}, {m_maxInput, "Enter the maximum value"},
             {m_filtrZakres, "Set filtration range"}, {m_filtrCzas, "Set time constant"},
             {m_filtrLimit, "Set spurious error threshold"}, {m_filtrLimitUpDown, "Set spurious error threshold"},
             {m_burnout, "Choose expected reaction"}, {m_siec, "Choose net frequency"},
             {m_kod, "Write down ID tag"}, {m_ogolne, "Write down any information"}}) {
        widget->setToolTip(Tr(key));
    }
    // The items anew, keeping what they show (nothing, after a reset).
    const int burnout = m_burnout->currentIndex(), siec = m_siec->currentIndex();
    m_burnout->clear();
    m_burnout->addItems({Tr("below 4mA"), Tr("above 20mA")});
    m_siec->clear();
    m_siec->addItems({QStringLiteral(" 50Hz"), QStringLiteral(" 60Hz")});
    m_burnout->setCurrentIndex(burnout);
    m_siec->setCurrentIndex(siec);
}

void ConfigPanel::odnowa() {
    m_senSel->setFocus();
    m_senTypeG->setTitle(QLatin1Char(' ') + Tr("Sensor type") + QLatin1Char(' '));
    ReakcjaField();
    m_senTypeText->setText(QStringLiteral("???"));
    m_jednostki->clear();
    for (QLineEdit* e : {m_filtrZakres, m_filtrCzas, m_filtrLimit, m_minInput, m_maxInput, m_kod, m_ogolne}) {
        e->clear();
        e->setEnabled(false);
    }
    // Emptied, not set to their first item: there is no configuration to show a choice of.
    for (QComboBox* c : {m_burnout, m_siec}) {
        c->setCurrentIndex(-1);
        c->setEnabled(false);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{m_filtrLimitUpDown, m_filtrDobierz}) w->setEnabled(false);
    for (QLabel* l : {m_absMin, m_absMax, m_serial, m_data, m_regulZ, m_regulG}) l->clear();
    m_serialTxt->hide();
    m_dataTxt->hide();
    kolory(Kolory::Empty);
}

void ConfigPanel::ReakcjaField() {
    const workflow::ReakcjaText r = workflow::ReakcjaField(m_ctx.record);
    m_burnout->setVisible(r.burnoutVisible);
    m_reakcja->setText(ToQString(r.label));
}

void ConfigPanel::kolory(Kolory state) {
    const workflow::KoloryColours c = workflow::ColoursOf(state);
    for (QWidget* w : std::initializer_list<QWidget*>{m_minInput, m_maxInput, m_filtrZakres, m_filtrCzas, m_filtrLimit}) {
        SetColour(w, c.numeric);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{m_burnout, m_siec, m_kod}) SetColour(w, c.choices);
}

void ConfigPanel::markAqua(QWidget* widget) { SetColour(widget, workflow::EditColour::Aqua); }

void ConfigPanel::pokaz(Kolory state) {
    const model::ConfigRecord& rec = m_ctx.record;
    const auto& p = rec.Parametry;
    ReakcjaField();
    m_senTypeG->setTitle(ToQString(workflow::SensorGroupCaption(rec)));
    m_senTypeText->setText(ToQString(workflow::SenTypeText(rec)));
    m_jednostki->setText(ToQString(UnitName(p.Jednostki)));
    m_minInput->setText(ToQString(FixedText(p.MinInput, 2, 4)));
    m_maxInput->setText(ToQString(FixedText(p.MaxInput, 2, 4)));
    m_filtrZakres->setText(ToQString(workflow::TenthsText(p.FiltrZakres)));
    m_filtrCzas->setText(ToQString(workflow::TenthsText(p.FiltrCzas)));
    m_filtrLimit->setText(QString::number(p.FiltrLimit));
    m_filtrLimitUpDown->setPosition(p.FiltrLimit);
    m_burnout->setCurrentIndex(p.Burnout & 1);
    m_siec->setCurrentIndex(p.Siec == 50 ? 0 : 1);
    showCorrections();
    const bool incomplete = workflow::noTab(rec, m_panel.CoefMissing);
    const workflow::RangeLimits limits = workflow::RangeLimitTexts(rec, incomplete);
    m_absMin->setText(ToQString(limits.low));
    m_absMax->setText(ToQString(limits.high));
    m_serialTxt->show();
    m_serial->setText(ToQString(rec.Informacje.serial));
    m_dataTxt->show();
    showDate();
    m_kod->setText(ToQString(rec.Informacje.kod));
    m_ogolne->setText(ToQString(rec.Informacje.ogolne));
    m_ogolne->setEnabled(false);
    setEditsEnabled(!incomplete);
    if (state != Kolory::Keep) kolory(state);
    m_senSel->setFocus();
    m_panel.ParamsShown = true;
    emit shown(incomplete);
    if (incomplete) nietypo();
}

void ConfigPanel::setEditsEnabled(bool complete) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_filtrZakres, m_filtrCzas, m_filtrLimit, m_filtrLimitUpDown,
                                                      m_minInput, m_maxInput, m_siec}) {
        w->setEnabled(complete);
    }
    m_filtrDobierz->setEnabled(true);
    m_kod->setEnabled(true);
    m_burnout->setEnabled(m_burnout->isVisibleTo(m_parametryG));
}

void ConfigPanel::showDate() { m_data->setText(ToQString(m_ctx.record.Informacje.data)); }

void ConfigPanel::showCorrections() {
    m_regulZ->setText(ToQString(workflow::CorrectionText(m_ctx.record.Parametry.ZeroReg)));
    m_regulG->setText(ToQString(workflow::CorrectionText(m_ctx.record.Parametry.GainReg)));
}

void ConfigPanel::burnoutUnlocked() {
    ReakcjaField();
    m_burnout->setCurrentIndex(m_ctx.record.Parametry.Burnout & 1);
    markAqua(m_burnout);
    if (m_burnout->isVisibleTo(m_parametryG)) m_burnout->setEnabled(true);
}

void ConfigPanel::focusSenSel() { m_senSel->setFocus(); }

std::vector<QLineEdit*> ConfigPanel::edits() const {
    return {m_minInput, m_maxInput, m_filtrZakres, m_filtrCzas, m_filtrLimit, m_kod, m_ogolne};
}

}  // namespace r4860::mainwindow
