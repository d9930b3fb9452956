// The emulated firmware's command table and the control language that scripts its faults.
#include "sim/device_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/device_float.h"
#include "sim/control_commands.h"
#include "sim/factory_image.h"
#include "sim/memory_map.h"
#include "sim/sim_options.h"

namespace r4860::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

DeviceEngine factoryEngine(int model = 47) {
    FactorySettings s;
    s.modelCode = model;
    DeviceEngine e(FactoryImage(s));
    e.conditions().signal = Pt100Resistance(50.0);
    return e;
}

int outputCounts(const OutgoingFrame& f) { return f.data[4] << 8 | f.data[5]; }
double result(const OutgoingFrame& f) {
    return DecodeDeviceFloat(std::span<const std::uint8_t, 4>(&f.data[0], 4));
}

TEST(DeviceEngine, AcceptsAndAcknowledgesOnlyWellFormedCommands) {
    struct Case { const char* why; Bytes data; bool accepted, ack; };
    const Case cases[] = {
        {"opening of a full write", {0xEF, 0x00, 0x00}, true, true},
        {"opening with a stray parameter", {0xEF, 0x00, 0x01}, false, false},
        {"read without its address", {'s', 0x00}, false, false},
        {"write 1 byte, taken at once (bit 7)", {0xC4, 1, 0x00, 0xFC, 9}, true, true},
        {"write count disagrees with the bytes", {'D', 4, 0x00, 0x40, 1, 2, 3}, false, false},
        {"write past the end of the memory", {'D', 4, 0x07, 0xFE, 1, 2, 3, 4}, false, false},
        {"register copies differ", {'L', 1, 0x5A, 0x5A, 0x5B}, false, false},
        {"no register 3", {'L', 3, 0xA2, 0xA2, 0xA2}, false, false}, {"unknown", {'q', 1}, false, false},
        {"corrections with a wrong sum", {'V', 5, 0x00, 0xF8, 0xFF, 0x6A, 0x00, 0x64, 0xCE}, false, false},
        {"register selection, two bits", {'m', 3}, false, false}, {"reset, never acked", {'r'}, true, false},
        {"service mode, wrong code", {'@', '7', '3', '1', '6'}, false, false},
    };
    for (const auto& c : cases) {
        const auto r = factoryEngine().execute(c.data);
        EXPECT_EQ(std::pair(r.accepted, r.ack), std::pair(c.accepted, c.ack)) << c.why << ": " << r.note;
    }
}

TEST(DeviceEngine, AnswersAReadInItsNextFrameOnlyAndReadsTheCodeVersionAt0x8000) {
    DeviceEngine e = factoryEngine();
    ASSERT_TRUE(e.execute(Bytes{'s', 0x00, 0x1C}).accepted);
    const auto reply = e.nextFrame(0.0);
    EXPECT_TRUE(reply.reply);
    EXPECT_EQ(Bytes(reply.data.begin(), reply.data.begin() + 6), (Bytes{0x12, 0x8B, 0xB3, 0xE6, 0x00, 0x1C}))
        << "4747 and the calibration date, then the address echoed";
    EXPECT_FALSE(e.nextFrame(0.1).reply) << "the frame after the answer is a measurement again";
    ASSERT_TRUE(e.execute(Bytes{0xF3, 0x80, 0x00}).accepted);
    const auto f = e.nextFrame(0.2);
    EXPECT_EQ(Bytes(f.data.begin(), f.data.begin() + 6), (Bytes{'V', '2', '.', '1', 0x80, 0x00}));
}

TEST(DeviceEngine, StoresRegistersAndCorrectionsWhereTheChecksumsExpectThem) {
    DeviceEngine e = factoryEngine();
    ASSERT_TRUE(e.execute(Bytes{'L', 1, 0x11, 0x11, 0x11}).accepted);
    ASSERT_TRUE(e.execute(Bytes{0xCC, 2, 0x22, 0x22, 0x22}).accepted);
    ASSERT_TRUE(e.execute(Bytes{'L', 0, 0x33, 0x33, 0x33}).accepted);
    // Index 1 is checksum A, index 2 checksum B, index 0 stays inside the firmware.
    EXPECT_EQ(std::tuple(e.memory().byte(0x7E), e.memory().byte(0x7F), e.registerZero()), 
              std::tuple(17, 34, 51));
    e = factoryEngine();  // ZeroReg -1.5 % (FF 6A), GainReg +1.0 % (00 64), sum CD.
    ASSERT_TRUE(e.execute(Bytes{'V', 5, 0x00, 0xF8, 0xFF, 0x6A, 0x00, 0x64, 0xCD}).accepted);
    const auto image = e.memory().image();
    EXPECT_EQ(Bytes(&image[248], &image[253]), (Bytes{0xFF, 0x6A, 0x00, 0x64, 0xCD}));
    EXPECT_TRUE(ChecksumsValid(e.memory()));
    e.setOscillatorAdjustment(-2);
    ASSERT_TRUE(e.execute(Bytes{'%', 'K', 'Q', 'V', 'z'}).accepted);
    EXPECT_EQ(e.memory().byte(0x27) & 0x0F, 0x0E) << "the adjustment lands in the low nibble at 0x27";
}

