#include "workflow/panel_text.h"

#include "common/catalogues.h"
#include "common/lang_table.h"
#include "common/number_text.h"

namespace r4860::workflow {
namespace {

// Mode names beyond the translated list ("sum", "max", ...) have no entry in any table; showing
// the key beats showing nothing after the comma.
std::string ModeText(int tryb) {
    const std::string_view key = ModeKey(tryb);
    if (key.empty()) return {};
    std::string text = LangText(key);
    return text.empty() ? std::string(key) : text;
}

}  // namespace

std::string SensorGroupCaption(const model::ConfigRecord& rec) {
    return " " + LangText(IsSignalInput(rec.Czujnik.Typ) ? "Input" : "Sensor type") + " ";
}

std::string SenTypeText(const model::ConfigRecord& rec) {
    const int typ = rec.Czujnik.Typ;
    std::string text;
    if (IsPanelThermocouple(typ)) text = LangText("Thermocouple") + " ";
    if (typ == 5) {
        text += LangText("Resistance");
    } else if (typ == 16 || typ == 18) {
        text += LangText("Voltage");
    } else if (typ == 17 || typ == 19) {
        text += LangText("Current");
    } else {
        text += SensorDisplayName(typ, rec.Czujnik.Gain);
    }
    if (rec.Czujnik.Tryb == 6) {
        text += ", " + LangText("CJ temp.") + ": " + FixedText(rec.Parametry.RoomT, 1, 3) + "\xC2\xB0" "C";
    } else if (typ < 16 || typ > 19) {
        text += ", " + ModeText(rec.Czujnik.Tryb);
    }
    if (rec.Czujnik.Lin > 1) text += ", " + LangText(IsSignalInput(typ) ? "result converted" : "linearization");
    return text;
}

ReakcjaText ReakcjaField(const model::ConfigRecord& rec) {
    if (rec.Parametry.Burnout == 2) return {false, LangText("Output locked") + ",    I=4mA"};
    const int typ = rec.Czujnik.Typ;
    const char* key = typ >= 16 && typ <= 20 ? "Internal failure sygnalization" : "Output reaction to sensor burnout";
    return {true, LangText(key) + ":"};
}

RangeLimits RangeLimitTexts(const model::ConfigRecord& rec, bool noTab) {
    if (noTab) return {};
    const int row = !rec.TableLoaded && rec.Czujnik.Lin < 3 ? rec.Czujnik.Typ : 15;
    return {FixedText(model::SensorRangeLow(rec, row), 1, 3) + " ..",
            ".. " + FixedText(model::SensorRangeHigh(rec, row), 1, 3)};
}

std::string TenthsText(int tenths) { return FixedText(tenths * 0.1, 1, 3); }

std::string CorrectionText(double percent) { return FixedText(percent, 2, 5) + "%"; }

}  // namespace r4860::workflow
