// The address ranges a read moves: five (first, last) pairs of device addresses, both inclusive;
// an entry whose last address is 0 is empty.
#pragma once

#include <array>
#include <cstdint>

namespace r4860::protocol {

struct AddressRange {
    std::uint16_t first = 0;
    std::uint16_t last = 0;
    [[nodiscard]] constexpr bool empty() const noexcept { return last == 0; }
    friend constexpr bool operator==(const AddressRange&, const AddressRange&) = default;
};

using ReadRanges = std::array<AddressRange, 5>;

// What the read command shows: header, conversion area A with the ID tag, the corrections.
inline constexpr ReadRanges kDisplayReadRanges = {{{0x0000, 0x0023}, {0x0040, 0x007B}, {0x00F8, 0x00FB}}};
// What a verification reads back after a write: the written areas less the ID tag block.
inline constexpr ReadRanges kVerifyReadRanges = {{{0x0000, 0x001B}, {0x0040, 0x006B}, {0x00C0, 0x00FB}}};

// The sum of the lengths of the non-empty entries: the progress total of a read.
[[nodiscard]] constexpr int ReadRangesTotal(const ReadRanges& ranges) noexcept {
    int total = 0;
    for (const auto& r : ranges)
        if (!r.empty()) total += r.last - r.first + 1;
    return total;
}
static_assert(ReadRangesTotal(kDisplayReadRanges) == 100, "the read moves 100 bytes");
static_assert(ReadRangesTotal(kVerifyReadRanges) == 132, "the verification moves 132 bytes");

}  // namespace r4860::protocol
