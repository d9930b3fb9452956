// The configuration panel: showing the record, the edits' validation, the colours and the
// completion of missing user data.
#include <QAction>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "common/lang_table.h"
#include "common/number_text.h"
#include "files/app_paths.h"
#include "files/table_file.h"
#include "mainwindow/main_window.h"
#include "mainwindow/up_down.h"
#include "model/transfer_function.h"
#include "qtbridge/qt_text.h"
#include "workflow/panel_text.h"

namespace r4860::mainwindow {

using qtbridge::ToQString;
using qtbridge::Tr;
using workflow::Kolory;

namespace {

void SetColour(QWidget* w, workflow::EditColour colour) {
    QPalette p = w->palette();
    switch (colour) {
        case workflow::EditColour::Keep: return;
        case workflow::EditColour::ButtonFace: p.setColor(QPalette::Base, p.color(QPalette::Button)); break;
        case workflow::EditColour::Window: p.setColor(QPalette::Base, QColor(Qt::white)); break;
        case workflow::EditColour::Aqua: p.setColor(QPalette::Base, QColor(0, 255, 255)); break;
    }
    // Combo boxes paint their face with Button.
    p.setColor(QPalette::Button, p.color(QPalette::Base));
    w->setPalette(p);
}

}  // namespace

void TR4860F::connectEdits() {
    // Leaving an edit or Enter in it validates; typing only marks it changed.
    for (auto [edit, exit] : std::initializer_list<std::pair<QLineEdit*, void (TR4860F::*)()>>{
             {m_minInput, &TR4860F::MinInputEExit}, {m_maxInput, &TR4860F::MaxInputEExit},
             {m_filtrZakres, &TR4860F::FiltrZakresEExit}, {m_filtrCzas, &TR4860F::FiltrCzasEExit},
             {m_filtrLimit, &TR4860F::FiltrLimitEExit}}) {
        connect(edit, &QLineEdit::editingFinished, this, [this, exit] {
            if (!m_inEditExit) (this->*exit)();
        });
        if (edit != m_filtrLimit) connect(edit, &QLineEdit::textEdited, this, [this, edit] { markAqua(edit); });
    }
    connect(m_filtrLimit, &QLineEdit::textEdited, this, &TR4860F::FiltrLimitEChange);
    connect(m_filtrLimitUpDown, &UpDown::clicked, this, &TR4860F::FiltrLimitUpDownClick);
    connect(m_filtrDobierz, &QPushButton::clicked, this, &TR4860F::FiltrDobierzClick);
    connect(m_burnout, &QComboBox::activated, this, &TR4860F::BurnoutEChange);
    connect(m_siec, &QComboBox::activated, this, &TR4860F::SiecEChange);
    connect(m_kod, &QLineEdit::textEdited, this, &TR4860F::KodEChange);
    connect(m_ogolne, &QLineEdit::textEdited, this, &TR4860F::OgolneEChange);
}

void TR4860F::odnowa() {
    m_ctx.state.VerifyAllowed = false;
    m_panel.ParamsShown = false;
    m_ctx.record.TableLoaded = false;
    StatBarTxt(Tr("No parameters"));
    m_senSel->setFocus();
    m_parFileName = Tr("No_name");
    m_logFileName = m_parFileName;
    m_senTypeG->setTitle(QLatin1Char(' ') + Tr("Sensor type") + QLatin1Char(' '));
    m_ctx.record.Device.clear();
    ShowCaption();
    model::SetEmptyRecord(m_ctx.record);
    ReakcjaField();
    m_burnout->setCurrentIndex(0);
    m_siec->setCurrentIndex(0);
    m_senTypeText->setText(QStringLiteral("???"));
    m_jednostki->clear();
    for (QLineEdit* e : {m_filtrZakres, m_filtrCzas, m_filtrLimit, m_minInput, m_maxInput, m_kod, m_ogolne}) {
        e->clear();
        e->setEnabled(false);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{m_filtrLimitUpDown, m_filtrDobierz, m_burnout, m_siec}) {
        w->setEnabled(false);
    }
    for (QLabel* l : {m_absMin, m_absMax, m_serial, m_data, m_regulZ, m_regulG}) l->clear();
    m_serialTxt->hide();
    m_dataTxt->hide();
    QAction* lock = m_actions[QStringLiteral("Blokada1")];
    lock->setEnabled(false);
    lock->setChecked(false);
    kolory(Kolory::Empty);
}

void TR4860F::ReakcjaField() {
    const workflow::ReakcjaText r = workflow::ReakcjaField(m_ctx.record);
    m_burnout->setVisible(r.burnoutVisible);
    m_reakcja->setText(ToQString(r.label));
}

void TR4860F::kolory(Kolory state) {
    const workflow::KoloryColours c = workflow::ColoursOf(state);
    for (QWidget* w : std::initializer_list<QWidget*>{m_minInput, m_maxInput, m_filtrZakres, m_filtrCzas, m_filtrLimit}) {
        SetColour(w, c.numeric);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{m_burnout, m_siec, m_kod}) SetColour(w, c.choices);
}

void TR4860F::markAqua(QWidget* widget) { SetColour(widget, workflow::EditColour::Aqua); }

void TR4860F::pokaz(Kolory state) {
    const model::ConfigRecord& rec = m_ctx.record;
    const auto& p = rec.Parametry;
    ShowCaption();
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
    m_regulZ->setText(ToQString(workflow::CorrectionText(p.ZeroReg)));
    m_regulG->setText(ToQString(workflow::CorrectionText(p.GainReg)));
    const bool incomplete = workflow::noTab(rec, m_panel.CoefMissing);
    const workflow::RangeLimits limits = workflow::RangeLimitTexts(rec, incomplete);
    m_absMin->setText(ToQString(limits.low));
    m_absMax->setText(ToQString(limits.high));
    m_serialTxt->show();
    m_serial->setText(ToQString(rec.Informacje.serial));
    m_dataTxt->show();
    m_data->setText(ToQString(rec.Informacje.data));
    m_kod->setText(ToQString(rec.Informacje.kod));
    m_ogolne->setText(ToQString(rec.Informacje.ogolne));
    m_ogolne->setEnabled(false);
    setPanelEnabled(!incomplete);
    QAction* lock = m_actions[QStringLiteral("Blokada1")];
    lock->setEnabled(true);
    lock->setChecked(p.Burnout == 2);
    if (state != Kolory::Keep) kolory(state);
    m_senSel->setFocus();
    m_panel.ParamsShown = true;
    StatBarTxt(Tr(incomplete ? "Information incomplete" : "Information complete"));
    if (incomplete) nietypo();
}

void TR4860F::setPanelEnabled(bool complete) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_filtrZakres, m_filtrCzas, m_filtrLimit, m_filtrLimitUpDown,
                                                      m_minInput, m_maxInput, m_siec}) {
        w->setEnabled(complete);
    }
    m_filtrDobierz->setEnabled(true);
    m_kod->setEnabled(true);
    m_burnout->setEnabled(m_burnout->isVisibleTo(m_parametryG));
}

