#include "model/transfer_function.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "common/lang_table.h"
#include "common/number_text.h"
#include "model/sensor_characteristics.h"
#include "model/table_fit.h"

namespace r4860::model {
namespace {

Error notComputable() { return makeError(Errc::Refused, NotMonotonicMessage()); }

bool allFinite(const DevCoefArray& d) {
    return std::all_of(d.begin(), d.end(), [](double v) { return std::isfinite(v); });
}

// Writes the curve point by point; the first non-finite point ends it, the points before stay.
template <class PointFn>
void fillCurve(TransferFunction& tf, PointFn point) {
    const double h = tf.step();
    tf.curvePoints = 0;
    for (std::size_t i = 0; i < kTransferCurveSize; ++i) {
        const double y = point(tf.signal.min + static_cast<double>(i) * h);
        if (!std::isfinite(y)) return;
        tf.curve[i] = y;
        tf.curvePoints = i + 1;
    }
}

// Lin 1 and 4: the signal's position in SignalMin .. SignalMax, reversed for a falling linear conversion.
Status buildLinear(const ConfigRecord& rec, TransferFunction& tf) {
    const double ds = tf.signal.span();
    double a = -tf.signal.min / ds;
    double b = 1.0 / ds;
    DevCoefArray d{};  // d2 .. d8 stay 0: the device evaluates a straight line
    if (rec.Czujnik.Lin == 4) {
        const auto& c = rec.LinCoef;
        if (SeriesValue(c, 2, c[10]) < SeriesValue(c, 2, c[9])) {
            a = 1.0 - a;
            b = -b;
        }
        const int input = rec.TableInputType != 0 ? rec.TableInputType : DerivedTableInputType(rec.Czujnik.Typ);
        d[9] = SensorRangeLow(rec, input);
        d[10] = SensorRangeHigh(rec, input);
    }
    d[0] = a;
    d[1] = b;
    if (!allFinite(d)) return notComputable();
    tf.devCoef = d;
    fillCurve(tf, [a, b](double x) { return x * b + a; });
    return {};
}

// Lin 2: the device linearizes by the sensor's characteristic, then positions the temperature
// in MinInput .. MaxInput. A user table goes the same way, fitted into a characteristic of its
// own: the identity set would have the device report its signal clamped to 0 .. 1.
Status buildLinearized(const ConfigRecord& rec, TransferFunction& tf) {
    if (FollowsUserTable(rec)) {
        const auto fit = FitTableSet(rec.Table);
        if (!fit) return notComputable();
        if (!fit->follows()) return makeError(Errc::Refused, std::string(kTableNotFollowedKey));
        tf.sensorLinSet = fit->set;
    } else {
        tf.sensorLinSet = SensorLinTableFor(rec.Czujnik.Typ);
    }
    const double lo = rec.Parametry.MinInput;
    const double span = rec.Parametry.MaxInput - lo;
    const SensorLinSetArray& set = tf.sensorLinSet;
    fillCurve(tf, [&set, lo, span](double x) { return (LinSetValue(set, x) - lo) / span; });
    return {};
}

// p(x) = c0 + ... + c8 x^8 on [lo, hi], in extended precision.
struct Polynomial {
    std::array<long double, 9> c{};
    int degree = 0;
    [[nodiscard]] long double at(long double x) const {
        long double sum = 0.0L;
        for (int k = degree; k >= 0; --k) sum = sum * x + c[static_cast<std::size_t>(k)];
        return sum;
    }
    [[nodiscard]] Polynomial derivative() const {
        Polynomial d;
        d.degree = std::max(degree - 1, 0);
        for (int k = 1; k <= degree; ++k) d.c[static_cast<std::size_t>(k - 1)] = k * c[static_cast<std::size_t>(k)];
        return d;
    }
};

// The points in (lo, hi) where p changes sign, in order: p is monotonic between the sign changes
// of its derivative, so each piece between them holds at most one, found by bisection.
std::vector<long double> signChanges(const Polynomial& p, long double lo, long double hi) {
    std::vector<long double> cuts{lo};
    if (p.degree >= 2) {
        const auto inner = signChanges(p.derivative(), lo, hi);
        cuts.insert(cuts.end(), inner.begin(), inner.end());
    }
    cuts.push_back(hi);
    std::vector<long double> roots;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        long double a = cuts[i], b = cuts[i + 1];
        const bool aNegative = p.at(a) < 0;
        if (p.degree == 0 || aNegative == (p.at(b) < 0) || p.at(b) == 0) continue;
        for (int k = 0; k < 200 && b - a > 0; ++k) {
            const long double mid = a + (b - a) / 2;
            if (mid == a || mid == b) break;
            ((p.at(mid) < 0) == aNegative ? a : b) = mid;
        }
        roots.push_back(a + (b - a) / 2);
    }
    return roots;
}

// Lin 8: the conversion result's position in MinInput .. MaxInput as one polynomial in x.
Status buildSeries(const ConfigRecord& rec, TransferFunction& tf) {
    const auto& c = rec.LinCoef;
    const double lo = rec.Parametry.MinInput;
    const double span = rec.Parametry.MaxInput - lo;
    DevCoefArray d{};
    d[0] = (c[0] - lo) / span;
    for (std::size_t k = 1; k <= 8; ++k) d[k] = c[k] / span;
    d[9] = c[9];
    d[10] = c[10];
    if (!allFinite(d) || !SeriesMonotonic(c)) return notComputable();
    tf.devCoef = d;
    fillCurve(tf, [&c, lo, span](double x) { return (SeriesValue(c, 9, x) - lo) / span; });
    return {};
}

// The admissible signal and result limits of one sampled point, widened by the rule's tolerance.
struct SampleLimits {
    double aLow, aHigh, xLow, xHigh;
    [[nodiscard]] bool admits(double a, double x) const { return a >= aLow && a <= aHigh && x >= xLow && x <= xHigh; }
};

SampleLimits sampleLimits(const ConfigRecord& rec) {
    constexpr double kTol = 0.000001;
    if (rec.TableInputType == 15) return {-273.0 - kTol, 9999.0 + kTol, -5.0 - kTol, 75.0 + kTol};
    return {-1999.0 - kTol, 9999.0 + kTol, SensorRangeLow(rec, rec.Czujnik.Typ) - kTol,
            SensorRangeHigh(rec, rec.Czujnik.Typ) + kTol};
}

// Reference span of the sensor's signal class for the filter suggestion.
double referenceSpan(int typ) {
    if (typ >= 6 && typ <= 15) return 86.0;
    if (typ == 16) return 160.0;
    return 180.0;
}

}  // namespace

