#include "mainwindow/action_table.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <cassert>

#include "mainwindow/main_window.h"
#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

namespace {

using enum Act;
using enum ActKind;
using enum Caption;
using enum EnableRule;
using W = TR4860F;

constexpr int Key(Qt::Key key) { return QKeyCombination(key).toCombined(); }
constexpr int Ctrl(Qt::Key key) { return QKeyCombination(Qt::ControlModifier, key).toCombined(); }
constexpr int kNoIcon = -1;

constexpr ActionSpec M(Act id, const char* name, Act menu, const char* key, EnableRule rule) {
    return {id, name, Menu, menu, key, Plain, nullptr, 0, rule, false, false, kNoIcon};
}
constexpr ActionSpec I(Act id, const char* name, Act menu, const char* key, Caption caption, Handler handler,
                       int shortcut, EnableRule rule, bool checkable = false, bool separator = false) {
    return {id, name, Item, menu, key, caption, handler, shortcut, rule, checkable, separator, kNoIcon};
}
constexpr ActionSpec B(Act id, const char* name, const char* hint, Handler handler, EnableRule rule, int icon,
                       bool separator = false, bool checkable = false) {
    return {id, name, Button, None, hint, Plain, handler, 0, rule, checkable, separator, icon};
}

}  // namespace

