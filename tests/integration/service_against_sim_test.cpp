// The service windows' command sequences against the real emulator: what each one sends is
// checked in the emulator's frame log and memory, and every way out leaves it out of service.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/device_float.h"
#include "common/lang_table.h"
#include "protocol/measurement.h"
#include "support/recording_ui.h"
#include "support/sim_on_pty.h"
#include "workflow/corrections_commands.h"
#include "workflow/diagnostics_commands.h"
#include "workflow/service_mode.h"

namespace r4860::workflow {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using testing::SimOnPty;

constexpr double kPt100At50 = 119.397;   // ohm: 50 degC of the factory range 0..100 degC

std::vector<Bytes> commandsSince(SimOnPty& sim, const char* mark) {
    std::vector<Bytes> out;
    for (const auto& e : testing::SimLogSinceMark(sim.log(), mark))
        if (e.dir == "rx" && e.kind == "command" && e.outcome == "accepted") out.push_back(e.data);
    return out;
}

class ServiceAgainstSim : public ::testing::Test {
protected:
    void SetUp() override {
        UseEnglishTable();
        ASSERT_TRUE(sim.ok()) << sim.startError();
        ASSERT_TRUE(link.startOnPath(sim.slavePath(), protocol::kDefaultBaudIndex).ok());
        ASSERT_TRUE(protocol::WaitNewSample(link, sample));
    }
    // The latest frame's status after the next one arrived.
    const protocol::StatusFlags& fresh() {
        EXPECT_TRUE(protocol::WaitNewSample(link, sample) && protocol::WaitNewSample(link, sample));
        return link.status;
    }
    std::string state() { return sim.control("service"); }
    void mark(const char* what) { ASSERT_EQ(sim.control(std::string("log-mark ") + what), "ok"); }