void TR4860F::showPanelMessages(const std::vector<workflow::PanelMessage>& messages, QLineEdit* edit) {
    for (const workflow::PanelMessage& m : messages) {
        m_messages.beep(Beep::Exclamation);
        m_messages.show(this, ToQString(m.text()), m.icon);
    }
    if (!messages.empty() && edit) edit->setFocus();
}

template <class T>
void TR4860F::runExit(QLineEdit* edit, T& field,
                      workflow::EditResult<T> (*rule)(std::string_view, const model::ConfigRecord&)) {
    m_inEditExit = true;
    const workflow::EditResult<T> r = rule(qtbridge::ToStd(edit->text()), m_ctx.record);
    field = r.value;
    // A value the rule changed (a threshold raised with the range) is as unwritten as a typed one.
    if (edit->text() != ToQString(r.shown)) markAqua(edit);
    edit->setText(ToQString(r.shown));
    showPanelMessages(r.messages, edit);
    m_inEditExit = false;
}

void TR4860F::MinInputEExit() {
    if (m_minInput->isEnabled()) runExit(m_minInput, m_ctx.record.Parametry.MinInput, &workflow::MinInputEExit);
}

void TR4860F::MaxInputEExit() {
    if (m_maxInput->isEnabled()) runExit(m_maxInput, m_ctx.record.Parametry.MaxInput, &workflow::MaxInputEExit);
}

