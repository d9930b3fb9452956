// The emulated firmware's command table: what each command does to the memory and the frames.
#include "sim/device_engine.h"

#include <gtest/gtest.h>

#include "common/device_float.h"
#include "sim/factory_image.h"
#include "sim/memory_map.h"

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

struct CommandCase {
    const char* why;
    Bytes data;
    bool accepted;
    bool ack;
};

class CommandTable : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandTable, AcceptsOnlyWellFormedCommands) {
    const auto& c = GetParam();
    DeviceEngine e = factoryEngine();
    const auto r = e.execute(c.data);
    EXPECT_EQ(r.accepted, c.accepted) << c.why << " (" << r.note << ")";
    EXPECT_EQ(r.ack, c.ack) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandTable,
    ::testing::Values(
        CommandCase{"opening of a full write", {0xEF, 0x00, 0x00}, true, true},
        CommandCase{"opening with a stray parameter", {0xEF, 0x00, 0x01}, false, false},
        CommandCase{"read 4 bytes", {'s', 0x00, 0x24}, true, true},
        CommandCase{"read without its address", {'s', 0x00}, false, false},
        CommandCase{"write 4 bytes", {'D', 4, 0x00, 0x40, 1, 2, 3, 4}, true, true},
        CommandCase{"write 1 byte, taken at once (bit 7)", {0xC4, 1, 0x00, 0xFC, 9}, true, true},
        CommandCase{"write count disagrees with the bytes", {'D', 4, 0x00, 0x40, 1, 2, 3}, false, false},
        CommandCase{"write past the end of the memory", {'D', 4, 0x07, 0xFE, 1, 2, 3, 4}, false, false},
        CommandCase{"register 1 three times the same", {'L', 1, 0x5A, 0x5A, 0x5A}, true, true},
        CommandCase{"register copies differ: a damaged command", {'L', 1, 0x5A, 0x5A, 0x5B}, false, false},
        CommandCase{"no register 3", {'L', 3, 0xA2, 0xA2, 0xA2}, false, false},
        CommandCase{"corrections with their sum", {'V', 5, 0x00, 0xF8, 0xFF, 0x6A, 0x00, 0x64, 0xCD}, true, true},
        CommandCase{"corrections with a wrong sum", {'V', 5, 0x00, 0xF8, 0xFF, 0x6A, 0x00, 0x64, 0xCE}, false, false},
        CommandCase{"register selection, one bit", {'m', 16}, true, true},
        CommandCase{"register selection, two bits", {'m', 3}, false, false},
        CommandCase{"output current", {'o', 0x10, 0x00}, true, true},
        CommandCase{"simulated result", {'Z', 0x85, 0x48, 0x00, 0x00}, true, true},
        CommandCase{"service mode", {'@', '7', '3', '1', '5'}, true, true},
        CommandCase{"service mode, wrong code", {'@', '7', '3', '1', '6'}, false, false},
        CommandCase{"oscillator adjustment", {'%', 'K', 'Q', 'V', 'z'}, true, true},
        CommandCase{"reset is never acknowledged", {'r'}, true, false},
        CommandCase{"unknown command", {'q', 1}, false, false}));

TEST(DeviceEngine, AnswersAReadInItsNextFrameOnly) {
    DeviceEngine e = factoryEngine();
    ASSERT_TRUE(e.execute(Bytes{'s', 0x00, 0x1C}).accepted);
    const auto reply = e.nextFrame(0.0);
    EXPECT_TRUE(reply.reply);
    const auto& mem = e.memory();
    EXPECT_EQ(Bytes(reply.data.begin(), reply.data.begin() + 4),
              (Bytes{mem.byte(28), mem.byte(29), mem.byte(30), mem.byte(31)}));
    EXPECT_EQ(reply.data[4], 0x00) << "address high echoed";
    EXPECT_EQ(reply.data[5], 0x1C) << "address low echoed";
    EXPECT_EQ(mem.u16(28), 4747u);
    EXPECT_FALSE(e.nextFrame(0.1).reply) << "the frame after the answer is a measurement again";
}

