// The table a read works through: five (first, last) pairs of device addresses, both inclusive;
// an entry whose last address is 0 is empty. Filled from the ranges the image layout names.
#pragma once

#include <array>
#include <cstddef>

#include "model/image_layout.h"

namespace r4860::protocol {

using AddressRange = model::layout::ImageRange;
using ReadRanges = std::array<AddressRange, 5>;

[[nodiscard]] constexpr bool IsEmpty(const AddressRange& range) noexcept { return range.last == 0; }

template <std::size_t N>
[[nodiscard]] constexpr ReadRanges MakeReadRanges(const std::array<AddressRange, N>& ranges) noexcept {
    static_assert(N <= std::tuple_size_v<ReadRanges>, "a read takes at most five ranges");
    ReadRanges table{};
    for (std::size_t i = 0; i < N; ++i) table[i] = ranges[i];
    return table;
}

// The sum of the lengths of the non-empty entries: the progress total of a read.
[[nodiscard]] constexpr int ReadRangesTotal(const ReadRanges& ranges) noexcept {
    int total = 0;
    for (const auto& r : ranges)
        if (!IsEmpty(r)) total += static_cast<int>(r.size());
    return total;
}

inline constexpr ReadRanges kDisplayReadRanges = MakeReadRanges(model::layout::kReadRanges);
inline constexpr ReadRanges kVerifyReadRanges = MakeReadRanges(model::layout::kVerifyRanges);
static_assert(ReadRangesTotal(kDisplayReadRanges) == 100, "the read moves 100 bytes");
static_assert(ReadRangesTotal(kVerifyReadRanges) == 132, "the verification moves 132 bytes");

}  // namespace r4860::protocol