bool SeriesMonotonic(const LinCoefArray& c) {
    Polynomial p;
    for (std::size_t k = 0; k <= 8; ++k) {
        p.c[k] = c[k];
        if (c[k] != 0.0) p.degree = static_cast<int>(k);
    }
    const long double lo = std::min(c[9], c[10]), hi = std::max(c[9], c[10]);
    std::vector<long double> xs{lo};
    const auto extremes = signChanges(p.derivative(), lo, hi);
    xs.insert(xs.end(), extremes.begin(), extremes.end());
    xs.push_back(hi);
    const bool rising = p.at(hi) > p.at(lo);
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
        const long double a = p.at(xs[i]), b = p.at(xs[i + 1]);
        if (rising ? !(b > a) : !(b < a)) return false;
    }
    return true;
}

bool FollowsUserTable(const ConfigRecord& rec) noexcept {
    // The codes whose signal SensorSignal takes from the table; 19 and 20 have none.
    const int typ = rec.Czujnik.Typ;
    return rec.Czujnik.Lin == 2 && (typ == 15 || typ == 5 || (typ >= 16 && typ <= 18));
}

std::string NotMonotonicMessage() {
    return std::string(kTransferFunctionKey) + " " + std::string(kNotMonotonicKey);
}

std::string TranslateRuleMessage(std::string_view message) {
    if (message == NotMonotonicMessage()) return LangText(kTransferFunctionKey) + " " + LangText(kNotMonotonicKey);
    return LangText(message);
}

SignalRange ComputeSignalRange(const ConfigRecord& rec) {
    const int typ = rec.Czujnik.Typ;
    const double s1 = SensorSignal(rec, typ, rec.Parametry.MinInput);
    const double s2 = SensorSignal(rec, typ, rec.Parametry.MaxInput);
    if (!std::isfinite(s1) || !std::isfinite(s2)) return {s1, s2};
    return {std::min(s1, s2), std::max(s1, s2)};
}

Status BuildDeviceCoefficients(const ConfigRecord& rec, TransferFunction& tf) {
    switch (rec.Czujnik.Lin) {
    case 1:
    case 4: return buildLinear(rec, tf);
    case 2: return buildLinearized(rec, tf);
    case 8: return buildSeries(rec, tf);
    default: return {};  // no conversion chosen: nothing to compute
    }
}

Result<TransferFunction> ComputeTransferFunction(const ConfigRecord& rec) {
    TransferFunction tf;
    tf.devCoef = rec.DevCoef;
    tf.sensorLinSet = rec.SensorLinSet;
    tf.curve = rec.TransferCurve;
    tf.signal = ComputeSignalRange(rec);
    if (!tf.signal.finite() || !std::isfinite(tf.step())) return notComputable();
    if (auto built = BuildDeviceCoefficients(rec, tf); !built) return built.error();
    return tf;
}

