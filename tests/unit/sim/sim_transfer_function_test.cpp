// End to end without a line: what the tool's codec writes, the emulated firmware must turn into
// the output the tool predicts (its TransferCurve), and the factory image must read as intended.
#include <gtest/gtest.h>

#include "model/config_image.h"
#include "model/config_record.h"
#include "sim/factory_image.h"
#include "sim/measurement_model.h"

namespace r4860::sim {
namespace {

using model::ConfigRecord;

ConfigRecord sensor(std::uint8_t typ, std::uint8_t tryb, std::uint8_t lin, double lo, double hi, int unit) {
    ConfigRecord r;
    r.Czujnik = {typ, tryb, 0, lin};
    r.Parametry.MinInput = lo;
    r.Parametry.MaxInput = hi;
    r.Parametry.Siec = 50;
    r.Parametry.Jednostki = unit;
    r.Device = "R4747";
    r.TableInputType = model::DerivedTableInputType(typ);
    return r;
}

struct CurveCase {
    const char* why;
    ConfigRecord record;
};

void PrintTo(const CurveCase& c, std::ostream* os) { *os << c.why; }

class WrittenConfiguration : public ::testing::TestWithParam<CurveCase> {};

TEST_P(WrittenConfiguration, DrivesTheOutputTheToolPredicts) {
    ConfigRecord rec = GetParam().record;
    model::ConfigImage image{};
    const auto st = model::EncodeImage(rec, image, {46000, 47});
    ASSERT_TRUE(st.ok()) << GetParam().why << ": " << st.error().message;
    DeviceMemory mem;
    ASSERT_TRUE(mem.setImage(image));
    EXPECT_TRUE(ChecksumsValid(mem)) << GetParam().why << ": the firmware's sums agree with the codec's";
    const double lo = rec.Parametry.SignalMin, h = (rec.Parametry.SignalMax - lo) / 100.0;
    for (int i = 0; i <= 100; ++i) {
        const Measurement m = Evaluate(mem, lo + i * h);
        ASSERT_FALSE(m.unusable) << GetParam().why;
        EXPECT_NEAR(m.normalized, rec.TransferCurve[static_cast<std::size_t>(i)], 2e-4) << GetParam().why << ", point " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codec, WrittenConfiguration,
    ::testing::Values(CurveCase{"Pt100 3-wire linearized 0..100 degC", sensor(1, 3, 2, 0.0, 100.0, 8)},
                      CurveCase{"Pt100 linearized over most of its range", sensor(1, 4, 2, -80.0, 800.0, 8)},
                      CurveCase{"Pt100 linear in resistance", sensor(1, 2, 1, 0.0, 200.0, 8)},
                      CurveCase{"K thermocouple with compensation, linearized", sensor(10, 7, 2, 0.0, 500.0, 8)},
                      CurveCase{"millivolt input without conversion", sensor(16, 5, 1, -10.0, 50.0, 2)}));

TEST(FactoryImage, ReadsBackAsThePt100ConfigurationItClaims) {
    FactorySettings s;
    s.serial = 98765;
    const DeviceMemory mem = FactoryImage(s);
    model::ConfigImage image{};
    const auto bytes = mem.image();
    std::copy(bytes.begin(), bytes.end(), image.begin());
    EXPECT_EQ(model::ChecksumA(image), mem.byte(126));
    EXPECT_EQ(model::ChecksumB(image), mem.byte(127));
    EXPECT_EQ(model::ChecksumC(image), mem.byte(252));

    ConfigRecord rec;
    model::DecodeImage(image, rec);
    EXPECT_EQ(rec.Device, "R4747");
    EXPECT_EQ(rec.Czujnik.Typ, 1);
    EXPECT_EQ(rec.Czujnik.Tryb, 3);
    EXPECT_EQ(rec.Czujnik.Lin, 2);
    EXPECT_DOUBLE_EQ(rec.Parametry.MinInput, 0.0);
    EXPECT_DOUBLE_EQ(rec.Parametry.MaxInput, 100.0);
    EXPECT_EQ(rec.Parametry.Jednostki, 8);
    EXPECT_EQ(rec.Parametry.Siec, 50);
    EXPECT_EQ(rec.Informacje.serial, "98765");
    EXPECT_EQ(rec.Informacje.kod, "TT-101");
    EXPECT_EQ(rec.Informacje.CodeVersion, "V2.1");
}

}  // namespace
}  // namespace r4860::sim
