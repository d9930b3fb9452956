// Best uniform (minimax) polynomial approximation by the Remez exchange on a dense grid.
#pragma once

#include <array>
#include <functional>

namespace r4860::tools {

inline constexpr int kFitDegree = 6;
using FitCoefficients = std::array<long double, kFitDegree + 1>;

struct MinimaxFit {
    FitCoefficients coefficients{};  // ascending powers of the variable itself (not of a local one)
    long double levelledError = 0;   // |E| of the last reference
    long double worstError = 0;      // largest |f - p| on the grid
    int iterations = 0;
};

// Polynomial of degree kFitDegree in u over [a, b] minimising max |f(u) - p(u)| on `gridSize`
// points; a < b required.
[[nodiscard]] MinimaxFit FitMinimax(const std::function<long double(long double)>& f, long double a,
                                    long double b, int gridSize);

}  // namespace r4860::tools
