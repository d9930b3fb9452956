// The panel's edits: validation when an edit is left or Enter is pressed, the colour of what is
// changed, the gate before a write or save, and completing missing user data.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "mainwindow/config_panel.h"
#include "mainwindow/up_down.h"
#include "model/transfer_function.h"
#include "qtbridge/message_service.h"
#include "qtbridge/qt_text.h"
#include "workflow/panel_text.h"
#include "workflow/user_data.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::Tr;
using workflow::Kolory;

void ConfigPanel::connectEdits() {
    // Leaving an edit or Enter in it validates; typing only marks it changed.
    for (auto [edit, exit] : std::initializer_list<std::pair<QLineEdit*, void (ConfigPanel::*)()>>{
             {m_minInput, &ConfigPanel::MinInputEExit}, {m_maxInput, &ConfigPanel::MaxInputEExit},
             {m_filtrZakres, &ConfigPanel::FiltrZakresEExit}, {m_filtrCzas, &ConfigPanel::FiltrCzasEExit},
             {m_filtrLimit, &ConfigPanel::FiltrLimitEExit}}) {
        connect(edit, &QLineEdit::editingFinished, this, [this, exit] {
            if (!m_inEditExit) (this->*exit)();
        });
        if (edit != m_filtrLimit) connect(edit, &QLineEdit::textEdited, this, [this, edit] { markAqua(edit); });
    }
    connect(m_filtrLimit, &QLineEdit::textEdited, this, &ConfigPanel::FiltrLimitEChange);
    connect(m_filtrLimitUpDown, &UpDown::clicked, this, &ConfigPanel::FiltrLimitUpDownClick);
    connect(m_filtrDobierz, &QPushButton::clicked, this, &ConfigPanel::FiltrDobierzClick);
    connect(m_burnout, &QComboBox::activated, this, &ConfigPanel::BurnoutEChange);
    connect(m_siec, &QComboBox::activated, this, &ConfigPanel::SiecEChange);
    connect(m_kod, &QLineEdit::textEdited, this, &ConfigPanel::KodEChange);
    connect(m_ogolne, &QLineEdit::textEdited, this, &ConfigPanel::OgolneEChange);
}

void ConfigPanel::showMessages(const std::vector<workflow::PanelMessage>& messages, QLineEdit* edit) {
    for (const workflow::PanelMessage& m : messages) {
        m_messages.warn(this, ToQString(m.text()), m.icon);
    }
    if (!messages.empty() && edit) edit->setFocus();
}

template <class T>
void ConfigPanel::runExit(QLineEdit* edit, T& field,
                          workflow::EditResult<T> (*rule)(std::string_view, const model::ConfigRecord&)) {
    m_inEditExit = true;
    const workflow::EditResult<T> r = rule(qtbridge::ToStd(edit->text()), m_ctx.record);
    field = r.value;
    // A value the rule changed (a threshold raised with the range) is as unwritten as a typed one.
    if (edit->text() != ToQString(r.shown)) markAqua(edit);
    edit->setText(ToQString(r.shown));
    showMessages(r.messages, edit);
    m_inEditExit = false;
}

void ConfigPanel::MinInputEExit() {
    if (m_minInput->isEnabled()) runExit(m_minInput, m_ctx.record.Parametry.MinInput, &workflow::MinInputEExit);
}

void ConfigPanel::MaxInputEExit() {
    if (m_maxInput->isEnabled()) runExit(m_maxInput, m_ctx.record.Parametry.MaxInput, &workflow::MaxInputEExit);
}

void ConfigPanel::FiltrZakresEExit() {
    runExit(m_filtrZakres, m_ctx.record.Parametry.FiltrZakres, &workflow::FiltrZakresEExit);
    // The threshold's lower bound follows the range.
    FiltrLimitEExit();
}

void ConfigPanel::FiltrCzasEExit() { runExit(m_filtrCzas, m_ctx.record.Parametry.FiltrCzas, &workflow::FiltrCzasEExit); }

void ConfigPanel::FiltrLimitEExit() {
    runExit(m_filtrLimit, m_ctx.record.Parametry.FiltrLimit, &workflow::FiltrLimitEExit);
    m_filtrLimitUpDown->setPosition(m_ctx.record.Parametry.FiltrLimit);
}

