#include "common/device_float.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace r4860 {
namespace {

TEST(DeviceFloat, EncodesToTheDeviceBytes) {
    const double ulp = std::ldexp(1.0, -23);
    struct Case { const char* why; double value; DeviceFloatBytes bytes; };
    const Case cases[] = {
        {"one: exponent byte first, implied leading 1", 1.0, {0x7F, 0x00, 0x00, 0x00}},
        {"minus one: the sign is bit 7 of the second byte", -1.0, {0x7F, 0x80, 0x00, 0x00}},
        {"100 has mantissa bits in the second byte", 100.0, {0x85, 0x48, 0x00, 0x00}},
        {"-20 keeps sign and mantissa apart", -20.0, {0x83, 0xA0, 0x00, 0x00}},
        {"zero is four zero bytes", 0.0, {0x00, 0x00, 0x00, 0x00}},
        {"so is minus zero", -0.0, {0x00, 0x00, 0x00, 0x00}},
        {"the mantissa is truncated, not rounded: not ...CD", 0.1, {0x7B, 0x4C, 0xCC, 0xCC}},
        {"255.4 units below the carry truncate", 1.0 + 255.4 * ulp, {0x7F, 0x00, 0x00, 0xFF}},
        {"255.7 units carry into the second mantissa byte", 1.0 + 255.7 * ulp, {0x7F, 0x00, 0x01, 0x00}},
        {"a carry out of M2 = 255 goes into M1", 1.0 + (255 * 256 + 255.7) * ulp, {0x7F, 0x01, 0x00, 0x00}},
        {"with M1 and M2 full nothing carries", 2.0 - 0.3 * ulp, {0x7F, 0x7F, 0xFF, 0xFF}},
        {"below 2^-127 the nearest device value is 0, not a wrapped exponent", std::ldexp(1.0, -128), {0, 0, 0, 0}},
        {"also for negative tiny values", -std::ldexp(1.0, -200), {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const auto encoded = EncodeDeviceFloat(c.value);
        ASSERT_TRUE(encoded.ok()) << c.why;
        EXPECT_EQ(*encoded, c.bytes) << c.why;
    }
    for (const double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), std::ldexp(1.0, 129) /* exponent byte 256 */})
        EXPECT_FALSE(EncodeDeviceFloat(v).ok()) << v;
}

TEST(DeviceFloat, EveryNonZeroPatternDecodesAndEncodesBackToItself) {
    // All exponents (0 and 255 are values too) and first mantissa bytes, with a spread of the low bytes.
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
    EXPECT_EQ(DecodeDeviceFloat(DeviceFloatBytes{0x7F, 0x80, 0x00, 0x00}), -1.0) << "the round trip alone would allow any sign bit";
    EXPECT_EQ(DecodeDeviceFloat(DeviceFloatBytes{0x85, 0x48, 0x00, 0x00}), 100.0);
}

}  // namespace
}  // namespace r4860
