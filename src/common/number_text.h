// Operator-typed text to numbers and numbers to text, with the point as the only separator the
// tool writes, whatever locale the toolkit or the user has set.
#pragma once

#include <string>
#include <string_view>

namespace r4860 {

// Accepts a point or a comma as the decimal separator (only the first point, or failing that the
// first comma, is taken as one). Returns false and leaves `out` alone when the text is not a
// finite number.
[[nodiscard]] bool TextToNum(std::string_view text, double& out);

// A measured value written with the decimals the configured range calls for, right-aligned in 7.
[[nodiscard]] std::string RangeNumTxt(double value, double minInput, double maxInput);

// Seven significant figures: hides the representation noise of values decoded from the device.
[[nodiscard]] double RoundSig(double value);

// Truncation toward zero that forgives representation error (2.9999999 stays 3).
// Values beyond the int range saturate; NaN gives 0.
[[nodiscard]] int TruncGuard(double value);
[[nodiscard]] double TruncTenth(double value);
// TruncTenth as text in a field of 3: whole numbers without decimals, others with one.
[[nodiscard]] std::string TenthTxt(double value);

// Round half to even (the rounding every integer conversion of the tool uses), saturating.
[[nodiscard]] long long RoundEven(double value);

// Locale-independent fixed-point text, right-aligned in `width`.
[[nodiscard]] std::string FixedText(double value, int decimals, int width = 0);
// Shortest text that reads back to the same double, point separator.
[[nodiscard]] std::string ShortestText(double value);

}  // namespace r4860