void ConfigPanel::FiltrLimitUpDownClick(bool up) {
    m_filtrLimit->setFocus();
    const int at = workflow::FiltrLimitUpDownClick(m_filtrLimitUpDown->position(), up,
                                                   m_ctx.record.Parametry.FiltrZakres);
    m_filtrLimitUpDown->setPosition(at);
    m_ctx.record.Parametry.FiltrLimit = at;
    m_filtrLimit->setText(QString::number(at));
    markAqua(m_filtrLimit);
}

void ConfigPanel::FiltrLimitEChange(const QString& text) {
    markAqua(m_filtrLimit);
    if (const auto v = workflow::FiltrLimitEChange(qtbridge::ToStd(text))) {
        m_ctx.record.Parametry.FiltrLimit = *v;
        m_filtrLimitUpDown->setPosition(*v);
    }
}

void ConfigPanel::FiltrDobierzClick() {
    if (workflow::noTab(m_ctx.record, m_panel.CoefMissing) && nietypo()) return;
    auto& p = m_ctx.record.Parametry;
    model::SuggestFilter(m_ctx.record, p.FiltrZakres, p.FiltrCzas);
    m_filtrZakres->setText(ToQString(workflow::TenthsText(p.FiltrZakres)));
    m_filtrCzas->setText(ToQString(workflow::TenthsText(p.FiltrCzas)));
    markAqua(m_filtrZakres);
    markAqua(m_filtrCzas);
}

void ConfigPanel::BurnoutEChange(int index) {
    m_ctx.record.Parametry.Burnout = index == 1 ? 1 : 0;
    markAqua(m_burnout);
}

void ConfigPanel::SiecEChange(int index) {
    m_ctx.record.Parametry.Siec = index == 1 ? 60 : 50;
    markAqua(m_siec);
}

void ConfigPanel::KodEChange(const QString& text) {
    m_ctx.record.Informacje.kod = qtbridge::ToStd(text.left(static_cast<int>(model::kMaxKod)));
    markAqua(m_kod);
}

void ConfigPanel::OgolneEChange(const QString& text) {
    m_ctx.record.Informacje.ogolne = qtbridge::ToStd(text.left(static_cast<int>(model::kMaxOgolne)));
}

bool ConfigPanel::CheckParam(bool checkUserData, bool silent) {
    const workflow::CheckParamDecision d = workflow::CheckParam(m_ctx.record, m_panel, checkUserData, silent);
    if (d.step == workflow::CheckParamStep::Refuse) {
        if (d.message) showMessages({*d.message}, nullptr);
        return false;
    }
    if (d.step == workflow::CheckParamStep::CompleteUserData && nietypo()) return false;
    MinInputEExit();
    MaxInputEExit();
    FiltrZakresEExit();
    FiltrCzasEExit();
    FiltrLimitEExit();
    return true;
}

void ConfigPanel::showOutcome(const workflow::Outcome& outcome) {
    qtbridge::QtUiHooks ui(m_messages, this);
    workflow::ShowOutcome(ui, outcome);
}

bool ConfigPanel::nietypo() {
    model::ConfigRecord& rec = m_ctx.record;
    const workflow::UserDataPlan plan =
        workflow::PlanUserData(rec, m_panel.CoefMissing, workflow::TableSearchDirs(m_parFile(), m_ctx.settings));
    switch (plan.step) {
        case workflow::UserDataPlan::Step::Complete: return false;
        case workflow::UserDataPlan::Step::Impossible: return true;
        case workflow::UserDataPlan::Step::NoTable: showOutcome(plan.prompt); return true;
        case workflow::UserDataPlan::Step::AskTable:
            if (plan.prompt.beep) m_messages.beep(*plan.prompt.beep);
            if (m_messages.ask(this, ToQString(plan.prompt.message), plan.prompt.icon, qtbridge::Buttons::YesNo) !=
                qtbridge::Answer::Yes) {
                return true;
            }
            break;
        case workflow::UserDataPlan::Step::PowerSeries: break;
    }
    if (const workflow::Outcome loaded = workflow::LoadUserData(rec, plan); !loaded.ok) showOutcome(loaded);
    const bool incomplete = workflow::noTab(rec, m_panel.CoefMissing);
    if (!incomplete) pokaz(Kolory::Keep);
    return incomplete;
}

}  // namespace r4860::mainwindow
