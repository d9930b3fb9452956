// The measurement the emulator derives from its memory: its own factory image, and what the
// tool's codec writes, must drive the output the tool predicts (its TransferCurve).
#include "sim/measurement_model.h"

#include <gtest/gtest.h>

#include <random>

#include "model/config_image.h"
#include "sim/factory_image.h"
#include "sim/memory_map.h"
#include "support/temp_dir.h"

namespace r4860::sim {
namespace {

using model::ConfigRecord;

DeviceMemory factory() { return FactoryImage(FactorySettings{}); }

TEST(FactoryImage, DecodesAsThePt100ConfigurationItClaims) {
    const DeviceMemory mem = FactoryImage(FactorySettings{.modelCode = 48, .serial = 98765});
    EXPECT_TRUE(ChecksumsValid(mem));
    model::ConfigImage image{};
    std::ranges::copy(mem.image(), image.begin());
    ConfigRecord rec;
    model::DecodeImage(image, rec);
    EXPECT_EQ(rec.Device, "R4748");
    EXPECT_EQ(rec.Czujnik, (model::CzujnikGroup{1, 3, 0, 2})) << "Pt100, 3-wire, linearized";
    EXPECT_DOUBLE_EQ(rec.Parametry.MinInput, 0.0);
    EXPECT_DOUBLE_EQ(rec.Parametry.MaxInput, 100.0);
    EXPECT_EQ(rec.Parametry.Jednostki, 8);
    EXPECT_EQ(rec.Informacje.serial + " " + rec.Informacje.kod + " " + rec.Informacje.CodeVersion, "98765 TT-101 V2.1");
}

TEST(Measurement, FactoryLinearizationFollowsThePt100AndMapsTheRangeOntoFourToTwentyMilliamps) {
    const DeviceMemory m = factory();
    // Each segment of the characteristic, and both of its boundaries.
    for (const double t : {-100.0, -50.0, 0.0, 25.0, 50.0, 99.0, 100.5, 200.0, 350.0, 400.0, 600.0, 849.0})
        EXPECT_NEAR(LinSetTemperature(m, Pt100Resistance(t)), t, 0.05) << t << " degC";
    // 4, 12 and 20 mA over the range; limited at 3.75 and 21.75 mA outside it.
    struct Row { double t; int counts; bool outOfRange; };
    for (const Row& r : {Row{0.0, 0, false}, Row{50.0, 4096, false}, Row{100.0, 8192, false},
                         Row{-30.0, -128, true}, Row{150.0, 9088, true}}) {
        const Measurement x = Evaluate(m, Pt100Resistance(r.t));
        EXPECT_NEAR(x.outputCounts, r.counts, 3) << r.t;
        EXPECT_NEAR(x.result, r.t, 0.05) << r.t;
        EXPECT_EQ(x.outOfRange, r.outOfRange) << r.t;
    }
    for (const auto& [mA, counts] : {std::pair{4.0, 0}, {20.0, 8192}, {12.0, 4096}, {0.0, -128}, {30.0, 9088}})
        EXPECT_EQ(CountsForCurrent(mA), counts) << mA << " mA";
}

TEST(Measurement, CorrectionsBurnoutAndUnusableMemory) {
    DeviceMemory m = factory();
    m.setU16(map::kZeroCorr, static_cast<std::uint16_t>(-150));  // -1.50 %
    m.setU16(map::kGainCorr, 100);                                // +1.00 %
    EXPECT_NEAR(Evaluate(m, Pt100Resistance(50.0)).normalized, 1.01 * 0.5 - 0.015, 5e-4);
    EXPECT_EQ(BurnoutCounts(m), kMinCounts);
    m.setByte(map::kFlags, 0x80 | 0x40);
    EXPECT_EQ(BurnoutCounts(m), kMaxCounts);
    m.setByte(map::kFlags, 0x80 | 0x10);
    EXPECT_EQ(BurnoutCounts(m), 0) << "bit 4 wins over bit 7: locked at 4 mA";
    m.setByte(map::kLinType, 0x01);  // conversion code 0
    EXPECT_TRUE(Evaluate(m, 100.0).unusable);
    m = factory();
    m.setFloat(map::kInputSpan, 0.0);
    EXPECT_TRUE(Evaluate(m, 100.0).unusable);
}

ConfigRecord sensor(std::uint8_t typ, std::uint8_t tryb, std::uint8_t lin, double lo, double hi, int unit) {
    ConfigRecord r;
    r.Czujnik = {typ, tryb, 0, lin};
    r.Parametry.MinInput = lo, r.Parametry.MaxInput = hi, r.Parametry.Siec = 50, r.Parametry.Jednostki = unit;
    r.Device = "R4747", r.TableInputType = model::DerivedTableInputType(typ);
    return r;
}

TEST(Measurement, AWrittenConfigurationDrivesTheOutputTheToolPredicts) {
    ConfigRecord series = sensor(16, 5, 8, 10.0, 110.0, 2);  // a power series: area A's polynomial
    series.LinCoef = {10.0, 2.0, 0.5, 0, 0, 0, 0, 0, 0, 0.0, 100.0};
    series.Table.points = {{0.0, 0.0}, {1000.0, 1000.0}};
    const std::pair<const char*, ConfigRecord> cases[] = {
        {"Pt100 3-wire linearized 0..100 degC", sensor(1, 3, 2, 0.0, 100.0, 8)},
        {"Pt100 linearized over most of its range", sensor(1, 4, 2, -80.0, 800.0, 8)},
        {"Pt100 linear in resistance", sensor(1, 2, 1, 0.0, 200.0, 8)},
        {"K thermocouple with compensation, linearized", sensor(10, 7, 2, 0.0, 500.0, 8)},
        {"millivolt input without conversion", sensor(16, 5, 1, -10.0, 50.0, 2)},
        {"millivolt input through a power series", series},
    };
    for (auto [why, rec] : cases) {
        model::ConfigImage image{};
        const auto st = model::EncodeImage(rec, image, {46000, 47});
        ASSERT_TRUE(st.ok()) << why << ": " << st.error().message;
        DeviceMemory mem;
        ASSERT_TRUE(mem.setImage(image));
        EXPECT_TRUE(ChecksumsValid(mem)) << why << ": the firmware's sums agree with the codec's";
        const double lo = rec.Parametry.SignalMin, h = (rec.Parametry.SignalMax - lo) / 100.0;
        for (std::size_t i = 0; i <= 100; ++i) {
            const Measurement m = Evaluate(mem, lo + static_cast<double>(i) * h);
            ASSERT_FALSE(m.unusable) << why;
            ASSERT_NEAR(m.normalized, rec.TransferCurve[i], 2e-4) << why << ", point " << i;
        }
    }
}

TEST(DeviceMemory, AnswersReadsAtEveryAddressAndSurvivesASaveAndLoad) {
    DeviceMemory m = factory();
    EXPECT_EQ(m.readBlock(2046), (std::array<std::uint8_t, 4>{m.byte(2046), m.byte(2047), 0xFF, 0xFF}));
    EXPECT_EQ(m.readBlock(0x8000), (std::array<std::uint8_t, 4>{'V', '2', '.', '1'}));
    EXPECT_EQ(m.readBlock(0x4000), (std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}));
    const std::uint8_t four[4] = {1, 2, 3, 4};
    EXPECT_TRUE(m.write(2044, four));
    EXPECT_FALSE(m.write(2045, four)) << "the last byte would fall outside";
    EXPECT_EQ(m.byte(2045), 2) << "a refused write changes nothing";
    testing::TempDir dir;
    std::vector<std::uint8_t> img(kImageFileSize);
    for (std::mt19937 rng(2052); auto& b : img) b = static_cast<std::uint8_t>(rng());
    ASSERT_TRUE(m.setImage(img));
    ASSERT_TRUE(m.save(dir / "mem.bin"));
    DeviceMemory back;
    ASSERT_TRUE(back.load(dir / "mem.bin"));
    EXPECT_TRUE(std::ranges::equal(back.image(), img));
    EXPECT_FALSE(back.setImage(std::vector<std::uint8_t>(2050))) << "neither 2048 nor 2052 bytes";
    EXPECT_FALSE(back.load(dir / "missing.bin"));
}

}  // namespace
}  // namespace r4860::sim
