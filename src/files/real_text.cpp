#include "files/real_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace r4860::files {

std::string GeneralText(double value, int digits) {
    digits = std::clamp(digits, 1, 17);
    if (!std::isfinite(value) || value == 0.0) return "0";

    // Scientific form rounded to `digits` significant digits: "-d.ddde-05".
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1);
    const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    const std::size_t e = sci.find('e');
    const bool negative = sci.front() == '-';
    std::string mantissa;
    for (const char c : sci.substr(negative ? 1 : 0, e - (negative ? 1 : 0)))
        if (c != '.') mantissa += c;
    int exponent = 0;
    std::string_view exp = sci.substr(e + 1);
    if (exp.front() == '+') exp.remove_prefix(1);
    std::from_chars(exp.data(), exp.data() + exp.size(), exponent);
    while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < -5 || exponent >= digits) {
        out += mantissa.front();
        if (mantissa.size() > 1) out += "." + mantissa.substr(1);
        out += "E" + std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (mantissa.size() <= whole) {
            out += mantissa + std::string(whole - mantissa.size(), '0');
        } else {
            out += mantissa.substr(0, whole) + "." + mantissa.substr(whole);
        }
    }
    return out;
}

}  // namespace r4860::files
