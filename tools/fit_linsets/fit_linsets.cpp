// Writes src/model/sensor_lin_tables.cpp: for every sensor, three sixth-degree polynomials in the
// normalized signal that invert the core's own forward characteristic with the least worst error.
// The limits, boundaries and the rows the transducer's documentation fixes are copied, not fitted.
// A table of worst errors goes to stderr.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "common/catalogues.h"
#include "common/device_float.h"
#include "model/minimax_fit.h"
#include "model/config_record.h"
#include "model/sensor_characteristics.h"

namespace {

using r4860::model::SensorLinSetArray;
using Segment = std::array<double, 7>;

struct SetSpec {
    int code;  // 0: the identity set for every other code
    double s0, s1, s3, s4;
    std::array<std::optional<Segment>, 3> given;
};

constexpr Segment kCopper = {-50.0, 230.0, 0, 0, 0, 0, 0};
constexpr Segment kIdentity = {0, 1.0, 0, 0, 0, 0, 0};

const std::array<SetSpec, r4860::model::kSensorLinTableCount> kSets = {{
    {1, 60.2509931, 390.265066, 0.2371, 0.566,
     {Segment{-99.99996, 814.08001, 154.75581, -234.68209, 552.95449, -450.12721, 0}, {}, {}}},
    {2, 59.4752491, 395.940569, 0.2372, 0.5662, {}},
    {3, 69.5061707, 223.090259, 0.1985, 0.6, {}},
    {4, 78.7000525, 176.679949, 1.0, 1.0, {kCopper, kCopper, kCopper}},
    {6, 0.17826, 13.82028, 0.08, 0.4, {}},
    {7, 0.0, 36.922, 0.13171, 0.6369, {}},
    {8, -5.23718, 76.37283, 0.12541, 0.54985, {}},
    {9, -4.63252, 69.55318, 0.22506, 0.64184, {}},
    {10, -4.91271, 54.81857, 0.082247, 0.36184,
     {Segment{-149.953114, 2502.928203, -17124.4581, 187048.7993, -1280576.5, 3844037.5, 0}, {}, {}}},
    {11, -2.40681, 47.51277, 0.1, 0.6, {}},
    {12, 0.0, 20.2217, 0.1, 0.5, {}},
    {13, 0.0, 17.9473, 0.1, 0.5, {}},
    {14, -3.37858, 20.87197, 0.2, 0.6, {}},
    {0, 0.0, 1.0, 1.0, 1.0, {kIdentity, kIdentity, kIdentity}},
}};

constexpr int kGridSize = 20001;
constexpr double kCheckStep = 0.005;  // degC

double RangeLow(int code) { return r4860::SensorRanges[static_cast<std::size_t>(code)].low / 10.0; }
double RangeHigh(int code) { return r4860::SensorRanges[static_cast<std::size_t>(code)].high / 10.0; }

// Temperature whose signal is x, by bisection of the forward characteristic (rising on the range).
// The bracket reaches a little beyond the range, since s0 and s1 are rounded, but not onto the
// flat part of a thermocouple clamped at a range end: a signal beyond the end maps to the end.
double ExactInverse(const r4860::model::ConfigRecord& rec, int code, double x) {
    using r4860::model::SensorSignal;
    constexpr double kMargin = 20.0;
    double lo = RangeLow(code), hi = RangeHigh(code);
    if (SensorSignal(rec, code, lo - kMargin) < SensorSignal(rec, code, lo)) lo -= kMargin;
    if (SensorSignal(rec, code, hi + kMargin) > SensorSignal(rec, code, hi)) hi += kMargin;
    for (int i = 0; i < 200; ++i) {
        const double mid = lo + (hi - lo) / 2;
        if (mid == lo || mid == hi) break;
        (r4860::model::SensorSignal(rec, code, mid) < x ? lo : hi) = mid;
    }
    return lo + (hi - lo) / 2;
}

struct Bounds {
    double a, b;
};
std::array<Bounds, 3> SegmentBounds(const SetSpec& spec) {
    return {{{0.0, spec.s3}, {spec.s3, spec.s4}, {spec.s4, 1.0}}};
}

// The set as the transducer receives it: every value through its 4-byte float format.
SensorLinSetArray AsDeviceFloats(const SensorLinSetArray& set) {
    SensorLinSetArray out{};
    for (std::size_t i = 0; i < set.size(); ++i) {
        const auto bytes = r4860::EncodeDeviceFloat(set[i]);
        out[i] = bytes ? r4860::DecodeDeviceFloat(*bytes) : NAN;
    }
    return out;
}

long double AsDeviceFloat(long double v) { return r4860::NearestDeviceFloat(static_cast<double>(v)); }

// Where a limit is rounded inwards, the temperatures between the range end and the limit all
// read as the limit (the evaluation clamps u), so that end must serve the range end too.
std::optional<r4860::model::SharedEnd> ClampedTail(const r4860::model::ConfigRecord& rec, const SetSpec& spec,
                                                   bool high) {
    const double end = high ? RangeHigh(spec.code) : RangeLow(spec.code);
    const double signal = r4860::model::SensorSignal(rec, spec.code, end);
    if (high ? signal <= spec.s1 : signal >= spec.s0) return std::nullopt;
    return r4860::model::SharedEnd{end};
}

SensorLinSetArray BuildSet(const SetSpec& spec, std::array<double, 3>& levelled) {
    const r4860::model::ConfigRecord rec;
    SensorLinSetArray set{spec.s0, spec.s1, 0.0, spec.s3, spec.s4, 1.0, 0.0};
    const auto bounds = SegmentBounds(spec);
    for (std::size_t s = 0; s < 3; ++s) {
        levelled[s] = NAN;
        const std::size_t base = 7 + 7 * s;
        if (spec.given[s]) {
            std::copy(spec.given[s]->begin(), spec.given[s]->end(), set.begin() + static_cast<long>(base));
            continue;
        }
        if (bounds[s].b - bounds[s].a < 1e-9) {
            // An empty segment is never selected; repeating its neighbour keeps the curve continuous.
            const std::size_t from = s == 0 ? base + 7 : base - 7;
            std::copy_n(set.begin() + static_cast<long>(from), 7, set.begin() + static_cast<long>(base));
            continue;
        }
        const auto f = [&](long double u) {
            const long double x = spec.s0 + u * (static_cast<long double>(spec.s1) - spec.s0);
            return static_cast<long double>(ExactInverse(rec, spec.code, static_cast<double>(x)));
        };
        r4860::model::FitOptions options;
        options.gridSize = kGridSize;
        if (s == 0) options.atA = ClampedTail(rec, spec, false);
        if (s == 2) options.atB = ClampedTail(rec, spec, true);
        options.quantize = AsDeviceFloat;
        const auto fit = r4860::model::FitMinimax(f, bounds[s].a, bounds[s].b, options);
        for (std::size_t k = 0; k < 7; ++k) set[base + k] = static_cast<double>(fit.coefficients[k]);
        levelled[s] = static_cast<double>(fit.levelledError);
    }
    return set;
}


// Worst |LinSetValue(signal(t)) - t| per segment over the sensor's whole range.
std::array<double, 3> WorstErrors(const SetSpec& spec, const SensorLinSetArray& set) {
    const r4860::model::ConfigRecord rec;
    std::array<double, 3> worst{};
    const double lo = RangeLow(spec.code), hi = RangeHigh(spec.code);
    const auto steps = static_cast<long>(std::lround((hi - lo) / kCheckStep));
    for (long i = 0; i <= steps; ++i) {
        const double t = lo + (hi - lo) * static_cast<double>(i) / static_cast<double>(steps);
        const double x = r4860::model::SensorSignal(rec, spec.code, t);
        const double u = std::clamp((x - spec.s0) / (spec.s1 - spec.s0), 0.0, 1.0);
        const std::size_t s = u <= spec.s3 ? 0 : (u <= spec.s4 ? 1 : 2);
        worst[s] = std::max(worst[s], std::fabs(r4860::model::LinSetValue(set, x) - t));
    }
    return worst;
}

std::string Shortest(double v) {
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    std::string text(buf, res.ptr);
    if (text.find_first_of(".e") == std::string::npos && text.find("inf") == std::string::npos) text += ".0";
    return text;
}

std::string Label(int code) {
    return code == 0 ? std::string("identity, every other code")
                     : std::to_string(code) + " " + std::string(r4860::SensorNames[static_cast<std::size_t>(code)]);
}

void WriteSet(const SetSpec& spec, const SensorLinSetArray& set, const std::array<double, 3>& worst) {
    std::printf("    // %s", Label(spec.code).c_str());
    if (spec.code != 0)
        std::printf(": worst error %.4f, %.4f, %.4f degC", worst[0], worst[1], worst[2]);
    std::printf("\n    {");
    for (std::size_t i = 0; i < set.size(); ++i) {
        const bool rowStart = i == 7 || i == 14 || i == 21;
        std::printf("%s%s", i == 0 ? "" : (rowStart ? ",\n     " : ", "), Shortest(set[i]).c_str());
    }
    std::printf("},\n");
}

}  // namespace

