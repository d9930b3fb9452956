// Forward characteristics of the sensors, the operator's conversion and the point-table lookup.
// Intermediates are long double; a failure (zero span, flat table segment) propagates as NaN or
// infinity and is never turned into a plausible number here.
#include "model/sensor_characteristics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "model/thermocouple_tables.h"

namespace r4860::model {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// R(t) of the 100-ohm versions, c0 .. c10; the nominal resistance is applied by the transducer.
constexpr std::array<std::array<long double, 11>, 4> kRtdCoefficients = {{
    {100.00272L, 0.39076269L, -6.0381711e-5L, 4.0288765e-8L, -2.4161212e-10L, 6.5996588e-13L,
     -6.7290771e-16L, -5.8400929e-19L, 2.1362756e-21L, -1.9617729e-24L, 6.2761831e-28L},
    {100.00086L, 0.39862548L, -6.1896113e-5L, 2.4155334e-8L, -1.351571e-10L, 5.0893568e-13L,
     -1.1666947e-15L, 1.608881e-18L, -1.3154381e-21L, 5.8828362e-25L, -1.1090877e-28L},
    {100.00005L, 0.54979801L, 6.2880181e-4L, 9.969763e-8L, 8.6189375e-9L, -2.6127669e-10L,
     2.5867181e-12L, 2.2772837e-14L, -5.1609081e-16L, 2.961306e-18L, -5.6737191e-21L},
    {100.00003L, 0.42599955L, 0.0L, 0.0L, 0.0L, 0.0L, 0.0L, 0.0L, 0.0L, 0.0L, 0.0L},
}};

// Out-of-range codes get coefficients that make every resistance NaN rather than a real sensor's.
constexpr std::array<long double, 11> kNoRtd = {
    std::numeric_limits<long double>::quiet_NaN(), 0.0L, 0.0L, 0.0L, 0.0L, 0.0L,
    0.0L, 0.0L, 0.0L, 0.0L, 0.0L};

// Type C is not a reference-function type: a fifth-degree polynomial in degrees Fahrenheit (mV).
constexpr std::array<long double, 6> kTypeC = {-0.234471L,    0.007190027L,  3.956443e-6L,
                                               -1.842722e-9L, 3.471851e-13L, -2.616792e-17L};

template <std::size_t N>
long double Series(const std::array<long double, N>& c, long double t) {
    return PolyValue(static_cast<int>(N), c.data(), t);
}

struct ThermoLimits {
    double low;
    double high;
};

// Clamp limits of t for codes 6..14 (B C E J K N R S T).
constexpr std::array<ThermoLimits, 9> kThermoLimits = {{
    {0.0, 1820.0}, {0.0, 2320.0}, {-270.0, 1000.0}, {-210.0, 1200.0}, {-270.0, 1372.0},
    {-270.0, 1300.0}, {-50.0, 1768.0}, {-50.0, 1768.0}, {-270.0, 400.0}}};

long double KExponential(long double t) {
    using its90::kKExp;
    const long double d = t - kKExp[2];
    return kKExp[0] * std::exp(kKExp[1] * d * d);
}

// The comparisons are made on the double the caller passed: against a long double literal,
// 630.615 as a double would already count as above 630.615.
long double ThermoSegmentValue(int code, double t) {
    using namespace its90;
    const long double x = t;
    switch (code) {
    case 6: return t <= 630.615 ? Series(kB0, x) : Series(kB1, x);
    case 7: return 1000.0L * Series(kTypeC, 1.8L * x + 32.0L);
    case 8: return t < 0.0 ? Series(kE0, x) : Series(kE1, x);
    case 9: return t < 760.0 ? Series(kJ0, x) : Series(kJ1, x);
    case 10: return t < 0.0 ? Series(kK0, x) : Series(kK1, x) + KExponential(x);
    case 11: return t < 0.0 ? Series(kN0, x) : Series(kN1, x);
    case 12:
        if (t < 1064.18) return Series(kR0, x);
        return t < 1664.5 ? Series(kR1, x) : Series(kR2, x);
    case 13:
        if (t < 1064.18) return Series(kS0, x);
        return t < 1664.5 ? Series(kS1, x) : Series(kS2, x);
    case 14: return t < 0.0 ? Series(kT0, x) : Series(kT1, x);
    default: return std::numeric_limits<long double>::quiet_NaN();
    }
}

// Quadratic through three points at y; 0 outside their span (widened by a relative tolerance).
double Quadratic(const TablePoint& p0, const TablePoint& p1, const TablePoint& p2, double y) {
    const long double a0 = p0.A, a1 = p1.A, a2 = p2.A;
    const long double b0 = p0.B, b1 = p1.B, b2 = p2.B;
    const long double tol = 1e-6L * std::max({std::fabs(a0), std::fabs(a1), std::fabs(a2)});
    const long double lo = std::min(a0, a2) - tol, hi = std::max(a0, a2) + tol;
    if (y < lo || y > hi) return 0.0;
    const long double d = a0 * a0 * (a1 - a2) + a1 * a1 * (a2 - a0) + a2 * a2 * (a0 - a1);
    const long double a = ((a1 - a2) * b0 + (a2 - a0) * b1 + (a0 - a1) * b2) / d;
    const long double b = (a0 * a0 * (b1 - b2) + a1 * a1 * (b2 - b0) + a2 * a2 * (b0 - b1)) / d;
    const long double c = b1 - a * a1 * a1 - b * a1;
    const long double yl = y;
    return static_cast<double>(a * yl * yl + b * yl + c);
}

}  // namespace