TEST(DeviceEngine, ReadsTheInnerCodeVersionAt0x8000) {
    FactorySettings s;
    s.codeVersion = "X9.3";
    DeviceEngine e(FactoryImage(s));
    ASSERT_TRUE(e.execute(Bytes{0xF3, 0x80, 0x00}).accepted);
    const auto f = e.nextFrame(0.0);
    EXPECT_EQ(Bytes(f.data.begin(), f.data.begin() + 6), (Bytes{'X', '9', '.', '3', 0x80, 0x00}));
}

TEST(DeviceEngine, RegisterWritesLandOnTheChecksumBytes) {
    DeviceEngine e = factoryEngine();
    ASSERT_TRUE(e.execute(Bytes{'L', 1, 0x11, 0x11, 0x11}).accepted);
    ASSERT_TRUE(e.execute(Bytes{0xCC, 2, 0x22, 0x22, 0x22}).accepted);
    ASSERT_TRUE(e.execute(Bytes{'L', 0, 0x33, 0x33, 0x33}).accepted);
    EXPECT_EQ(e.memory().byte(0x7E), 0x11) << "index 1 is checksum A";
    EXPECT_EQ(e.memory().byte(0x7F), 0x22) << "index 2 is checksum B";
    EXPECT_EQ(e.registerZero(), 0x33) << "index 0 stays inside the firmware";
}

TEST(DeviceEngine, StoresCorrectionsAndTheirSumAt0xF8) {
    DeviceEngine e = factoryEngine();
    // ZeroReg -1.5 % (FF 6A), GainReg +1.0 % (00 64), sum CD.
    ASSERT_TRUE(e.execute(Bytes{'V', 5, 0x00, 0xF8, 0xFF, 0x6A, 0x00, 0x64, 0xCD}).accepted);
    const auto& m = e.memory();
    EXPECT_EQ((Bytes{m.byte(248), m.byte(249), m.byte(250), m.byte(251), m.byte(252)}),
              (Bytes{0xFF, 0x6A, 0x00, 0x64, 0xCD}));
    EXPECT_TRUE(ChecksumsValid(m));
}

TEST(DeviceEngine, StatusBytesCarryUnitModelAndConditions) {
    struct Row {
        const char* why;
        int model;
        void (*set)(Conditions&);
        std::uint8_t a, b;
    };
    const Row rows[] = {
        {"factory 4747: degC (8), model index 0", 47, [](Conditions&) {}, 0x08, 0x00},
        {"model 37 is index 3", 37, [](Conditions&) {}, 0x08, 0x03},
        {"model 20 is index 8", 20, [](Conditions&) {}, 0x08, 0x08},
        {"a model the table lacks", 55, [](Conditions&) {}, 0x08, 0x09},
        {"forced model index", 47, [](Conditions& c) { c.modelIndex = 5; }, 0x08, 0x05},
        {"EEPROM error is A bit 7", 47, [](Conditions& c) { c.eepromError = true; }, 0x88, 0x00},
        {"broken sensor is A bit 6", 47, [](Conditions& c) { c.brokenSensor = true; }, 0x48, 0x00},
        {"cal mode is A bit 4", 47, [](Conditions& c) { c.calMode = true; }, 0x18, 0x00},
        {"out of range is B bit 7", 47, [](Conditions& c) { c.outOfRange = true; }, 0x08, 0x80},
        {"large error is B bit 6", 47, [](Conditions& c) { c.pulseLargeError = true; }, 0x08, 0x40},
        {"new average is B bit 5", 47, [](Conditions& c) { c.pulseNewAverage = true; }, 0x08, 0x20},
        {"internal error is B bit 4", 47, [](Conditions& c) { c.internalError = true; }, 0x08, 0x10},
    };
    for (const auto& r : rows) {
        DeviceEngine e = factoryEngine(r.model);
        r.set(e.conditions());
        const auto f = e.nextFrame(0.0);
        EXPECT_EQ(f.data[6], r.a) << r.why;
        EXPECT_EQ(f.data[7], r.b) << r.why;
    }
}

