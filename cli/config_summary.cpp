#include "config_summary.h"

#include <charconv>
#include <sstream>
#include <system_error>

#include "common/catalogues.h"
#include "common/lang_table.h"
#include "common/number_text.h"

namespace r4860::cli {
namespace {

// Seven significant digits at most: the precision of the device's floats, without their noise.
std::string valueText(double v) {
    char buf[64];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 7);
    return ec == std::errc() ? std::string(buf, ptr) : std::string("?");
}

std::string kindOf(int typ) {
    if (IsRtd(typ)) return "resistance thermometer ";
    if (IsThermocouple(typ)) return LangText("Thermocouple") + " ";
    switch (typ) {
    case 5: return "resistance input ";
    case 15: return "user sensor ";
    case 16: return "millivolt input ";
    case 17: return "current input ";
    case 18: return "voltage input ";
    default: return "";
    }
}

std::string conversionText(const model::ConfigRecord& rec) {
    const int typ = rec.Czujnik.Typ;
    const bool signal = IsSignalInput(typ);
    switch (rec.Czujnik.Lin) {
    case 1: return signal ? "none" : "none (output linear in the signal)";
    case 2: return signal || typ == 15 ? "user table" + (rec.File.empty() ? std::string() : " " + rec.File)
                                       : "sensor characteristic";
    case 4: return "linear: " + valueText(rec.LinCoef[0]) + " + " + valueText(rec.LinCoef[1]) + " * x";
    case 8: return "power series over " + valueText(rec.LinCoef[9]) + " .. " + valueText(rec.LinCoef[10]);
    default: return "invalid";
    }
}

std::string burnoutText(int burnout) {
    switch (burnout) {
    case 0: return "output below 4 mA";
    case 1: return "output above 20 mA";
    case 2: return "output locked at 4 mA";
    default: return "?";
    }
}

std::string orDash(const std::string& s) { return s.empty() ? "-" : s; }


}  // namespace

std::string SensorText(const model::ConfigRecord& rec) {
    const int typ = rec.Czujnik.Typ;
    if (typ == 20 || typ == 19) return "none";
    std::string text = kindOf(typ) + std::string(SensorDisplayName(typ, rec.Czujnik.Gain));
    const auto mode = ModeKey(rec.Czujnik.Tryb);
    if (rec.Czujnik.Tryb == 6) {
        text += ", " + LangText("CJ temp.") + " " + FixedText(rec.Parametry.RoomT, 1) + " \xC2\xB0" "C";
    } else if (!mode.empty() && !(typ >= 16 && typ <= 19 && rec.Czujnik.Tryb == 5)) {  // 5: a single input
        text += ", " + LangText(mode);
    }
    return text;
}

std::string ConfigSummary(const model::ConfigRecord& rec) {
    const auto& p = rec.Parametry;
    const auto& info = rec.Informacje;
    std::ostringstream out;
    auto line = [&](const char* label, const std::string& value) { out << label << value << '\n'; };
    line("Model:               ", orDash(rec.Device));
    line("Serial number:       ", orDash(info.serial));
    line("Configuration date:  ", orDash(info.data));
    line("Calibration date:    ", orDash(info.CalDate));
    line("Inner code version:  ", orDash(info.CodeVersion));
    line("Sensor:              ", SensorText(rec));
    line("Conversion:          ", conversionText(rec));
    line("Range:               ", valueText(p.MinInput) + " .. " + valueText(p.MaxInput) +
                                      " " + std::string(UnitName(p.Jednostki)));
    line("Signal filter:       ", "range " + FixedText(p.FiltrZakres * 0.1, 1) + " %, time " +
                                      FixedText(p.FiltrCzas * 0.1, 1) + " s, limit " + std::to_string(p.FiltrLimit) +
                                      " %");
    line("Broken sensor:       ", burnoutText(p.Burnout));
    line("Mains filter:        ", std::to_string(p.Siec) + " Hz");
    line("Corrections:         ", "zero " + FixedText(p.ZeroReg, 2) + " %, gain " + FixedText(p.GainReg, 2) + " %");
    line("ID tag:              ", orDash(info.kod));
    if (!info.ogolne.empty()) line("User information:    ", info.ogolne);
    return out.str();
}

}  // namespace r4860::cli
