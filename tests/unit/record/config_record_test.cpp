#include "model/config_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

namespace r4860::model {
namespace {

ConfigRecord thermocoupleK(double minInput, double maxInput) {
    ConfigRecord r;
    r.Czujnik = {10, 7, 0, 2};
    r.Parametry.MinInput = minInput;
    r.Parametry.MaxInput = maxInput;
    r.Parametry.Siec = 50;
    return r;
}

struct CodeCase {
    const char* why;
    std::uint8_t typ, tryb, gain, lin;
    std::uint8_t wantTyp, wantTryb, wantGain, wantLin;
};

class CodeRules : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CodeRules, RepairCodesIntoTheirAdmissibleSets) {
    const auto& c = GetParam();
    ConfigRecord r;
    r.Czujnik = {c.typ, c.tryb, c.gain, c.lin};
    NormalizeConfig(r);
    EXPECT_EQ(r.Czujnik.Typ, c.wantTyp) << c.why;
    EXPECT_EQ(r.Czujnik.Tryb, c.wantTryb) << c.why;
    EXPECT_EQ(r.Czujnik.Gain, c.wantGain) << c.why;
    EXPECT_EQ(r.Czujnik.Lin, c.wantLin) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    NormalizeConfig, CodeRules,
    ::testing::Values(CodeCase{"sensor 0 is no sensor", 0, 1, 0, 2, 20, 1, 0, 2},
                      CodeCase{"sensor 25 is no sensor", 25, 1, 0, 2, 20, 1, 0, 2},
                      CodeCase{"Lin 3 is not a conversion", 10, 7, 0, 3, 10, 7, 0, 0},
                      CodeCase{"Lin 7 is not a conversion", 10, 7, 0, 7, 10, 7, 0, 0},
                      CodeCase{"Lin 8 is the power series", 16, 5, 0, 8, 16, 5, 0, 8},
                      CodeCase{"mode 12 is invalid", 10, 12, 0, 2, 10, 0, 0, 2},
                      CodeCase{"mode 0 stays invalid", 10, 0, 0, 2, 10, 0, 0, 2},
                      CodeCase{"mode 11 is min", 17, 11, 0, 1, 17, 11, 0, 1},
                      CodeCase{"1000-ohm Pt keeps its resistance index", 1, 3, 3, 2, 1, 3, 3, 2},
                      CodeCase{"resistance index past 1000 ohm", 1, 3, 4, 2, 1, 3, 0, 2},
                      CodeCase{"a thermocouple has no nominal resistance", 10, 7, 2, 2, 10, 7, 0, 2}));

TEST(NormalizeConfig, ClampsTheRangeOfATemperatureSensorToItsRow) {
    auto r = thermocoupleK(-200, 500);
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.MinInput, -150.0);
    EXPECT_DOUBLE_EQ(r.Parametry.MaxInput, 500.0);

    r = thermocoupleK(600, 500);
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.MinInput, -150.0) << "an inverted range becomes the full row";
    EXPECT_DOUBLE_EQ(r.Parametry.MaxInput, 1370.0);

    r = thermocoupleK(-150.0, 1370.0);
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.MinInput, -150.0) << "the limits themselves are admissible";
    EXPECT_DOUBLE_EQ(r.Parametry.MaxInput, 1370.0);

    r = thermocoupleK(std::numeric_limits<double>::quiet_NaN(), 100);
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.MinInput, -150.0) << "NaN is outside every range";
}

TEST(NormalizeConfig, LeavesConversionRangesAndUserSensorsAlone) {
    ConfigRecord r;
    r.Czujnik = {16, 5, 0, 8};
    r.Parametry.MinInput = -5000;
    r.Parametry.MaxInput = 7000;
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.MinInput, -5000) << "a power-series range is in result units";

    r.Czujnik = {15, 1, 0, 2};
    r.Parametry.MinInput = -900;
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.MinInput, -900) << "the user sensor follows its table";

    r.Czujnik = {16, 5, 0, 1};
    r.Parametry.MinInput = -5000;
    r.Parametry.MaxInput = 500;
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.MinInput, -1000) << "without a conversion the range is the signal's";
}

