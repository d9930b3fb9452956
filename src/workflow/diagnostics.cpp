#include "workflow/diagnostics.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "common/catalogues.h"
#include "common/number_text.h"
#include "model/models.h"

namespace r4860::workflow {
namespace {

bool inFamily47(int modelCode) { return modelCode >= 47 && modelCode <= 49; }

std::string rounded2(double v, int width) {
    return FixedText(static_cast<double>(RoundEven(v * 100.0)) / 100.0, 2, width);
}

std::string trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return std::string(text);
}

std::optional<std::uint8_t> hexByte(std::string_view two) {
    if (two.size() != 2 || !std::isxdigit(static_cast<unsigned char>(two[0])) ||
        !std::isxdigit(static_cast<unsigned char>(two[1])))
        return std::nullopt;
    return static_cast<std::uint8_t>(std::stoi(std::string(two), nullptr, 16));
}

std::string sensorKind(const model::ConfigRecord& rec) {
    const int typ = rec.Czujnik.Typ;
    if (typ >= 6 && typ <= 14) return "Thermocouple " + std::string(SensorNames[static_cast<std::size_t>(typ)]);
    if (typ == 5) return "Resistance";
    if (typ == 16 || typ == 18) return "Voltage";
    if (typ == 17 || typ == 19) return "Current";
    return std::string(SensorDisplayName(typ, rec.Czujnik.Gain));
}

std::string rangeValue(double v, const model::ParametryGroup& p) {
    return trimmed(RangeNumTxt(v, p.MinInput, p.MaxInput));
}

}  // namespace

std::array<std::string, kRegisterCount> RegisterItemNames(int modelCode) {
    std::array<std::string, 3> middle{"Rinpu", "Tinpu", "Xinpu"};
    if (modelCode == 20) middle = {"Iinpu", "Iinpu", "Iinpu"};
    else if (modelCode >= 37 && modelCode <= 39) middle = {"Oinpu", "Xinpu", "Sinpu"};
    else if (inFamily47(modelCode)) middle = {"Cinpu", "Tinpu", "IinpuB"};
    return {"Iinpu", middle[0], middle[1], middle[2], "Meas", "Result", "Wnorm", "Aver"};
}

int DeviceModelCode(const model::ConfigRecord& rec) { return model::ModelCodeOfName(rec.Device).value_or(0); }

std::string RegisterValueText(int item, double v, int modelCode, int unitIndex) {
    switch (item) {
    case 2: return rounded2(v, 7) + (inFamily47(modelCode) ? " \xC2\xB0" "C   " : "   ");
    case 4: return rounded2(v, 7) + "   ";
    case 5: return FixedText(v, std::fabs(v) >= 1000.0 ? 1 : 2, 7) + " " + std::string(UnitName(unitIndex)) + "   ";
    case 6: return FixedText(100.0 * v, 2, 7) + " %   ";
    default: return FixedText(v, 2, 7) + "   ";
    }
}

DiagnosticsOutputView DiagnosticsOutputText(double outputMa, const protocol::StatusFlags& status) {
    return {rounded2(outputMa, 5) + " mA   ", status.IndependentOutput ? ServiceColour::Teal : ServiceColour::Black};
}

std::string DiagnosticsStatusText(const protocol::StatusFlags& s) {
    std::string text;
    const auto line = [&text](bool on, const char* what) {
        if (!on) return;
        if (!text.empty()) text += '\n';
        text += what;
    };
    line(s.CalMode, "Calibration mode");
    line(s.IndependentOutput, "Independent output");
    line(s.EepromError, "EEPROM error");
    line(s.InternalError, "Internal error");
    line(!s.InternalError && s.BrokenSensor, "Broken sensor");
    line(s.OutOfRange, "Out of range");
    line(s.NewAverage, "New average");
    line(s.LargeError, "Large error");
    return text;
}

std::string MemoryBytesText(std::span<const std::uint8_t, 4> bytes) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02X %02X %02X %02X", bytes[0], bytes[1], bytes[2], bytes[3]);
    return buf;
}

MemoryWrite ParseMemoryWrite(std::string_view typed, int address) {
    const std::string text = trimmed(typed);
    MemoryWrite w;
    if (const auto byte = hexByte(text)) {
        w.kind = MemoryWriteKind::Byte;
        w.code = '1';
        w.address = address & 0xFFFF;
        w.byte = *byte;
        w.parameter = static_cast<std::uint32_t>(w.address) | std::uint32_t{*byte} << 16;
        return w;
    }
    if (text.size() == 4 && text[0] == 'L') {
        const auto value = hexByte(std::string_view(text).substr(2));
        if (text[1] < '0' || text[1] > '2' || !value) return w;
        w.kind = MemoryWriteKind::Register;
        w.code = 'L';
        w.registerIndex = text[1] - '0';
        w.byte = *value;
        w.parameter = static_cast<std::uint32_t>(w.registerIndex) << 8 | *value;
        return w;
    }
    double value = 0.0;
    if (text.find_first_of(".,") != std::string::npos && TextToNum(text, value)) {
        w.kind = MemoryWriteKind::Float;
        w.code = 'd';
        w.address = ReadAddress(address) & 0xFFFF;
        w.value = value;
        w.parameter = static_cast<std::uint32_t>(w.address);
    }
    return w;
}

int OscillatorAdjustment(std::uint8_t byte) noexcept {
    const int nibble = byte & 0x0F;
    return (nibble & 0x08) != 0 ? nibble - 16 : nibble;
}

std::string OscillatorText(int adjustment) {
    const std::string number = adjustment > 0 ? "+" + std::to_string(adjustment) : std::to_string(adjustment);
    return "Oscillator adjustment = " + number;
}

std::string DiagnosticsSummary(const model::ConfigRecord& rec) {
    const auto& p = rec.Parametry;
    std::string text = sensorKind(rec);
    if (rec.Czujnik.Tryb == 6) text += ", CJ temp. " + FixedText(p.RoomT, 1) + " \xC2\xB0" "C";
    if (rec.Czujnik.Lin > 1) text += IsSignalInput(rec.Czujnik.Typ) ? ", converted" : ", linearization";
    text += "\nRange: " + rangeValue(p.MinInput, p) + " .. " + rangeValue(p.MaxInput, p) + " " +
            std::string(UnitName(p.Jednostki));
    text += "\nZero:  " + FixedText(p.ZeroReg, 2) + " %\nGain:  " + FixedText(p.GainReg, 2) + " %";
    text += "\nFilter:  " + FixedText(p.FiltrZakres * 0.1, 1) + " %  " + FixedText(p.FiltrCzas * 0.1, 1) + " s";
    text += "\nSpurious error threshold: " + std::to_string(p.FiltrLimit) + " %";
    const auto& info = rec.Informacje;
    text += "\nCalibration date: " + info.CalDate + "\nConfig. date:       " + info.data +
            "\nInner code version: " + info.CodeVersion;
    return text;
}

}  // namespace r4860::workflow