TEST(DeviceEngine, StatusBytesCarryUnitModelAndConditions) {
    struct Row { const char* why; int model; void (*set)(Conditions&); std::uint8_t a, b; };
    const Row rows[] = {
        {"factory 4747: degC (8), model index 0", 47, [](Conditions&) {}, 0x08, 0x00},
        {"model 37 is index 3", 37, [](Conditions&) {}, 0x08, 0x03},
        {"a model the table lacks", 55, [](Conditions&) {}, 0x08, 0x09},
        {"forced model index", 47, [](Conditions& c) { c.modelIndex = 5; }, 0x08, 0x05},
        {"EEPROM error is A bit 7", 47, [](Conditions& c) { c.eepromError = true; }, 0x88, 0x00},
        {"broken sensor is A bit 6", 47, [](Conditions& c) { c.brokenSensor = true; }, 0x48, 0x00},
        {"cal mode is A bit 4", 47, [](Conditions& c) { c.calMode = true; }, 0x18, 0x00},
        {"out of range is B bit 7", 47, [](Conditions& c) { c.outOfRange = true; }, 0x08, 0x80},
        {"large error is B bit 6", 47, [](Conditions& c) { c.pulseLargeError = true; }, 0x08, 0x40},
        {"internal error is B bit 4", 47, [](Conditions& c) { c.internalError = true; }, 0x08, 0x10},
    };
    for (const auto& r : rows) {
        DeviceEngine e = factoryEngine(r.model);
        r.set(e.conditions());
        const auto f = e.nextFrame(0.0);
        EXPECT_EQ(std::pair(f.data[6], f.data[7]), std::pair(r.a, r.b)) << r.why;
    }
    DeviceEngine e = factoryEngine();
    e.conditions().pulseNewAverage = true;
    EXPECT_EQ(e.nextFrame(0.0).data[7] & 0x20, 0x20) << "new average is B bit 5";
    EXPECT_EQ(e.nextFrame(0.1).data[7] & 0x20, 0x00) << "a pulse lasts one frame";
}

TEST(DeviceEngine, OutputAndResultFollowTheCommandsUntilUndone) {
    DeviceEngine e = factoryEngine();
    ASSERT_TRUE(e.execute(Bytes{'o', 0xFF, 0x80}).accepted);  // -128 counts: 3.75 mA
    auto f = e.nextFrame(0.0);
    EXPECT_EQ(outputCounts(f), 0xFF80);
    EXPECT_EQ(f.data[6] & 0x20, 0x20) << "independent output flag";
    ASSERT_TRUE(e.execute(Bytes{'r'}).reset);
    e.reset();
    f = e.nextFrame(0.1);
    EXPECT_EQ(f.data[6] & 0x20, 0x00);
    EXPECT_NEAR(outputCounts(f), 4096, 5) << "50 degC of 0..100 is 12 mA again after a reset";
    ASSERT_TRUE(e.execute(Bytes{'m', 1}).accepted);
    EXPECT_NEAR(result(e.nextFrame(0.2)), *e.conditions().signal, 1e-4) << "register 1 is the input signal";
    ASSERT_TRUE(e.execute(Bytes{'Z', 0x85, 0x48, 0x00, 0x00}).accepted);  // 100.0: the top of 0..100
    EXPECT_EQ(outputCounts(e.nextFrame(0.3)), 8192) << "a simulated result drives the output: 20 mA";
    ASSERT_TRUE(e.execute(Bytes{'m', 16}).accepted);
    f = e.nextFrame(0.4);
    EXPECT_NEAR(result(f), 50.0, 0.02) << "register 16 is the measurement";
    EXPECT_NEAR(outputCounts(f), 4096, 5) << "and the next selection ends the simulation";
}

