#include "model/transfer_function.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/sensor_characteristics.h"
#include "support/recording_ui.h"

namespace r4860::model {
namespace {

ConfigRecord sensor(std::uint8_t typ, std::uint8_t tryb, std::uint8_t lin, double lo, double hi, LinCoefArray c = {}) {
    ConfigRecord r;
    r.Czujnik = {typ, tryb, 0, lin};
    r.Parametry.MinInput = lo;
    r.Parametry.MaxInput = hi;
    r.Parametry.Siec = 50;
    r.TableInputType = DerivedTableInputType(typ);
    r.LinCoef = c;
    return r;
}

TransferFunction compute(const ConfigRecord& r) {
    auto tf = ComputeTransferFunction(r);
    EXPECT_TRUE(tf.ok()) << (tf.ok() ? "" : tf.error().message);
    return tf.ok() ? *tf : TransferFunction{};
}

TEST(TransferFunction, PlatinumWithoutLinearizationIsLinearInResistance) {
    // Higher coefficients left over from an earlier power series must not reach the device.
    const auto r = sensor(1, 3, 1, 0.0, 100.0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    const auto tf = compute(r);
    EXPECT_NEAR(tf.signal.min, 100.00272, 1e-9);
    EXPECT_DOUBLE_EQ(tf.signal.max, SensorSignal(r, 1, 100.0));
    const double span = tf.signal.max - tf.signal.min;
    EXPECT_DOUBLE_EQ(tf.devCoef[0], -tf.signal.min / span);
    EXPECT_DOUBLE_EQ(tf.devCoef[1], 1.0 / span);
    for (std::size_t k = 2; k < kLinCoefCount; ++k) EXPECT_EQ(tf.devCoef[k], 0.0) << "d" << k;
    EXPECT_EQ(tf.curvePoints, kTransferCurveSize);
    EXPECT_NEAR(tf.curve[0], 0.0, 1e-12);
    EXPECT_NEAR(tf.curve[50], 0.5, 1e-12);
    EXPECT_NEAR(tf.curve[100], 1.0, 1e-12);
}

TEST(TransferFunction, ALinearConversionRunsTheOutputTheWayOfItsSlope) {
    // 4 mA -> 100, 20 mA -> 0: the result falls as the current rises.
    const auto falling = compute(sensor(17, 5, 4, 0.0, 100.0, {125.0, -6.25, 0, 0, 0, 0, 0, 0, 0, 4.0, 20.0}));
    EXPECT_NEAR(falling.signal.min, 4.0, 1e-12) << "the signal of MaxInput is the lower one";
    EXPECT_NEAR(falling.signal.max, 20.0, 1e-12);
    EXPECT_NEAR(falling.devCoef[0], 1.0 + 4.0 / 16.0, 1e-12);
    EXPECT_NEAR(falling.devCoef[1], -1.0 / 16.0, 1e-12);
    EXPECT_NEAR(falling.curve[0], 1.0, 1e-12);
    EXPECT_NEAR(falling.curve[100], 0.0, 1e-12);
    EXPECT_EQ(falling.devCoef[9], 0.0) << "the input type's full range, 0 .. 20 mA";
    EXPECT_EQ(falling.devCoef[10], 20.0);
    const auto rising = compute(sensor(17, 5, 4, 0.0, 100.0, {-25.0, 6.25, 0, 0, 0, 0, 0, 0, 0, 4.0, 20.0}));
    EXPECT_NEAR(rising.curve[0], 0.0, 1e-12);
    EXPECT_NEAR(rising.curve[100], 1.0, 1e-12);
}

TEST(TransferFunction, APowerSeriesBecomesOnePolynomialOfTheNormalizedOutput) {
    auto r = sensor(16, 5, 8, 10.0, 110.0, {10.0, 2.0, 0.5, 0, 0, 0, 0, 0, 0.001, 0.0, 100.0});
    r.Table.points = {{0.0, 0.0}, {1000.0, 1000.0}};  // the sampled series, here the identity
    const auto tf = compute(r);
    const double span = 100.0;
    EXPECT_EQ(tf.devCoef, (DevCoefArray{0.0, 2.0 / span, 0.5 / span, 0, 0, 0, 0, 0, 0.001 / span, 0.0, 100.0}));
    const double x = tf.signal.min + 37 * tf.step();
    EXPECT_NEAR(tf.curve[37], (SeriesValue(r.LinCoef, 9, x) - 10.0) / span, 1e-12);
}

TEST(TransferFunction, LinearizationSendsTheSensorsSetOrTheIdentity) {
    const auto computed = ComputeTransferFunction(sensor(10, 7, 2, 0.0, 1000.0));
    ASSERT_TRUE(computed.ok());
    const auto& tf = *computed;
    EXPECT_EQ(tf.sensorLinSet, SensorLinTableFor(10));
    EXPECT_EQ(tf.curvePoints, kTransferCurveSize);
    EXPECT_NEAR(tf.curve[0], 0.0, 0.002) << "the set inverts the K characteristic at 0 degC";
    EXPECT_NEAR(tf.curve[100], 1.0, 0.002) << "and at 1000 degC";
    for (std::size_t i = 1; i < kTransferCurveSize; ++i) EXPECT_GT(tf.curve[i], tf.curve[i - 1]) << i;

    auto user = sensor(15, 7, 2, 0.0, 100.0);
    user.Table.points = {{0.0, 0.0}, {50.0, 2.0}, {100.0, 4.1}};
    EXPECT_EQ(compute(user).sensorLinSet, DefaultSensorLinSet()) << "the user sensor's table stays on the computer";
}

TEST(TransferFunction, NoConversionComputesNothingAndKeepsThePreviousValues) {
    auto r = sensor(10, 7, 0, 0.0, 100.0);
    r.DevCoef.fill(7.0);
    r.TransferCurve.fill(0.25);
    const auto tf = compute(r);
    EXPECT_EQ(tf.devCoef, r.DevCoef);
    EXPECT_EQ(tf.curve, r.TransferCurve);
}

TEST(TransferFunction, RefusesWhatCannotBeSentRatherThanSendingInfinity) {
    auto flatSeries = sensor(16, 5, 8, 50.0, 50.0);
    flatSeries.Table.points = {{0.0, 0.0}, {100.0, 100.0}};
    const std::pair<const char*, ConfigRecord> cases[] = {
        {"the user sensor without its table has no signal range", sensor(15, 7, 2, 0.0, 100.0)},
        {"a linear range of one point divides by zero", sensor(1, 3, 1, 20.0, 20.0)},
        {"a power series over an empty result span divides by zero", flatSeries},
    };
    for (const auto& [why, rec] : cases) {
        const auto tf = ComputeTransferFunction(rec);
        ASSERT_FALSE(tf.ok()) << why;
        EXPECT_EQ(tf.error().code, Errc::Refused) << why;
        EXPECT_EQ(tf.error().message, "Transfer function is not monotonic") << why;
    }
}

TEST(TransferFunction, ACurveThatOverflowsKeepsThePointsComputedSoFar) {
    auto r = sensor(16, 5, 8, 0.0, 100.0, {0, 1, 0, 0, 0, 0, 0, 0, 1e300, 0.0, 100.0});  // x^8 * 1e300 overflows beyond x = 1
    r.Table.points = {{0.0, 0.0}, {100.0, 100.0}};
    r.TransferCurve.fill(-3.0);
    const auto tf = compute(r);
    ASSERT_GT(tf.curvePoints, 0u);
    ASSERT_LT(tf.curvePoints, kTransferCurveSize);
    for (std::size_t i = 0; i < tf.curvePoints; ++i) EXPECT_TRUE(std::isfinite(tf.curve[i])) << i;
    for (std::size_t i = tf.curvePoints; i < kTransferCurveSize; ++i) EXPECT_EQ(tf.curve[i], -3.0) << i;
}

}  // namespace
}  // namespace r4860::model
