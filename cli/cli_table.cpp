#include "cli_table.h"

#include <cstdio>
#include <optional>

#include "cli_commands.h"
#include "common/number_text.h"
#include "model/cvd_table.h"

namespace r4860::cli {
namespace {

int fail(const std::string& why) {
    std::fprintf(stderr, "r4860-cli: table: %s\nTry 'r4860-cli --help'.\n", why.c_str());
    return kExitUsage;
}

// R0[,A,B[,C]]: what the certificate gives; the rest from IEC 60751.
std::optional<model::CvdCoefficients> coefficients(const std::string& text) {
    model::CvdCoefficients c = model::kIec60751Coefficients;
    double* fields[] = {&c.R0, &c.A, &c.B, &c.C};
    std::size_t start = 0, n = 0;
    for (; n < 4 && start <= text.size(); ++n) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (!TextToNum(std::string_view(text).substr(start, comma - start), *fields[n])) return std::nullopt;
        start = comma + 1;
    }
    if (start <= text.size() || n == 2) return std::nullopt;  // five values, or A without B
    return c;
}

}  // namespace

int RunTableCommand(const std::vector<std::string>& args) {
    std::optional<model::CvdCoefficients> cvd;
    std::optional<std::pair<double, double>> range;
    double step = 1.0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size()) return fail(a + " needs a value");
        const std::string& v = args[++i];
        if (a == "--cvd") {
            if (!(cvd = coefficients(v)))
                return fail("--cvd " + v + ": R0, or R0,A,B or R0,A,B,C (decimal points)");
        } else if (a == "--range") {
            const auto colon = v.find(':');
            double lo = 0, hi = 0;
            if (colon == std::string::npos || !TextToNum(v.substr(0, colon), lo) ||
                !TextToNum(v.substr(colon + 1), hi))
                return fail("--range " + v + ": LO:HI in degC");
            range = std::pair(lo, hi);
        } else if (a == "--step") {
            if (!TextToNum(v, step)) return fail("--step " + v + ": degC between rows");
        } else {
            return fail("unknown option " + a);
        }
    }
    if (!cvd || !range) return fail("--cvd and --range are needed");
    const auto table = model::CvdTable(*cvd, range->first, range->second, step);
    if (!table) return fail(table.error().message);
    for (const auto& line : model::CvdTableLines(*cvd, *table))
        std::printf("%s\n", line.c_str());
    return std::fflush(stdout) == 0 ? kExitOk : kExitUsage;
}

}  // namespace r4860::cli