void TR4860F::FiltrZakresEExit() {
    runExit(m_filtrZakres, m_ctx.record.Parametry.FiltrZakres, &workflow::FiltrZakresEExit);
    // The threshold's lower bound follows the range.
    FiltrLimitEExit();
}

void TR4860F::FiltrCzasEExit() { runExit(m_filtrCzas, m_ctx.record.Parametry.FiltrCzas, &workflow::FiltrCzasEExit); }

void TR4860F::FiltrLimitEExit() {
    runExit(m_filtrLimit, m_ctx.record.Parametry.FiltrLimit, &workflow::FiltrLimitEExit);
    m_filtrLimitUpDown->setPosition(m_ctx.record.Parametry.FiltrLimit);
}

void TR4860F::FiltrLimitUpDownClick(bool up) {
    m_filtrLimit->setFocus();
    const int at = workflow::FiltrLimitUpDownClick(m_filtrLimitUpDown->position(), up,
                                                   m_ctx.record.Parametry.FiltrZakres);
    m_filtrLimitUpDown->setPosition(at);
    m_ctx.record.Parametry.FiltrLimit = at;
    m_filtrLimit->setText(QString::number(at));
    markAqua(m_filtrLimit);
}

void TR4860F::FiltrLimitEChange(const QString& text) {
    markAqua(m_filtrLimit);
    if (const auto v = workflow::FiltrLimitEChange(qtbridge::ToStd(text))) {
        m_ctx.record.Parametry.FiltrLimit = *v;
        m_filtrLimitUpDown->setPosition(*v);
    }
}

void TR4860F::FiltrDobierzClick() {
    if (workflow::noTab(m_ctx.record, m_panel.CoefMissing) && nietypo()) return;
    auto& p = m_ctx.record.Parametry;
    model::SuggestFilter(m_ctx.record, p.FiltrZakres, p.FiltrCzas);
    m_filtrZakres->setText(ToQString(workflow::TenthsText(p.FiltrZakres)));
    m_filtrCzas->setText(ToQString(workflow::TenthsText(p.FiltrCzas)));
    markAqua(m_filtrZakres);
    markAqua(m_filtrCzas);
}

void TR4860F::BurnoutEChange(int index) {
    m_ctx.record.Parametry.Burnout = index == 1 ? 1 : 0;
    markAqua(m_burnout);
}

void TR4860F::SiecEChange(int index) {
    m_ctx.record.Parametry.Siec = index == 1 ? 60 : 50;
    markAqua(m_siec);
}

void TR4860F::KodEChange(const QString& text) {
    m_ctx.record.Informacje.kod = qtbridge::ToStd(text.left(static_cast<int>(model::kMaxKod)));
    markAqua(m_kod);
}

void TR4860F::OgolneEChange(const QString& text) {
    m_ctx.record.Informacje.ogolne = qtbridge::ToStd(text.left(static_cast<int>(model::kMaxOgolne)));
}

