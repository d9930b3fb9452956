// The report's 28 lines: every rule that picks or joins a text, in English and in Polish.
#include "files/config_report.h"

#include <functional>

#include <gtest/gtest.h>

#include "common/date_text.h"
#include "common/lang_table.h"
#include "files/app_paths.h"
#include "files/atomic_file.h"
#include "files/language_file.h"

namespace r4860::files {
namespace {

using model::ConfigRecord;

const long kToday = DaysFromCivil(2024, 3, 9);

// A type K thermocouple with compensation, as most reports are made for.
ConfigRecord thermocoupleK() {
    ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Device = "R4747";
    rec.Czujnik = {10, 7, 0, 2};
    rec.Parametry.MinInput = 0, rec.Parametry.MaxInput = 600, rec.Parametry.Jednostki = 8;
    rec.Parametry.FiltrZakres = 15, rec.Parametry.FiltrCzas = 100, rec.Parametry.FiltrLimit = 5;
    rec.Parametry.Siec = 50, rec.Parametry.ZeroReg = -0.25, rec.Parametry.GainReg = 0;
    rec.Informacje.kod = "TT-101", rec.Informacje.ogolne = "Furnace 2, top zone";
    rec.Informacje.data = "01.03.2024", rec.Informacje.serial = "4711";
    return rec;
}

std::vector<std::string> polishTable() {
    auto bytes = ReadWholeFile(ExeDir() / "Polski.lan");
    EXPECT_TRUE(bytes.ok()) << "the build copies data/lang beside the executables";
    return bytes ? SplitLanguageText(*bytes) : std::vector<std::string>{};
}

struct ReportCase {
    const char* why;
    std::function<void(ConfigRecord&)> edit;
    bool polish;
    std::vector<std::size_t> lines;  // compared joined by "|"
    std::string expected;
};

std::string tableFile(std::size_t nameLength) { return "C:\\Tables\\" + std::string(nameLength - 4, 'T') + ".DAT"; }

TEST(ConfigReport, FollowsEachLineRule) {
    const auto voltageTable = [](std::size_t nameLength) {
        return [nameLength](ConfigRecord& r) {
            r.Czujnik = {16, 1, 0, 2}, r.TableLoaded = true, r.File = tableFile(nameLength);
        };
    };
    const std::vector<ReportCase> cases = {
        {"60 characters without blanks split after 35", [](ConfigRecord& r) { r.Informacje.ogolne = std::string(60, 'a'); },
         false, {5, 6}, "   " + std::string(35, 'a') + "|   " + std::string(25, 'a')},
        {"a blank at 28 ends line 5 and stays there",
         [](ConfigRecord& r) { r.Informacje.ogolne = std::string(27, 'a') + " " + std::string(32, 'b'); },
         false, {5, 6}, "   " + std::string(27, 'a') + " |   " + std::string(32, 'b')},
        {"blanks at 24 and 36 lie outside 25..34",
         [](ConfigRecord& r) { r.Informacje.ogolne = std::string(23, 'a') + " " + std::string(11, 'b') + " c"; },
         false, {5, 6}, "   " + std::string(23, 'a') + " " + std::string(11, 'b') + "|    c"},
        {"a blank at letter 31 (byte 51) is found by letters",
         [](ConfigRecord& r) { r.Informacje.ogolne = "łłłłłłłłłłłłłłłłłłłł" + std::string(10, 'a') + " żółw"; },
         false, {5, 6}, "   łłłłłłłłłłłłłłłłłłłł" + std::string(10, 'a') + " |   żółw"},
        {"identification", [](ConfigRecord&) {}, false, {2, 4, 7, 8},
         "ID Tag:  TT-101|User info:|Configuration date: 01.03.2024|Serial number: 4711"},
        {"filters in tenths, indented under their headings", [](ConfigRecord&) {}, false, {18, 19, 20, 21, 22, 23, 24},
         "Filter settings:|   Input filter:|      Filtration range=1.5 %|      Time constant=10.0 s|"
         "      Spurious error threshold=5 %|   Net filter:|      Frequency=50 Hz"},
        {"type K with compensation and linearization", [](ConfigRecord&) {}, true, {10, 11},
         "Czujnik:  Typ termopary K|   z kompensacją, linearyzacja"},
        {"0 without a sign, 1.5 with one", [](ConfigRecord& r) { r.Parametry.ZeroReg = 0, r.Parametry.GainReg = 1.5; },
         false, {16}, "Corrections:  0.00% (Zero), +1.50% (Gain)"},
        {"a model not in the list", [](ConfigRecord& r) { r.Device = "R4799"; }, false, {0}, "Parameters  of  ?"},
        {"a listed model by its value, names ignoring case", [](ConfigRecord& r) { r.Device = "r4720"; }, true, {0},
         "Parametry przetwornika  R4720"},
        {"49 characters of mode and conversion share line 11", voltageTable(20), false, {11, 12},
         "   conversion:  table defined (" + std::string(16, 't') + ".dat)|"},
        {"50 characters move the conversion to line 12", voltageTable(21), false, {11, 12},
         "   conversion:  table defined |   (" + std::string(17, 't') + ".dat)"},
        {"a table not loaded is not named", [](ConfigRecord& r) { r.Czujnik = {16, 1, 0, 2}, r.File = "x.dat"; }, false,
         {10, 11}, "Input:  Voltage|   conversion:  "},
        {"resistance keeps its wiring before the conversion and reacts to a burnout",
         [](ConfigRecord& r) { r.Czujnik = {5, 3, 0, 4}; }, true, {10, 11, 15},
         "Wejście:  Rezystancja|   3-przewodowe, przeliczenie:  liniowe|Reakcja wyjścia na uszkodzenie czujnika: poniżej 4mA"},
        {"a volt input has no mode before the conversion", [](ConfigRecord& r) { r.Czujnik = {18, 1, 0, 8}; }, false,
         {10, 11}, "Input:  Voltage|   conversion:  power series"},
        {"external cold junction with its temperature",
         [](ConfigRecord& r) { r.Czujnik = {9, 6, 0, 2}, r.Parametry.RoomT = 23.5; }, true, {11},
         "   zewnętrzna spoina odniesienia (23.50\xC2\xB0" "C), linearyzacja"},
        {"a user sensor names its source file apart from the mode",
         [](ConfigRecord& r) { r.Czujnik = {15, 7, 0, 1}, r.File = "/home/t/PROBE.DAT"; }, false, {10, 11},
         "Sensor:  Thermocouple type X|   CJC, source file: probe.dat"},
        {"a resistance thermometer by its nominal resistance", [](ConfigRecord& r) { r.Czujnik = {1, 4, 3, 2}; }, false,
         {10, 11}, "Sensor:  Pt1000 (0.00385)|   4-wire, linearization"},
        {"locked output", [](ConfigRecord& r) { r.Parametry.Burnout = 2; }, false, {15}, "Output locked:    I=4mA"},
        {"a current input signals internal failures",
         [](ConfigRecord& r) { r.Czujnik = {17, 1, 0, 1}, r.Parametry.Burnout = 1; }, true, {10, 15},
         "Wejście:  Prąd|Sygnalizacja awarii wewnętrznej: powyżej 20mA"},
        {"range in the unit of the result, print date", [](ConfigRecord& r) { r.Parametry.MinInput = -50.5; }, true,
         {13, 27}, "Zakres pomiarowy: -50.50 do 600.00 \xC2\xB0" "C|Wydrukowano: 09.03.2024"},
    };
    const auto english = EnglishTable();
    const auto polish = polishTable();
    for (const auto& c : cases) {
        ConfigRecord rec = thermocoupleK();
        c.edit(rec);
        LineBuffer buffer(3);
        ComposeReport(rec, c.polish ? polish : english, model::DefaultModelList(), kToday, buffer);
        ASSERT_EQ(buffer.lines().size(), kReportLines) << c.why;
        std::string joined;
        for (std::size_t i = 0; i < c.lines.size(); ++i) joined += (i ? "|" : "") + buffer.lines()[c.lines[i]];
        EXPECT_EQ(joined, c.expected) << c.why;
    }
}

}  // namespace
}  // namespace r4860::files