int main() {
    std::printf("// Generated: build/<dir>/tools/fit_linsets/fit_linsets > src/model/sensor_lin_tables.cpp\n");
    std::printf("// Per set: s0, s1 (signal at the range ends), 0, s3, s4 (segment boundaries in the normalized\n"
                "// signal), 1, 0, then three rows of coefficients u^0 .. u^6 giving degC.\n");
    std::printf("#include \"model/sensor_characteristics.h\"\n\nnamespace r4860::model {\n\n");
    std::printf("const std::array<SensorLinSetArray, kSensorLinTableCount> SensorLinTables = {{\n");
    std::fprintf(stderr, "%-22s %-8s %-9s %-9s %-9s %s\n", "sensor", "segment", "levelled", "worst", "device",
                 "fitted");
    for (const SetSpec& spec : kSets) {
        std::array<double, 3> levelled{};
        const SensorLinSetArray set = BuildSet(spec, levelled);
        std::array<double, 3> worst{}, device{};
        if (spec.code != 0) {
            worst = WorstErrors(spec, set);
            device = WorstErrors(spec, AsDeviceFloats(set));
        }
        WriteSet(spec, set, worst);
        if (spec.code == 0) continue;
        for (std::size_t s = 0; s < 3; ++s)
            std::fprintf(stderr, "%-22s %-8zu %-9.4f %-9.4f %-9.4f %s\n", Label(spec.code).c_str(), s + 1,
                         levelled[s], worst[s], device[s], spec.given[s] ? "given" : "yes");
    }
    std::printf("}};\n\n}  // namespace r4860::model\n");
    return 0;
}
