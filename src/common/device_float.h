// The transducer's 4-byte floating-point format: exponent byte first (bias 127), then a 24-bit
// mantissa with an implied leading 1 whose top bit carries the sign; four zero bytes are 0.0.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "common/result.h"

namespace r4860 {

using DeviceFloatBytes = std::array<std::uint8_t, 4>;

// Every byte pattern decodes to a finite double (the format has no infinities or NaN).
[[nodiscard]] double DecodeDeviceFloat(std::span<const std::uint8_t, 4> bytes) noexcept;

// The mantissa is truncated, not rounded (0.1 gives 7B 4C CC CC), exactly as the device expects.
// NaN, infinities and values too large for the exponent byte are refused rather than wrapped;
// magnitudes below 2^-127 become 0.
[[nodiscard]] Result<DeviceFloatBytes> EncodeDeviceFloat(double value);

// The nearest value the format holds exactly (24 significant bits), so that sending it loses
// nothing: what a fit verifies is then what the device evaluates. NaN for what cannot be sent.
[[nodiscard]] double NearestDeviceFloat(double value);

}  // namespace r4860
