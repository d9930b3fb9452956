#include "workflow/live_text.h"

#include <gtest/gtest.h>

namespace r4860::workflow {
namespace {

constexpr int kCelsius = 8, kVolt = 1, kOhm = 5, kKiloOhm = 6;

TEST(Showres, WritesTheValueWithItsUnitAndKeepsItsPlace) {
    struct Case { double value; int unit; const char* want; };
    for (const auto& c : {Case{999.994, kCelsius, " 999.99 \xC2\xB0" "C  "},  // the degree sign is one place
                          Case{1000, kCelsius, " 1000.0 \xC2\xB0" "C  "},
                          Case{-1234.56, kCelsius, "-1234.6 \xC2\xB0" "C  "},
                          Case{5, kVolt, "   5.00 V   "}, Case{5, kOhm, "   5.00 Ohm "},
                          Case{5, kKiloOhm, "   5.00 kOhm"}, Case{-0.004, kVolt, "   0.00 V   "}}) {
        protocol::StatusFlags s;
        s.UnitIndex = c.unit;
        EXPECT_EQ(showres({c.value}, s), (ResultPanelText{c.want, 18, PanelAlign::Right})) << c.want;
    }
    // The fault that wins is shown instead of the value.
    struct Fault { protocol::StatusFlags s; const char* want; };
    for (const auto& [s, want] : {Fault{{.EepromError = true, .CalMode = true}, "Cal mode"},
                                  Fault{{.EepromError = true, .BrokenSensor = true}, "EEPROM error"},
                                  Fault{{.BrokenSensor = true, .OutOfRange = true, .InternalError = true},
                                        "Internal error"},
                                  Fault{{.BrokenSensor = true, .OutOfRange = true}, "Broken sensor"},
                                  Fault{{.OutOfRange = true}, "Out of range!"}})
        EXPECT_EQ(showres({123.0}, s), (ResultPanelText{want, 12, PanelAlign::Centre}));
    EXPECT_EQ(showout({0, 21.5}, {.IndependentOutput = true}),
              (OutputPanelText{"21.50 mA  !", TextColour::Red}));
    EXPECT_EQ(showout({0, 3.996}, {}), (OutputPanelText{" 4.00 mA   ", TextColour::Black}));
}

// Each tick gives what the panels do and the flags afterwards.
TEST(PollTick, BlanksThePanelsThenShowsQuestionMarksAfterSixSeconds) {
    struct Tick { bool sample; LivePanels panels; bool connected, configRead; };
    const auto run = [](int intervalMs, const std::vector<Tick>& ticks) {
        WorkflowState state{.Connected = true, .ConfigRead = true};
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            const Tick& t = ticks[i];
            EXPECT_EQ(PollTick(state, t.sample, intervalMs), t.panels) << intervalMs << " ms, tick " << i;
            EXPECT_EQ(std::pair(state.Connected, state.ConfigRead), std::pair(t.connected, t.configRead));
        }
    };
    std::vector<Tick> ticks{{false, LivePanels::Blank, false, true}};  // one miss may be a busy line
    ticks.insert(ticks.end(), 11, {false, LivePanels::Blank, false, false});  // 12 misses: six seconds
    ticks.push_back({false, LivePanels::NoContact, false, false});
    ticks.push_back({false, LivePanels::Unchanged, false, false});
    ticks.push_back({true, LivePanels::ShowSample, true, false});  // only a Read sets ConfigRead
    ticks.push_back({false, LivePanels::Blank, false, false});     // the count started again
    run(500, ticks);
    // At the diagram rate one miss keeps the values; Corrections are off for that tick.
    ticks = {{false, LivePanels::Unchanged, false, true}, {true, LivePanels::ShowSample, true, true},
             {false, LivePanels::Unchanged, false, true}};
    ticks.insert(ticks.end(), 29, {false, LivePanels::Blank, false, false});
    ticks.push_back({false, LivePanels::NoContact, false, false});
    run(200, ticks);
}

}  // namespace
}  // namespace r4860::workflow
