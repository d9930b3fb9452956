// The service windows' rules without a window or a line: diagnostics, corrections, simulation.
#include <gtest/gtest.h>

#include <cmath>

#include "common/lang_table.h"
#include "model/config_image.h"
#include "workflow/corrections.h"
#include "workflow/diagnostics.h"
#include "workflow/service_rules.h"
#include "workflow/simulation.h"

namespace r4860::workflow {
namespace {

class ServiceRules : public ::testing::Test {
protected:
    void SetUp() override { UseEnglishTable(); }
};

TEST_F(ServiceRules, RegisterItemsAndValuesFollowTheModel) {
    using Names = std::array<std::string, 8>;
    const auto names = [&](const char* a, const char* b, const char* c) {
        return Names{"Iinpu", a, b, c, "Meas", "Result", "Wnorm", "Aver"};
    };
    EXPECT_EQ(RegisterItemNames(20), names("Iinpu", "Iinpu", "Iinpu"));
    EXPECT_EQ(RegisterItemNames(38), names("Oinpu", "Xinpu", "Sinpu"));
    EXPECT_EQ(RegisterItemNames(49), names("Cinpu", "Tinpu", "IinpuB"));
    EXPECT_EQ(RegisterItemNames(0), names("Rinpu", "Tinpu", "Xinpu")) << "no model in the record";
    struct Row { int item; double v; int model; const char* want; };
    for (const auto& r : {Row{0, 1.005, 60, "   1.00   "}, Row{2, 24.994, 47, "  24.99 \xC2\xB0" "C   "},
                          Row{2, 24.994, 60, "  24.99   "}, Row{4, -0.004, 47, "   0.00   "},
                          Row{5, 1234.56, 47, " 1234.6 \xC2\xB0" "C   "}, Row{5, 99.5, 47, "  99.50 \xC2\xB0" "C   "},
                          Row{6, 0.5, 47, "  50.00 %   "}, Row{7, 3.0, 47, "   3.00   "}})
        EXPECT_EQ(RegisterValueText(r.item, r.v, r.model, 8), r.want) << "item " << r.item;
}

TEST_F(ServiceRules, StatusLinesComeInTheirOrderAndTheOutputTurnsTealWhenForced) {
    protocol::StatusFlags s{.EepromError = true, .BrokenSensor = true, .IndependentOutput = true,
                            .CalMode = true, .OutOfRange = true, .LargeError = true, .NewAverage = true};
    EXPECT_EQ(DiagnosticsStatusText(s), "Calibration mode\nIndependent output\nEEPROM error\nBroken sensor\n"
                                        "Out of range\nNew average\nLarge error");
    s.InternalError = true;
    EXPECT_NE(DiagnosticsStatusText(s).find("EEPROM error\nInternal error\nOut of range"), std::string::npos)
        << "an internal error hides the broken sensor";
    EXPECT_EQ(DiagnosticsStatusText({}), "");
    const auto forced = DiagnosticsOutputText(12.004, {.IndependentOutput = true});
    EXPECT_EQ(std::pair(forced.text, forced.colour), std::pair(std::string("12.00 mA   "), ServiceColour::Teal));
    EXPECT_EQ(DiagnosticsOutputText(4.0, {}).colour, ServiceColour::Black);
}

TEST_F(ServiceRules, ForcedOutputIsSentInRangeAndRefusedOtherwise) {
    struct Row { const char* why; const char* text; bool extended, diagnostics; std::optional<int> counts;
                 const char* entry; std::optional<Beep> beep; };
    const Row rows[] = {
        {"25 mA is refused and nothing is sent", "25", false, true, std::nullopt, "21.75", Beep::Question},
        {"below 3.75 mA", "3.7", false, true, std::nullopt, "03.75", Beep::Question},
        {"the lowest current", "3.75", false, true, -128, "03.75", std::nullopt},
        {"the highest", "21,75", false, true, 9088, "21.75", std::nullopt},
        {"not a number", "12 mA", false, true, std::nullopt, "12.00", Beep::Exclamation},
        {"normal scale: 12 mA", "12", false, false, 4096, "12.00", std::nullopt},
        {"extended scale: 12 mA", "12", true, false, 24000, "12.00", std::nullopt},
        {"extended: 22 mA within the margin", "22.0000005", true, false, 44000, "22.00", std::nullopt},
        {"extended: above 22 mA", "22.1", true, false, std::nullopt, "22.00", Beep::Question},
        {"extended: below 3 mA", "2.9", true, false, std::nullopt, "03.00", Beep::Question},
        {"extended: not a number, no beep", "x", true, false, std::nullopt, "12.00", std::nullopt},
        {"diagnostics on the extended scale", "12", true, true, 24000, "12.00", std::nullopt},
    };
    for (const auto& r : rows) {
        const auto out = r.diagnostics ? DiagnosticsOutput(r.text, r.extended) : CorrectionsOutput(r.text, r.extended);
        EXPECT_EQ(out.counts, r.counts) << r.why;
        EXPECT_EQ(out.entry, r.entry) << r.why;
        EXPECT_EQ(out.refusal ? out.refusal->beep : std::nullopt, r.beep) << r.why;
    }
    EXPECT_EQ(CorrectionsOutput("x", false).refusal->message, "Wrong format!");
    EXPECT_EQ(std::pair(OutputParameter(-128), OutputParameter(44000)), std::pair(0xFF80u, 0xABE0u));
}

TEST_F(ServiceRules, MemoryWritesTakeTheirFormFromTheText) {
    using K = MemoryWriteKind;
    struct Row { const char* text; int address; K kind; std::uint32_t parameter; int where; };
    for (const auto& r : {Row{"A2", 0x25, K::Byte, 0xA20025, 0x25}, Row{" c1 ", 0x7FF, K::Byte, 0xC107FF, 0x7FF},
                          Row{"L1A2", 0x25, K::Register, 0x1A2, 0}, Row{"L0ff", 0, K::Register, 0x0FF, 0},
                          Row{"L3A2", 0x25, K::Refused, 0, 0}, Row{"LxA2", 0x25, K::Refused, 0, 0},
                          Row{"1.5", 0x27, K::Float, 0x24, 0x24}, Row{"-2,25", 0x40, K::Float, 0x40, 0x40},
                          Row{"15", 0x30, K::Byte, 0x150030, 0x30}, Row{"150", 0x30, K::Refused, 0, 0},
                          Row{"G1", 0x30, K::Refused, 0, 0}, Row{"", 0, K::Refused, 0, 0}}) {
        const auto w = ParseMemoryWrite(r.text, r.address);
        EXPECT_EQ(std::tuple(w.kind, w.parameter, w.address), std::tuple(r.kind, r.parameter, r.where)) << r.text;
    }
    EXPECT_EQ(ParseMemoryWrite("-2,25", 0x40).value, -2.25);
    EXPECT_EQ(ReadAddress(0x25), 0x24);
}

TEST_F(ServiceRules, TheOscillatorNibbleIsFourBitTwosComplement) {
    for (const auto& [byte, value, text] : {std::tuple(0x0E, -2, "= -2"), std::tuple(0x03, 3, "= +3"),
                                            std::tuple(0xF8, -8, "= -8"), std::tuple(0x57, 7, "= +7"),
                                            std::tuple(0x10, 0, "= 0")}) {
        EXPECT_EQ(OscillatorAdjustment(static_cast<std::uint8_t>(byte)), value) << byte;
        EXPECT_EQ(OscillatorText(value), std::string("Oscillator adjustment ") + text);
    }
}

TEST_F(ServiceRules, SilenceShowsQuestionMarksOnceAfterSixSeconds) {
    SilenceCounter diagnostics(kDiagnosticsTimerMs);
    ASSERT_EQ(diagnostics.limit(), 20);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(diagnostics.tick(false), LivePanels::Blank) << i;
    EXPECT_EQ(diagnostics.tick(false), LivePanels::NoContact);
    EXPECT_EQ(diagnostics.tick(false), LivePanels::Unchanged);
    EXPECT_EQ(diagnostics.tick(true), LivePanels::ShowSample);
    EXPECT_EQ(diagnostics.tick(false), LivePanels::Blank) << "a sample starts the count again";
    EXPECT_EQ(SilenceCounter(kCorrectionsTimerMs).limit(), 12);
}

TEST_F(ServiceRules, CorrectionBarsClampBelowTwoPercent) {
    struct Row { int position; double value; const char* panel; };
    for (const auto& r : {Row{400, 1.9999, "+2.00 "}, Row{0, -1.9999, "-2.00 "}, Row{200, 0.0, "0.00 "},
                          Row{325, 1.25, "+1.25 "}, Row{199, -0.01, "-0.01 "}}) {
        EXPECT_DOUBLE_EQ(CorrectionForPosition(r.position), r.value) << r.position;
        EXPECT_EQ(CorrectionPanelText(CorrectionForPosition(r.position)), r.panel) << r.position;
        EXPECT_EQ(PositionForCorrection(CorrectionForPosition(r.position)), r.position) << "and back";
    }
    model::ConfigRecord rec;
    for (const auto& [serial, newSeries] : {std::pair("351", true), std::pair("350", false), std::pair("", false),
                                            std::pair("4000a", false)}) {
        rec.Informacje.serial = serial;
        EXPECT_EQ(NewSeries(rec), newSeries) << serial;
    }
    EXPECT_EQ(CorrectionsTitle(rec), "Corrections");
    EXPECT_TRUE(MeasureModeAvailable(2) && !MeasureModeAvailable(3) && !MeasureModeAvailable(16));
}

TEST_F(ServiceRules, PreviewsTakeTheSavedCorrectionsOutAndTheNewOnesIn) {
    const CorrectionPair saved{0.5, 1.0}, current{1.5, -1.0};
    // The transducer reported 50.5 (0..100) with saved +0.5 % zero and +1 % gain.
    EXPECT_NEAR(LocalPreviewResult(50.5, current, saved, 0.0, 100.0), 1.0 + 0.98 * 50.5, 1e-9);
    EXPECT_NEAR(LocalPreviewOutput(12.0, current, saved), 4.0 + 0.98 * 8.0 + 0.16, 1e-9);
    EXPECT_EQ(LocalPreviewOutput(21.7, {2.0, 2.0}, {}), 21.75) << "limited to what the output drives";
    // Over a signal span of 20: r0 = (50.5 - 0.1) / 1.01, then (1 - 0.01) r0 + 0.3.
    EXPECT_NEAR(DevicePreviewValue(50.5, current, saved, 0.0, 20.0), 0.99 * (50.4 / 1.01) + 0.3, 1e-9);
}

TEST_F(ServiceRules, ClosingPutsBackWhatTheTransducerHolds) {
    model::ConfigRecord rec;
    rec.Parametry.ZeroReg = 0.5;
    WorkflowState state{.Connected = true, .ConfigRead = true};
    {
        CorrectionsSession s(rec);
        s.setZeroPosition(400);
        s.setGainPosition(0);
        EXPECT_EQ(rec.Parametry.ZeroReg, 1.9999) << "the bars edit the record while the window is open";
        s.close();
    }
    EXPECT_EQ(std::pair(rec.Parametry.ZeroReg, rec.Parametry.GainReg), std::pair(0.5, 0.0)) << "nothing written";
    CorrectionsSession s(rec);
    s.setZeroPosition(300);
    const CorrectionPair sent = s.current();
    s.setZeroPosition(350);   // moved while 'V' was on its way
    s.written(sent);
    s.setGainPosition(250);   // and after it, never written
    s.close();
    EXPECT_EQ(std::pair(rec.Parametry.ZeroReg, rec.Parametry.GainReg), std::pair(1.0, 0.0));
    EXPECT_TRUE(s.wasWritten());

    s.simulate = true;
    EXPECT_EQ(s.missedSample(state), LivePanels::Blank);
    EXPECT_TRUE(state.ConfigRead && s.simulate) << "one silent tick is not yet a lost transducer";
    EXPECT_EQ(s.missedSample(state), LivePanels::Blank);
    EXPECT_FALSE(state.ConfigRead || s.simulate);
}

TEST_F(ServiceRules, TheResultPanelShowsTheValueOrTheCondition) {
    model::ConfigRecord rec;
    rec.Parametry.MaxInput = 100.0;
    rec.Informacje.serial = "100";   // an older transducer: the preview is computed here
    CorrectionsSession s(rec);
    s.setZeroPosition(300);          // +1 %
    protocol::MeasurementSample sample{50.0, 12.0};
    s.simulate = true;
    auto view = s.sampleShown(sample, {.UnitIndex = 8});
    EXPECT_EQ(std::tuple(view.result.panel.text, view.result.colour, view.output.text),
              std::tuple(std::string("  51.00 \xC2\xB0" "C  "), ServiceColour::Teal, std::string("12.16 mA   ")));
    s.simulate = false;
    s.measureMode = true;
    view = s.sampleShown(sample, {.UnitIndex = 3});
    EXPECT_EQ(std::pair(view.result.panel.text, view.result.colour),
              std::pair(std::string("  50.00 \xC2\xB0" "C  "), ServiceColour::Blue)) << "register 4 reads in degC";
    view = s.sampleShown(sample, {.IndependentOutput = true, .CalMode = true});
    EXPECT_TRUE(view.result.condition && !s.measureMode);
    EXPECT_EQ(std::pair(view.result.panel.text, view.output.text), std::pair(std::string("Cal mode"),
                                                                             std::string("12.00 mA  !")));
}

SimulationInput linearInput(double signalMin, double signalMax) {
    SimulationInput in;
    for (std::size_t k = 0; k < in.curve.size(); ++k) in.curve[k] = k / 100.0;
    in.signalMin = signalMin;
    in.signalMax = signalMax;
    in.minInput = 0.0;
    in.maxInput = 100.0;
    in.sensorCode = 17;
    return in;
}

TEST_F(ServiceRules, SimulationInterpolatesBothWaysWithinTheCurve) {
    const SimulationInput in = linearInput(4.0, 20.0);
    const auto at12mA = OutDisp(in, (12.0 - 4.0) / 16.0);
    EXPECT_NEAR(at12mA.percent, 50.0, 1e-9) << "12 mA on a linear characteristic is half the input";
    EXPECT_EQ(std::tuple(at12mA.inputText, at12mA.signalText, at12mA.resultText, at12mA.outputText),
              std::tuple(std::string("50.00"), std::string("(12.00 mA)"), std::string("   50.0"),
                         std::string("12.00")));
    const auto top = InpDisp(in, 100.0);
    EXPECT_NEAR(top.fraction, 1.0, 1e-9);
    EXPECT_EQ(std::pair(top.inputScroll, top.outputScroll), std::pair(0.0, 0.0)) << "top is 100 % and 20 mA";
    // Past the last point the last segment goes on; nothing beyond the curve is read.
    EXPECT_NEAR(ForwardInterpolation(in, 20.0 + 1e-9), 1.0, 1e-6);
    EXPECT_NEAR(ForwardInterpolation(in, 20.08), 1.005, 1e-9) << "half a step past the top";
    SimulationInput falling = in;
    for (std::size_t k = 0; k < falling.curve.size(); ++k) falling.curve[k] = 1.0 - k / 100.0;
    EXPECT_NEAR(InverseInterpolation(falling, 0.25), 16.0, 1e-9);
    EXPECT_NEAR(ForwardInterpolation(falling, 8.0), 0.75, 1e-9);
    EXPECT_EQ(ScrollMove(100.4, 100), std::nullopt);
    EXPECT_EQ(ScrollMove(100.5, 100), 100) << "half a step moves it (to the even neighbour)";
}

TEST_F(ServiceRules, SimulationTextsAxesAndEdits) {
    EXPECT_TRUE(IsBipolar(-10.0, 10.0));
    EXPECT_TRUE(IsBipolar(-20.0, -5.0));
    EXPECT_FALSE(IsBipolar(0.0, 20.0));
    const auto bipolar = InpDisp(linearInput(-10.0, 10.0), 25.0);
    EXPECT_EQ(std::pair(bipolar.crossX, bipolar.crossY), std::pair(-50.0, 25.0));
    EXPECT_EQ(CurvePoint(linearInput(-10.0, 10.0), 100).x, 100.0);
    for (const auto& [v, text] : {std::pair(1500.0, "1500"), std::pair(150.25, "150.2"), std::pair(15.255, "15.26"),
                                  std::pair(-10.0, "-10.00")})
        EXPECT_EQ(SignalText(v), text) << v;
    for (const auto& [code, unit] : {std::pair(1, "Ohm"), std::pair(5, "Ohm"), std::pair(6, "mV"), std::pair(16, "mV"),
                                     std::pair(17, "mA"), std::pair(19, "mA"), std::pair(18, "V"), std::pair(20, "")})
        EXPECT_EQ(SignalUnit(code), unit) << code;
    struct Row { const char* text; std::optional<double> value; const char* message; const char* edit; };
    for (const auto& r : {Row{"50,5", 50.5, "", "50.50"}, Row{"abc", std::nullopt, "Wrong format!", "12.00"},
                          Row{"100.1", std::nullopt, "Out of range!", "12.00"}}) {
        const auto e = TakeInputEdit(r.text, 12.0);
        EXPECT_EQ(std::tuple(e.value, e.refusal ? e.refusal->message : "", e.editText),
                  std::tuple(r.value, std::string(r.message), std::string(r.edit))) << r.text;
    }
    EXPECT_EQ(TakeOutputEdit("3.9", 12.0).refusal->message, "Out of range!");
}

TEST_F(ServiceRules, OpeningTheSimulationLeavesTheRecordAlone) {
    model::ConfigRecord rec;
    model::SetEmptyRecord(rec);
    rec.Czujnik = {17, 1, 0, 1};   // 4..20 mA, linear
    rec.Parametry.MinInput = 4.0;
    rec.Parametry.MaxInput = 20.0;
    rec.Parametry.Jednostki = 4;
    const model::ConfigRecord before = rec;
    const auto prepared = PrepareSimulation(rec, 46000);
    ASSERT_FALSE(prepared.warning) << prepared.warning->message;
    EXPECT_EQ(rec.TransferCurve, before.TransferCurve);
    EXPECT_EQ(std::tuple(rec.Informacje.data, rec.Parametry.SignalMin, rec.Parametry.SignalMax),
              std::tuple(before.Informacje.data, before.Parametry.SignalMin, before.Parametry.SignalMax));
    EXPECT_EQ(std::pair(prepared.input.signalMin, prepared.input.signalMax), std::pair(4.0, 20.0));
    EXPECT_NEAR(prepared.input.curve[50], 0.5, 1e-9);
}

}  // namespace
}  // namespace r4860::workflow