TEST(DeviceEngine, AnswersTheServiceCommandsAsATransducerWould) {
    DeviceEngine e = factoryEngine();   // Pt100 at 50 degC of 0..100, model 47
    ASSERT_TRUE(e.execute(Bytes{'@', '7', '3', '1', '5'}).accepted);
    EXPECT_EQ(e.nextFrame(0.0).data[6] & 0x10, 0x10) << "service mode shows as the calibration flag";
    struct Reg { std::uint8_t m; double want, tolerance; const char* why; };
    for (const auto& r : {Reg{2, 1096.3, 2.0, "cold-junction Pt1000 near 25 degC"}, Reg{4, 25.0, 0.6, "internal temperature"},
                          Reg{8, *e.conditions().signal * 1.0002, 1e-3, "the second input"},
                          Reg{64, 0.5, 1e-3, "normalized output"}, Reg{128, 50.0, 0.01, "average"}}) {
        ASSERT_TRUE(e.execute(Bytes{'m', r.m}).accepted);
        EXPECT_NEAR(result(e.nextFrame(0.1)), r.want, r.tolerance) << r.why;
    }
    // +1 % zero: the measurement moves by 1 % of the span, the result before corrections does not.
    ASSERT_TRUE(e.execute(Bytes{'V', 5, 0x00, 0xF8, 0x00, 0x64, 0x00, 0x00, 0x64}).accepted);
    ASSERT_TRUE(e.execute(Bytes{'m', 16}).accepted);
    EXPECT_NEAR(result(e.nextFrame(0.2)), 51.0, 0.02);
    ASSERT_TRUE(e.execute(Bytes{'m', 32}).accepted);
    EXPECT_NEAR(result(e.nextFrame(0.3)), 50.0, 0.02);
    ASSERT_TRUE(e.execute(Bytes{'Z', 0x85, 0x48, 0x00, 0x00}).accepted);   // 100.0
    EXPECT_NEAR(result(e.nextFrame(1.0)), 100.0, 1e-9) << "a simulated result is reported as sent";
    EXPECT_NEAR(result(e.nextFrame(2.4)), 100.0, 1e-9);
    EXPECT_NEAR(result(e.nextFrame(2.6)), 50.0, 0.02) << "until its hold of 1.5 s is over";
    ASSERT_TRUE(e.execute(Bytes{'r'}).reset);
    e.reset();
    EXPECT_EQ(std::pair(e.serviceMode(), e.nextFrame(3.0).data[6] & 0x10), std::pair(false, 0));
}

TEST(DeviceEngine, ReportsTheOutputOnTheExtendedScaleWhenSwitchedTo) {
    DeviceEngine e = factoryEngine();
    LineFaults faults;
    EXPECT_EQ(InterpretControl("output-scale extended", e, faults).text, "ok");
    EXPECT_NEAR(outputCounts(e.nextFrame(0.0)), 9216 + 24000, 12) << "12 mA measured: 9216 + 2000 counts per mA";
    ASSERT_TRUE(e.execute(Bytes{'o', 0xAB, 0xE0}).accepted);   // 44000: 22 mA
    auto f = e.nextFrame(0.1);
    EXPECT_EQ(std::pair(outputCounts(f), f.data[6] & 0x20), std::pair(9216 + 44000, 0x20));
    EXPECT_EQ(InterpretControl("service", e, faults).text,
              "ok service=off register=16 forced=-21536 simulated=none scale=extended");
    EXPECT_EQ(InterpretControl("output-scale normal", e, faults).text, "ok");
    ASSERT_TRUE(e.execute(Bytes{'o', 0x10, 0x00}).accepted);
    EXPECT_EQ(outputCounts(e.nextFrame(0.2)), 4096) << "12 mA on the normal scale";
    EXPECT_TRUE(InterpretControl("output-scale wide", e, faults).text.starts_with("error"));
}

TEST(ControlCommands, AnswerEveryLineAndSwitchWhatTheyName) {
    DeviceEngine engine(FactoryImage({}));
    LineFaults faults;
    const auto run = [&](const char* line) { return InterpretControl(line, engine, faults); };
    for (const char* bad : {"corrupt 2", "drop-acks half", "skip-replies next -1", "silence maybe", "strict",
                            "model-index 16", "poke 7FF 0102",
                            "poke 10 123", "explode", "   "})
        EXPECT_TRUE(run(bad).text.starts_with("error")) << bad;
    using A = ControlAction;
    EXPECT_EQ(std::pair(run("unplug").action, run("quit").action), std::pair(A::Unplug, A::Quit));
    const auto mark = run("log-mark  read starts here");
    EXPECT_EQ(std::pair(mark.action, mark.argument), std::pair(A::Mark, std::string("read starts here")));
    for (const char* ok : {"corrupt 0.25", "drop-acks next 3", "skip-replies next 2", "silence on", "strict on",
                           "broken-sensor on", "model-index 7", "signal 123.5", "poke 0x7FC C0C1CE00"})
        EXPECT_EQ(run(ok).text, "ok") << ok;
    EXPECT_EQ(std::tuple(faults.corruptRate, faults.dropAckNext, faults.skipRepliesNext,
                         engine.modelIndex(), *engine.conditions().signal),
              std::tuple(0.25, 3, 2, 7, 123.5));
    EXPECT_TRUE(faults.silence && faults.strictGap && engine.conditions().brokenSensor);
    const std::string dump = run("dump-memory").text;
    ASSERT_EQ(dump.size(), 3 + 2 * kImageFileSize);
    EXPECT_EQ(dump.substr(3 + 2 * 0x7FC, 8), "C0C1CE00") << "poke and dump show the same bytes";
    EXPECT_EQ(run("model-index auto").text + run("signal auto").text, "okok");
    EXPECT_TRUE(engine.modelIndex() == 0 && !engine.conditions().signal);
}

