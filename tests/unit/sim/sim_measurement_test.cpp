// The measurement the emulator derives from its memory: its own factory image, and what the
// tool's codec writes, must drive the output the tool predicts (its TransferCurve).
#include "sim/measurement_model.h"

#include <gtest/gtest.h>

#include <random>

#include "model/config_image.h"
#include "model/sensor_characteristics.h"
#include "sim/factory_image.h"
#include "sim/memory_map.h"
#include "support/temp_dir.h"

namespace r4860::sim {
namespace {

using model::ConfigRecord;

DeviceMemory factory() { return FactoryImage(FactorySettings{}); }

ConfigRecord sensor(std::uint8_t typ, std::uint8_t tryb, std::uint8_t lin, double lo, double hi, int unit) {
    ConfigRecord r;
    r.Czujnik = {typ, tryb, 0, lin};
    r.Parametry.MinInput = lo, r.Parametry.MaxInput = hi, r.Parametry.Siec = 50, r.Parametry.Jednostki = unit;
    r.Device = "R4747", r.TableInputType = model::DerivedTableInputType(typ);
    return r;
}

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
    const auto ohms = [](double t) { return model::SensorSignal(ConfigRecord{}, 1, t); };
    // Each segment of the characteristic, and both of its boundaries (99.9 degC is at the first).
    for (const double t : {-100.0, -50.0, 0.0, 25.0, 50.0, 99.0, 99.9, 100.5, 200.0, 350.0, 400.0, 600.0, 849.0})
        EXPECT_NEAR(LinSetTemperature(m, ohms(t)), t, 0.003) << t << " degC";
    // 4, 12 and 20 mA over the range; limited at 3.75 and 21.75 mA outside it.
    struct Row { double t; int counts; bool outOfRange; };
    for (const Row& r : {Row{0.0, 0, false}, Row{50.0, 4096, false}, Row{100.0, 8192, false},
                         Row{-30.0, -128, true}, Row{150.0, 9088, true}}) {
        const Measurement x = Evaluate(m, ohms(r.t));
        EXPECT_NEAR(x.outputCounts, r.counts, 3) << r.t;
        EXPECT_NEAR(x.result, r.t, 0.003) << r.t;
        EXPECT_EQ(x.outOfRange, r.outOfRange) << r.t;
    }
    for (const auto& [mA, counts] : {std::pair{4.0, 0}, {20.0, 8192}, {12.0, 4096}, {0.0, -128}, {30.0, 9088}})
        EXPECT_EQ(CountsForCurrent(mA), counts) << mA << " mA";
}

TEST(FactoryImage, HoldsTheCharacteristicTheToolWritesWithNoStepAtItsBoundaries) {
    const DeviceMemory m = factory();
    const auto& set = model::SensorLinTableFor(1);
    for (std::size_t k = 0; k < 7; ++k) EXPECT_EQ(m.floatAt(map::kSetSegment2 + 4 * k), set[14 + k]) << k;
    const double low = set[0], span = set[1] - set[0];
    for (const double bound : {set[3], set[4]}) {
        const double x = low + bound * span;
        EXPECT_NEAR(LinSetTemperature(m, x + 1e-6), LinSetTemperature(m, x - 1e-6), 0.003) << bound;
    }
}

DeviceMemory programmed(ConfigRecord rec) {
    model::ConfigImage image{};
    EXPECT_TRUE(model::EncodeImage(rec, image, {46000, 47}).ok());
    DeviceMemory mem;
    EXPECT_TRUE(mem.setImage(image));
    return mem;
}

TEST(Measurement, TheTerminalsCarryWhatACalibratorSources) {
    ConfigRecord pt1000 = sensor(1, 3, 2, 0.0, 200.0, 8);
    pt1000.Czujnik.Gain = 3;
    EXPECT_NEAR(Evaluate(programmed(pt1000), 10.0 * model::SensorSignal(pt1000, 1, 100.0)).result, 100.0, 0.005)
        << "a Pt1000 in its own ohms";
    // A K thermocouple at 100 degC whose cold junction, at the terminals, is at 30 degC.
    const auto emf = [](double t) { return model::ThermoEmf(10, t) * 0.001; };
    const double terminals = emf(100.0) - emf(30.0);
    const auto inverse = [&](double e) {  // the temperature of an EMF, by bisection
        double lo = -100, hi = 500;
        for (int i = 0; i < 60; ++i) (emf((lo + hi) / 2) < e ? lo : hi) = (lo + hi) / 2;
        return lo;
    };
    ConfigRecord k = sensor(10, 7, 2, 0.0, 500.0, 8);
    k.Parametry.RoomT = 25.0;
    const struct { const char* why; std::uint8_t tryb; double reads; } cases[] = {
        {"compensated at the terminals' own temperature", 7, 100.0},
        {"taken as RoomT, 25 degC, five degrees too cold", 6, inverse(terminals + emf(25.0))},
        {"a temperature difference is not compensated", 5, inverse(terminals)},
    };
    for (const auto& c : cases) {
        k.Czujnik.Tryb = c.tryb;
        EXPECT_NEAR(Evaluate(programmed(k), terminals, 30.0).result, c.reads, 0.1) << c.why;
    }
}

TEST(Measurement, CorrectionsBurnoutAndUnusableMemory) {
    DeviceMemory m = factory();
    m.setU16(map::kZeroCorr, static_cast<std::uint16_t>(-150));  // -1.50 %
    m.setU16(map::kGainCorr, 100);                                // +1.00 %
    EXPECT_NEAR(Evaluate(m, model::SensorSignal(ConfigRecord{}, 1, 50.0)).normalized, 1.01 * 0.5 - 0.015, 5e-4);
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

TEST(Measurement, AWrittenConfigurationDrivesTheOutputTheToolPredicts) {
    ConfigRecord series = sensor(16, 5, 8, 10.0, 110.0, 2);  // a power series: area A's polynomial
    series.LinCoef = {10.0, 2.0, 0.5, 0, 0, 0, 0, 0, 0, 0.0, 100.0};
    series.Table.points = {{0.0, 0.0}, {1000.0, 1000.0}};
    ConfigRecord user = sensor(15, 5, 2, 0.0, 500.0, 8);  // a user sensor's table: K-shaped
    for (int t = 0; t <= 500; t += 25) user.Table.points.push_back({double(t), model::ThermoEmf(10, t) * 0.001});
    user.TableLoaded = true;
    ConfigRecord tank = sensor(18, 5, 2, 0.0, 100.0, 9);  // a volt input through a table
    for (int i = 0; i <= 20; ++i) tank.Table.points.push_back({i * i * 0.25, i * 0.5});
    tank.TableLoaded = true;
    const std::pair<const char*, ConfigRecord> cases[] = {
        {"user sensor through its table", user},
        {"volt input through a table", tank},
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
