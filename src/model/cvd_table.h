// Tables for an individually calibrated platinum resistance thermometer given by its
// Callendar-Van Dusen coefficients, so the transducer follows that very sensor through a
// resistance input with a table conversion.
#pragma once

#include <string>
#include <vector>

#include "common/result.h"
#include "model/point_table.h"

namespace r4860::model {

// R(t) = R0 (1 + A t + B t^2 + C (t - 100) t^3), the C term below 0 degC only.
struct CvdCoefficients {
    double R0 = 100.0;
    double A = 3.9083e-3;
    double B = -5.775e-7;
    double C = -4.183e-12;
    friend bool operator==(const CvdCoefficients&, const CvdCoefficients&) = default;
};
// The standard platinum sensor's values (IEC 60751); a certificate gives the sensor's own.
inline constexpr CvdCoefficients kIec60751Coefficients{};

// Where the equation holds and what a resistance input takes.
inline constexpr double kCvdLowest = -200.0, kCvdHighest = 850.0, kResistanceInputMax = 2500.0;

[[nodiscard]] double CvdResistance(const CvdCoefficients& c, double t);

// Points (t, R(t)) from `low` to `high` degC every `step` degC (the last step may be shorter).
// Refused (BadArgument, a message for the operator) when the range is empty or outside
// -200 .. 850 degC, the step is not positive or gives more than 2990 points, a resistance falls
// outside 0 .. 2500 Ohm, or the resistance does not rise strictly over the range.
[[nodiscard]] Result<PointTable> CvdTable(const CvdCoefficients& c, double low, double high,
                                          double step = 1.0);

// The table as the lines of a table file: comments naming the coefficients, then "t R" rows
// (t with two decimals, R with four: a tenth of a millikelvin on a 100-ohm sensor).
[[nodiscard]] std::vector<std::string> CvdTableLines(const CvdCoefficients& c, const PointTable& table);

}  // namespace r4860::model