TEST(NormalizeConfig, RepairsParametersAtTheirLimits) {
    auto r = thermocoupleK(0, 100);
    r.Parametry.RoomT = 60.0;
    r.Parametry.ZeroReg = 2.0;
    r.Parametry.GainReg = -2.01;
    r.Parametry.FiltrZakres = 250;
    r.Parametry.FiltrCzas = 401;
    r.Parametry.FiltrLimit = -1;
    r.Parametry.Siec = 0;
    r.Parametry.Burnout = 2;
    r.Parametry.Jednostki = 10;
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.RoomT, 60.0) << "the cold-junction dialog accepts up to 60";
    EXPECT_DOUBLE_EQ(r.Parametry.ZeroReg, 2.0) << "what the corrections window stores at its limit";
    EXPECT_DOUBLE_EQ(r.Parametry.GainReg, 0.0);
    EXPECT_EQ(r.Parametry.FiltrZakres, 250);
    EXPECT_EQ(r.Parametry.FiltrCzas, 0);
    EXPECT_EQ(r.Parametry.FiltrLimit, 0);
    EXPECT_EQ(r.Parametry.Siec, 50);
    EXPECT_EQ(r.Parametry.Burnout, 2);
    EXPECT_EQ(r.Parametry.Jednostki, 10) << "kg is offered by the conversion dialogs";

    r.Parametry.RoomT = 60.01;
    r.Parametry.Jednostki = 11;
    r.Parametry.Burnout = 3;
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.RoomT, 25.0);
    EXPECT_EQ(r.Parametry.Jednostki, 0);
    EXPECT_EQ(r.Parametry.Burnout, 0);

    r.Parametry.RoomT = -20.00005;
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.RoomT, -20.00005);
}

TEST(AdjustRtdRange, ThousandOhmPlatinumStopsAt400) {
    ConfigRecord r;
    r.Czujnik = {1, 3, 3, 2};
    r.Parametry.MinInput = 0;
    r.Parametry.MaxInput = 600;
    AdjustRtdRange(r);
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.MaxInput, 400.0);
    EXPECT_DOUBLE_EQ(SensorRangeHigh(r, 1), 400.0);

    r.Czujnik.Gain = 2;
    r.Parametry.MaxInput = 600;
    AdjustRtdRange(r);
    NormalizeConfig(r);
    EXPECT_DOUBLE_EQ(r.Parametry.MaxInput, 600.0) << "500 ohm keeps the full row";
    EXPECT_DOUBLE_EQ(SensorRangeHigh(r, 1), 850.0) << "the factory value comes back";
    EXPECT_DOUBLE_EQ(SensorRangeLow(r, 1), -100.0) << "lower values are not touched";
}

TEST(NormalizeConfig, DerivesTheTableInputTypeFromTheSensor) {
    ConfigRecord r;
    r.Czujnik = {17, 5, 0, 4};
    NormalizeConfig(r);
    EXPECT_EQ(r.TableInputType, 17);
    r.Czujnik = {10, 7, 0, 2};
    NormalizeConfig(r);
    EXPECT_EQ(r.TableInputType, 0);
}

TEST(NormalizeConfig, IsIdempotentOverRandomRecords) {
    std::mt19937 rng(4860);
    std::uniform_int_distribution<int> byte(0, 255), wide(-1000, 1000);
    std::uniform_real_distribution<double> value(-3000.0, 3000.0);
    for (int i = 0; i < 5000; ++i) {
        ConfigRecord r;
        r.Czujnik = {static_cast<std::uint8_t>(byte(rng)), static_cast<std::uint8_t>(byte(rng)),
                     static_cast<std::uint8_t>(byte(rng)), static_cast<std::uint8_t>(byte(rng))};
        auto& p = r.Parametry;
        p.MinInput = value(rng);
        p.MaxInput = value(rng);
        p.RoomT = value(rng) / 30;
        p.ZeroReg = value(rng) / 1000;
        p.GainReg = value(rng) / 1000;
        p.FiltrLimit = wide(rng);
        p.FiltrZakres = wide(rng);
        p.FiltrCzas = wide(rng);
        p.Burnout = wide(rng) / 100;
        p.Siec = wide(rng);
        p.Jednostki = wide(rng) / 50;
        AdjustRtdRange(r);
        NormalizeConfig(r);
        const ConfigRecord once = r;
        NormalizeConfig(r);
        ASSERT_EQ(r.Czujnik, once.Czujnik) << "case " << i;
        ASSERT_EQ(r.Parametry, once.Parametry) << "case " << i;
        ASSERT_LE(r.Czujnik.Gain, 3) << "case " << i;
    }
}

TEST(SetEmptyRecord, IsTheNoParametersState) {
    ConfigRecord r;
    r.Informacje.kod = "TAG";
    r.TableLoaded = true;
    SetEmptyRecord(r);
    EXPECT_EQ(r.Czujnik.Typ, 20);
    EXPECT_EQ(r.Czujnik.Tryb, 1);
    EXPECT_EQ(r.Czujnik.Lin, 2);
    EXPECT_EQ(r.Parametry.Jednostki, 10);
    EXPECT_EQ(r.Parametry.Siec, 50);
    EXPECT_TRUE(r.Informacje.kod.empty());
    EXPECT_FALSE(r.TableLoaded);
}

}  // namespace
}  // namespace r4860::model
