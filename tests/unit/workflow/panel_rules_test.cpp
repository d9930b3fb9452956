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
    struct Case { const char* why; bool max; const char* typed; double want; Messages messages; };
    const Case cases[] = {
        {"Pt100's lowest limit itself", false, "-100.0", -100.0, {}},
        {"a hundredth below it", false, "-100.01", 0.0, {kMinimumOutOfRange}},
        {"above Pt100's highest limit", true, "850.5", 100.0, {kMaximumOutOfRange}},
        {"too narrow a span names the span, not the bound", true, "0.5", 100.0, {kRangeTooSmall}},
        {"a comma is a decimal point", true, "200,5", 200.5, {}},
        {"not a number keeps the old value", false, "1o", 0.0, {kWrongFormat}},
    };
    for (const auto& c : cases) {
        const auto r = c.max ? MaxInputEExit(c.typed, Pt100(0, 100)) : MinInputEExit(c.typed, Pt100(0, 100));
        EXPECT_DOUBLE_EQ(r.value, c.want) << c.why;
        EXPECT_EQ(r.messages, c.messages) << c.why;
    }
    // A stale minimum fails its check again after a typing error: two boxes, as the window showed.
    EXPECT_EQ(MinInputEExit("x", Pt100(-200, 100)).messages, (Messages{kWrongFormat, kMinimumOutOfRange}));
    EXPECT_EQ(MinInputEExit("-5", Pt100(0, 100)).shown, "-5.00");
    ConfigRecord converted = Pt100(0, 5);
    converted.Czujnik = {17, 1, 0, 2};
    converted.LiveRanges[15] = {3, 100};
    EXPECT_EQ(MaxInputEExit("15", converted).messages, Messages{kMaximumOutOfRange}) << "bound by the table's row";
    EXPECT_EQ(MinInputEExit("0.3", converted).messages, Messages{}) << "3 x 0.1 lies a bit above 0.3";
}

TEST(FilterEdits, StoreTenthsOnTheTransducersSteps) {
    struct Case { const char* why; EditResult<int> (*edit)(std::string_view, const ConfigRecord&);
                  const char* typed; int want; const char* shown; Messages messages; };
    const Case cases[] = {
        {"25.04 rounds to the limit 250", FiltrZakresEExit, "25.04", 250, "25.0", {}},
        {"25.06 rounds past it", FiltrZakresEExit, "25.06", 123, "12.3", {kOutOfRange}},
        {"2.0 s is 12.5 steps, rounded to even", FiltrCzasEExit, "2.0", 19, "1.9", {}},
        {"40 s is a whole number of steps", FiltrCzasEExit, "40", 400, "40.0", {}},
        {"0.1 s goes up to one step", FiltrCzasEExit, "0.1", 2, "0.2", {}},
        {"40.1 s is refused, the old value stays", FiltrCzasEExit, "40.1", 16, "1.6", {kOutOfRange}},
        {"a threshold below twice the range is raised", FiltrLimitEExit, "10", 25, "25", {}},
        {"threshold 0 switches the check off", FiltrLimitEExit, "0", 0, "0", {}},
        {"a threshold above 100 is refused", FiltrLimitEExit, "101", 50, "50", {kOutOfRange}},
        {"no number, no change", FiltrLimitEExit, "", 50, "50", {kWrongFormat}},
    };
    for (const auto& c : cases) {
        const auto r = c.edit(c.typed, Pt100(0, 100));
        EXPECT_EQ(r.value, c.want) << c.why;
        EXPECT_EQ(r.shown, c.shown) << c.why;
        EXPECT_EQ(r.messages, c.messages) << c.why;
    }
}

TEST(FilterEdits, TheUpDownJumpsOverTheForbiddenThresholds) {
    EXPECT_EQ(FiltrLimitUpDownClick(1, true, 123), 25) << "up from 0";
    EXPECT_EQ(FiltrLimitUpDownClick(24, false, 123), 0) << "down from 25";
    EXPECT_EQ(FiltrLimitUpDownClick(26, true, 123), 26);
    EXPECT_EQ(FiltrLimitEChange("150"), 100) << "typing is clamped, never refused";
    EXPECT_EQ(FiltrLimitEChange(""), std::nullopt);
}

TEST(CheckParam, GatesOnAShownAndCompleteConfiguration) {
    ConfigRecord table;  // a user sensor whose table is not loaded
    table.Czujnik = {15, 6, 0, 1};
    struct Case { const char* why; const ConfigRecord& rec; PanelState panel; bool userData, silent;
                  CheckParamStep step; std::optional<PanelMessage> message; };
    const Case cases[] = {
        {"nothing shown", table, {}, true, false, CheckParamStep::Refuse, kNoParameters},
        {"nothing shown, silently", table, {}, true, true, CheckParamStep::Refuse, std::nullopt},
        {"missing table", table, {.ParamsShown = true}, true, false, CheckParamStep::CompleteUserData, std::nullopt},
        {"Print does not ask for user data", table, {.ParamsShown = true}, false, false, CheckParamStep::RunEdits,
         std::nullopt},
    };
    for (const auto& c : cases) {
        const auto d = CheckParam(c.rec, c.panel, c.userData, c.silent);
        EXPECT_EQ(d.step, c.step) << c.why;
        EXPECT_EQ(d.message, c.message) << c.why;
    }
}