TEST(DeviceEngine, PulsesLastOneFrame) {
    DeviceEngine e = factoryEngine();
    e.conditions().pulseNewAverage = true;
    EXPECT_EQ(e.nextFrame(0.0).data[7] & 0x20, 0x20);
    EXPECT_EQ(e.nextFrame(0.1).data[7] & 0x20, 0x00);
}

TEST(DeviceEngine, ForcedOutputIsIndependentUntilReset) {
    DeviceEngine e = factoryEngine();
    ASSERT_TRUE(e.execute(Bytes{'o', 0xFF, 0x80}).accepted);  // -128 counts: 3.75 mA
    auto f = e.nextFrame(0.0);
    EXPECT_EQ(f.data[4], 0xFF);
    EXPECT_EQ(f.data[5], 0x80);
    EXPECT_EQ(f.data[6] & 0x20, 0x20) << "independent output flag";
    ASSERT_TRUE(e.execute(Bytes{'r'}).reset);
    e.reset();
    f = e.nextFrame(0.1);
    EXPECT_EQ(f.data[6] & 0x20, 0x00);
    EXPECT_NE(f.data[4] << 8 | f.data[5], 0xFF80) << "the output follows the measurement again";
}

TEST(DeviceEngine, SelectedRegisterReplacesTheResult) {
    DeviceEngine e = factoryEngine();
    const double signal = *e.conditions().signal;
    ASSERT_TRUE(e.execute(Bytes{'m', 1}).accepted);
    auto f = e.nextFrame(0.0);
    EXPECT_NEAR(DecodeDeviceFloat(std::span<const std::uint8_t, 4>(f.data.data(), 4)), signal, 1e-4)
        << "register 1 is the input signal";
    ASSERT_TRUE(e.execute(Bytes{'m', 16}).accepted);
    f = e.nextFrame(0.1);
    EXPECT_NEAR(DecodeDeviceFloat(std::span<const std::uint8_t, 4>(f.data.data(), 4)), 50.0, 0.02)
        << "register 16 is the measurement";
}

TEST(DeviceEngine, SimulatedResultDrivesTheOutputUntilTheNextRegisterSelection) {
    DeviceEngine e = factoryEngine();
    ASSERT_TRUE(e.execute(Bytes{'Z', 0x85, 0x48, 0x00, 0x00}).accepted);  // 100.0: the top of 0..100
    auto f = e.nextFrame(0.0);
    EXPECT_EQ(f.data[4] << 8 | f.data[5], 8192) << "20 mA";
    ASSERT_TRUE(e.execute(Bytes{'m', 16}).accepted);
    f = e.nextFrame(0.1);
    EXPECT_NEAR(f.data[4] << 8 | f.data[5], 4096, 5) << "50 degC of 0..100 is 12 mA again";
}

TEST(DeviceEngine, OscillatorAdjustmentGoesToTheLowNibbleAt0x27) {
    DeviceEngine e = factoryEngine();
    e.setOscillatorAdjustment(-2);
    ASSERT_TRUE(e.execute(Bytes{'%', 'K', 'Q', 'V', 'z'}).accepted);
    EXPECT_EQ(e.memory().byte(0x27) & 0x0F, 0x0E);
}

TEST(DeviceEngine, ChecksumCheckReportsAnEepromError) {
    DeviceEngine e = factoryEngine();
    e.conditions().checkSums = true;
    EXPECT_EQ(e.nextFrame(0.0).data[6] & 0x80, 0x00) << "the factory image is consistent";
    ASSERT_TRUE(e.execute(Bytes{'D', 1, 0x00, 0x05, 0x63}).accepted);
    EXPECT_EQ(e.nextFrame(0.1).data[6] & 0x80, 0x80) << "byte 5 changed, checksum A not";
}

}  // namespace
}  // namespace r4860::sim
