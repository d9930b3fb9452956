#include "common/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace r4860 {

bool TextToNum(std::string_view text, double& out) {
    std::string s(text);
    if (auto dot = s.find('.'); dot == std::string::npos) {
        if (auto comma = s.find(','); comma != std::string::npos) s[comma] = '.';
    }
    // Leading and trailing blanks are forgiven, as the run-time library of the old tool did.
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return false;
    std::size_t e = s.find_last_not_of(" \t");
    std::string_view body(s.data() + b, e - b + 1);
    if (!body.empty() && body.front() == '+') {
        body.remove_prefix(1);
        if (!body.empty() && (body.front() == '-' || body.front() == '+')) return false;
    }
    if (body.empty()) return false;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec != std::errc() || ptr != body.data() + body.size() || !std::isfinite(value)) return false;
    out = value;
    return true;
}

long long RoundEven(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kMax = 9.2e18;
    if (value >= kMax) return std::numeric_limits<long long>::max();
    if (value <= -kMax) return std::numeric_limits<long long>::min();
    // nearbyint honours the default rounding mode, which is to nearest with ties to even.
    return static_cast<long long>(std::nearbyint(value));
}

std::string FixedText(double value, int decimals, int width) {
    char buf[512];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string s = ec == std::errc() ? std::string(buf, ptr) : std::string("???");
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
}

std::string ShortestText(double value) {
    char buf[64];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, ptr) : std::string("0");
}

std::string RangeNumTxt(double value, double minInput, double maxInput) {
    double m = std::max(std::fabs(minInput), std::fabs(maxInput));
    if (!(minInput < maxInput)) m = 10.0;
    const int d = m >= 1000 ? 0 : m >= 100 ? 1 : m >= 10 ? 2 : 3;
    const double scale = std::pow(10.0, d + 1);
    double rounded = value;
    if (std::isfinite(value) && std::fabs(value * scale) < 9e18) rounded = std::nearbyint(value * scale) / scale;
    return FixedText(rounded, d, 7);
}

double RoundSig(double value) {
    if (!std::isfinite(value)) return value;
    double s = 1.0;
    if (std::fabs(value) > 0.000001) s = std::pow(10.0, std::nearbyint(std::log10(std::fabs(value))));
    return std::nearbyint(1000000.0 * value / s) * (0.000001 * s);
}

int TruncGuard(double value) {
    const double v = std::trunc(value * 1.000001);
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (v <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

double TruncTenth(double value) { return TruncGuard(10.0 * value) * 0.1; }

std::string TenthTxt(double value) {
    const int tenths = TruncGuard(10.0 * value);
    if (tenths % 10 == 0) return FixedText(tenths / 10, 0, 3);
    return FixedText(tenths * 0.1, 1, 3);
}

}  // namespace r4860