// Ctrl+C and Ctrl+Z are the design's shortcuts for Sensors and Write; an edit keeps them while
// they mean copy or undo there (edit_shortcuts.h).
constexpr std::array<ActionSpec, kActCount> kActionTable = {{
    M(Plik1, "Plik1", None, "&File", Always),
    I(Nowy1, "Nowy1", Plik1, "&New", Plain, &W::Nowy1Click, 0, NormalView),
    I(Otworz1, "Otworz1", Plik1, "&Open", Dots, &W::Otworz1Click, Key(Qt::Key_F3), NormalView),
    I(Zachowaj1, "Zachowaj1", Plik1, "&Save", Plain, &W::Zachowaj1Click, Key(Qt::Key_F2), NormalView),
    I(Zapiszjako1, "Zapiszjako1", Plik1, "Save as", Dots, &W::Zapiszjako1Click, 0, NormalOrDiagram),
    I(Drukuj1, "Drukuj1", Plik1, "&Print", Dots, &W::Drukuj1Click, 0, NormalView, false, true),
    I(PrintSetup1, "PrintSetup1", Plik1, "P&rint setup", Dots, &W::PrintSetup1Click, 0, NormalView),
    I(Podglad1, "Podglad1", Plik1, "Print preview", Dots, &W::Podglad1Click, 0, NormalView),
    I(EksportPdf1, "EksportPdf1", Plik1, "Export PDF", Dots, &W::EksportPdf1Click, 0, NormalView),
    I(Exit1, "Exit1", Plik1, "E&xit", Plain, &W::Exit1Click, Key(Qt::Key_F10), Always, false, true),
    M(Konfig1, "Konfig1", None, "&Configuration", NormalView),
    M(Ustawienia1, "Ustawienia1", Konfig1, "&Setup", Connected),
    I(Odczytaj1, "Odczytaj1", Ustawienia1, "&Read", Plain, &W::OdczytajTClick, Ctrl(Qt::Key_O), Live),
    I(Zapisz1, "Zapisz1", Ustawienia1, "&Write", Plain, &W::ZapiszTClick, Ctrl(Qt::Key_Z), Always),
    I(Weryfikuj1, "Weryfikuj1", Ustawienia1, "&Verify", Plain, &W::Weryfikuj1Click, Ctrl(Qt::Key_W), LiveAndVerify),
    I(Odswierz1, "Odswierz1", Ustawienia1, "R&efresh", Plain, &W::Odswierz1Click, 0, Live),
    I(Czujniki1, "Czujniki1", Konfig1, "Se&nsors", Plain, &W::SenSelClick, Ctrl(Qt::Key_C), Always),
    I(Reset1, "Reset1", Konfig1, "&Reset", Plain, &W::Reset1Click, Ctrl(Qt::Key_R), Connected),
    I(Regulacja1, "Regulacja1", Konfig1, "&Corrections", Plain, &W::Regulacja1Click, Ctrl(Qt::Key_K), Live),
    I(Blokada1, "Blokada1", Konfig1, "&Lock Iout", Plain, &W::Blokada1Click, 0, ConfigShown, true),
    // Always: a running series must be switchable off whatever the panel shows.
    I(Seria1, "Seria1", Konfig1, "Program each new transducer", Dots, &W::Seria1Click, 0, Always, true, true),
    M(Widok1, "Widok1", None, "&View", Always),
    I(Wykres1, "Wykres1", Widok1, "&Diagram", Plain, &W::Wykres1Click, 0, LiveNotMonitor, true),
    I(Symulacja1, "Symulacja1", Widok1, "Simulation", Amp, &W::Symulacja1Click, 0, NormalView),
    I(MonOnly1, "MonOnly1", Widok1, "&Monitor only", Plain, &W::MonOnly1Click, 0, Always, true),
    I(Pasek1, "Pasek1", Widok1, "&Toolbar", Plain, &W::Pasek1Click, 0, NormalView, true, true),
    I(Status1, "Status1", Widok1, "S&tatus", Plain, &W::Status1Click, 0, NormalView, true),
    I(Historia1, "Historia1", Widok1, "&History", Dots, &W::Historia1Click, 0, Always, false, true),
    M(Opcje1, "Opcje1", None, "&Options", NotDiagram),
    I(Ogolne1, "Ogolne1", Opcje1, "&General", Plain, &W::Ogolne1Click, 0, Always),
    I(Komunikacja1, "Komunikacja1", Opcje1, "&Communication", Plain, &W::Komunikacja1Click, 0, Always),
    I(Autoread1, "Autoread1", Opcje1, "&Automatic read", Plain, &W::Autoread1Click, 0, NotMonitor, true),
    M(Pomoc1, "Pomoc1", None, "&Help", Always),
    I(Danetech1, "Danetech1", Pomoc1, "&Help", Plain, &W::DaneTech1Click, 0, Always),
    I(Wersja1, "Wersja1", Pomoc1, "&Version", Plain, &W::Wersja1Click, 0, Always),
    I(Info1, "Info1", Pomoc1, "&Info", Plain, &W::Info1Click, 0, Always),
    B(NowyT, "NowyT", "New", &W::Nowy1Click, Always, QStyle::SP_FileIcon),
    B(OtworzT, "OtworzT", "Open", &W::Otworz1Click, Always, QStyle::SP_DialogOpenButton),
    B(ZachowajT, "ZachowajT", "Save", &W::Zachowaj1Click, Always, QStyle::SP_DialogSaveButton),
    B(DrukujT, "DrukujT", "Print", &W::Drukuj1Click, Always, QStyle::SP_FileDialogDetailedView),
    B(OdczytajT, "OdczytajT", "Read settings", &W::OdczytajTClick, Live, QStyle::SP_ArrowDown, true),
    B(ZapiszT, "ZapiszT", "Write settings", &W::ZapiszTClick, Connected, QStyle::SP_ArrowUp),
    B(KomunikacjaT, "KomunikacjaT", "Communication", &W::Komunikacja1Click, Always, QStyle::SP_DriveNetIcon, true),
    B(RegulacjaT, "RegulacjaT", "Corrections", &W::Regulacja1Click, Live, QStyle::SP_FileDialogInfoView),
    B(Wykres1T, "Wykres1T", "Show diagram", &W::Wykres1Click, Live, QStyle::SP_FileDialogContentsView, false, true),
}};

// The enumerator is the index: the window's lookups cannot pick the wrong row.
static_assert([] {
    for (std::size_t i = 0; i < kActCount; ++i) {
        if (static_cast<std::size_t>(kActionTable[i].id) != i) return false;
    }
    return true;
}(), "kActionTable rows follow the order of Act");