    static testing::SimOptions fixedSignal() {
        testing::SimOptions o;
        o.signal = kPt100At50;
        return o;
    }
    SimOnPty sim{fixedSignal()};
    protocol::Link link;
    testing::RecordingUi ui;
    LinkServiceLine line{link, ui};
    protocol::MeasurementSample sample;
};

TEST_F(ServiceAgainstSim, DiagnosticsReadAndWriteTheTransducerAndLeaveItOnClosing) {
    mark("open");
    ASSERT_TRUE(EnterServiceMode(line));
    EXPECT_EQ(commandsSince(sim, "open"), (std::vector<Bytes>{{'@', '7', '3', '1', '5'}, {'m', 16}}));
    EXPECT_TRUE(fresh().CalMode) << "the transducer says it is in service mode";
    ASSERT_TRUE(SelectRegister(line, 2));
    (void)fresh();
    EXPECT_NEAR(sample.result, 25.0, 1.0) << "register 4: the internal temperature";

    const MemoryRead read = ReadMemory(line, 0x25);
    const auto memory = sim.memory();
    ASSERT_TRUE(read.bytes);
    EXPECT_EQ(read.address, 0x24);
    EXPECT_EQ(Bytes(read.bytes->begin(), read.bytes->end()), Bytes(&memory[0x24], &memory[0x28]));
    EXPECT_EQ(sim.control("service").find("register=16") != std::string::npos, true) << "item 4 again";

    mark("writes");
    EXPECT_TRUE(WriteMemory(line, ParseMemoryWrite("A2", 0x31)));
    EXPECT_TRUE(WriteMemory(line, ParseMemoryWrite("L1A2", 0)));
    EXPECT_FALSE(WriteMemory(line, ParseMemoryWrite("L3A2", 0)));
    EXPECT_TRUE(WriteMemory(line, ParseMemoryWrite("-2.5", 0x42)));
    const auto f = *EncodeDeviceFloat(-2.5);
    EXPECT_EQ(commandsSince(sim, "writes"),
              (std::vector<Bytes>{{'D', 1, 0x00, 0x31, 0xA2}, {'L', 1, 0xA2, 0xA2, 0xA2},
                                  {'D', 4, 0x00, 0x40, f[0], f[1], f[2], f[3]}}))
        << "L3A2 sends nothing; the float goes to the address rounded down";
    const auto written = sim.memory();
    EXPECT_EQ(std::tuple(written[0x31], written[0x7E], Bytes(&written[0x40], &written[0x44])),
              std::tuple(0xA2, 0xA2, Bytes(f.begin(), f.end())));

    ASSERT_EQ(sim.control("oscillator -2"), "ok");
    EXPECT_EQ(AdjustOscillator(line), -2);
    mark("close");
    EXPECT_TRUE(LeaveServiceMode(line).ok);
    EXPECT_EQ(commandsSince(sim, "close"), (std::vector<Bytes>{{'r'}}));
    EXPECT_EQ(state(), "ok service=off register=16 forced=none simulated=none scale=normal");
    EXPECT_FALSE(ServiceModeLeftOn(fresh()));
}

TEST_F(ServiceAgainstSim, AWrittenCorrectionMovesTheLiveResultAndAnUnacknowledgedOneDoesNotCount) {
    const double before = sample.result;
    ASSERT_EQ(sim.control("drop-acks next 4"), "ok");
    EXPECT_FALSE(StoreCorrections(line, {1.0, 0.0})) << "never acknowledged: not written";
    EXPECT_TRUE(TrimCorrections(line, {1.0, -0.5}).ok);
    const auto memory = sim.memory();
    EXPECT_EQ(Bytes(&memory[0xF8], &memory[0xFD]), (Bytes{0x00, 0x64, 0xFF, 0xCE, 0x31}));
    (void)fresh();
    EXPECT_NEAR(sample.result, (before / 100.0 * 0.995 + 0.01) * 100.0, 0.02)
        << "zero +1 % and gain -0.5 % of the span 0..100";
    EXPECT_FALSE(CorrectionsStored(line, {1.0, 0.0})) << "the read-back tells other corrections apart";
}

TEST_F(ServiceAgainstSim, ForcedOutputShowsOnEitherScaleAndIsLetGoOnEveryWayOut) {
    auto forced = CorrectionsOutput("12", link.status.ExtendedOutputScale);
    ASSERT_EQ(forced.counts, 4096);
    ASSERT_TRUE(ForceOutput(line, *forced.counts));
    EXPECT_TRUE(fresh().IndependentOutput);
    EXPECT_NEAR(sample.outputMa, 12.0, 1e-9);
    EXPECT_TRUE(ServiceModeLeftOn(link.status)) << "what the next start of the tool would notice";
    EXPECT_TRUE(LeaveCorrections(line, {.outputForced = true}).ok);
    EXPECT_FALSE(fresh().IndependentOutput);

    ASSERT_EQ(sim.control("output-scale extended"), "ok");
    (void)fresh();
    forced = CorrectionsOutput("12", link.status.ExtendedOutputScale);
    ASSERT_EQ(forced.counts, 24000);
    ASSERT_TRUE(EnterServiceMode(line) && ForceOutput(line, *forced.counts));
    (void)fresh();
    EXPECT_NEAR(sample.outputMa, 12.0, 1e-9) << "the measurement decoding agrees with the counts";

    // Unplugged and plugged in again: the transducer restarts out of service mode.
    ASSERT_EQ(sim.control("unplug"), "ok");
    ASSERT_TRUE(sim.control("replug").starts_with("ok"));
    EXPECT_EQ(state(), "ok service=off register=16 forced=none simulated=none scale=extended");
}

TEST_F(ServiceAgainstSim, ThePreviewIsSentWithZAndTheMeasureModeAsksForRegisterFour) {
    CorrectionsTick preview;
    preview.newSeries = preview.simulate = true;
    preview.current = {1.0, 0.0};
    preview.signalMin = 100.0;
    preview.signalMax = 138.5;
    ASSERT_TRUE(TickWaits(preview));
    mark("preview");
    ASSERT_TRUE(CorrectionsSample(line, preview, sample));
    const auto sent = commandsSince(sim, "preview");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], (Bytes{'m', 16}));
    ASSERT_EQ(sent[1].size(), 5u);
    const double value = DecodeDeviceFloat(std::span<const std::uint8_t, 4>(&sent[1][1], 4));
    EXPECT_NEAR(sample.result, value, 1e-4) << "the transducer reports the value it is sent";
    EXPECT_NEAR(value, 50.0 + 0.385, 0.05) << "1 % of the signal span added";

    CorrectionsTick measure;
    measure.measureMode = true;
    ASSERT_TRUE(CorrectionsSample(line, measure, sample));
    EXPECT_NEAR(sample.result, 25.0, 1.0);
    mark("leave");
    EXPECT_TRUE(LeaveCorrections(line, {.registerChanged = true}).ok);
    EXPECT_EQ(commandsSince(sim, "leave"), (std::vector<Bytes>{{'m', 16}})) << "a register change needs no reset";
    EXPECT_TRUE(LeaveCorrections(line, {}).ok);
    EXPECT_EQ(commandsSince(sim, "leave").size(), 1u) << "nothing changed, nothing sent";
}

}  // namespace
}  // namespace r4860::workflow