bool TR4860F::CheckParam(bool checkUserData, bool silent) {
    const workflow::CheckParamDecision d = workflow::CheckParam(m_ctx.record, m_panel, checkUserData, silent);
    if (d.step == workflow::CheckParamStep::Refuse) {
        if (d.message) {
            m_messages.beep(Beep::Exclamation);
            m_messages.show(this, ToQString(d.message->text()), d.message->icon);
        }
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

bool TR4860F::nietypo() {
    model::ConfigRecord& rec = m_ctx.record;
    switch (workflow::UserDataSourceFor(rec, m_panel.CoefMissing)) {
        case workflow::UserDataSource::None: return true;
        case workflow::UserDataSource::PowerSeries: {
            TimerPause pause(*this);
            std::string message;
            if (!model::SampleSeries(rec, message)) {
                m_messages.beep(Beep::Exclamation);
                m_messages.show(this, Tr(message), MessageIcon::Exclamation);
                return true;
            }
            files::SetTableRange(rec);
            rec.TableLoaded = true;
            if (!workflow::noTab(rec, m_panel.CoefMissing)) pokaz(Kolory::Keep);
            return false;
        }
        case workflow::UserDataSource::TableFile: break;
    }
    return completeFromTable();
}

bool TR4860F::completeFromTable() {
    model::ConfigRecord& rec = m_ctx.record;
    rec.File = std::filesystem::path(rec.File).filename().string();
    // Where the classic tool changed folders to look: here, beside the program, its tables.
    const QString exeDir = ToQString(m_ctx.settings.ExeDir);
    QString found;
    for (const QString& dir : {QDir::currentPath(), exeDir, exeDir + QStringLiteral("/Tables"),
                               exeDir + QStringLiteral("/Tablice")}) {
        const QString candidate = QDir(dir).filePath(ToQString(rec.File));
        if (!rec.File.empty() && QFileInfo(candidate).isFile()) {
            found = candidate;
            break;
        }
    }
    m_messages.beep(Beep::Exclamation);
    QString m = Tr("User defined sensor or conversion") + QStringLiteral("!\n") + Tr("No data available") +
                QStringLiteral(".\n");
    if (found.isEmpty()) {
        if (!rec.File.empty()) m += QLatin1Char('(') + Tr("source file") + QStringLiteral(": ") + ToQString(rec.File) + QLatin1Char(')');
        m_messages.show(this, m, MessageIcon::Exclamation);
        return true;
    }
    m += Tr("Read source file") + QLatin1Char(' ') + ToQString(rec.File) + QLatin1Char('?');
    if (m_messages.ask(this, m, MessageIcon::Exclamation, qtbridge::Buttons::YesNo) != qtbridge::Answer::Yes) return true;

    TimerPause pause(*this);
    rec.TableInputType = rec.Czujnik.Typ;
    bool incomplete = true;
    const auto loaded = files::LoadTableFile(qtbridge::ToStd(found), rec);
    if (!loaded || !loaded.value().outcome.ok) {
        const std::string reason = loaded ? loaded.value().outcome.message : std::string();
        m_messages.show(this, ToQString(files::TableFailureText(reason)), MessageIcon::Exclamation);
    } else if (rec.Table.points.empty() ||
               std::abs(rec.Table.points.back().B - rec.Table.points.front().B) <
                   model::MinSpan[std::min<std::size_t>(rec.TableInputType, model::MinSpan.size() - 1)]) {
        m_messages.show(this, Tr("Input range too small!"), MessageIcon::Exclamation);
    } else {
        files::SetTableRange(rec);
        const double slack = 0.000001;
        if (model::SensorRangeLow(rec, 15) - slack <= rec.Parametry.MinInput &&
            model::SensorRangeHigh(rec, 15) + slack >= rec.Parametry.MaxInput) {
            rec.TableLoaded = true;
            incomplete = false;
        } else {
            m_messages.show(this, Tr("Corrupted or wrong data file") + QLatin1Char('!'), MessageIcon::Exclamation);
        }
    }
    if (!workflow::noTab(rec, m_panel.CoefMissing)) pokaz(Kolory::Keep);
    return incomplete;
}

bool TR4860F::TypSelect() {
    const std::string saved = m_ctx.record.Device;
    bool ok = false;
    {
        TimerPause pause(*this);
        storePosition();
        if (m_dialogs.chooseType) ok = m_dialogs.chooseType(this, m_ctx.record.Device);
        const std::string& name = m_ctx.record.Device;
        if (!name.empty()) {
            const auto code = model::ModelCodeOfName(name).value_or(0) + (name[0] != 'R' ? 100 : 0);
            if (ok && code != 20 && code != 39 && (code < 47 || code > 49)) {
                m_messages.show(this, Tr("Device") + QLatin1Char(' ') + ToQString(name) + QLatin1Char(' ') +
                                          Tr("not implemented yet"), MessageIcon::None);
                m_ctx.record.Device = saved;
                ok = false;
            }
        }
        ShowCaption();
    }
    return ok;
}

void TR4860F::SenSelClick() {
    if (busy()) return;
    if (m_ctx.record.Device.empty() || m_transducer.status().TypeIndex == workflow::kNoSampleTypeIndex) {
        if (!TypSelect()) return;
    }
    // The sensor and input dialogs come with their own windows; until then the model choice
    // is all this command changes.
}

}  // namespace r4860::mainwindow
