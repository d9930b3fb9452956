#include "files/config_report.h"

#include <string_view>
#include <tuple>
#include <utility>

#include "common/catalogues.h"
#include "common/date_text.h"
#include "common/lang_table.h"
#include "common/number_text.h"
#include "common/text_encoding.h"
#include "files/table_file.h"

namespace r4860::files {
namespace {

constexpr std::string_view kDegreesC = "\xC2\xB0" "C";
constexpr std::string_view kIndent = "   ";
constexpr std::string_view kSubIndent = "      ";

// Labels from the table the caller chose, so a report can be composed in any loaded language.
class Labels {
public:
    explicit Labels(std::span<const std::string> table) : m_table(table) {}
    [[nodiscard]] std::string operator()(std::string_view key) const { return FindLangText(m_table, key); }
    // Mode names beyond the built-in list ("sum", "max", ...) have no entry in any table;
    // the key beats a gap after the comma, as on the panel.
    [[nodiscard]] std::string mode(int tryb) const {
        const std::string_view key = ModeKey(tryb);
        if (key.empty()) return {};
        std::string text = (*this)(key);
        return text.empty() ? std::string(key) : text;
    }

private:
    std::span<const std::string> m_table;
};

std::string F2(double value) { return FixedText(value, 2, 4); }
std::string F1(double value) { return FixedText(value, 1, 3); }
// Only a positive correction carries a sign: 0 prints as 0.00.
std::string SignedF2(double value) { return (value > 0 ? "+" : "") + F2(value); }

bool IsReportThermocouple(int typ) { return typ >= 6 && typ <= 15; }
bool IsInputOnly(int typ) { return typ >= 16 && typ <= 20; }

// The table's file name without its folder (a record may hold a path of either kind), in lower case.
std::string SourceFileName(std::string_view file) {
    std::string name = TableFileName(file);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name;
}

// The first blank at characters 25 to 34 ends line 5 (the blank stays there); failing that,
// character 35 does. Counted in characters, so Polish letters do not shift the split.
std::pair<std::string, std::string> SplitUserInfo(std::string_view info) {
    if (info.empty()) return {};
    const std::size_t length = Utf8Length(info);
    std::size_t cut = 35;
    for (std::size_t position = 25; position <= 34 && position <= length; ++position) {
        if (Utf8Mid(info, position - 1, 1) == " ") {
            cut = position;
            break;
        }
    }
    return {std::string(kIndent) + Utf8Left(info, cut), std::string(kIndent) + Utf8Mid(info, cut, length)};
}

std::string SensorHeading(const model::ConfigRecord& rec, const Labels& text) {
    const int typ = rec.Czujnik.Typ;
    std::string line = text(IsSignalInput(typ) ? "Input" : "Sensor") + ":  ";
    if (IsReportThermocouple(typ)) line += text("Thermocouple type") + " ";
    if (typ == 5) return line + text("Resistance");
    if (typ == 16 || typ == 18) return line + text("Voltage");
    if (typ == 17) return line + text("Current");
    return line + std::string(SensorDisplayName(typ, rec.Czujnik.Gain));
}

struct ModeAndConversion {
    std::string mode;        // part A
    std::string conversion;  // part B
};

std::string ModePart(const model::ConfigRecord& rec, const Labels& text) {
    const int typ = rec.Czujnik.Typ;
    const int lin = rec.Czujnik.Lin;
    if (rec.Czujnik.Tryb == 6) {
        std::string a = text("external CJ") + " (" + F2(rec.Parametry.RoomT) + std::string(kDegreesC) + ")";
        if (lin == 2) a += ", " + text("linearization");
        return a;
    }
    std::string a = IsInputOnly(typ) ? std::string() : text.mode(rec.Czujnik.Tryb);
    if (lin <= 1) return a;
    if (!IsSignalInput(typ)) return a + ", " + text("linearization");
    if (!a.empty()) a += ", ";
    return a + text("conversion") + ":  ";
}

ModeAndConversion ModeAndConversionParts(const model::ConfigRecord& rec, const Labels& text) {
    ModeAndConversion parts{ModePart(rec, text), {}};
    const int typ = rec.Czujnik.Typ;
    const std::string file = SourceFileName(rec.File);
    switch (rec.Czujnik.Lin) {
    case 1:
        if (typ == 15) parts.conversion = text("source file") + ": " + file;
        break;
    case 2:
        if (!rec.TableLoaded) break;
        if (typ == 15) {
            parts.conversion = text("source file") + ": " + file;
        } else {
            parts.mode += text("table defined") + " ";
            parts.conversion = "(" + file + ")";
        }
        break;
    case 4: parts.conversion = text("linear"); break;
    case 8: parts.conversion = text("power series"); break;
    default: break;
    }
    return parts;
}

std::string BurnoutLine(const model::ConfigRecord& rec, const Labels& text) {
    const std::int32_t burnout = rec.Parametry.Burnout;
    std::string reaction;
    if (burnout == 0) reaction = text("below 4mA");
    else if (burnout == 1) reaction = text("above 20mA");
    else if (burnout == 2) reaction = "   I=4mA";
    std::string label;
    if (burnout == 2) label = text("Output locked");
    else if (IsInputOnly(rec.Czujnik.Typ)) label = text("Internal failure sygnalization");
    else label = text("Output reaction to sensor burnout");
    return label + ": " + reaction;
}

void ComposeSensorLines(const model::ConfigRecord& rec, const Labels& text, std::vector<std::string>& l) {
    const auto& p = rec.Parametry;
    l[10] = SensorHeading(rec, text);
    const ModeAndConversion parts = ModeAndConversionParts(rec, text);
    if (Utf8Length(parts.mode) + Utf8Length(parts.conversion) < kReportSharedLineLimit) {
        // A mode that does not lead into its conversion (a user sensor's "CJC" before its source
        // file) would otherwise run into it.
        const bool apart = !parts.mode.empty() && !parts.conversion.empty() && !parts.mode.ends_with(' ');
        l[11] = std::string(kIndent) + parts.mode + (apart ? ", " : "") + parts.conversion;
    } else {
        l[11] = std::string(kIndent) + parts.mode;
        l[12] = std::string(kIndent) + parts.conversion;
    }
    l[13] = text("Input range") + ": " + F2(p.MinInput) + " " + text("to") + " " + F2(p.MaxInput) + " " +
            std::string(UnitName(p.Jednostki));
    l[14] = text("Output range") + ": 4 - 20 mA";
    l[15] = BurnoutLine(rec, text);
    l[16] = text("Corrections") + ":  " + SignedF2(p.ZeroReg) + "% (" + text("Zero") + "), " + SignedF2(p.GainReg) +
            "% (" + text("Gain") + ")";
}

void ComposeFilterLines(const model::ConfigRecord& rec, const Labels& text, std::vector<std::string>& l) {
    const auto& p = rec.Parametry;
    const std::string sub(kSubIndent);
    l[18] = text("Filter settings") + ":";
    l[19] = std::string(kIndent) + text("Input filter") + ":";
    l[20] = sub + text("Filtration range") + "=" + F1(p.FiltrZakres * 0.1) + " %";
    l[21] = sub + text("Time constant") + "=" + F1(p.FiltrCzas * 0.1) + " s";
    l[22] = sub + text("Spurious error threshold") + "=" + std::to_string(p.FiltrLimit) + " %";
    l[23] = std::string(kIndent) + text("Net filter") + ":";
    l[24] = sub + text("Frequency") + "=" + std::to_string(p.Siec) + " Hz";
}

}  // namespace

void ComposeReport(const model::ConfigRecord& rec, std::span<const std::string> langTable,
                   std::span<const model::ModelListRow> modelList, long today, LineBuffer& buffer) {
    const Labels text(langTable);
    std::vector<std::string>& l = buffer.lines();
    l.assign(kReportLines, std::string());
    const auto& info = rec.Informacje;
    l[0] = text("Parameters  of") + "  " + model::ModelListValue(modelList, rec.Device).value_or("?");
    // The texts come from files of any origin: no control character reaches a page or a terminal.
    l[2] = text("ID Tag") + ":  " + StripControls(info.kod);
    l[4] = text("User info") + ":";
    std::tie(l[5], l[6]) = SplitUserInfo(StripControls(info.ogolne));
    l[7] = text("Configuration date") + ": " + StripControls(info.data);
    l[8] = text("Serial number") + ": " + StripControls(info.serial);
    ComposeSensorLines(rec, text, l);
    ComposeFilterLines(rec, text, l);
    l[kReportDateLine] = text("Printed") + ": " + DateText(today);
}

std::vector<std::string> ReportLines(const model::ConfigRecord& rec, std::span<const std::string> langTable,
                                     std::span<const model::ModelListRow> modelList, long today) {
    LineBuffer buffer;
    ComposeReport(rec, langTable, modelList, today, buffer);
    return std::move(buffer.lines());
}

std::string ReportPdfName(std::string_view stem) {
    std::string name = StripControls(stem);
    for (char& c : name)
        if (c == '/' || c == '\\') c = '_';
    if (name.empty() || name.find_first_not_of('.') == std::string::npos) name = "report";
    return name + ".pdf";
}

}  // namespace r4860::files
