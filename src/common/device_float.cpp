#include "common/device_float.h"

#include <cmath>
#include <limits>

namespace r4860 {

double DecodeDeviceFloat(std::span<const std::uint8_t, 4> b) noexcept {
    if (b[0] == 0 && b[1] == 0 && b[2] == 0 && b[3] == 0) return 0.0;
    const double m = (b[1] | 0x80) / 128.0 + b[2] / 32768.0 + b[3] / 8388608.0;
    const double v = std::ldexp(m, static_cast<int>(b[0]) - 127);
    return (b[1] & 0x80) ? -v : v;
}

Result<DeviceFloatBytes> EncodeDeviceFloat(double v) {
    if (!std::isfinite(v)) return makeError(Errc::BadArgument, "not a finite number");
    if (v == 0.0) return DeviceFloatBytes{0, 0, 0, 0};

    const double x = std::fabs(v);
    int e = static_cast<int>(std::trunc(std::log2(x)));
    double xs = std::ldexp(x, -e);
    if (xs < 1.0) {
        xs *= 2.0;
        --e;
    }
    if (xs >= 2.0) {  // log2 rounded below an exact power: keep 1 <= xs < 2
        xs /= 2.0;
        ++e;
    }
    // Below the smallest exponent the nearest value the device can hold is 0; wrapping the
    // exponent would turn a negligible coefficient into a huge one.
    if (e + 127 < 0) return DeviceFloatBytes{0, 0, 0, 0};
    if (e + 127 > 255) return makeError(Errc::BadArgument, "number out of the device's range");

    int m1 = static_cast<int>(std::trunc(128.0 * xs));
    double r = xs - m1 / 128.0;
    int m2 = static_cast<int>(std::trunc(32768.0 * r));
    const double t = (r - m2 / 32768.0) * 8388608.0;
    if (t >= 255.5) {
        if (m2 < 255) {
            ++m2;
        } else if (m1 < 255) {
            m2 = 0;
            r = 0.0;
            ++m1;
        }
    }
    // Negative after a carry into M2: truncation toward zero makes it 0.
    const int m3 = static_cast<int>(std::trunc((r - m2 / 32768.0) * 8388608.0));
    if (v >= 0) m1 = (m1 + 128) % 256;
    return DeviceFloatBytes{static_cast<std::uint8_t>(e + 127), static_cast<std::uint8_t>(m1),
                            static_cast<std::uint8_t>(m2), static_cast<std::uint8_t>(m3 < 0 ? 0 : m3)};
}

double NearestDeviceFloat(double value) {
    if (!std::isfinite(value)) return value;
    int exponent = 0;
    const double mantissa = std::frexp(value, &exponent);
    const double nearest = std::ldexp(std::round(std::ldexp(mantissa, 24)), exponent - 24);
    const auto bytes = EncodeDeviceFloat(nearest);
    if (!bytes) return std::numeric_limits<double>::quiet_NaN();
    return DecodeDeviceFloat(*bytes);
}

}  // namespace r4860
