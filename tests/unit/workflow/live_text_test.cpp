#include "workflow/live_text.h"

#include <gtest/gtest.h>

namespace r4860::workflow {
namespace {

constexpr int kCelsius = 8, kVolt = 1, kOhm = 5, kKiloOhm = 6;

TEST(Showres, WritesTheValueWithItsUnitAndKeepsItsPlace) {
    struct Case { const char* why; double value; int unit; const char* want; };
    const Case cases[] = {
        {"two decimals below 1000; the degree sign is one place", 999.994, kCelsius, " 999.99 \xC2\xB0" "C  "},
        {"one decimal from 1000 on", 1000.04, kCelsius, " 1000.0 \xC2\xB0" "C  "},
        {"1000 itself has one decimal", 1000, kCelsius, " 1000.0 \xC2\xB0" "C  "},
        {"negative values round on one decimal too", -1234.56, kCelsius, "-1234.6 \xC2\xB0" "C  "},
        {"a short unit gets three blanks", 5, kVolt, "   5.00 V   "},
        {"eleven characters get one blank", 5, kOhm, "   5.00 Ohm "},
        {"twelve characters get none", 5, kKiloOhm, "   5.00 kOhm"},
        {"a value rounding to zero has no sign", -0.004, kVolt, "   0.00 V   "},
    };
    for (const auto& c : cases) {
        protocol::StatusFlags s;
        s.UnitIndex = c.unit;
        EXPECT_EQ(showres({c.value}, s), (ResultPanelText{c.want, 18, PanelAlign::Right})) << c.why;
    }
}

TEST(Showres, ShowsTheFaultThatWinsInsteadOfTheValue) {
    struct Case { const char* why; protocol::StatusFlags s; const char* want; };
    const Case cases[] = {
        {"cal mode wins over everything", {.EepromError = true, .BrokenSensor = true, .CalMode = true}, "Cal mode"},
        {"EEPROM error before a broken sensor", {.EepromError = true, .BrokenSensor = true}, "EEPROM error"},
        {"internal error before a broken sensor",
         {.BrokenSensor = true, .OutOfRange = true, .InternalError = true}, "Internal error"},
        {"broken sensor before out of range", {.BrokenSensor = true, .OutOfRange = true}, "Broken sensor"},
        {"out of range alone", {.OutOfRange = true}, "Out of range!"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(showres({123.0}, c.s), (ResultPanelText{c.want, 12, PanelAlign::Centre})) << c.why;
}

TEST(Showout, MarksTheOutputAlarmInRed) {
    EXPECT_EQ(showout({0, 21.5}, {.IndependentOutput = true}), (OutputPanelText{"21.50 mA  !", TextColour::Red}));
    EXPECT_EQ(showout({0, 3.996}, {}), (OutputPanelText{" 4.00 mA   ", TextColour::Black}));
}

// One tick's expectation: what the panels do and the flags afterwards.
struct Tick { bool sample; LivePanels panels; bool connected, configRead; };

void RunTicks(const char* why, int intervalMs, const std::vector<Tick>& ticks) {
    WorkflowState state{.Connected = true, .ConfigRead = true};
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const Tick& t = ticks[i];
        EXPECT_EQ(PollTick(state, t.sample, intervalMs), t.panels) << why << ", tick " << i + 1;
        EXPECT_EQ(state.Connected, t.connected) << why << ", tick " << i + 1;
        EXPECT_EQ(state.ConfigRead, t.configRead) << why << ", tick " << i + 1;
    }
}

TEST(PollTick, BlanksThePanelsThenShowsQuestionMarksAfterSixSeconds) {
    const Tick blank{false, LivePanels::Blank, false, false};
    std::vector<Tick> ticks{{false, LivePanels::Blank, false, true}};  // one miss may be a busy line
    ticks.insert(ticks.end(), 11, blank);                              // 12 misses: six seconds
    ticks.push_back({false, LivePanels::NoContact, false, false});
    ticks.push_back({false, LivePanels::Unchanged, false, false});
    ticks.push_back({true, LivePanels::ShowSample, true, false});      // only a Read sets ConfigRead
    ticks.push_back({false, LivePanels::Blank, false, false});         // the count started again
    RunTicks("normal rate", 500, ticks);
}

TEST(PollTick, KeepsTheValuesForOneMissAtTheDiagramRate) {
    std::vector<Tick> ticks{{false, LivePanels::Unchanged, false, true},  // Corrections off for this tick
                            {true, LivePanels::ShowSample, true, true},
                            {false, LivePanels::Unchanged, false, true}};
    ticks.insert(ticks.end(), 29, {false, LivePanels::Blank, false, false});
    ticks.push_back({false, LivePanels::NoContact, false, false});
    RunTicks("diagram rate", 200, ticks);
}

}  // namespace
}  // namespace r4860::workflow
