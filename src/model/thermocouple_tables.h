// ITS-90 thermocouple reference functions in microvolts, ascending coefficients, one array per
// temperature segment in the order the segments follow each other; the sizes are the degrees + 1.
#pragma once

#include <array>

namespace r4860::model::its90 {

extern const std::array<long double, 7> kB0;    // B, t <= 630.615
extern const std::array<long double, 9> kB1;    // B, above
extern const std::array<long double, 14> kE0;   // E, t < 0
extern const std::array<long double, 11> kE1;
extern const std::array<long double, 9> kJ0;    // J, t < 760
extern const std::array<long double, 6> kJ1;
extern const std::array<long double, 11> kK0;   // K, t < 0
extern const std::array<long double, 10> kK1;
extern const std::array<long double, 3> kKExp;  // K, t >= 0: a0 (uV), a1 (degC^-2), a2 (degC)
extern const std::array<long double, 9> kN0;    // N, t < 0
extern const std::array<long double, 11> kN1;
extern const std::array<long double, 10> kR0;   // R, t < 1064.18
extern const std::array<long double, 6> kR1;    // R, t < 1664.5
extern const std::array<long double, 5> kR2;
extern const std::array<long double, 9> kS0;    // S, t < 1064.18
extern const std::array<long double, 5> kS1;    // S, t < 1664.5
extern const std::array<long double, 5> kS2;
extern const std::array<long double, 15> kT0;   // T, t < 0
extern const std::array<long double, 9> kT1;

}  // namespace r4860::model::its90
