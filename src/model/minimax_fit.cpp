// The Remez exchange on a dense grid over any Haar basis: the Chebyshev basis in a local
// variable for the fit itself (well conditioned even on short segments), powers of u for the
// refits that follow the quantization of each coefficient.
#include "model/minimax_fit.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <utility>
#include <vector>

namespace r4860::model {
namespace {

constexpr int kTerms = kFitDegree + 1;
using Chebyshev = std::array<long double, kTerms>;

using Matrix = std::vector<std::vector<long double>>;

// Solves m x = r by Gaussian elimination with partial pivoting.
std::vector<long double> Solve(Matrix m, std::vector<long double> r) {
    const std::size_t n = r.size();
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t pivot = c;
        for (std::size_t i = c + 1; i < n; ++i)
            if (std::fabs(m[i][c]) > std::fabs(m[pivot][c])) pivot = i;
        std::swap(m[c], m[pivot]);
        std::swap(r[c], r[pivot]);
        for (std::size_t i = c + 1; i < n; ++i) {
            const long double f = m[i][c] / m[c][c];
            for (std::size_t k = c; k < n; ++k) m[i][k] -= f * m[c][k];
            r[i] -= f * r[c];
        }
    }
    std::vector<long double> x(n);
    for (std::size_t c = n; c-- > 0;) {
        long double sum = r[c];
        for (std::size_t k = c + 1; k < n; ++k) sum -= m[c][k] * x[k];
        x[c] = sum / m[c][c];
    }
    return x;
}

// The discrete problem: target values and basis rows on the grid. An end may carry an offset
// (error it cannot avoid, added to the magnitude) or be pinned (matched exactly, outside the
// alternation); alternation points are searched in [lo, hi].
struct Problem {
    std::vector<std::vector<long double>> basis;
    std::vector<long double> fw, offset;
    std::vector<std::size_t> pinned;
    std::size_t lo = 0, hi = 0;
    [[nodiscard]] std::size_t terms() const { return basis.front().size(); }
    [[nodiscard]] long double value(const std::vector<long double>& c, std::size_t i) const {
        long double sum = 0;
        for (std::size_t k = 0; k < c.size(); ++k) sum += c[k] * basis[i][k];
        return sum;
    }
};

struct Extremum {
    std::size_t index;
    long double error;  // signed, its magnitude including the point's offset
};

// One extremum per run of equal sign of the error, then trimmed to `count` points that still
// alternate, dropping the smallest first so the largest deviation always stays in.
std::vector<Extremum> AlternatingExtrema(const Problem& pb, const std::vector<long double>& err, std::size_t count) {
    std::vector<Extremum> ext;
    for (std::size_t i = pb.lo; i <= pb.hi; ++i) {
        const bool positive = err[i] >= 0;
        const long double e = positive ? err[i] + pb.offset[i] : err[i] - pb.offset[i];
        if (!ext.empty() && (ext.back().error >= 0) == positive) {
            if (std::fabs(e) > std::fabs(ext.back().error)) ext.back() = {i, e};
        } else {
            ext.push_back({i, e});
        }
    }
    while (ext.size() > count) {
        if (ext.size() == count + 1) {
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

// Levels the error on the reference: p + sign_r E = f + sign_r s offset_r, where s is the sign
// E turns out with (an offset always adds to the magnitude); pinned points get p = f. When no
// sign is consistent, an offset exceeds the level and is left out of this step.
std::vector<long double> SolveReference(const Problem& pb, const std::vector<std::size_t>& ref) {
    const std::size_t terms = pb.terms();
    Matrix m;
    const auto row = [&](std::size_t i, long double sign) {
        m.push_back(pb.basis[i]);
        m.back().push_back(sign);
    };
    for (std::size_t i : pb.pinned) row(i, 0);
    for (std::size_t r = 0; r < ref.size(); ++r) row(ref[r], (r % 2 == 0) ? 1 : -1);
    std::vector<long double> solution;
    for (const int s : {1, -1, 0}) {
        std::vector<long double> rhs;
        for (std::size_t i : pb.pinned) rhs.push_back(pb.fw[i]);
        for (std::size_t r = 0; r < ref.size(); ++r)
            rhs.push_back(pb.fw[ref[r]] + ((r % 2 == 0) ? 1 : -1) * s * pb.offset[ref[r]]);
        solution = Solve(m, rhs);
        if (s == 0 || (solution[terms] >= 0) == (s > 0)) break;
    }
    return solution;
}

struct RemezResult {
    std::vector<long double> coef;
    long double levelled = 0, worst = 0;
};

RemezResult Remez(const Problem& pb, const FitOptions& options) {
    const std::size_t count = pb.terms() + 1 - pb.pinned.size();
    std::vector<std::size_t> ref(count);
    for (std::size_t r = 0; r < count; ++r) {
        const long double node = -std::cos(std::numbers::pi_v<long double> * static_cast<long double>(r) /
                                           static_cast<long double>(count - 1));
        ref[r] = pb.lo + static_cast<std::size_t>(std::lround((node + 1) / 2 * static_cast<long double>(pb.hi - pb.lo)));
    }
    RemezResult res;
    std::vector<long double> err(pb.fw.size());
    for (int iteration = 0; iteration < options.maxIterations; ++iteration) {
        auto x = SolveReference(pb, ref);
        res.levelled = std::fabs(x.back());
        x.pop_back();
        res.coef = std::move(x);
        res.worst = 0;
        for (std::size_t i = pb.lo; i <= pb.hi; ++i) {
            err[i] = pb.fw[i] - pb.value(res.coef, i);
            res.worst = std::max(res.worst, std::fabs(err[i]) + pb.offset[i]);
        }
        if (res.worst - res.levelled <= options.convergence * res.worst || res.worst <= options.goodEnough) break;
        const auto ext = AlternatingExtrema(pb, err, count);
        if (ext.size() < count) break;  // fewer sign changes than needed: already as good as it gets
        std::vector<std::size_t> next(count);
        for (std::size_t r = 0; r < count; ++r) next[r] = ext[r].index;
        if (next == ref) break;
        ref = next;
    }
    return res;
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

// A shared end aims at the middle of its span, half the span being error it cannot avoid. Half
// a span below the plain fit's level is traded against the interior; a larger one dominates
// anyway, so that end is matched exactly and the rest fitted around it.
void ShareEnd(Problem& pb, std::size_t i, const std::optional<SharedEnd>& end, long double plainLevel,
              std::vector<long double>& pinnedHalfSpan) {
    if (!end) return;
    const long double half = std::fabs(end->alsoServes - pb.fw[i]) / 2;
    pb.fw[i] = (end->alsoServes + pb.fw[i]) / 2;
    if (half < plainLevel) {
        pb.offset[i] = half;
        return;
    }
    pb.pinned.push_back(i);
    pinnedHalfSpan[i] = half;
    if (i == 0) pb.lo = 1;
    else pb.hi = i - 1;
}

}  // namespace

MinimaxFit FitMinimax(const std::function<long double(long double)>& f, long double a, long double b,
                      const FitOptions& options) {
    const auto n = static_cast<std::size_t>(std::max(options.gridSize, 10 * (kTerms + 1)));
    std::vector<long double> u(n), target(n);
    Problem pb;
    pb.basis.resize(n);
    pb.offset.assign(n, 0.0L);
    pb.hi = n - 1;
    for (std::size_t i = 0; i < n; ++i) {
        const long double w = -1 + 2 * static_cast<long double>(i) / static_cast<long double>(n - 1);
        u[i] = (a + b) / 2 + (b - a) / 2 * w;
        target[i] = f(u[i]);
        pb.basis[i].resize(kTerms);
        pb.basis[i][0] = 1;
        pb.basis[i][1] = w;
        for (int k = 2; k < kTerms; ++k) pb.basis[i][k] = 2 * w * pb.basis[i][k - 1] - pb.basis[i][k - 2];
    }
    pb.fw = target;
    MinimaxFit fit;
    RemezResult res = Remez(pb, options);
    std::vector<long double> pinnedHalfSpan(n, 0.0L);
    if (options.atA || options.atB) {
        const long double plainLevel = res.levelled;
        ShareEnd(pb, 0, options.atA, plainLevel, pinnedHalfSpan);
        ShareEnd(pb, n - 1, options.atB, plainLevel, pinnedHalfSpan);
        res = Remez(pb, options);
    }
    fit.levelledError = res.levelled;
    Chebyshev cheb{};
    std::copy_n(res.coef.begin(), kTerms, cheb.begin());
    fit.coefficients = ToPowers(cheb, 2 / (b - a), -(a + b) / (b - a));

    if (options.quantize) {
        // Fix one coefficient at a time from the highest power down and refit the lower ones
        // (scaled powers (u / b)^k keep the columns comparable): a small change of a high power is
        // almost a polynomial of lower degree on the segment, so the refit takes it back, and only
        // the constant term's quantization remains.
        std::vector<std::array<long double, kTerms>> powers(n), scaled(n);  // u^k and (u / b)^k
        for (std::size_t i = 0; i < n; ++i) {
            powers[i][0] = scaled[i][0] = 1;
            for (int k = 1; k < kTerms; ++k) {
                powers[i][k] = powers[i][k - 1] * u[i];
                scaled[i][k] = scaled[i][k - 1] * (u[i] / b);
            }
        }
        for (int j = kTerms - 1; j >= 0; --j) {
            fit.coefficients[j] = options.quantize(fit.coefficients[j]);
            if (j == 0) break;
            Problem rest = pb;
            for (std::size_t i = 0; i < n; ++i) {
                long double fixed = 0;
                for (int k = kTerms - 1; k >= j; --k) fixed += fit.coefficients[k] * powers[i][k];
                rest.fw[i] = pb.fw[i] - fixed;
                rest.basis[i].assign(scaled[i].begin(), scaled[i].begin() + j);
            }
            const RemezResult r = Remez(rest, options);
            for (int k = 0; k < j; ++k) fit.coefficients[k] = r.coef[k] / std::pow(b, k);
        }
    }
    fit.worstError = 0;
    for (std::size_t i = 0; i < n; ++i) {
        long double p = 0;
        for (int k = kTerms - 1; k >= 0; --k) p = p * u[i] + fit.coefficients[k];
        fit.worstError = std::max(fit.worstError, std::fabs(pb.fw[i] - p) + pb.offset[i] + pinnedHalfSpan[i]);
    }
    return fit;
}

}  // namespace r4860::model
