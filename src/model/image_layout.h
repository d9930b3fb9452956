// Where things live in the transducer's configuration memory, and which address ranges each
// transfer moves. Offsets are device addresses; the image mirrors them byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace r4860::model::layout {

inline constexpr std::size_t kMemorySize = 2048;    // device addresses 0x0000..0x07FF
inline constexpr std::size_t kImageSize = 2052;     // plus the 4-byte block read from 0x8000
inline constexpr std::size_t kSnapshotSize = 256;   // what a verification compares

// Header (checksum A covers 0..27).
inline constexpr std::size_t kSignatureU = 0;       // 'U'
inline constexpr std::size_t kSignature1 = 1;       // '1'
inline constexpr std::size_t kFlagsAndMode = 2;     // burnout, mains, mode nibble
inline constexpr std::size_t kFilterTime = 3;       // 0.16 s per step
inline constexpr std::size_t kFilterRange = 4;      // 0.1 % per step
inline constexpr std::size_t kFilterLimit = 5;      // %
inline constexpr std::size_t kGainAndUnit = 6;      // bits 4-5 nominal resistance, 0-3 unit
inline constexpr std::size_t kLinAndType = 7;       // bits 5-7 conversion, 0-4 sensor
inline constexpr std::size_t kConfigDate = 8;       // u16 days since 1899-12-30
inline constexpr std::size_t kRoomT = 10;           // u16, 1/512 degC, offset -20 degC
inline constexpr std::size_t kSignalMin = 12;       // float
inline constexpr std::size_t kSignalStep = 16;      // float, (max - min) / 100
inline constexpr std::size_t kMinInput = 20;        // float
inline constexpr std::size_t kInputSpan = 24;       // float
inline constexpr std::size_t kHeaderEnd = 28;       // one past the checksummed header

// Set at the factory; the encoder never writes them.
inline constexpr std::size_t kModelNumber = 28;     // u16, 4700 + model code
inline constexpr std::size_t kCalDate = 30;         // u16 days since 1899-12-30
inline constexpr std::size_t kSerial = 32;          // u24

// Conversion areas: eleven floats in A, fourteen in B.
inline constexpr std::size_t kAreaA = 64;
inline constexpr std::size_t kAreaAFloats = 11;
inline constexpr std::size_t kAreaB = 192;
inline constexpr std::size_t kAreaBFloats = 14;

inline constexpr std::size_t kIdTag = 108;          // 15 bytes, 255 after the last character
inline constexpr std::size_t kIdTagLength = 15;
inline constexpr std::size_t kAfterIdTag = 123;     // written back as last read, never set
inline constexpr std::uint8_t kAfterIdTagFactory = 0xFF;   // an erased cell, as a new transducer holds it

inline constexpr std::size_t kChecksumA = 126;      // 255 - sum(0..27)
inline constexpr std::size_t kChecksumB = 127;      // 255 - sum(64..107, 192..247)
inline constexpr std::size_t kZeroReg = 248;        // i16, 0.01 % per step
inline constexpr std::size_t kGainReg = 250;        // i16
inline constexpr std::size_t kChecksumC = 252;      // sum(248..251), not inverted

inline constexpr std::size_t kCodeVersion = 2048;   // four characters from address 0x8000
inline constexpr std::size_t kCodeVersionLength = 4;

// Byte 2.
inline constexpr std::uint8_t kBurnoutHighBit = 0x80;
inline constexpr std::uint8_t kMains50Bit = 0x40;
inline constexpr std::uint8_t kBurnoutLockBit = 0x10;
inline constexpr std::uint8_t kModeNibbleMask = 0x0F;

// An inclusive range of device addresses.
struct ImageRange {
    std::uint16_t first;
    std::uint16_t last;
    [[nodiscard]] constexpr std::size_t size() const noexcept {
        return static_cast<std::size_t>(last) - first + 1;
    }
    friend constexpr bool operator==(const ImageRange&, const ImageRange&) = default;
};

// What the read command shows: the header with the factory fields, area A with the ID tag,
// the corrections. The code version is fetched after these.
inline constexpr std::array<ImageRange, 3> kReadRanges = {{{0, 35}, {64, 123}, {248, 251}}};
// A full write sends these in 4-byte blocks, then checksum C, then checksums B and A.
inline constexpr std::array<ImageRange, 3> kFullWriteRanges = {{{0, 27}, {64, 123}, {192, 251}}};
inline constexpr ImageRange kIdTagWriteRange = {108, 123};
// A verification reads back what a full write sent, less the ID tag block.
inline constexpr std::array<ImageRange, 3> kVerifyRanges = {{{0, 27}, {64, 107}, {192, 251}}};

template <std::size_t N>
[[nodiscard]] constexpr std::size_t TotalBytes(const std::array<ImageRange, N>& ranges) noexcept {
    std::size_t total = 0;
    for (const auto& r : ranges) total += r.size();
    return total;
}
static_assert(TotalBytes(kReadRanges) == 100, "a read moves 100 bytes");
static_assert(TotalBytes(kFullWriteRanges) == 148, "a full write sends 37 blocks of 4");
static_assert(TotalBytes(kVerifyRanges) == 132, "a verification reads 132 bytes");
static_assert(kIdTagWriteRange.size() == 16, "the ID tag goes in four blocks of 4");
static_assert(kIdTag + kIdTagLength == kAfterIdTag, "the ID tag ends where byte 123 begins");
static_assert(kAreaA + 4 * kAreaAFloats == kIdTag, "area A ends where the ID tag begins");
static_assert(kAreaB + 4 * kAreaBFloats == kZeroReg, "area B ends where the corrections begin");

}  // namespace r4860::model::layout
