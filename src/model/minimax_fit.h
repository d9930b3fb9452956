// Best uniform (minimax) polynomial approximation by the Remez exchange on a dense grid.
#pragma once

#include <array>
#include <functional>
#include <optional>

namespace r4860::model {

inline constexpr int kFitDegree = 6;
using FitCoefficients = std::array<long double, kFitDegree + 1>;

// An end of the interval that must stand for a whole span of values at once: the evaluation
// clamps to the end, so p(end) is also read for every value between f(end) and `alsoServes`.
struct SharedEnd {
    long double alsoServes;
};

struct FitOptions {
    int gridSize = 20001;
    std::optional<SharedEnd> atA, atB;
    // When set, every coefficient is passed through it (the receiver's number format) in turn, the
    // coefficients after it being refitted, so that what is stored is what was verified.
    std::function<long double(long double)> quantize;
    // The exchange stops when the worst error is within `convergence` of the levelled one, when it
    // is below `goodEnough` (no better fit would matter to the caller), or after `maxIterations`.
    int maxIterations = 100;
    long double convergence = 1e-9L;
    long double goodEnough = 0.0L;
};

struct MinimaxFit {
    FitCoefficients coefficients{};  // ascending powers of the variable itself (not of a local one)
    long double levelledError = 0;   // |E| of the unquantized fit: no polynomial does better on the grid
    long double worstError = 0;      // largest error of `coefficients` on the grid
};

// Polynomial of degree kFitDegree in u over [a, b] (0 <= a < b) minimising the worst error
// against f on a grid, where at a shared end the error counts against both f(end) and the span.
[[nodiscard]] MinimaxFit FitMinimax(const std::function<long double(long double)>& f, long double a,
                                    long double b, const FitOptions& options = {});

}  // namespace r4860::model
