// The Remez exchange works in the Chebyshev basis on [-1, 1], where the 8 x 8 systems stay well
// conditioned even for short segments; only the result is turned into powers of u.
#include "minimax_fit.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <utility>
#include <vector>

namespace r4860::tools {
namespace {

constexpr int kTerms = kFitDegree + 1;
constexpr int kReference = kFitDegree + 2;  // alternation points of a best approximation

using Chebyshev = std::array<long double, kTerms>;

long double ChebyshevValue(const Chebyshev& a, long double w) {
    long double b1 = 0, b2 = 0;  // Clenshaw recurrence
    for (int k = kTerms - 1; k >= 1; --k) {
        const long double b0 = 2 * w * b1 - b2 + a[static_cast<std::size_t>(k)];
        b2 = b1;
        b1 = b0;
    }
    return w * b1 - b2 + a[0];
}

// Solves m x = r in place by Gaussian elimination with partial pivoting.
std::array<long double, kReference> Solve(std::array<std::array<long double, kReference>, kReference> m,
                                          std::array<long double, kReference> r) {
    for (int c = 0; c < kReference; ++c) {
        int pivot = c;
        for (int i = c + 1; i < kReference; ++i)
            if (std::fabs(m[i][c]) > std::fabs(m[pivot][c])) pivot = i;
        std::swap(m[c], m[pivot]);
        std::swap(r[c], r[pivot]);
        for (int i = c + 1; i < kReference; ++i) {
            const long double f = m[i][c] / m[c][c];
            for (int k = c; k < kReference; ++k) m[i][k] -= f * m[c][k];
            r[i] -= f * r[c];
        }
    }
    std::array<long double, kReference> x{};
    for (int c = kReference - 1; c >= 0; --c) {
        long double s = r[c];
        for (int k = c + 1; k < kReference; ++k) s -= m[c][k] * x[k];
        x[c] = s / m[c][c];
    }
    return x;
}

struct Extremum {
    std::size_t index;
    long double error;
};

// One extremum per run of equal sign of the error, then trimmed to kReference points that still
// alternate, dropping the smallest first so the largest deviation always stays in.
std::vector<Extremum> AlternatingExtrema(const std::vector<long double>& err) {
    std::vector<Extremum> ext;
    for (std::size_t i = 0; i < err.size(); ++i) {
        const bool positive = err[i] >= 0;
        if (!ext.empty() && (ext.back().error >= 0) == positive) {
            if (std::fabs(err[i]) > std::fabs(ext.back().error)) ext.back() = {i, err[i]};
        } else {
            ext.push_back({i, err[i]});
        }
    }
    while (ext.size() > static_cast<std::size_t>(kReference)) {
        if (ext.size() == static_cast<std::size_t>(kReference) + 1) {
            if (std::fabs(ext.front().error) < std::fabs(ext.back().error)) ext.erase(ext.begin());
            else ext.pop_back();
            continue;
        }
        const auto smallest = std::min_element(ext.begin(), ext.end(), [](const Extremum& a, const Extremum& b) {
            return std::fabs(a.error) < std::fabs(b.error);
        });
        if (smallest == ext.begin() || smallest == ext.end() - 1) {
            ext.erase(smallest);
            continue;
        }
        // Removing an inner point alone would leave two equal signs side by side: take a neighbour too.
        const auto next = smallest + 1, prev = smallest - 1;
        const auto partner = std::fabs(prev->error) < std::fabs(next->error) ? prev : next;
        ext.erase(std::max(smallest, partner));
        ext.erase(std::min(smallest, partner));
    }
    return ext;
}

// Powers of u from the Chebyshev coefficients, with w = alpha u + beta.
FitCoefficients ToPowers(const Chebyshev& a, long double alpha, long double beta) {
    std::array<std::array<long double, kTerms>, kTerms> t{};  // t[k]: T_k in powers of w
    t[0][0] = 1;
    t[1][1] = 1;
    for (int k = 2; k < kTerms; ++k)
        for (int i = 0; i < kTerms; ++i)
            t[k][i] = (i > 0 ? 2 * t[k - 1][i - 1] : 0) - t[k - 2][i];
    std::array<long double, kTerms> inW{};
    for (int k = 0; k < kTerms; ++k)
        for (int i = 0; i < kTerms; ++i) inW[i] += a[k] * t[k][i];
    FitCoefficients inU{};
    for (int i = 0; i < kTerms; ++i) {
        // (alpha u + beta)^i by the binomial theorem
        long double binom = 1;
        for (int j = 0; j <= i; ++j) {
            inU[j] += inW[i] * binom * std::pow(alpha, j) * std::pow(beta, i - j);
            binom = binom * (i - j) / (j + 1);
        }
    }
    return inU;
}

}  // namespace

MinimaxFit FitMinimax(const std::function<long double(long double)>& f, long double a, long double b,
                      int gridSize) {
    const auto n = static_cast<std::size_t>(std::max(gridSize, 10 * kReference));
    std::vector<long double> w(n), fw(n), err(n);
    for (std::size_t i = 0; i < n; ++i) {
        w[i] = -1 + 2 * static_cast<long double>(i) / static_cast<long double>(n - 1);
        fw[i] = f((a + b) / 2 + (b - a) / 2 * w[i]);
    }
    std::array<std::size_t, kReference> ref{};
    for (int r = 0; r < kReference; ++r) {
        const long double node = -std::cos(std::numbers::pi_v<long double> * r / (kReference - 1));
        ref[static_cast<std::size_t>(r)] =
            static_cast<std::size_t>(std::lround((node + 1) / 2 * static_cast<long double>(n - 1)));
    }

    MinimaxFit fit;
    Chebyshev cheb{};
    for (fit.iterations = 1; fit.iterations <= 100; ++fit.iterations) {
        std::array<std::array<long double, kReference>, kReference> m{};
        std::array<long double, kReference> rhs{};
        for (int r = 0; r < kReference; ++r) {
            const long double x = w[ref[r]];
            long double tkm1 = 1, tk = x;
            m[r][0] = 1;
            m[r][1] = x;
            for (int k = 2; k < kTerms; ++k) {
                const long double next = 2 * x * tk - tkm1;
                tkm1 = tk;
                tk = next;
                m[r][k] = tk;
            }
            m[r][kTerms] = (r % 2 == 0) ? 1 : -1;
            rhs[r] = fw[ref[r]];
        }
        const auto x = Solve(m, rhs);
        std::copy_n(x.begin(), kTerms, cheb.begin());
        fit.levelledError = std::fabs(x[kTerms]);

        fit.worstError = 0;
        for (std::size_t i = 0; i < n; ++i) {
            err[i] = fw[i] - ChebyshevValue(cheb, w[i]);
            fit.worstError = std::max(fit.worstError, std::fabs(err[i]));
        }
        if (fit.worstError - fit.levelledError <= 1e-9L * fit.worstError) break;
        const auto ext = AlternatingExtrema(err);
        if (ext.size() < static_cast<std::size_t>(kReference)) break;  // already better than needed
        std::array<std::size_t, kReference> next{};
        for (int r = 0; r < kReference; ++r) next[r] = ext[static_cast<std::size_t>(r)].index;
        if (next == ref) break;
        ref = next;
    }
    fit.coefficients = ToPowers(cheb, 2 / (b - a), -(a + b) / (b - a));
    return fit;
}

}  // namespace r4860::tools
