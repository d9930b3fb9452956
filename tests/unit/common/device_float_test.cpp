#include "common/device_float.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace r4860 {
namespace {

struct FloatCase {
    const char* why;
    double value;
    DeviceFloatBytes bytes;
};

class DeviceFloatExamples : public ::testing::TestWithParam<FloatCase> {};

TEST_P(DeviceFloatExamples, EncodeToTheDeviceBytesAndDecodeBackExactly) {
    const auto& [why, value, bytes] = GetParam();
    const auto encoded = EncodeDeviceFloat(value);
    ASSERT_TRUE(encoded.ok()) << why;
    EXPECT_EQ(*encoded, bytes) << why;
    EXPECT_EQ(DecodeDeviceFloat(bytes), value) << why;
}

INSTANTIATE_TEST_SUITE_P(
    DeviceFloat, DeviceFloatExamples,
    ::testing::Values(FloatCase{"one: exponent byte first, implied leading 1", 1.0, {0x7F, 0x00, 0x00, 0x00}},
                      FloatCase{"minus one: the sign is bit 7 of the second byte", -1.0, {0x7F, 0x80, 0x00, 0x00}},
                      FloatCase{"a half lowers the exponent only", 0.5, {0x7E, 0x00, 0x00, 0x00}},
                      FloatCase{"100 has mantissa bits in the second byte", 100.0, {0x85, 0x48, 0x00, 0x00}},
                      FloatCase{"-20 keeps sign and mantissa apart", -20.0, {0x83, 0xA0, 0x00, 0x00}},
                      FloatCase{"zero is four zero bytes", 0.0, {0x00, 0x00, 0x00, 0x00}},
                      FloatCase{"exponent byte 0 with a mantissa is a value, not zero", std::ldexp(1.5, -127),
                                {0x00, 0x40, 0x00, 0x00}}));

TEST(DeviceFloat, TruncatesTheMantissaInsteadOfRoundingIt) {
    const auto tenth = EncodeDeviceFloat(0.1);
    ASSERT_TRUE(tenth.ok());
    EXPECT_EQ(*tenth, (DeviceFloatBytes{0x7B, 0x4C, 0xCC, 0xCC})) << "not ...CD";
    EXPECT_LT(DecodeDeviceFloat(*tenth), 0.1);
}

TEST(DeviceFloat, RoundsOnlyWhenTheRemainderReachesTheTopOfTheThirdByte) {
    struct Case {
        const char* why;
        double value;
        DeviceFloatBytes bytes;
    };
    const double ulp = std::ldexp(1.0, -23);
    const Case cases[] = {
        {"255.4 units below the carry truncate", 1.0 + 255.4 * ulp, {0x7F, 0x00, 0x00, 0xFF}},
        {"255.7 units carry into the second mantissa byte", 1.0 + 255.7 * ulp, {0x7F, 0x00, 0x01, 0x00}},
        {"a carry out of M2 = 255 goes into M1", 1.0 + (255 * 256 + 255.7) * ulp, {0x7F, 0x01, 0x00, 0x00}},
        {"with M1 and M2 full nothing carries", 2.0 - 0.3 * ulp, {0x7F, 0x7F, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        const auto encoded = EncodeDeviceFloat(c.value);
        ASSERT_TRUE(encoded.ok()) << c.why;
        EXPECT_EQ(*encoded, c.bytes) << c.why;
    }
}

TEST(DeviceFloat, EveryNonZeroPatternDecodesAndEncodesBackToItself) {
    // All exponents and first mantissa bytes, with a spread of the two low bytes.
    for (int e = 0; e < 256; ++e) {
        for (int m1 = 0; m1 < 256; ++m1) {
            for (const int low : {0x0000, 0x0001, 0x00FF, 0x1234, 0xFF00, 0xFFFF}) {
                const DeviceFloatBytes b = {static_cast<std::uint8_t>(e), static_cast<std::uint8_t>(m1),
                                            static_cast<std::uint8_t>(low >> 8), static_cast<std::uint8_t>(low)};
                if (b == DeviceFloatBytes{0, 0, 0, 0}) continue;
                const double v = DecodeDeviceFloat(b);
                ASSERT_TRUE(std::isfinite(v));
                const auto back = EncodeDeviceFloat(v);
                ASSERT_TRUE(back.ok()) << e << " " << m1 << " " << low;
                ASSERT_EQ(*back, b) << "value " << v;
            }
        }
    }
}

TEST(DeviceFloat, RandomValuesLoseLessThanOneUnitOfTheLastMantissaBit) {
    std::mt19937_64 rng(4800);
    std::uniform_real_distribution<double> mantissa(0.5, 1.0);
    std::uniform_int_distribution<int> exponent(-126, 129);
    std::bernoulli_distribution negative(0.5);
    for (int i = 0; i < 20000; ++i) {
        const double v = std::ldexp(negative(rng) ? -mantissa(rng) : mantissa(rng), exponent(rng));
        const auto b = EncodeDeviceFloat(v);
        ASSERT_TRUE(b.ok()) << v;
        const double back = DecodeDeviceFloat(*b);
        ASSERT_EQ(std::signbit(back), std::signbit(v)) << v;
        ASSERT_LE(std::fabs(back - v), std::ldexp(std::fabs(v), -23)) << v;
    }
}

TEST(DeviceFloat, RefusesWhatTheFormatCannotHoldAndFlushesWhatIsTooSmall) {
    struct Case {
        const char* why;
        double value;
    };
    const Case refused[] = {{"NaN has no representation", std::numeric_limits<double>::quiet_NaN()},
                            {"infinity has none either", std::numeric_limits<double>::infinity()},
                            {"minus infinity", -std::numeric_limits<double>::infinity()},
                            {"2^129 needs exponent byte 256", std::ldexp(1.0, 129)},
                            {"the largest double", std::numeric_limits<double>::max()}};
    for (const auto& c : refused) EXPECT_FALSE(EncodeDeviceFloat(c.value).ok()) << c.why;

    const auto largest = EncodeDeviceFloat(std::ldexp(1.0, 128));
    ASSERT_TRUE(largest.ok()) << "exponent byte 255 is still a value";
    EXPECT_EQ((*largest)[0], 0xFF);

    for (const double tiny : {std::ldexp(1.0, -128), -std::ldexp(1.0, -200), std::numeric_limits<double>::denorm_min()}) {
        const auto b = EncodeDeviceFloat(tiny);
        ASSERT_TRUE(b.ok()) << tiny;
        EXPECT_EQ(*b, (DeviceFloatBytes{0, 0, 0, 0})) << "below 2^-127 the nearest device value is 0, not a wrapped exponent";
    }
    EXPECT_EQ(*EncodeDeviceFloat(-0.0), (DeviceFloatBytes{0, 0, 0, 0}));
}

}  // namespace
}  // namespace r4860