bool Enabled(EnableRule rule, const EnableState& s) noexcept {
    const bool live = s.connected && !s.eepromError;
    const bool normalView = !s.diagramShown && !s.monitorOnly;
    switch (rule) {
    case Always: return true;
    case Live: return live;
    case LiveAndVerify: return live && s.verifyAllowed;
    case LiveNotMonitor: return live && !s.monitorOnly;
    case Connected: return s.connected;
    case ConfigShown: return s.paramsShown;
    case NormalView: return normalView;
    case NormalOrDiagram: return normalView || s.diagramShown;
    case NotDiagram: return !s.diagramShown;
    case NotMonitor: return !s.monitorOnly;
    }
    return true;
}

void MainActions::build(QMenuBar& bar, QToolBar& toolBar, Run run) {
    for (const ActionSpec& spec : kActionTable) {
        switch (spec.kind) {
        case Menu: buildMenu(bar, spec); break;
        case Item: buildItem(spec, run); break;
        case Button: buildButton(toolBar, spec, run); break;
        }
    }
}

void MainActions::buildMenu(QMenuBar& bar, const ActionSpec& spec) {
    const auto at = static_cast<std::size_t>(spec.id);
    QMenu* parent = spec.menu == None ? nullptr : menu(spec.menu);
    QMenu* m = parent ? parent->addMenu(QString()) : bar.addMenu(QString());
    m->setObjectName(QLatin1String(spec.name));
    // A submenu is enabled as a whole through its own item, which carries its name too.
    m->menuAction()->setObjectName(QLatin1String(spec.name));
    m_menus[at] = m;
    m_items[at] = m->menuAction();
}

void MainActions::buildItem(const ActionSpec& spec, const Run& run) {
    QMenu* parent = menu(spec.menu);
    if (spec.separatorBefore) parent->addSeparator();
    QAction* action = parent->addAction(QString());
    action->setObjectName(QLatin1String(spec.name));
    action->setCheckable(spec.checkable);
    if (spec.shortcut != 0) action->setShortcut(QKeySequence(QKeyCombination::fromCombined(spec.shortcut)));
    QObject::connect(action, &QAction::triggered, action, [&spec, run] { run(spec, nullptr); });
    m_items[static_cast<std::size_t>(spec.id)] = action;
}

void MainActions::buildButton(QToolBar& toolBar, const ActionSpec& spec, const Run& run) {
    if (spec.separatorBefore) toolBar.addSeparator();
    auto* button = new QToolButton(&toolBar);
    button->setObjectName(QLatin1String(spec.name));
    button->setIcon(QApplication::style()->standardIcon(static_cast<QStyle::StandardPixmap>(spec.icon)));
    button->setAutoRaise(true);
    button->setCheckable(spec.checkable);
    QObject::connect(button, &QToolButton::clicked, button, [&spec, run, button] { run(spec, button); });
    toolBar.addWidget(button);
    m_buttons[static_cast<std::size_t>(spec.id)] = button;
}

QAction* MainActions::item(Act id) const {
    QAction* a = m_items[static_cast<std::size_t>(id)];
    assert(a && "not a menu or menu item");
    return a;
}

QMenu* MainActions::menu(Act id) const {
    QMenu* m = m_menus[static_cast<std::size_t>(id)];
    assert(m && "not a menu");
    return m;
}

QToolButton* MainActions::button(Act id) const {
    QToolButton* b = m_buttons[static_cast<std::size_t>(id)];
    assert(b && "not a toolbar button");
    return b;
}

void MainActions::translate() {
    for (const ActionSpec& spec : kActionTable) {
        QString text = qtbridge::Tr(spec.key);
        if (spec.caption == Dots) text += QStringLiteral("...");
        if (spec.caption == Amp) text.prepend(QLatin1Char('&'));
        const auto at = static_cast<std::size_t>(spec.id);
        if (spec.kind == Menu) m_menus[at]->setTitle(text);
        if (spec.kind == Item) m_items[at]->setText(text);
        if (spec.kind == Button) m_buttons[at]->setToolTip(text);
    }
}

void MainActions::applyEnabling(const EnableState& state) {
    for (const ActionSpec& spec : kActionTable) {
        const bool on = Enabled(spec.rule, state);
        const auto at = static_cast<std::size_t>(spec.id);
        if (spec.kind == Button) {
            m_buttons[at]->setEnabled(on);
        } else {
            m_items[at]->setEnabled(on);
        }
    }
}

}  // namespace r4860::mainwindow
