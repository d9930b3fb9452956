#include "sim/factory_image.h"

#include <array>
#include <cmath>
#include <numbers>
#include <utility>

#include "sim/memory_map.h"

namespace r4860::sim {
namespace {

// Signal limits and segment bounds of the Pt100 (0.00385) characteristic, and its first segment.
constexpr double kLow = 60.2509931;
constexpr double kHigh = 390.265066;
constexpr double kBound1 = 0.2371;
constexpr double kBound2 = 0.566;
constexpr std::array<double, 7> kSegment1 = {-99.99996, 814.08001, 154.75581, -234.68209,
                                             552.95449, -450.12721, 0.0};

double pt100Temperature(double r) {
    double t = (r / 100.0 - 1.0) / 3.9083e-3;
    for (int i = 0; i < 30; ++i) {  // Newton: the curve is smooth and nearly linear
        const double slope = (Pt100Resistance(t + 1e-3) - Pt100Resistance(t - 1e-3)) / 2e-3;
        const double step = (Pt100Resistance(t) - r) / slope;
        t -= step;
        if (std::fabs(step) < 1e-12) break;
    }
    return t;
}

// Degree-5 interpolation of temperature over normalized signal u in [ua, ub], at Chebyshev
// nodes, so the segments the firmware evaluates follow the sensor within a few mK.
std::array<double, 7> fitSegment(double ua, double ub) {
    constexpr int n = 6;
    std::array<std::array<long double, n + 1>, n> a{};
    for (int i = 0; i < n; ++i) {
        const double c = std::cos((2.0 * i + 1.0) * std::numbers::pi / (2.0 * n));
        const double u = (ua + ub) / 2.0 + (ub - ua) / 2.0 * c;
        long double p = 1.0L;
        for (int k = 0; k < n; ++k, p *= u) a[i][k] = p;
        a[i][n] = pt100Temperature(kLow + u * (kHigh - kLow));
    }
    for (int col = 0; col < n; ++col) {  // Gaussian elimination with partial pivoting
        int pivot = col;
        for (int r = col + 1; r < n; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        std::swap(a[col], a[pivot]);
        for (int r = col + 1; r < n; ++r) {
            const long double f = a[r][col] / a[col][col];
            for (int k = col; k <= n; ++k) a[r][k] -= f * a[col][k];
        }
    }
    std::array<double, 7> out{};
    for (int r = n - 1; r >= 0; --r) {
        long double s = a[r][n];
        for (int k = r + 1; k < n; ++k) s -= a[r][k] * out[k];
        out[r] = static_cast<double>(s / a[r][r]);
    }
    return out;
}

std::uint8_t invertedSum(const DeviceMemory& mem, std::initializer_list<std::pair<std::size_t, std::size_t>> ranges) {
    unsigned sum = 0;
    for (const auto& [first, last] : ranges)
        for (std::size_t a = first; a <= last; ++a) sum += mem.byte(a);
    return static_cast<std::uint8_t>(255u - (sum & 0xFFu));
}

void putSegment(DeviceMemory& mem, std::size_t offset, const std::array<double, 7>& c) {
    for (std::size_t k = 0; k < c.size(); ++k) mem.setFloat(offset + 4 * k, c[k]);
}

}  // namespace

double Pt100Resistance(double t) noexcept {
    constexpr double a = 3.9083e-3, b = -5.775e-7, c = -4.183e-12;
    const double cubic = t < 0 ? c * (t - 100.0) * t * t * t : 0.0;
    return 100.0 * (1.0 + a * t + b * t * t + cubic);
}

std::uint8_t ChecksumA(const DeviceMemory& mem) noexcept { return invertedSum(mem, {{0, 27}}); }
std::uint8_t ChecksumB(const DeviceMemory& mem) noexcept { return invertedSum(mem, {{64, 107}, {192, 247}}); }
std::uint8_t ChecksumC(const DeviceMemory& mem) noexcept {
    return static_cast<std::uint8_t>(mem.byte(248) + mem.byte(249) + mem.byte(250) + mem.byte(251));
}

bool ChecksumsValid(const DeviceMemory& mem) noexcept {
    return mem.byte(map::kChecksumA) == ChecksumA(mem) && mem.byte(map::kChecksumB) == ChecksumB(mem) &&
           mem.byte(map::kChecksumC) == ChecksumC(mem);
}

DeviceMemory FactoryImage(const FactorySettings& s) {
    DeviceMemory mem;
    for (std::size_t a = 36; a < 64; ++a) mem.setByte(a, 0x00);
    mem.setByte(map::kMarkU, 'U');
    mem.setByte(map::kMark1, '1');
    mem.setByte(map::kFlags, 0x40 | 0x04);      // 50 Hz mains, 3-wire, output low on failure
    mem.setByte(map::kFilterTime, 12);           // 2.0 s
    mem.setByte(map::kFilterRange, 1);           // 0.1 %
    mem.setByte(map::kFilterLimit, 5);
    mem.setByte(map::kGainUnit, 0x08);           // 100 ohm, degC
    mem.setByte(map::kLinType, map::kLinSensorSet << 5 | 1);
    mem.setU16(map::kConfigDate, static_cast<unsigned>(s.calDateDays));
    mem.setU16(map::kRoomT, (25 + 20) * 512);
    const double r0 = Pt100Resistance(0.0), r100 = Pt100Resistance(100.0);
    mem.setFloat(map::kSignalMin, r0);
    mem.setFloat(map::kSignalStep, (r100 - r0) / 100.0);
    mem.setFloat(map::kMinInput, 0.0);
    mem.setFloat(map::kInputSpan, 100.0);
    mem.setU16(map::kModelNumber, static_cast<unsigned>(4700 + s.modelCode));
    mem.setU16(map::kCalDate, static_cast<unsigned>(s.calDateDays));
    mem.setByte(map::kSerial, static_cast<std::uint8_t>(s.serial >> 16));
    mem.setU16(map::kSerial + 1, static_cast<unsigned>(s.serial & 0xFFFF));
    mem.setByte(35, 0x00);

    mem.setFloat(map::kSetLow, kLow);
    mem.setFloat(map::kSetSpan, kHigh - kLow);
    mem.setFloat(map::kSetBound1, kBound1);
    mem.setFloat(map::kSetBound2, kBound2);
    putSegment(mem, map::kSetSegment1, kSegment1);
    putSegment(mem, map::kSetSegment2, fitSegment(kBound1, kBound2));
    putSegment(mem, map::kSetSegment3, fitSegment(kBound2, 1.0));

    for (std::size_t i = 0; i < map::kIdTagLength; ++i)
        mem.setByte(map::kIdTag + i, i < s.idTag.size() ? static_cast<std::uint8_t>(s.idTag[i]) : 0xFF);
    for (std::size_t a = map::kZeroCorr; a < map::kChecksumC; ++a) mem.setByte(a, 0x00);
    mem.setByte(map::kChecksumC, ChecksumC(mem));
    mem.setByte(map::kChecksumA, ChecksumA(mem));
    mem.setByte(map::kChecksumB, ChecksumB(mem));
    mem.setVersion(s.codeVersion);
    return mem;
}

}  // namespace r4860::sim