double SensorSignal(const ConfigRecord& rec, int code, double value) {
    if (code >= 1 && code <= 4) return RtdPolyValue(RtdCoefficients(code), value);
    if (code >= 6 && code <= 14) return ThermoEmf(code, value) * 0.001;
    if (code == 5 || (code >= 16 && code <= 18)) return ConversionSignal(rec, value);
    if (code == 15) return TableSignal(rec.Table, value);
    return value;
}

double ConversionSignal(const ConfigRecord& rec, double value) {
    switch (rec.Czujnik.Lin) {
    case 2:
    case 8: return TableSignal(rec.Table, value);
    case 4: return LinearInverse(rec.LinCoef, value);
    default: return value;
    }
}

double LinearInverse(const LinCoefArray& c, double y) {
    if (c[1] == 0.0) return 0.0;
    return static_cast<double>((static_cast<long double>(y) - c[0]) / c[1]);
}

double SeriesValue(const LinCoefArray& c, int n, double x) {
    n = std::clamp(n, 2, 9);
    long double sum = c[0], p = 1.0L;
    for (int k = 1; k < n; ++k) {
        p *= x;
        sum += c[static_cast<std::size_t>(k)] * p;
    }
    return static_cast<double>(sum);
}

double TableSignal(const PointTable& table, double y) {
    const auto& pts = table.points;
    const std::size_t n = pts.size();
    if (n < 2) return kNaN;
    // 1-based indices as the rule is stated; at(i) is point i.
    const auto at = [&pts](std::size_t i) -> const TablePoint& { return pts[i - 1]; };
    const bool rising = at(1).A < at(n).A;
    if (rising ? y < at(1).A : y > at(1).A) return at(1).B;
    if (rising ? y > at(n).A : y < at(n).A) return at(n).B;
    std::size_t j = 1;
    while (j < n && !(rising ? y <= at(j).A : y >= at(j).A)) ++j;
    if (j == 1) j = 2;
    if (n > 10) {
        // n > 10 keeps k within 2 .. n-1, so both neighbours exist.
        const std::size_t k = j == n ? j - 1 : j;
        const double g1 = std::fabs((at(k).B - at(k - 1).B) / (at(k).A - at(k - 1).A));
        const double g2 = std::fabs((at(k + 1).B - at(k).B) / (at(k + 1).A - at(k).A));
        if (!(3.0 * g2 < g1) && !(3.0 * g1 < g2)) return Quadratic(at(k - 1), at(k), at(k + 1), y);
    }
    const TablePoint& p = at(j - 1);
    const TablePoint& q = at(j);
    return static_cast<double>((static_cast<long double>(y) - p.A) * (q.B - p.B) / (q.A - p.A) + p.B);
}

double LinSetValue(const SensorLinSetArray& set, double x) {
    long double u = (static_cast<long double>(x) - set[0]) / (static_cast<long double>(set[1]) - set[0]);
    // A zero span or a non-finite signal must not be clamped into a plausible temperature.
    if (!std::isfinite(u)) return kNaN;
    u = std::clamp(u, 0.0L, 1.0L);
    const std::size_t base = u <= set[3] ? 7 : (u <= set[4] ? 14 : 21);
    long double sum = 0.0L;
    for (std::size_t k = 7; k-- > 0;) sum = sum * u + set[base + k];
    return static_cast<double>(sum);
}

double RtdPolyValue(std::span<const long double, 11> c, double t) {
    long double s = c[0], comp = 0.0L, p = 1.0L;
    for (std::size_t k = 1; k <= 10; ++k) {
        p *= t;
        const long double term = c[k] * p;
        const long double next = s + term;
        comp += (s - next) + term;
        s = next;
    }
    return static_cast<double>(s + comp);
}

double ThermoEmf(int code, double t) {
    if (code < 6 || code > 14) return kNaN;
    const ThermoLimits& lim = kThermoLimits[static_cast<std::size_t>(code - 6)];
    // std::clamp would pass NaN through unchanged as well; spelled out so the order is visible.
    if (t < lim.low) t = lim.low;
    if (t > lim.high) t = lim.high;
    return static_cast<double>(ThermoSegmentValue(code, t));
}

long double PolyValue(int count, const long double* c, long double x) {
    long double sum = 0.0L;
    for (int k = count; k-- > 0;) sum = sum * x + c[k];
    return sum;
}

std::span<const long double, 11> RtdCoefficients(int code) {
    if (code < 1 || code > 4) return kNoRtd;
    return kRtdCoefficients[static_cast<std::size_t>(code - 1)];
}

const SensorLinSetArray& SensorLinTableFor(int code) noexcept {
    if (code >= 1 && code <= 4) return SensorLinTables[static_cast<std::size_t>(code - 1)];
    if (code >= 6 && code <= 14) return SensorLinTables[static_cast<std::size_t>(code - 2)];
    return DefaultSensorLinSet();
}

const SensorLinSetArray& DefaultSensorLinSet() noexcept { return SensorLinTables[kSensorLinTableCount - 1]; }

}  // namespace r4860::model
