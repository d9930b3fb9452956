// A user table as the transducer receives it: the fitted characteristic must follow the table
// within 0.1 % of its span where the device evaluates it, and what it cannot follow is refused
// before anything is written, like a power series that turns between two of its samples.
#include "model/table_fit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/device_float.h"
#include "files/table_file.h"
#include "model/config_image.h"
#include "model/sensor_characteristics.h"
#include "model/transfer_function.h"

namespace r4860::model {
namespace {

PointTable sampled(int n, double (*result)(double u), double (*signal)(double u)) {
    PointTable t;
    for (int i = 0; i < n; ++i) {
        const double u = static_cast<double>(i) / (n - 1);
        t.points.push_back({result(u), signal(u)});
    }
    return t;
}

PointTable exampleFile(const char* name, std::uint8_t inputType) {
    ConfigRecord rec;
    rec.TableInputType = inputType;
    const auto loaded = files::LoadTableFile(std::string(R4860_TABLES_DIR) + "/" + name, rec);
    EXPECT_TRUE(loaded && loaded->outcome.ok) << name << " loads as a table of input " << int{inputType};
    return rec.Table;
}

TEST(TableFit, FollowsEveryExampleAndTheHardShapesWithinATenthOfAPercent) {
    const std::pair<const char*, PointTable> cases[] = {
        {"user sensor, type K", exampleFile("user-sensor-type-k.dat", 15)},
        {"NTC thermistor, falling result", exampleFile("resistance-ntc-1k.dat", 5)},
        {"zirconia oxygen probe", exampleFile("millivolt-zirconia-oxygen.dat", 16)},
        {"horizontal tank", exampleFile("volt-horizontal-tank.dat", 18)},
        {"square-root flow", exampleFile("milliamp-square-root-flow.dat", 17)},
        {"21-point type K over 0 .. 500 degC",
         sampled(
             21, [](double u) { return 500 * u; }, [](double u) { return ThermoEmf(10, 500 * u) * 0.001; })},
        {"square root in 1 % steps of the result",
         sampled(
             101, [](double u) { return 100 * u; }, [](double u) { return 4 + 16 * u * u; })},
        {"two points are a straight line", PointTable{{{0.0, 4.0}, {100.0, 20.0}}}},
    };
    for (const auto& [why, table] : cases) {
        ASSERT_GE(table.count(), 2u) << why;
        const auto fit = FitTableSet(table);
        ASSERT_TRUE(fit.ok()) << why;
        EXPECT_TRUE(fit->follows()) << why << ": worst " << fit->worstError << " of " << fit->span;
        SensorLinSetArray sent = fit->set;
        sent[1] -= sent[0];  // the upper limit goes as the span
        for (const double v : sent)
            ASSERT_EQ(NearestDeviceFloat(v), v) << why << ": sent as it was verified";
        const auto& pts = table.points;
        for (std::size_t i = 0; i + 1 < pts.size(); ++i)
            for (const double x : {pts[i].B, (pts[i].B + pts[i + 1].B) / 2})
                ASSERT_NEAR(LinSetValue(fit->set, x), TableResult(table, x), kTableFitTolerance * fit->span)
                    << why << " at signal " << x;
    }
}

ConfigRecord withTable(std::uint8_t typ, PointTable table) {
    ConfigRecord rec;
    rec.Czujnik = {typ, static_cast<std::uint8_t>(typ == 15 ? 7 : 5), 0, 2};
    rec.Parametry.Siec = 50;
    rec.Parametry.Jednostki = 9;
    rec.Device = "R4747";
    rec.Table = std::move(table);
    rec.TableLoaded = true;
    rec.TableInputType = typ;
    rec.Parametry.MinInput = rec.Table.points.front().A;
    rec.Parametry.MaxInput = rec.Table.points.back().A;
    return rec;
}

TEST(TableFit, WhatTheTransducerCannotFollowIsRefusedBeforeAnythingIsWritten) {
    // A step of 1000 within a ten-thousandth of the signal: no polynomial takes that corner.
    const PointTable step{{{0.0, 0.0}, {1.0, 0.5}, {1000.0, 0.5001}, {1001.0, 1.0}}};
    EXPECT_FALSE(FitTableSet(step)->follows());
    ConfigRecord steep = withTable(16, step);

    // Rising at all 801 samples, but falling for a moment between 4.00 and 4.02 mA:
    // p = a (x - m) + S ((x - m)^3 - e (x - m)) with a < S e and e < d^2 (d half a sample step).
    ConfigRecord series = withTable(17, PointTable{{{0.0, 0.0}, {8177.0, 20.0}}});
    series.Czujnik.Lin = 8;
    const long double m = 4.01L, a = 0.5e-4L, S = 2.0L, e = 0.5e-4L;
    const long double k1 = a - S * e;  // p = S x'^3 + k1 x' with x' = x - m
    series.LinCoef = {static_cast<double>(-S * m * m * m - k1 * m),
                      static_cast<double>(3 * S * m * m + k1),
                      static_cast<double>(-3 * S * m),
                      static_cast<double>(S),
                      0,
                      0,
                      0,
                      0,
                      0,
                      4.0,
                      20.0};
    std::string message;
    ASSERT_TRUE(SampleSeries(series, message)) << "the samples alone do not see the dip: " << message;
    series.Parametry.MinInput = series.Table.points.front().A;
    series.Parametry.MaxInput = series.Table.points.back().A;

    const std::pair<ConfigRecord*, std::string> cases[] = {{&steep, std::string(kTableNotFollowedKey)},
                                                           {&series, NotMonotonicMessage()}};
    for (const auto& [rec, key] : cases) {
        ConfigImage image{};
        image.fill(0xA5);
        const ConfigImage before = image;
        const auto encoded = EncodeImage(*rec, image, {46000, 47});
        ASSERT_FALSE(encoded.ok()) << key;
        EXPECT_EQ(encoded.error().message, key);
        EXPECT_EQ(image, before) << key << ": nothing written";
    }
}

}  // namespace
}  // namespace r4860::model
