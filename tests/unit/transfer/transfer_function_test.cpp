#include "model/transfer_function.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/sensor_characteristics.h"
#include "support/recording_ui.h"

namespace r4860::model {
namespace {

ConfigRecord sensor(std::uint8_t typ, std::uint8_t tryb, std::uint8_t lin, double lo, double hi) {
    ConfigRecord r;
    r.Czujnik = {typ, tryb, 0, lin};
    r.Parametry.MinInput = lo;
    r.Parametry.MaxInput = hi;
    r.Parametry.Siec = 50;
    r.TableInputType = DerivedTableInputType(typ);
    return r;
}

// A current input 4..20 mA converted linearly to a result; c9/c10 are the input interval.
ConfigRecord linearCurrent(double c0, double c1, double lo, double hi) {
    ConfigRecord r = sensor(17, 5, 4, lo, hi);
    r.LinCoef = {c0, c1, 0, 0, 0, 0, 0, 0, 0, 4.0, 20.0};
    return r;
}

TransferFunction compute(const ConfigRecord& r) {
    auto tf = ComputeTransferFunction(r);
    EXPECT_TRUE(tf.ok()) << (tf.ok() ? "" : tf.error().message);
    return tf.ok() ? *tf : TransferFunction{};
}

TEST(TransferFunction, PlatinumWithoutLinearizationIsLinearInResistance) {
    const auto r = sensor(1, 3, 1, 0.0, 100.0);
    const auto tf = compute(r);
    EXPECT_NEAR(tf.signal.min, 100.00272, 1e-9);
    EXPECT_DOUBLE_EQ(tf.signal.max, SensorSignal(r, 1, 100.0));
    const double span = tf.signal.max - tf.signal.min;
    EXPECT_DOUBLE_EQ(tf.devCoef[0], -tf.signal.min / span);
    EXPECT_DOUBLE_EQ(tf.devCoef[1], 1.0 / span);
    EXPECT_EQ(tf.curvePoints, kTransferCurveSize);
    EXPECT_NEAR(tf.curve[0], 0.0, 1e-12);
    EXPECT_NEAR(tf.curve[50], 0.5, 1e-12);
    EXPECT_NEAR(tf.curve[100], 1.0, 1e-12);
}

TEST(TransferFunction, NoLinearizationSendsNoStaleHigherCoefficients) {
    auto r = sensor(10, 7, 1, 0.0, 500.0);
    r.LinCoef = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};  // left over from an earlier power series
    const auto tf = compute(r);
    for (std::size_t k = 2; k < kLinCoefCount; ++k) EXPECT_EQ(tf.devCoef[k], 0.0) << "d" << k;
}

TEST(TransferFunction, AFallingLinearConversionRunsTheOutputBackwards) {
    // 4 mA -> 100, 20 mA -> 0: the result falls as the current rises.
    const auto r = linearCurrent(125.0, -6.25, 0.0, 100.0);
    const auto tf = compute(r);
    EXPECT_NEAR(tf.signal.min, 4.0, 1e-12) << "the signal of MaxInput is the lower one";
    EXPECT_NEAR(tf.signal.max, 20.0, 1e-12);
    const double ds = tf.signal.max - tf.signal.min;
    EXPECT_NEAR(tf.devCoef[0], 1.0 + tf.signal.min / ds, 1e-12);
    EXPECT_NEAR(tf.devCoef[1], -1.0 / ds, 1e-12);
    EXPECT_NEAR(tf.curve[0], 1.0, 1e-12);
    EXPECT_NEAR(tf.curve[100], 0.0, 1e-12);
    EXPECT_EQ(tf.devCoef[9], 0.0) << "the input type's full range, 0 .. 20 mA";
    EXPECT_EQ(tf.devCoef[10], 20.0);
}

TEST(TransferFunction, ARisingLinearConversionKeepsTheDirection) {
    const auto r = linearCurrent(-25.0, 6.25, 0.0, 100.0);
    const auto tf = compute(r);
    EXPECT_NEAR(tf.curve[0], 0.0, 1e-12);
    EXPECT_NEAR(tf.curve[100], 1.0, 1e-12);
    EXPECT_GT(tf.devCoef[1], 0.0);
}

TEST(TransferFunction, APowerSeriesBecomesOnePolynomialOfTheNormalizedOutput) {
    auto r = sensor(16, 5, 8, 10.0, 110.0);
    r.Table.points = {{0.0, 0.0}, {1000.0, 1000.0}};  // the sampled series, here the identity
    r.LinCoef = {10.0, 2.0, 0.5, 0, 0, 0, 0, 0, 0.001, 0.0, 100.0};
    const auto tf = compute(r);
    const double span = 100.0;
    EXPECT_DOUBLE_EQ(tf.devCoef[0], (10.0 - 10.0) / span);
    EXPECT_DOUBLE_EQ(tf.devCoef[1], 2.0 / span);
    EXPECT_DOUBLE_EQ(tf.devCoef[2], 0.5 / span);
    EXPECT_DOUBLE_EQ(tf.devCoef[8], 0.001 / span);
    EXPECT_EQ(tf.devCoef[9], 0.0);
    EXPECT_EQ(tf.devCoef[10], 100.0);
    const double x = tf.signal.min + 37 * tf.step();
    EXPECT_NEAR(tf.curve[37], (SeriesValue(r.LinCoef, 9, x) - 10.0) / span, 1e-12);
}

TEST(TransferFunction, LinearizationSendsTheSensorsSetAndPositionsTheTemperature) {
    const auto r = sensor(10, 7, 2, 0.0, 1000.0);
    const auto tf = compute(r);
    EXPECT_EQ(tf.sensorLinSet, SensorLinTableFor(10));
    EXPECT_EQ(tf.curvePoints, kTransferCurveSize);
    EXPECT_NEAR(tf.curve[0], 0.0, 0.002) << "the set inverts the K characteristic at 0 degC";
    EXPECT_NEAR(tf.curve[100], 1.0, 0.002) << "and at 1000 degC";
    for (std::size_t i = 1; i < kTransferCurveSize; ++i) EXPECT_GT(tf.curve[i], tf.curve[i - 1]) << i;
}

TEST(TransferFunction, SignalInputsAndTheUserSensorGetTheIdentitySet) {
    auto r = sensor(15, 7, 2, 0.0, 100.0);
    r.Table.points = {{0.0, 0.0}, {50.0, 2.0}, {100.0, 4.1}};
    EXPECT_EQ(compute(r).sensorLinSet, DefaultSensorLinSet());
}

TEST(TransferFunction, NoConversionComputesNothingAndKeepsThePreviousValues) {
    auto r = sensor(10, 7, 0, 0.0, 100.0);
    r.DevCoef.fill(7.0);
    r.TransferCurve.fill(0.25);
    const auto tf = compute(r);
    EXPECT_EQ(tf.devCoef, r.DevCoef);
    EXPECT_EQ(tf.curve, r.TransferCurve);
}

TEST(TransferFunction, ASignalRangeThatCannotBeEvaluatedIsRefused) {
    auto r = sensor(15, 7, 2, 0.0, 100.0);  // the user sensor without its table
    const auto tf = ComputeTransferFunction(r);
    ASSERT_FALSE(tf.ok());
    EXPECT_EQ(tf.error().code, Errc::Refused);
    EXPECT_EQ(tf.error().message, "Transfer function is not monotonic");
}

TEST(TransferFunction, AZeroSignalSpanIsRefusedRatherThanSentAsInfinity) {
    struct Case {
        const char* why;
        ConfigRecord rec;
    };
    auto flatSeries = sensor(16, 5, 8, 50.0, 50.0);
    flatSeries.Table.points = {{0.0, 0.0}, {100.0, 100.0}};
    const Case cases[] = {
        {"a linear range of one point divides by zero", sensor(1, 3, 1, 20.0, 20.0)},
        {"a power series over an empty result span divides by zero", flatSeries},
    };
    for (const auto& c : cases) {
        const auto tf = ComputeTransferFunction(c.rec);
        ASSERT_FALSE(tf.ok()) << c.why;
        EXPECT_EQ(tf.error().code, Errc::Refused) << c.why;
    }
}

TEST(TransferFunction, ACurveThatOverflowsKeepsThePointsComputedSoFar) {
    auto r = sensor(16, 5, 8, 0.0, 100.0);
    r.Table.points = {{0.0, 0.0}, {100.0, 100.0}};
    r.LinCoef = {0, 1, 0, 0, 0, 0, 0, 0, 1e300, 0.0, 100.0};  // x^8 * 1e300 overflows beyond x = 1
    r.TransferCurve.fill(-3.0);
    const auto tf = compute(r);
    ASSERT_GT(tf.curvePoints, 0u);
    ASSERT_LT(tf.curvePoints, kTransferCurveSize);
    for (std::size_t i = 0; i < tf.curvePoints; ++i) EXPECT_TRUE(std::isfinite(tf.curve[i])) << i;
    for (std::size_t i = tf.curvePoints; i < kTransferCurveSize; ++i) EXPECT_EQ(tf.curve[i], -3.0) << i;
}

TEST(TransferFunction, TheWindowsArePumpedAfterEachCurvePoint) {
    testing::RecordingUi ui;
    const auto tf = ComputeTransferFunction(sensor(10, 7, 2, 0.0, 500.0), &ui);
    ASSERT_TRUE(tf.ok());
    EXPECT_EQ(ui.pumps(), static_cast<int>(kTransferCurveSize));
}

TEST(TransferFunction, ApplyingStoresTheDerivedValuesInTheRecord) {
    auto r = sensor(1, 3, 1, 0.0, 100.0);
    const auto tf = compute(r);
    ApplyTransferFunction(r, tf);
    EXPECT_EQ(r.Parametry.SignalMin, tf.signal.min);
    EXPECT_EQ(r.Parametry.SignalMax, tf.signal.max);
    EXPECT_EQ(r.DevCoef, tf.devCoef);
    EXPECT_EQ(r.TransferCurve, tf.curve);
}

}  // namespace
}  // namespace r4860::model
