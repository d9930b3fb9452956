#include "model/config_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

namespace r4860::model {
namespace {

TEST(NormalizeConfig, RepairsCodesIntoTheirAdmissibleSets) {
    struct Case { const char* why; CzujnikGroup in, want; };
    const Case cases[] = {
        {"sensor 0 is no sensor", {0, 1, 0, 2}, {20, 1, 0, 2}},
        {"sensor 25 is no sensor", {25, 1, 0, 2}, {20, 1, 0, 2}},
        {"Lin 7 is not a conversion", {10, 7, 0, 7}, {10, 7, 0, 0}},
        {"Lin 8 is the power series", {16, 5, 0, 8}, {16, 5, 0, 8}},
        {"mode 12 is invalid", {10, 12, 0, 2}, {10, 0, 0, 2}},
        {"mode 11 is min", {17, 11, 0, 1}, {17, 11, 0, 1}},
        {"1000-ohm Pt keeps its resistance index", {1, 3, 3, 2}, {1, 3, 3, 2}},
        {"resistance index past 1000 ohm", {1, 3, 4, 2}, {1, 3, 0, 2}},
        {"a thermocouple has no nominal resistance", {10, 7, 2, 2}, {10, 7, 0, 2}},
    };
    for (const auto& c : cases) {
        ConfigRecord r;
        r.Czujnik = c.in;
        NormalizeConfig(r);
        EXPECT_EQ(r.Czujnik, c.want) << c.why;
        EXPECT_EQ(r.TableInputType, DerivedTableInputType(r.Czujnik.Typ)) << c.why << ": derived, never stale";
    }
}

TEST(NormalizeConfig, ClampsTheRangeOfATemperatureSensorOnly) {
    struct Case { const char* why; CzujnikGroup sensor; double lo, hi, wantLo, wantHi; };
    const Case cases[] = {
        {"K below its row", {10, 7, 0, 2}, -200, 500, -150, 500},
        {"an inverted range becomes the full row", {10, 7, 0, 2}, 600, 500, -150, 1370},
        {"the limits themselves are admissible", {10, 7, 0, 2}, -150, 1370, -150, 1370},
        {"NaN is outside every range", {10, 7, 0, 2}, std::nan(""), 100, -150, 100},
        {"a power-series range is in result units", {16, 5, 0, 8}, -5000, 7000, -5000, 7000},
        {"without a conversion the range is the signal's", {16, 5, 0, 1}, -5000, 500, -1000, 500},
        {"a 1000-ohm Pt100 (0.00385) stops at 400", {1, 3, 3, 2}, 0, 600, 0, 400},
        {"the same sensor at 500 ohm keeps 600", {1, 3, 2, 2}, 0, 600, 0, 600},
    };
    for (const auto& c : cases) {
        ConfigRecord r;
        r.Czujnik = c.sensor;
        r.Parametry.MinInput = c.lo, r.Parametry.MaxInput = c.hi;
        AdjustRtdRange(r);  // as after every read
        NormalizeConfig(r);
        EXPECT_DOUBLE_EQ(r.Parametry.MinInput, c.wantLo) << c.why;
        EXPECT_DOUBLE_EQ(r.Parametry.MaxInput, c.wantHi) << c.why;
    }
    ConfigRecord r;  // a changed resistance brings the factory row back
    r.Czujnik = {1, 3, 3, 2};
    AdjustRtdRange(r);
    r.Czujnik.Gain = 2;
    AdjustRtdRange(r);
    EXPECT_DOUBLE_EQ(SensorRangeHigh(r, 1), 850.0);
}

TEST(NormalizeConfig, RepairsParametersAtTheirLimits) {
    using P = ParametryGroup;
    struct Case { const char* why; double P::*real; std::int32_t P::*whole; double value, want; };
    const Case cases[] = {
        {"the cold-junction dialog accepts up to 60", &P::RoomT, nullptr, 60.0, 60.0},
        {"beyond 60 is the default", &P::RoomT, nullptr, 60.01, 25.0},
        {"a hair below -20 is forgiven", &P::RoomT, nullptr, -20.00005, -20.00005},
        {"what the corrections window stores at its limit", &P::ZeroReg, nullptr, 2.0, 2.0},
        {"beyond -2.00", &P::GainReg, nullptr, -2.01, 0.0},
        {"filtration range 250", nullptr, &P::FiltrZakres, 250, 250},
        {"filtration range 251", nullptr, &P::FiltrZakres, 251, 0},
        {"filter time 400", nullptr, &P::FiltrCzas, 400, 400}, {"filter time 401", nullptr, &P::FiltrCzas, 401, 0},
        {"negative threshold", nullptr, &P::FiltrLimit, -1, 0}, {"mains 0 Hz", nullptr, &P::Siec, 0, 50},
        {"burnout locked", nullptr, &P::Burnout, 2, 2}, {"burnout 3", nullptr, &P::Burnout, 3, 0},
        {"kg is offered by the conversion dialogs", nullptr, &P::Jednostki, 10, 10},
        {"unit 11", nullptr, &P::Jednostki, 11, 0},
    };
    for (const auto& c : cases) {
        ConfigRecord r;
        r.Czujnik = {10, 7, 0, 2};
        r.Parametry.MaxInput = 100, r.Parametry.Siec = 50;
        if (c.real) r.Parametry.*c.real = c.value;
        if (c.whole) r.Parametry.*c.whole = static_cast<std::int32_t>(c.value);
        NormalizeConfig(r);
        EXPECT_DOUBLE_EQ(c.real ? r.Parametry.*c.real : r.Parametry.*c.whole, c.want) << c.why;
    }
}

TEST(NormalizeConfig, IsIdempotentOverRandomRecords) {
    std::mt19937 rng(4860);
    std::uniform_int_distribution<int> byte(0, 255), wide(-1000, 1000);
    std::uniform_real_distribution<double> value(-3000.0, 3000.0);
    const auto b = [&] { return static_cast<std::uint8_t>(byte(rng)); };
    for (int i = 0; i < 5000; ++i) {
        ConfigRecord r;
        r.Czujnik = {b(), b(), b(), b()};
        r.Parametry = {0, 0, value(rng), value(rng), value(rng) / 30, value(rng) / 1000, value(rng) / 1000, wide(rng),
                       wide(rng), wide(rng), wide(rng) / 100, wide(rng), wide(rng) / 50};
        AdjustRtdRange(r);
        NormalizeConfig(r);
        const ConfigRecord once = r;
        NormalizeConfig(r);
        ASSERT_EQ(r.Czujnik, once.Czujnik) << "case " << i;
        ASSERT_EQ(r.Parametry, once.Parametry) << "case " << i;
    }
}

}  // namespace
}  // namespace r4860::model
