#include "workflow/panel_rules.h"

#include <gtest/gtest.h>

namespace r4860::workflow {
namespace {

using model::ConfigRecord;
using Messages = std::vector<PanelMessage>;

ConfigRecord Pt100(double lo, double hi) {
    ConfigRecord r;
    r.Czujnik = {1, 3, 0, 1};
    r.Parametry.MinInput = lo, r.Parametry.MaxInput = hi;
    r.Parametry.FiltrZakres = 123, r.Parametry.FiltrCzas = 16, r.Parametry.FiltrLimit = 50;
    return r;
}

TEST(RangeEdits, AcceptInsideTheSensorAndRestoreTheOldValueOtherwise) {
    struct Case { bool max; const char* typed; double want; Messages messages; };
    for (const auto& c : {Case{false, "-100.0", -100.0, {}}, Case{false, "-100.01", 0, {kMinimumOutOfRange}},
                          Case{true, "850.5", 100.0, {kMaximumOutOfRange}},  // Pt100 is -100 .. 850
                          Case{true, "0.5", 100.0, {kRangeTooSmall}},        // the span, not the bound
                          Case{true, "200,5", 200.5, {}}, Case{false, "1o", 0.0, {kWrongFormat}}}) {
        const auto r = c.max ? MaxInputEExit(c.typed, Pt100(0, 100)) : MinInputEExit(c.typed, Pt100(0, 100));
        EXPECT_EQ(std::pair(r.value, r.messages), std::pair(c.want, c.messages)) << c.typed;
    }
    // A stale minimum fails its check again after a typing error: two boxes, as the window showed.
    EXPECT_EQ(MinInputEExit("x", Pt100(-200, 100)).messages, (Messages{kWrongFormat, kMinimumOutOfRange}));
    EXPECT_EQ(MinInputEExit("-5", Pt100(0, 100)).shown, "-5.00");
    ConfigRecord converted = Pt100(0, 5);
    converted.Czujnik = {17, 1, 0, 2};
    converted.LiveRanges[15] = {3, 100};
    EXPECT_EQ(MaxInputEExit("15", converted).messages, Messages{kMaximumOutOfRange}) << "the row bounds it";
    EXPECT_EQ(MinInputEExit("0.3", converted).messages, Messages{}) << "3 x 0.1 lies a bit above 0.3";
}

TEST(FilterEdits, StoreTenthsOnTheTransducersSteps) {
    struct Case { EditResult<int> (*edit)(std::string_view, const ConfigRecord&); const char* typed; int want;
                  const char* shown; Messages messages; };
    constexpr auto Z = FiltrZakresEExit, C = FiltrCzasEExit, L = FiltrLimitEExit;
    for (const auto& c : {Case{Z, "25.04", 250, "25.0", {}}, Case{Z, "25.06", 123, "12.3", {kOutOfRange}},
                          Case{C, "2.0", 19, "1.9", {}},  // 12.5 steps, rounded to even
                          Case{C, "0.1", 2, "0.2", {}}, Case{C, "40.1", 16, "1.6", {kOutOfRange}},
                          Case{L, "10", 25, "25", {}},  // raised to twice the range
                          Case{L, "0", 0, "0", {}}, Case{L, "101", 50, "50", {kOutOfRange}},
                          Case{L, "", 50, "50", {kWrongFormat}}}) {
        const auto r = c.edit(c.typed, Pt100(0, 100));
        EXPECT_EQ(std::tuple(r.value, r.shown, r.messages), std::tuple(c.want, c.shown, c.messages))
            << c.typed;
    }
    // The up-down jumps over the forbidden thresholds; typing is clamped, never refused.
    EXPECT_EQ(std::tuple(FiltrLimitUpDownClick(1, true, 123), FiltrLimitUpDownClick(24, false, 123),
                         FiltrLimitUpDownClick(26, true, 123)), std::tuple(25, 0, 26));
    EXPECT_EQ(FiltrLimitEChange("150"), 100);
    EXPECT_EQ(FiltrLimitEChange(""), std::nullopt);
}

TEST(CheckParam, GatesOnAShownAndCompleteConfigurationAndAsksForMissingTables) {
    ConfigRecord table;  // a user sensor whose table is not loaded
    table.Czujnik = {15, 6, 0, 1};
    const PanelState shown{.ParamsShown = true};
    using S = CheckParamStep;
    struct Case { PanelState panel; bool userData, silent; S step; std::optional<PanelMessage> message; };
    for (const auto& c : {Case{{}, true, false, S::Refuse, kNoParameters},
                          Case{{}, true, true, S::Refuse, {}},
                          Case{shown, true, false, S::CompleteUserData, {}},
                          Case{shown, false, false, S::RunEdits, {}}}) {  // Print asks for no user data
        const auto d = CheckParam(table, c.panel, c.userData, c.silent);
        EXPECT_EQ(std::pair(d.step, d.message), std::pair(c.step, c.message)) << int(c.step);
    }
    struct Row { model::CzujnikGroup sensor; bool loaded, coefMissing, want; };
    for (const auto& c : {Row{{15, 6, 0, 1}, false, false, true}, Row{{15, 6, 0, 1}, true, false, false},
                          Row{{17, 1, 0, 2}, false, false, true}, Row{{16, 1, 0, 8}, false, false, true},
                          Row{{16, 1, 0, 3}, false, false, false},  // linear needs no table
                          Row{{10, 7, 0, 2}, false, false, false},  // nor does a thermocouple
                          Row{{10, 7, 0, 2}, true, true, true}}) {  // missing coefficients: not completable
        ConfigRecord r;
        r.Czujnik = c.sensor, r.TableLoaded = c.loaded;
        EXPECT_EQ(noTab(r, c.coefMissing), c.want) << int(c.sensor.Typ) << " Lin " << int(c.sensor.Lin);
    }
}

TEST(EnablingFor, FollowsTheLinkTheEepromAndTheView) {
    const auto live = [](MainWindowEnabling e) {
        e.RegulacjaT = e.Regulacja1 = e.Odswierz1 = e.Odczytaj1 = e.OdczytajT = e.Wykres1T = true;
        return e;
    };
    const MainWindowEnabling connected{.ZapiszT = true, .Ustawienia1 = true, .Reset1 = true};
    auto diagram = live(connected), verify = live(connected);
    diagram.Wykres1 = verify.Wykres1 = verify.Weryfikuj1 = true;
    struct Case { const char* why; WorkflowState state; bool eeprom;
                  PanelState panel; MainWindowEnabling want; };
    const Case cases[] = {
        {"fresh start, no transducer", {}, false, {}, {}},
        {"connected", {.Connected = true}, false, {}, diagram},
        {"a damaged EEPROM leaves only the Setup menu", {.Connected = true}, true, {}, connected},
        {"verify after a write", {.Connected = true, .VerifyAllowed = true}, false, {}, verify},
        {"no diagram from Monitor only", {.Connected = true}, false, {.MonitorOnly = true}, live(connected)},
        {"Lock Iout follows the panel", {}, false, {.ParamsShown = true}, {.Blokada1 = true}},
    };
    for (const auto& c : cases) EXPECT_EQ(EnablingFor(c.state, c.eeprom, c.panel), c.want) << c.why;
    const WorkflowState on{.Connected = true};  // Kolory marks what differs from the transducer
    EXPECT_EQ(std::tuple(KoloryFor(PanelEvent::Opened, on), KoloryFor(PanelEvent::Opened, {}),
                         KoloryFor(PanelEvent::SensorSelected, on), KoloryFor(PanelEvent::Read, on)),
              std::tuple(Kolory::AllChanged, Kolory::Shown, Kolory::RangeChanged, Kolory::Shown));
    EXPECT_EQ(ColoursOf(Kolory::RangeChanged), (KoloryColours{EditColour::Aqua, EditColour::Keep}));
}

TEST(ModelNames, NameTheCaptionAndAdoptTheFirstModelComparingOnlyItsCode) {
    const auto list = model::DefaultModelList();
    EXPECT_EQ(ShowCaptionText("", list, "No_name", "Unspecified type"), "Unspecified type");
    EXPECT_EQ(ShowCaptionText("R4720", list, "No_name", "-"), "R4720 - No_name");
    EXPECT_EQ(ShowCaptionText("r4748", list, "a.par", "-"), "? - a.par") << "names ignore letter case";
    EXPECT_EQ(ShowCaptionText("R4799", list, "a.par", "-"), "a.par");
    using K = DeviceCheck::Kind;
    struct Case { const char* device; int typeIndex; K kind; const char* name; };
    for (const auto& c : {Case{"", 8, K::Adopt, "R4720"}, Case{"R4720", 8, K::Consistent, ""},
                          Case{"Q4747", 0, K::Consistent, ""},   // the prefix is not compared
                          Case{"R4720", 9, K::Mismatch, ""}}) {  // indexes 9 to 15 are code 0
        const auto d = CheckDevice(c.device, c.typeIndex);
        EXPECT_EQ(std::pair(d.kind, d.modelName), std::pair(c.kind, std::string(c.name))) << c.typeIndex;
    }
}

}  // namespace
}  // namespace r4860::workflow
