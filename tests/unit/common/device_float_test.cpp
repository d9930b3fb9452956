#include "common/device_float.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace r4860 {
namespace {

struct FloatCase {
    const char* why;
    double value;
    DeviceFloatBytes bytes;
    bool exact = true;  // decodes back to the same value
};

class DeviceFloatExamples : public ::testing::TestWithParam<FloatCase> {};

TEST_P(DeviceFloatExamples, EncodeToTheDeviceBytes) {
    const auto& [why, value, bytes, exact] = GetParam();
    const auto encoded = EncodeDeviceFloat(value);
    ASSERT_TRUE(encoded.ok()) << why;
    EXPECT_EQ(*encoded, bytes) << why;
    if (exact) {
        EXPECT_EQ(DecodeDeviceFloat(bytes), value) << why;
    }
}

const double kUlp = std::ldexp(1.0, -23);

INSTANTIATE_TEST_SUITE_P(
    DeviceFloat, DeviceFloatExamples,
    ::testing::Values(FloatCase{"one: exponent byte first, implied leading 1", 1.0, {0x7F, 0x00, 0x00, 0x00}},
                      FloatCase{"minus one: the sign is bit 7 of the second byte", -1.0, {0x7F, 0x80, 0x00, 0x00}},
                      FloatCase{"a half lowers the exponent only", 0.5, {0x7E, 0x00, 0x00, 0x00}},
                      FloatCase{"100 has mantissa bits in the second byte", 100.0, {0x85, 0x48, 0x00, 0x00}},
                      FloatCase{"-20 keeps sign and mantissa apart", -20.0, {0x83, 0xA0, 0x00, 0x00}},
                      FloatCase{"zero is four zero bytes", 0.0, {0x00, 0x00, 0x00, 0x00}},
                      FloatCase{"so is minus zero", -0.0, {0x00, 0x00, 0x00, 0x00}},
                      FloatCase{"exponent byte 0 with a mantissa is a value, not zero", std::ldexp(1.5, -127),
                                {0x00, 0x40, 0x00, 0x00}},
                      FloatCase{"exponent byte 255 is still a value", std::ldexp(1.0, 128), {0xFF, 0x00, 0x00, 0x00}},
                      FloatCase{"the mantissa is truncated, not rounded: not ...CD", 0.1, {0x7B, 0x4C, 0xCC, 0xCC}, false},
                      FloatCase{"255.4 units below the carry truncate", 1.0 + 255.4 * kUlp, {0x7F, 0x00, 0x00, 0xFF}, false},
                      FloatCase{"255.7 units carry into the second mantissa byte", 1.0 + 255.7 * kUlp,
                                {0x7F, 0x00, 0x01, 0x00}, false},
                      FloatCase{"a carry out of M2 = 255 goes into M1", 1.0 + (255 * 256 + 255.7) * kUlp,
                                {0x7F, 0x01, 0x00, 0x00}, false},
                      FloatCase{"with M1 and M2 full nothing carries", 2.0 - 0.3 * kUlp, {0x7F, 0x7F, 0xFF, 0xFF}, false},
                      FloatCase{"below 2^-127 the nearest device value is 0, not a wrapped exponent",
                                std::ldexp(1.0, -128), {0, 0, 0, 0}, false},
                      FloatCase{"also for negative tiny values", -std::ldexp(1.0, -200), {0, 0, 0, 0}, false},
                      FloatCase{"and denormals", std::numeric_limits<double>::denorm_min(), {0, 0, 0, 0}, false}));

TEST(DeviceFloat, RefusesWhatTheFormatCannotHold) {
    for (const double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), std::ldexp(1.0, 129) /* exponent byte 256 */,
                           std::numeric_limits<double>::max()})
        EXPECT_FALSE(EncodeDeviceFloat(v).ok()) << v;
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
                const auto back = EncodeDeviceFloat(v);
                ASSERT_TRUE(std::isfinite(v) && back.ok()) << e << " " << m1 << " " << low;
                ASSERT_EQ(*back, b) << "value " << v;
            }
        }
    }
}

}  // namespace
}  // namespace r4860
