#include "workflow/panel_rules.h"

#include <algorithm>

#include "common/lang_table.h"
#include "common/number_text.h"
#include "model/transfer_function.h"
#include "workflow/panel_text.h"

namespace r4860::workflow {

std::string PanelMessage::text() const { return LangText(key) + (addBang ? "!" : ""); }

Outcome PanelMessage::outcome() const {
    Outcome o;
    o.message = text();
    o.icon = icon;
    o.beep = Beep::Exclamation;
    return o;
}

namespace {

// The bounds forgive a millionth so that a limit typed exactly is never refused for its last bit.
constexpr double kBoundSlack = 0.000001;

std::string RangeText(double value) { return FixedText(value, 2, 4); }

// Parses into `value` (left alone on failure) and notes the format message.
bool ParseInto(std::string_view text, double& value, std::vector<PanelMessage>& messages) {
    if (TextToNum(text, value)) return true;
    messages.push_back(kWrongFormat);
    return false;
}

enum class Bound { Min, Max };

EditResult<double> RangeEditExit(std::string_view text, const model::ConfigRecord& rec, Bound bound) {
    EditResult<double> r;
    const double old = bound == Bound::Min ? rec.Parametry.MinInput : rec.Parametry.MaxInput;
    double typed = old;
    ParseInto(text, typed, r.messages);

    model::ConfigRecord trial = rec;
    (bound == Bound::Min ? trial.Parametry.MinInput : trial.Parametry.MaxInput) = typed;
    const int row = RangeRow(rec);
    const bool spanOk = model::RangeSpanOk(trial);
    const bool inside = bound == Bound::Min ? model::SensorRangeLow(rec, row) - kBoundSlack <= typed
                                            : model::SensorRangeHigh(rec, row) + kBoundSlack >= typed;
    r.value = typed;
    if (!spanOk || !inside) {
        r.messages.push_back(!spanOk ? kRangeTooSmall : bound == Bound::Min ? kMinimumOutOfRange : kMaximumOutOfRange);
        r.value = old;
    }
    r.shown = RangeText(r.value);
    return r;
}

// A typed filter value in tenths, inside 0..limit; nothing (with the message) otherwise.
std::optional<int> TenthsInRange(std::string_view text, int limit, std::vector<PanelMessage>& messages) {
    double value = 0.0;
    if (!ParseInto(text, value, messages)) return std::nullopt;
    const long long n = RoundEven(10.0 * value);
    if (n >= 0 && n <= limit) return static_cast<int>(n);
    messages.push_back(kOutOfRange);
    return std::nullopt;
}

}  // namespace

int RangeRow(const model::ConfigRecord& rec) noexcept {
    const int typ = rec.Czujnik.Typ;
    return IsSignalInput(typ) && rec.Czujnik.Lin >= 2 ? 15 : typ;
}

EditResult<double> MinInputEExit(std::string_view text, const model::ConfigRecord& rec) {
    return RangeEditExit(text, rec, Bound::Min);
}

EditResult<double> MaxInputEExit(std::string_view text, const model::ConfigRecord& rec) {
    return RangeEditExit(text, rec, Bound::Max);
}

EditResult<int> FiltrZakresEExit(std::string_view text, const model::ConfigRecord& rec) {
    EditResult<int> r;
    r.value = TenthsInRange(text, 250, r.messages).value_or(rec.Parametry.FiltrZakres);
    r.shown = TenthsText(r.value);
    return r;
}

EditResult<int> FiltrCzasEExit(std::string_view text, const model::ConfigRecord& rec) {
    EditResult<int> r;
    const int tenths = TenthsInRange(text, 400, r.messages).value_or(rec.Parametry.FiltrCzas);
    // The transducer counts its time constant in 0.16 s steps; show what it will really use.
    r.value = static_cast<int>(RoundEven(RoundEven(tenths / 1.6) * 10 * 0.16));
    r.shown = TenthsText(r.value);
    return r;
}

EditResult<int> FiltrLimitEExit(std::string_view text, const model::ConfigRecord& rec) {
    EditResult<int> r;
    r.value = rec.Parametry.FiltrLimit;
    double value = 0.0;
    if (ParseInto(text, value, r.messages)) {
        const long long n = RoundEven(value);
        if (n < 0 || n > 100) {
            r.messages.push_back(kOutOfRange);
        } else {
            // A spurious error inside the filter band would fire on every filtered step.
            const double floor = rec.Parametry.FiltrZakres * 0.2;
            if (n > 0 && floor > static_cast<double>(n)) value = floor;
            r.value = static_cast<int>(RoundEven(value));
        }
    }
    r.shown = std::to_string(r.value);
    return r;
}

int FiltrLimitUpDownClick(int newPosition, bool up, int filtrZakres) noexcept {
    const double floor = filtrZakres * 0.2;
    if (newPosition >= floor) return newPosition;
    return up ? static_cast<int>(RoundEven(floor)) : 0;
}

std::optional<int> FiltrLimitEChange(std::string_view text) noexcept {
    double value = 0.0;
    if (text.empty() || !TextToNum(text, value)) return std::nullopt;
    return static_cast<int>(RoundEven(std::clamp(value, 0.0, 100.0)));
}

bool noTab(const model::ConfigRecord& rec, bool coefMissing) noexcept {
    return coefMissing || (model::UserDataOf(rec) != model::UserData::None && !rec.TableLoaded);
}

CheckParamDecision CheckParam(const model::ConfigRecord& rec, const PanelState& panel, bool checkUserData,
                              bool silent) noexcept {
    if (!panel.ParamsShown) {
        if (silent) return {};
        return {CheckParamStep::Refuse, kNoParameters};
    }
    if (checkUserData && noTab(rec, panel.CoefMissing)) return {CheckParamStep::CompleteUserData, std::nullopt};
    return {CheckParamStep::RunEdits, std::nullopt};
}

Kolory KoloryFor(PanelEvent event, const WorkflowState& state) noexcept {
    switch (event) {
    case PanelEvent::Translated:
    case PanelEvent::UserDataCompleted: return Kolory::Keep;
    case PanelEvent::Reset: return Kolory::Empty;
    case PanelEvent::Read: return Kolory::Shown;
    case PanelEvent::Opened: return state.Connected ? Kolory::AllChanged : Kolory::Shown;
    case PanelEvent::SensorSelected: return state.Connected ? Kolory::RangeChanged : Kolory::Shown;
    }
    return Kolory::Keep;
}

KoloryColours ColoursOf(Kolory state) noexcept {
    switch (state) {
    case Kolory::Keep: return {EditColour::Keep, EditColour::Keep};
    case Kolory::Empty: return {EditColour::ButtonFace, EditColour::ButtonFace};
    case Kolory::Shown: return {EditColour::Window, EditColour::Window};
    case Kolory::RangeChanged: return {EditColour::Aqua, EditColour::Keep};
    case Kolory::AllChanged: return {EditColour::Aqua, EditColour::Aqua};
    }
    return {EditColour::Keep, EditColour::Keep};
}

MainWindowEnabling EnablingFor(const WorkflowState& state, bool eepromError, const PanelState& panel) noexcept {
    // A transducer with a damaged EEPROM answers but must not be read, diagrammed or corrected.
    const bool live = state.Connected && !eepromError;
    MainWindowEnabling e;
    e.RegulacjaT = e.Regulacja1 = e.Odswierz1 = e.Odczytaj1 = e.OdczytajT = e.Wykres1T = live;
    e.Weryfikuj1 = live && state.VerifyAllowed;
    e.Wykres1 = live && !panel.MonitorOnly;
    e.ZapiszT = e.Ustawienia1 = e.Reset1 = state.Connected;
    e.Blokada1 = panel.ParamsShown;
    return e;
}

namespace {

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

std::string ShowCaptionText(std::string_view device, std::span<const model::ModelListRow> modelList,
                            std::string_view parFileName, std::string_view unspecifiedType) {
    if (device.empty()) return std::string(unspecifiedType);
    // Names are looked up like the rows of the settings file: letter case does not matter.
    const auto row = std::ranges::find_if(modelList, [&](const auto& r) { return SameNameIgnoringCase(r.name, device); });
    if (row == modelList.end()) return std::string(parFileName);
    return row->value + " - " + std::string(parFileName);
}

DeviceCheck CheckDevice(std::string_view device, int typeIndex) {
    const int code = model::ModelCodeOfIndex(typeIndex);
    if (device.empty()) return {DeviceCheck::Kind::Adopt, model::ModelName(code).substr(0, model::kMaxDevice)};
    // Only the two code digits are compared: an "R" and a "Q" model of one code count as the same.
    const int compared = code > 100 ? code - 100 : code;
    if (model::ModelCodeOfName(device) == compared) return {};
    return {DeviceCheck::Kind::Mismatch, {}};
}

std::string DeviceMismatchText() {
    return LangText("Type of transducer inconsistency") + "! " + LangText("New data will be read") + ".\n" +
           LangText("Disconnect the transducer") + " " + LangText("and press") + " " + LangText("Cancel") + " " +
           LangText("to preserve present configuration") + ".";
}

}  // namespace r4860::workflow
