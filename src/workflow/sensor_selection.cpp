#include "workflow/sensor_selection.h"

#include "common/catalogues.h"
#include "common/date_text.h"
#include "common/lang_table.h"
#include "common/number_text.h"
#include "common/text_encoding.h"

namespace r4860::workflow {
namespace {

using model::ConfigRecord;

void clearFilterAndCorrections(model::ParametryGroup& p) {
    p.FiltrZakres = p.FiltrCzas = p.FiltrLimit = 0;
    p.ZeroReg = p.GainReg = 0.0;
}

void rangeFromRow(ConfigRecord& rec, int row) {
    rec.Parametry.MinInput = model::SensorRangeLow(rec, row);
    rec.Parametry.MaxInput = model::SensorRangeHigh(rec, row);
}

bool isDoubleMode(int tryb) {
    return tryb >= 8 && tryb <= 11;
}

// The wiring a record's mode shows, where 4-wire may be disabled.
std::uint8_t wiresOf(int tryb, bool w4Enabled, std::uint8_t otherwise) {
    if (tryb == 2 || tryb == 3) return static_cast<std::uint8_t>(tryb);
    if (tryb == 4 && w4Enabled) return 4;
    return otherwise;
}

std::uint8_t wiresChosen(std::uint8_t wires) {
    return wires >= 2 && wires <= 4 ? wires : 2;
}

// The conversion a record shows on the tab of its own sensor; a table only once it is loaded.
Conversion conversionOf(const ConfigRecord& rec) {
    switch (rec.Czujnik.Lin) {
    case 4:
        return Conversion::Linear;
    case 8:
        return Conversion::PowerSeries;
    case 2:
        return rec.TableLoaded ? Conversion::Table : Conversion::None;
    default:
        return Conversion::None;
    }
}

// Steps 2 to 5 of OK in the signal input windows, after the codes are set.
void inputOk(ConfigRecord& rec, const SelectionOpening& opening, int unit, long today) {
    auto& cz = rec.Czujnik;
    auto& p = rec.Parametry;
    cz.Gain = 0;  // the nominal resistance belongs to resistance thermometers; the encoder insists
    if (cz.Lin >= 2 || cz.Typ != opening.typ || cz.Lin != opening.lin) {
        if (cz.Lin == 1) {
            rangeFromRow(rec, cz.Typ);
            p.Jednostki = unit;
        } else {
            rangeFromRow(rec, 15);  // the conversion's own range; its window set the unit
        }
        clearFilterAndCorrections(p);
    }
    if (cz.Lin != 2) rec.TableLoaded = false;
    if (cz.Lin == 1) rec.TableInputType = 0;
    rec.Informacje.data = DateText(today);
}

// Whole when it has no tenths, else with one decimal, without the padding of TenthTxt.
std::string tenthsNumber(double v) {
    std::string s = TenthTxt(v);
    s.erase(0, s.find_first_not_of(' '));
    return s;
}

std::string trimmedEnd(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

}  // namespace

SelectionOpening OpenSelectionWindow(ConfigRecord& rec) {
    rec.ConvEntered = false;
    return {rec.Czujnik.Typ, rec.Czujnik.Gain, rec.Czujnik.Lin};
}

std::uint8_t LinCodeOf(Conversion c) noexcept {
    switch (c) {
    case Conversion::Linear:
        return 4;
    case Conversion::PowerSeries:
        return 8;
    case Conversion::Table:
        return 2;
    case Conversion::None:
        break;
    }
    return 1;
}

WyborView WyborInitial(const ConfigRecord& rec, int modelCode) {
    const auto& cz = rec.Czujnik;
    WyborView v;
    v.w4Enabled = modelCode == 48 || modelCode == 49;
    WyborChoice& c = v.choice;
    c.thermocoupleTab = cz.Typ >= 6 && cz.Typ <= 15;
    c.rtd = IsRtd(cz.Typ) ? cz.Typ : 1;
    c.nominal = cz.Gain <= 3 ? cz.Gain : 0;
    c.wires = wiresOf(cz.Tryb, v.w4Enabled, v.w4Enabled ? 4 : 3);
    c.rtdLinearization = c.thLinearization = cz.Lin == 2;
    c.thermocouple = c.thermocoupleTab ? cz.Typ : 6;
    c.tempDiff = cz.Tryb == 5;
    c.cjc = cz.Tryb != 5 && cz.Tryb != 6;
    return v;
}

void TempDiffChecked(WyborChoice& choice) noexcept {
    choice.tempDiff = true;
    choice.cjc = false;
}

void CjcChecked(WyborChoice& choice) noexcept {
    choice.cjc = true;
    choice.tempDiff = false;
}

bool WyborNeedsRoomT(const WyborChoice& choice) noexcept {
    return choice.thermocoupleTab && !choice.tempDiff && !choice.cjc;
}

void WyborOk(ConfigRecord& rec, const WyborChoice& choice, const SelectionOpening& opening, long today) {
    auto& cz = rec.Czujnik;
    if (!choice.thermocoupleTab) {
        cz.Typ = IsRtd(choice.rtd) ? choice.rtd : 1;
        cz.Tryb = wiresChosen(choice.wires);
        cz.Gain = choice.nominal <= 3 ? choice.nominal : 0;
        cz.Lin = choice.rtdLinearization ? 2 : 1;
    } else {
        const bool user = choice.thermocouple == 15;
        cz.Typ = IsThermocouple(choice.thermocouple) || user ? choice.thermocouple : 6;
        cz.Tryb = choice.tempDiff ? 5 : (choice.cjc ? 7 : 6);
        cz.Gain = 0;
        // A user sensor is its table: without it there is nothing to linearize by.
        cz.Lin = choice.thLinearization || user ? 2 : 1;
    }
    model::AdjustRtdRange(rec);
    rec.Parametry.Jednostki = 8;
    if (cz.Typ == 15 || cz.Typ != opening.typ || cz.Gain != opening.gain) {
        rangeFromRow(rec, cz.Typ);
        clearFilterAndCorrections(rec.Parametry);
    }
    if (cz.Typ != 15) {
        rec.TableLoaded = false;
        rec.TableInputType = 0;
    }
    rec.Informacje.data = DateText(today);
}

WyborRVView WyborRVInitial(const ConfigRecord& rec, int modelCode) {
    WyborRVView v;
    v.w4Enabled = modelCode == 48 || modelCode == 49;
    v.choice.resistanceTab = rec.Czujnik.Typ == 5;
    v.choice.wires = wiresOf(rec.Czujnik.Tryb, v.w4Enabled, rec.Czujnik.Tryb == 4 ? 3 : 2);
    if (rec.Czujnik.Typ == 5 || rec.Czujnik.Typ == 16) v.choice.conversion = conversionOf(rec);
    return v;
}

WyborIChoice WyborIInitial(const ConfigRecord& rec) {
    WyborIChoice c;
    c.doubleInput = isDoubleMode(rec.Czujnik.Tryb);
    const Conversion shown = conversionOf(rec);
    if (shown == Conversion::Linear || shown == Conversion::PowerSeries) c.conversion = shown;
    return c;
}

WyborIVChoice WyborIVInitial(const ConfigRecord& rec) {
    WyborIVChoice c;
    c.currentTab = rec.Czujnik.Typ == 17;
    c.doubleInput = isDoubleMode(rec.Czujnik.Tryb);
    if (rec.Czujnik.Typ == 17 || rec.Czujnik.Typ == 18) c.conversion = conversionOf(rec);
    return c;
}

void WyborRVOk(ConfigRecord& rec, const WyborRVChoice& choice, const SelectionOpening& opening, long today) {
    auto& cz = rec.Czujnik;
    cz.Typ = choice.resistanceTab ? 5 : 16;
    cz.Tryb = choice.resistanceTab ? wiresChosen(choice.wires) : 5;
    cz.Lin = LinCodeOf(choice.conversion);
    inputOk(rec, opening, choice.resistanceTab ? 5 : 2, today);
}

void WyborIOk(ConfigRecord& rec, const WyborIChoice& choice, const SelectionOpening& opening, long today) {
    auto& cz = rec.Czujnik;
    cz.Typ = 17;
    cz.Tryb = choice.doubleInput ? 8 : 5;
    cz.Lin = LinCodeOf(choice.conversion);
    inputOk(rec, opening, 4, today);
}

void WyborIVOk(ConfigRecord& rec, const WyborIVChoice& choice, const SelectionOpening& opening, long today) {
    auto& cz = rec.Czujnik;
    cz.Typ = choice.currentTab ? 17 : 18;
    cz.Tryb = choice.currentTab && choice.doubleInput ? 8 : 5;
    cz.Lin = LinCodeOf(choice.conversion);
    inputOk(rec, opening, choice.currentTab ? 4 : 1, today);
}

void PrepareConversionWindow(ConfigRecord& rec, std::uint8_t inputCode) noexcept {
    rec.TableInputType = inputCode;
}

std::string_view InputUnitLabel(int inputCode) noexcept {
    switch (inputCode) {
    case 5:
        return "Ohm";
    case 15:
    case 16:
        return "mV";
    case 17:
    case 19:
        return "mA";
    case 18:
        return "V";
    default:
        return "";
    }
}

int DefaultResultUnit(int inputCode) noexcept {
    switch (inputCode) {
    case 5:
        return 5;
    case 16:
        return 2;
    case 17:
    case 19:
        return 4;
    case 18:
        return 1;
    default:
        return 8;
    }
}

std::string MaxRangeText(const ConfigRecord& rec, int inputCode) {
    if (inputCode != 5 && (inputCode < 16 || inputCode > 18)) return {};
    const TenthRange row = rec.LiveRanges[static_cast<std::size_t>(inputCode)];
    return std::to_string(row.low / 10) + "..." + std::to_string(row.high / 10) + " " +
           std::string(InputUnitLabel(inputCode));
}

std::string InputSpanText(const ConfigRecord& rec, int inputCode) {
    return trimmedEnd(tenthsNumber(rec.LinCoef[9]) + "..." + tenthsNumber(rec.LinCoef[10]) + " " +
                      std::string(InputUnitLabel(inputCode)));
}

std::string ResultSpanText(const ConfigRecord& rec) {
    const TenthRange row = rec.LiveRanges[15];
    return trimmedEnd(tenthsNumber(row.low * 0.1) + "..." + tenthsNumber(row.high * 0.1) + " " +
                      std::string(UnitName(rec.Parametry.Jednostki)));
}

std::string MaxRangeCaption() {
    return LangText("Maximum range") + ":";
}
std::string InputCaption() {
    return LangText("Input") + ":";
}
std::string ResultCaption() {
    const std::string result = LangText("Result1");  // "Result1" names the column; the label drops the 1
    return Utf8Left(result, Utf8Length(result) == 0 ? 0 : Utf8Length(result) - 1) + ":";
}

}  // namespace r4860::workflow
