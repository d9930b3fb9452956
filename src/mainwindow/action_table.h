// The main window's menus and toolbar described once: every menu, item and toolbar button with its
// object name, text key, handler, shortcut and the rule that enables it. The menus and the toolbar
// are built from the table, FormLang translates from it and the enabling is applied from it; the
// window reaches an entry by its enumerator, so a name that is not in the table does not compile.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;

namespace r4860::mainwindow {

class TR4860F;

// In the table's order.
enum class Act : std::uint8_t {
    Plik1, Nowy1, Otworz1, Zachowaj1, Zapiszjako1, Drukuj1, PrintSetup1, Podglad1, EksportPdf1, Exit1,
    Konfig1, Ustawienia1, Odczytaj1, Zapisz1, Weryfikuj1, Odswierz1, Czujniki1, Reset1, Regulacja1, Blokada1, Seria1,
    Widok1, Wykres1, Symulacja1, MonOnly1, Pasek1, Status1, Historia1,
    Opcje1, Ogolne1, Komunikacja1, Autoread1,
    Pomoc1, Danetech1, Wersja1, Info1,
    NowyT, OtworzT, ZachowajT, DrukujT, OdczytajT, ZapiszT, KomunikacjaT, RegulacjaT, Wykres1T,
    None,
};
inline constexpr std::size_t kActCount = static_cast<std::size_t>(Act::None);

enum class ActKind : std::uint8_t { Menu, Item, Button };
// How the translated key is shown: as it is, with "..." after it (opens a dialog), or with "&" before.
enum class Caption : std::uint8_t { Plain, Dots, Amp };

// When an entry is enabled. Live: a transducer answers and reports no EEPROM error. The view
// rules are those of the diagram and Monitor only, which switch most of the menus off.
enum class EnableRule : std::uint8_t {
    Always,
    Live,
    LiveAndVerify,     // a write succeeded since the configuration was read, opened or chosen
    LiveNotMonitor,    // the diagram may be switched on
    Connected,
    ConfigShown,       // a configuration is on the panel
    NormalView,        // neither the diagram nor Monitor only
    NormalOrDiagram,   // Save as, which keeps the results while the diagram shows
    NotDiagram,
    NotMonitor,
};

struct EnableState {
    bool connected = false;
    bool eepromError = false;
    bool verifyAllowed = false;
    bool paramsShown = false;
    bool diagramShown = false;
    bool monitorOnly = false;
};
[[nodiscard]] bool Enabled(EnableRule rule, const EnableState& state) noexcept;

using Handler = void (TR4860F::*)();

struct ActionSpec {
    Act id;
    const char* name;        // the object name
    ActKind kind;
    Act menu;                // the menu an item sits in (None for menu-bar menus and buttons)
    const char* key;         // the text key; for buttons the hint
    Caption caption;
    Handler handler;         // nullptr for menus
    int shortcut;            // a QKeyCombination's int value, 0 for none
    EnableRule rule;
    bool checkable;
    bool separatorBefore;
    int icon;                // QStyle::StandardPixmap of a button
};

extern const std::array<ActionSpec, kActCount> kActionTable;

// The built menus and buttons, by enumerator.
class MainActions {
public:
    // How the window runs an entry's handler; `button` is the toolbar button clicked, if any.
    using Run = std::function<void(const ActionSpec& spec, QToolButton* button)>;
    void build(QMenuBar& bar, QToolBar& toolBar, Run run);
    [[nodiscard]] QAction* item(Act id) const;     // the menu's own action for menus
    [[nodiscard]] QMenu* menu(Act id) const;
    [[nodiscard]] QToolButton* button(Act id) const;
    // Texts and hints from the active language table.
    void translate();
    void applyEnabling(const EnableState& state);

private:
    void buildMenu(QMenuBar& bar, const ActionSpec& spec);
    void buildItem(const ActionSpec& spec, const Run& run);
    void buildButton(QToolBar& toolBar, const ActionSpec& spec, const Run& run);

    std::array<QAction*, kActCount> m_items{};
    std::array<QMenu*, kActCount> m_menus{};
    std::array<QToolButton*, kActCount> m_buttons{};
};

}  // namespace r4860::mainwindow