void SetConversionRange(ConfigRecord& rec) {
    if (rec.Czujnik.Lin != 4 && rec.Czujnik.Lin != 8) return;
    const auto tenths = [](double v) {
        const double t = 10.0 * v;
        if (std::isnan(t)) return std::int32_t{0};
        return static_cast<std::int32_t>(std::clamp<long long>(RoundEven(t), std::numeric_limits<std::int32_t>::min(),
                                                               std::numeric_limits<std::int32_t>::max()));
    };
    const auto& c = rec.LinCoef;
    const int terms = rec.Czujnik.Lin == 4 ? 2 : 9;
    const std::int32_t a = tenths(SeriesValue(c, terms, c[9])), b = tenths(SeriesValue(c, terms, c[10]));
    rec.LiveRanges[15] = {std::min(a, b), std::max(a, b)};
}

void ApplyTransferFunction(ConfigRecord& rec, const TransferFunction& tf) {
    rec.Parametry.SignalMin = tf.signal.min;
    rec.Parametry.SignalMax = tf.signal.max;
    rec.DevCoef = tf.devCoef;
    rec.SensorLinSet = tf.sensorLinSet;
    rec.TransferCurve = tf.curve;
}

bool SampleSeries(ConfigRecord& rec, std::string& message) {
    const auto& c = rec.LinCoef;
    auto& points = rec.Table.points;
    points.clear();
    points.reserve(kSeriesPoints);
    const double g = (c[10] - c[9]) / static_cast<double>(kSeriesPoints - 1);
    const double ends = SeriesValue(c, 9, c[10]) - SeriesValue(c, 9, c[9]);
    if (!std::isfinite(g) || !std::isfinite(ends)) {
        message = std::string(kSeriesErrorKey);
        return false;
    }
    const bool rising = ends > 0;
    const SampleLimits limits = sampleLimits(rec);
    for (std::size_t i = 0; i < kSeriesPoints; ++i) {
        const double x = c[9] + static_cast<double>(i) * g;
        const double a = SeriesValue(c, 9, x);
        if (!std::isfinite(a) || !std::isfinite(x)) {
            message = std::string(kSeriesErrorKey);
            return false;
        }
        if (i > 0) {
            const double prev = points.back().A;
            if (rising ? !(a > prev) : !(a < prev)) {
                message = NotMonotonicMessage();
                return false;
            }
        }
        if (!limits.admits(a, x)) {
            message = std::string(kValueOutOfRangeKey);
            return false;
        }
        points.push_back({a, x});
    }
    return true;
}

bool RangeSpanOk(const ConfigRecord& rec) {
    const int typ = rec.Czujnik.Typ;
    if (UserDataOf(rec) != UserData::None && !rec.TableLoaded) return true;
    if (typ < 1 || typ >= static_cast<int>(MinSpan.size())) return false;
    const SignalRange s = ComputeSignalRange(rec);
    return s.span() >= MinSpan[static_cast<std::size_t>(typ)] + 0.000001;  // false for NaN too
}

bool ConversionRangeOk(const ConfigRecord& rec, int code) {
    if (code < 1 || code >= static_cast<int>(MinSpan.size())) return false;
    const TenthRange result = rec.LiveRanges[15];
    const double sLo = 10.0 * SensorSignal(rec, code, result.low * 0.1);
    const double sHi = 10.0 * SensorSignal(rec, code, result.high * 0.1);
    const TenthRange row = rec.LiveRanges[static_cast<std::size_t>(code)];
    const double lower = row.low >= 0 ? row.low * 0.999999 : row.low * 1.000001;
    const double upper = row.high >= 0 ? row.high * 1.000001 : row.high * 0.999999;
    // Written as "inside" so that a NaN signal fails instead of slipping past both comparisons.
    const auto inside = [lower, upper](double s) { return s > lower - 0.00001 && s < upper + 0.00001; };
    if (!inside(sLo) || !inside(sHi)) return false;
    return std::fabs(sHi - sLo) > 10.0 * MinSpan[static_cast<std::size_t>(code)] * 0.99999;
}

void SuggestFilter(const ConfigRecord& rec, int& zakres, int& czas) {
    zakres = 1;
    czas = 20;
    const int typ = rec.Czujnik.Typ;
    double r = ComputeSignalRange(rec).span() / referenceSpan(typ);
    if (typ < 6) r *= 0.4;
    if (r < 0.0004) {
        zakres = 250;
        czas = 375;
    } else if (r < 0.11) {
        zakres = static_cast<int>(RoundEven(0.1 / r));
        czas = static_cast<int>(RoundEven(7.5 / std::sqrt(r)));
    }
}

}  // namespace r4860::model
