// The measurement the emulator derives from its memory, and the memory itself.
#include "sim/measurement_model.h"

#include <gtest/gtest.h>

#include <random>

#include "sim/factory_image.h"
#include "sim/memory_map.h"
#include "support/temp_dir.h"

namespace r4860::sim {
namespace {

DeviceMemory factory() { return FactoryImage(FactorySettings{}); }

TEST(FactoryImage, IsAConsistentPt100ConfigurationForModel47) {
    FactorySettings s;
    s.serial = 0x123456;
    s.modelCode = 48;
    const DeviceMemory m = FactoryImage(s);
    EXPECT_TRUE(ChecksumsValid(m));
    EXPECT_EQ(m.byte(0), 'U');
    EXPECT_EQ(m.byte(1), '1');
    EXPECT_EQ(m.byte(7), 0x41) << "linearization 2, sensor 1";
    EXPECT_EQ(m.byte(2) & 0x0F, 4) << "3-wire mode nibble of the 47-49 family";
    EXPECT_EQ(m.u16(28), 4748u);
    EXPECT_EQ((std::vector<std::uint8_t>{m.byte(32), m.byte(33), m.byte(34)}), (std::vector<std::uint8_t>{0x12, 0x34, 0x56}));
    EXPECT_DOUBLE_EQ(m.floatAt(20), 0.0);
    EXPECT_DOUBLE_EQ(m.floatAt(24), 100.0);
    EXPECT_EQ(m.byte(108), 'T');
    EXPECT_EQ(m.byte(122), 0xFF) << "ID tag padded with 255";
}

TEST(Measurement, FactoryLinearizationFollowsThePt100OverItsWholeRange) {
    const DeviceMemory m = factory();
    // Each segment of the characteristic, and both of its boundaries.
    for (const double t : {-100.0, -50.0, 0.0, 25.0, 50.0, 99.0, 100.5, 200.0, 350.0, 400.0, 600.0, 849.0}) {
        EXPECT_NEAR(LinSetTemperature(m, Pt100Resistance(t)), t, 0.05) << t << " degC";
    }
}

TEST(Measurement, RangeMapsOntoFourToTwentyMilliamps) {
    const DeviceMemory m = factory();
    struct Row { const char* why; double t; int counts; bool outOfRange; };
    const Row rows[] = {
        {"lower range value gives 4 mA", 0.0, 0, false},
        {"middle gives 12 mA", 50.0, 4096, false},
        {"upper range value gives 20 mA", 100.0, 8192, false},
        {"below the range is limited at 3.75 mA", -30.0, -128, true},
        {"above the range is limited at 21.75 mA", 150.0, 9088, true},
    };
    for (const auto& r : rows) {
        const Measurement x = Evaluate(m, Pt100Resistance(r.t));
        EXPECT_NEAR(x.outputCounts, r.counts, 3) << r.why;
        EXPECT_EQ(x.outOfRange, r.outOfRange) << r.why;
        EXPECT_NEAR(x.result, r.t, 0.05) << r.why;
    }
}

TEST(Measurement, PolynomialCodesUseAreaA) {
    DeviceMemory m = factory();
    // Conversion code 4 with y = (x - 2) / 8 over a 0..50 range: x = 6 gives y 0.5.
    m.setByte(map::kLinType, static_cast<std::uint8_t>(map::kLinConversion << 5 | 16));
    for (int k = 0; k < 11; ++k) m.setFloat(map::kAreaA + 4 * k, 0.0);
    m.setFloat(map::kAreaA, -0.25);
    m.setFloat(map::kAreaA + 4, 0.125);
    m.setFloat(map::kMinInput, 0.0);
    m.setFloat(map::kInputSpan, 50.0);
    const Measurement x = Evaluate(m, 6.0);
    EXPECT_DOUBLE_EQ(x.normalized, 0.5);
    EXPECT_DOUBLE_EQ(x.result, 25.0);
    EXPECT_EQ(x.outputCounts, 4096);
    // The same polynomial of degree 2: d2 = 1/64 adds 36/64.
    m.setByte(map::kLinType, static_cast<std::uint8_t>(map::kLinSeries << 5 | 16));
    m.setFloat(map::kAreaA + 8, 1.0 / 64.0);
    EXPECT_DOUBLE_EQ(Evaluate(m, 6.0).normalized, 0.5 + 36.0 / 64.0);
}

TEST(Measurement, UserCorrectionsActOnTheNormalizedOutput) {
    DeviceMemory m = factory();
    m.setU16(map::kZeroCorr, static_cast<std::uint16_t>(-150));  // -1.50 %
    m.setU16(map::kGainCorr, 100);                                // +1.00 %
    const Measurement x = Evaluate(m, Pt100Resistance(50.0));
    EXPECT_NEAR(x.normalized, 1.01 * 0.5 - 0.015, 5e-4);
}

TEST(Measurement, UnusableMemoryIsFlaggedNotTrusted) {
    DeviceMemory m = factory();
    m.setByte(map::kLinType, 0x01);  // conversion code 0
    EXPECT_TRUE(Evaluate(m, 100.0).unusable);
    m = factory();
    m.setFloat(map::kInputSpan, 0.0);
    EXPECT_TRUE(Evaluate(m, 100.0).unusable);
}

TEST(Measurement, OutputCountsInvertTheHostsDecodingOnTheNormalScale) {
    struct Row { double mA; int counts; };
    for (const Row r : {Row{4.0, 0}, Row{20.0, 8192}, Row{3.75, -128}, Row{21.75, 9088}, Row{12.0, 4096},
                        Row{0.0, -128}, Row{30.0, 9088}})
        EXPECT_EQ(CountsForCurrent(r.mA), r.counts) << r.mA << " mA";
}

TEST(Measurement, BurnoutFollowsByteTwo) {
    DeviceMemory m = factory();
    EXPECT_EQ(BurnoutCounts(m), kMinCounts);
    m.setByte(map::kFlags, 0x80 | 0x40);
    EXPECT_EQ(BurnoutCounts(m), kMaxCounts);
    m.setByte(map::kFlags, 0x80 | 0x10);
    EXPECT_EQ(BurnoutCounts(m), 0) << "bit 4 wins over bit 7: locked at 4 mA";
}

TEST(DeviceMemory, AnswersReadsAtEveryAddress) {
    DeviceMemory m = factory();
    EXPECT_EQ(m.readBlock(2046), (std::array<std::uint8_t, 4>{m.byte(2046), m.byte(2047), 0xFF, 0xFF}));
    EXPECT_EQ(m.readBlock(0x8000), (std::array<std::uint8_t, 4>{'V', '2', '.', '1'}));
    EXPECT_EQ(m.readBlock(0x4000), (std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}));
    const std::uint8_t four[4] = {1, 2, 3, 4};
    EXPECT_TRUE(m.write(2044, four));
    EXPECT_FALSE(m.write(2045, four)) << "the last byte would fall outside";
    EXPECT_EQ(m.byte(2045), 2) << "a refused write changes nothing";
}

TEST(DeviceMemory, SurvivesASaveAndLoad) {
    testing::TempDir dir;
    std::mt19937 rng(2052);
    DeviceMemory m;
    std::vector<std::uint8_t> img(kImageFileSize);
    for (auto& b : img) b = static_cast<std::uint8_t>(rng());
    ASSERT_TRUE(m.setImage(img));
    ASSERT_TRUE(m.save(dir / "mem.bin"));
    DeviceMemory back;
    ASSERT_TRUE(back.load(dir / "mem.bin"));
    const auto got = back.image();
    EXPECT_TRUE(std::equal(got.begin(), got.end(), img.begin()));
    EXPECT_FALSE(back.setImage(std::vector<std::uint8_t>(2050))) << "neither 2048 nor 2052 bytes";
    EXPECT_FALSE(back.load(dir / "missing.bin"));
}

}  // namespace
}  // namespace r4860::sim
