// A user table or a sampled power series: points (A = result, B = signal), A monotonic in the index.
#pragma once

#include <cstddef>
#include <vector>

namespace r4860::model {

struct TablePoint {
    double A;  // result: engineering value or temperature
    double B;  // signal
    friend bool operator==(const TablePoint&, const TablePoint&) = default;
};

struct PointTable {
    std::vector<TablePoint> points;

    [[nodiscard]] std::size_t count() const noexcept { return points.size(); }
    void clear() noexcept { points.clear(); }
    friend bool operator==(const PointTable&, const PointTable&) = default;
};

}  // namespace r4860::model
