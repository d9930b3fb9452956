// A user table turned into the sensor characteristic the transducer evaluates for its built-in
// sensors: three sixth-degree segments in the normalized signal, with the two boundaries placed
// where the fit needs them. Without it the transducer would read the signal itself (0 .. 1).
#pragma once

#include <string_view>

#include "common/result.h"
#include "model/config_record.h"
#include "model/point_table.h"

namespace r4860::model {

// The largest error a fitted table may have, as a share of its result span.
inline constexpr double kTableFitTolerance = 0.001;

// Message key of a table the characteristic cannot follow closely enough.
inline constexpr std::string_view kTableNotFollowedKey =
    "The transducer cannot follow this table within 0.1 % of its span";

struct TableFit {
    SensorLinSetArray set{};  // every value exactly as the device's float format holds it
    double worstError = 0.0;  // largest |set - table| over the table's signals, result units
    double span = 0.0;        // |A_n - A_1|
    // Whether the transducer may be given this set: the worst error is within the tolerance.
    [[nodiscard]] bool follows() const noexcept { return worstError <= kTableFitTolerance * span; }
};

// The table's result at `signal`, interpolated linearly between its points and held at the end
// values beyond them (the characteristic clamps its normalized signal the same way). NaN for a
// table of fewer than two points.
[[nodiscard]] double TableResult(const PointTable& table, double signal);

// Fits the table (signals B rising) into a 28-value set and checks it at every table point and
// on a dense grid between them (TableFit::follows tells whether it may be sent). BadArgument for
// fewer than two points or a signal span of zero. The result of the last table fitted is kept,
// so encoding the same table again is free.
[[nodiscard]] Result<TableFit> FitTableSet(const PointTable& table);

}  // namespace r4860::model
