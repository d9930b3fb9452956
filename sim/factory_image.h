// The memory a transducer leaves the factory with: a Pt100 (0.00385) in 3-wire connection,
// linearized by its sensor characteristic, 0..100 degC, with valid checksums.
#pragma once

#include <string>

#include "sim/device_memory.h"

namespace r4860::sim {

struct FactorySettings {
    int modelCode = 47;        // stored as 4700 + code
    long serial = 1234;        // 24 bits
    long calDateDays = 46054;  // days since 1899-12-30 (01.02.2026)
    std::string codeVersion = "V2.1";
    std::string idTag = "TT-101";
};

[[nodiscard]] DeviceMemory FactoryImage(const FactorySettings& settings);

// The three checksums as the firmware checks them.
[[nodiscard]] std::uint8_t ChecksumA(const DeviceMemory& mem) noexcept;
[[nodiscard]] std::uint8_t ChecksumB(const DeviceMemory& mem) noexcept;
[[nodiscard]] std::uint8_t ChecksumC(const DeviceMemory& mem) noexcept;
// Whether bytes 126, 127 and 252 hold what the three sums give.
[[nodiscard]] bool ChecksumsValid(const DeviceMemory& mem) noexcept;

// Resistance of a Pt100 (alpha 0.00385) at t degC, the usual two-branch resistance equation.
[[nodiscard]] double Pt100Resistance(double t) noexcept;

}  // namespace r4860::sim
