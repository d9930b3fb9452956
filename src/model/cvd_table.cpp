#include "model/cvd_table.h"

#include <cmath>

#include "common/catalogues.h"
#include "common/number_text.h"

namespace r4860::model {
namespace {

constexpr std::size_t kMaxPoints = 2990;  // room for the comment lines within 3000

Error bad(std::string why) {
    return makeError(Errc::BadArgument, std::move(why));
}

}  // namespace

double CvdResistance(const CvdCoefficients& c, double t) {
    const long double x = t;
    long double r = 1.0L + c.A * x + c.B * x * x;
    if (t < 0.0) r += c.C * (x - 100.0L) * x * x * x;
    return static_cast<double>(c.R0 * r);
}

Result<PointTable> CvdTable(const CvdCoefficients& c, double low, double high, double step) {
    if (!(low < high)) return bad("the range must rise (LO:HI with LO below HI)");
    if (low < kCvdLowest || high > kCvdHighest) return bad("the equation holds from -200 to 850 degC");
    if (!(step > 0.0) || (high - low) / step + 1 > kMaxPoints)
        return bad("the step gives no table of 2 to 2990 points");
    PointTable table;
    const auto count = static_cast<std::size_t>(std::ceil((high - low) / step - 1e-9));
    for (std::size_t i = 0; i <= count; ++i) {
        const double t = i == count ? high : low + static_cast<double>(i) * step;
        const double r = CvdResistance(c, t);
        if (!std::isfinite(r) || r < 0.0 || r > kResistanceInputMax)
            return bad("R(" + FixedText(t, 1) + " degC) = " + FixedText(r, 2) +
                       " Ohm is outside the resistance input's 0 .. 2500 Ohm");
        if (!table.points.empty() && !(r > table.points.back().B))
            return bad("the resistance does not rise at " + FixedText(t, 1) +
                       " degC: check the coefficients");
        table.points.push_back({t, r});
    }
    return table;
}

std::vector<std::string> CvdTableLines(const CvdCoefficients& c, const PointTable& table) {
    std::vector<std::string> lines = {
        "; Resistance thermometer by its Callendar-Van Dusen coefficients, for a resistance input",
        "; with a table conversion: R = R0 (1 + A t + B t^2 + C (t - 100) t^3), C below 0 degC only.",
        "; R0=" + ShortestText(c.R0) + " A=" + ShortestText(c.A) + " B=" + ShortestText(c.B) +
            " C=" + ShortestText(c.C),
        ";  t[" + std::string(UnitName(8)) + "]     R[Ohm]",
    };
    for (const auto& p : table.points)
        lines.push_back(FixedText(p.A, 2, 9) + " " + FixedText(p.B, 4, 11));
    return lines;
}

}  // namespace r4860::model