TEST(NoTab, AsksForUserDataOnlyWhereAConversionNeedsIt) {
    struct Case { const char* why; model::CzujnikGroup sensor; bool loaded, coefMissing, want; };
    const Case cases[] = {
        {"user sensor without its table", {15, 6, 0, 1}, false, false, true},
        {"user sensor with it", {15, 6, 0, 1}, true, false, false},
        {"table conversion of a current input", {17, 1, 0, 2}, false, false, true},
        {"power series of a voltage input", {16, 1, 0, 8}, false, false, true},
        {"linear conversion needs no table", {16, 1, 0, 3}, false, false, false},
        {"a thermocouple with no table", {10, 7, 0, 2}, false, false, false},
        {"missing coefficients cannot be completed", {10, 7, 0, 2}, true, true, true},
    };
    for (const auto& c : cases) {
        ConfigRecord r;
        r.Czujnik = c.sensor;
        r.TableLoaded = c.loaded;
        EXPECT_EQ(noTab(r, c.coefMissing), c.want) << c.why;
    }
}

TEST(EnablingFor, FollowsTheLinkTheEepromAndTheView) {
    const auto live = [](MainWindowEnabling e) {
        e.RegulacjaT = e.Regulacja1 = e.Odswierz1 = e.Odczytaj1 = e.OdczytajT = e.Wykres1T = true;
        return e;
    };
    const MainWindowEnabling connected{.ZapiszT = true, .Ustawienia1 = true, .Reset1 = true};
    auto diagram = live(connected);
    diagram.Wykres1 = true;
    auto verify = diagram;
    verify.Weryfikuj1 = true;
    struct Case { const char* why; WorkflowState state; bool eeprom; PanelState panel; MainWindowEnabling want; };
    const Case cases[] = {
        {"fresh start, no transducer", {}, false, {}, {}},
        {"connected", {.Connected = true}, false, {}, diagram},
        {"a damaged EEPROM leaves only the Setup menu", {.Connected = true}, true, {}, connected},
        {"verify after a write", {.Connected = true, .VerifyAllowed = true}, false, {}, verify},
        {"no diagram from Monitor only", {.Connected = true}, false, {.MonitorOnly = true}, live(connected)},
        {"Lock Iout follows the panel", {}, false, {.ParamsShown = true}, {.Blokada1 = true}},
    };
    for (const auto& c : cases) EXPECT_EQ(EnablingFor(c.state, c.eeprom, c.panel), c.want) << c.why;
}

TEST(Kolory, MarksWhatDiffersFromTheTransducer) {
    const WorkflowState on{.Connected = true}, off{};
    EXPECT_EQ(KoloryFor(PanelEvent::Opened, on), Kolory::AllChanged);
    EXPECT_EQ(KoloryFor(PanelEvent::Opened, off), Kolory::Shown);
    EXPECT_EQ(KoloryFor(PanelEvent::SensorSelected, on), Kolory::RangeChanged);
    EXPECT_EQ(KoloryFor(PanelEvent::Read, on), Kolory::Shown);
    EXPECT_EQ(ColoursOf(Kolory::RangeChanged), (KoloryColours{EditColour::Aqua, EditColour::Keep}));
}

TEST(ShowCaptionText, NamesTheModelAndTheFile) {
    const auto list = model::DefaultModelList();
    EXPECT_EQ(ShowCaptionText("", list, "No_name", "Unspecified type"), "Unspecified type");
    EXPECT_EQ(ShowCaptionText("R4720", list, "No_name", "-"), "R4720 - No_name");
    EXPECT_EQ(ShowCaptionText("r4748", list, "a.par", "-"), "? - a.par") << "names ignore letter case";
    EXPECT_EQ(ShowCaptionText("R4799", list, "a.par", "-"), "a.par");
}

TEST(CheckDevice, AdoptsTheFirstModelAndComparesOnlyItsCode) {
    struct Case { const char* why; const char* device; int typeIndex; DeviceCheck::Kind kind; const char* name; };
    const Case cases[] = {
        {"an empty name takes the transducer's", "", 8, DeviceCheck::Kind::Adopt, "R4720"},
        {"the same code", "R4720", 8, DeviceCheck::Kind::Consistent, ""},
        {"the prefix is not compared", "Q4747", 0, DeviceCheck::Kind::Consistent, ""},
        {"indexes 9 to 15 are code 0", "R4720", 9, DeviceCheck::Kind::Mismatch, ""},
    };
    for (const auto& c : cases) {
        const auto d = CheckDevice(c.device, c.typeIndex);
        EXPECT_EQ(d.kind, c.kind) << c.why;
        EXPECT_EQ(d.modelName, c.name) << c.why;
    }
}

}  // namespace
}  // namespace r4860::workflow
