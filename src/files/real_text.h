// Numbers as the tool's files write them: locale-independent, point separator, upper-case E
// without a plus sign. Reading goes through TextToNum, which also takes a comma.
#pragma once

#include <string>

namespace r4860::files {

// The shortest form with at most `digits` significant digits (1..17): fixed notation when the
// rounded value's decimal exponent lies in [-5, digits), else d.dddEn ("1E-6", "2.5E20").
// Non-finite values, which no file field can hold, are written as 0.
[[nodiscard]] std::string GeneralText(double value, int digits);

// A real of a parameter file: GeneralText with 15 digits, so reading it back gives a value equal
// to the written one in its first 15 significant digits.
[[nodiscard]] inline std::string RealText(double value) { return GeneralText(value, 15); }

}  // namespace r4860::files
