// The main window's rules as values: what the panel's edits accept, what the gate before a
// write or save decides, which commands are enabled, the edit colours and the caption. The
// window only applies them, so every rule here is tested without a toolkit.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/ui_hooks.h"
#include "model/config_record.h"
#include "model/models.h"
#include "workflow/app_context.h"
#include "workflow/outcome.h"

namespace r4860::workflow {

// Main-window flags the panel rules read beside WorkflowState.
struct PanelState {
    bool ParamsShown = false;  // the panel holds a configuration (pokaz .. odnowa)
    bool CoefMissing = false;  // the last read left a coefficient conversion without coefficients
    bool MonitorOnly = false;  // the Monitor only view is checked
};

// One message box of the panel: an English key, shown translated, beeped first.
struct PanelMessage {
    std::string_view key;
    bool addBang = false;  // keys such as "Wrong format" are shown with "!"; "Out of range!" has its own
    MessageIcon icon = MessageIcon::Exclamation;
    friend bool operator==(const PanelMessage&, const PanelMessage&) = default;

    [[nodiscard]] std::string text() const;
    // The warning beep, then the box: every panel message is beeped.
    [[nodiscard]] Outcome outcome() const;
};

inline constexpr PanelMessage kWrongFormat{"Wrong format", true, MessageIcon::Error};
inline constexpr PanelMessage kOutOfRange{"Out of range!", false, MessageIcon::Exclamation};
inline constexpr PanelMessage kMinimumOutOfRange{"Minimum out of range!", false, MessageIcon::Exclamation};
inline constexpr PanelMessage kMaximumOutOfRange{"Maximum out of range!", false, MessageIcon::Exclamation};
inline constexpr PanelMessage kRangeTooSmall{"Input range too small!", false, MessageIcon::Exclamation};
inline constexpr PanelMessage kNoParameters{"No parameters", true, MessageIcon::None};

// What leaving an edit (or Enter in it) does: the value to store (the old one when refused),
// the text the edit shows afterwards, and the messages in the order they are shown. Any
// message sends the focus back to the edit.
template <class T>
struct EditResult {
    T value{};
    std::string shown;
    std::vector<PanelMessage> messages;
    [[nodiscard]] bool focusBack() const noexcept { return !messages.empty(); }
};

// The range row an edit is checked against: the user row 15 once a signal input is converted.
[[nodiscard]] int RangeRow(const model::ConfigRecord& rec) noexcept;

// MinInputEExit / MaxInputEExit. Text that does not parse keeps the old value, which is then
// checked like a typed one, so a stale value can bring a second message. Not to be run while
// the edit is disabled.
[[nodiscard]] EditResult<double> MinInputEExit(std::string_view text, const model::ConfigRecord& rec);
[[nodiscard]] EditResult<double> MaxInputEExit(std::string_view text, const model::ConfigRecord& rec);

// FiltrZakresEExit: tenths of a percent, 0..250. The caller runs FiltrLimitEExit afterwards
// with the limit edit's text, because a threshold depends on the range.
[[nodiscard]] EditResult<int> FiltrZakresEExit(std::string_view text, const model::ConfigRecord& rec);
// FiltrCzasEExit: tenths of a second, 0..400, then on the transducer's 0.16 s step.
[[nodiscard]] EditResult<int> FiltrCzasEExit(std::string_view text, const model::ConfigRecord& rec);
// FiltrLimitEExit: percent, 0..100; a non-zero threshold is at least twice the filter range.
// `shown` is also the up-down's new position.
[[nodiscard]] EditResult<int> FiltrLimitEExit(std::string_view text, const model::ConfigRecord& rec);
// FiltrLimitUpDownClick: the threshold a click of the up-down lands on.
[[nodiscard]] int FiltrLimitUpDownClick(int newPosition, bool up, int filtrZakres) noexcept;
// FiltrLimitEChange: the threshold while typing, clamped, no message; nothing for empty or bad text.
[[nodiscard]] std::optional<int> FiltrLimitEChange(std::string_view text) noexcept;

// noTab: the configuration needs user data (a table or coefficients) it does not have.
[[nodiscard]] bool noTab(const model::ConfigRecord& rec, bool coefMissing) noexcept;

// CheckParam (check user data, silent): the gate before Write, Save, Save as, Print, Simulation.
enum class CheckParamStep {
    RunEdits,          // run the five edit exits (they correct and report, never veto), then pass
    CompleteUserData,  // nietypo first: still incomplete fails the gate, else as RunEdits
    Refuse,            // fail the gate, showing `message` when there is one
};
struct CheckParamDecision {
    CheckParamStep step = CheckParamStep::Refuse;
    std::optional<PanelMessage> message;
};
[[nodiscard]] CheckParamDecision CheckParam(const model::ConfigRecord& rec, const PanelState& panel,
                                            bool checkUserData, bool silent) noexcept;

// The states of kolory.
enum class Kolory {
    Keep = 0,            // colours stay: after translation or completed user data
    Empty = 1,           // button face everywhere: the panel was reset
    Shown = 2,           // window colour: read, or opened/selected while disconnected
    RangeChanged = 3,    // the five numeric edits aqua: sensor selected while connected
    AllChanged = 4,      // all eight controls aqua: opened while connected
};
// What happened to the panel, for the colour state it calls for.
enum class PanelEvent { Translated, UserDataCompleted, Reset, Read, Opened, SensorSelected };
[[nodiscard]] Kolory KoloryFor(PanelEvent event, const WorkflowState& state) noexcept;

enum class EditColour { Keep, ButtonFace, Window, Aqua };
struct KoloryColours {
    EditColour numeric;  // MinInputE, MaxInputE, FiltrZakresE, FiltrCzasE, FiltrLimitE
    EditColour choices;  // BurnoutE, SiecE, KodE
    friend bool operator==(const KoloryColours&, const KoloryColours&) = default;
};
[[nodiscard]] KoloryColours ColoursOf(Kolory state) noexcept;

// The enabling rules applied at the end of every timer tick, by the design's component names.
struct MainWindowEnabling {
    bool RegulacjaT = false, Regulacja1 = false, Odswierz1 = false, Odczytaj1 = false, OdczytajT = false,
         Wykres1T = false;
    bool Weryfikuj1 = false;
    bool Wykres1 = false;
    bool ZapiszT = false, Ustawienia1 = false, Reset1 = false;
    bool Blokada1 = false;
    friend bool operator==(const MainWindowEnabling&, const MainWindowEnabling&) = default;
};
[[nodiscard]] MainWindowEnabling EnablingFor(const WorkflowState& state, bool eepromError,
                                             const PanelState& panel) noexcept;

// ShowCaption's text. `parFileName` is the translated "No_name" while untitled;
// `unspecifiedType` the translated "Unspecified type".
[[nodiscard]] std::string ShowCaptionText(std::string_view device, std::span<const model::ModelListRow> modelList,
                                          std::string_view parFileName, std::string_view unspecifiedType);

// CheckDevice after a good poll: what the model reported by `typeIndex` means for the record.
struct DeviceCheck {
    enum class Kind { Consistent, Adopt, Mismatch } kind = Kind::Consistent;
    std::string modelName;  // for Adopt: the name the record takes
};
[[nodiscard]] DeviceCheck CheckDevice(std::string_view device, int typeIndex);
// The translated text of the OK/Cancel box a mismatch shows.
[[nodiscard]] std::string DeviceMismatchText();

}  // namespace r4860::workflow