// The host's full write opens with EF 00 00, sends the blocks, then checksum B and checksum A by
// 'L'; a transducer that checked its sums on every frame would report an EEPROM error half-way.
TEST(ChecksumCheck, ReportsWrongSumsOnlyOnceAWriteIsOver) {
    const Bytes open{0xEF, 0, 0}, byte5{0x44, 1, 0, 5, 0x63}, byte40{0x44, 1, 0, 0x40, 0x11}, reset{'r'};
    const Bytes sumA{'L', 1}, sumB{'L', 2}, wrongA{'L', 1, 0, 0, 0};  // the sums are completed when sent
    struct Case { const char* why; bool checkOff; std::vector<Bytes> steps; bool eepromError; };
    const Case cases[] = {
        {"on by default: a byte changed without its sum", false, {byte5}, true},
        {"switched off", true, {byte5}, false},
        {"blocks of an opened write, sums not yet sent", false, {open, byte5}, false},
        {"a write that was wrong before it opened still shows it", false, {byte5, open, byte40}, true},
        {"checksum B alone does not end the write", false, {open, byte5, sumB}, false},
        {"the whole write with its sums", false, {open, byte5, byte40, sumB, sumA}, false},
        {"a write ended with a wrong checksum A", false, {open, byte5, sumB, wrongA}, true},
        {"a reset breaks the write off", false, {open, byte5, reset}, true},
    };
    for (const auto& c : cases) {
        DeviceEngine engine(FactoryImage({}));
        LineFaults faults;
        ASSERT_TRUE(!c.checkOff || InterpretControl("checksum-check off", engine, faults).text == "ok");
        EXPECT_EQ(engine.nextFrame(0.0).data[6] & 0x80, 0x00) << "the factory image is consistent";
        for (Bytes data : c.steps) {
            if (data.size() == 2) {
                const auto& m = engine.memory();
                const std::uint8_t sum = data[1] == 1 ? ChecksumA(m) : ChecksumB(m);
                data = {'L', data[1], sum, sum, sum};
            }
            const auto r = engine.execute(data);
            ASSERT_TRUE(r.accepted) << c.why << ": " << r.note;
            if (r.reset) engine.reset();
        }
        EXPECT_EQ(engine.nextFrame(0.1).data[6] & 0x80, c.eepromError ? 0x80 : 0x00) << c.why;
    }
}

TEST(SimOptions, SetTheLineTimingAndTheChecksumCheck) {
    struct Case { const char* why; std::vector<std::string> args; bool ok; std::int64_t periodUs, gapUs;
                  bool strict, checkSums = true; };
    const Case cases[] = {
        {"the defaults", {}, true, 60'000, 20'000, false},
        {"the listening gap", {"--gap-ms", "10"}, true, 60'000, 10'000, false},
        {"the older name of the gap", {"--min-gap-ms", "12.5"}, true, 60'000, 12'500, false},
        {"a short period, strictly", {"--period-ms", "37", "--gap-ms", "10", "--strict"}, true, 37'000, 10'000, true},
        {"sums not checked", {"--no-check-sums"}, true, 60'000, 20'000, false, false},
        {"sums checked, as by default", {"--check-sums"}, true, 60'000, 20'000, false, true},
        {"no gap at all", {"--gap-ms", "0"}, false, 0, 0, false},
        {"a gap without its value", {"--gap-ms"}, false, 0, 0, false},
    };
    for (const auto& c : cases) {
        auto parsed = ParseSimOptions(c.args);
        ASSERT_EQ(parsed.ok(), c.ok) << c.why;
        if (!c.ok) continue;
        const auto& loop = parsed->loop;
        EXPECT_EQ(std::tuple(loop.timing.periodUs, loop.timing.minGapUs, loop.strict, parsed->checkSums),
                  std::tuple(c.periodUs, c.gapUs, c.strict, c.checkSums)) << c.why;
    }
}

}  // namespace
}  // namespace r4860::sim
