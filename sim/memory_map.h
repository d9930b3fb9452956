// Named offsets of the configuration memory as the emulated firmware uses them. Kept apart from
// the host's model/image_layout.h on purpose: the emulator stands for the transducer, so a mistake
// in the host's layout must show up as a difference against it, not be copied into it.
#pragma once

#include <cstddef>

namespace r4860::sim::map {

inline constexpr std::size_t kMarkU = 0;           // 'U'
inline constexpr std::size_t kMark1 = 1;           // '1'
inline constexpr std::size_t kFlags = 2;           // burnout bits 7 and 4, mains bit 6, mode nibble
inline constexpr std::size_t kFilterTime = 3;
inline constexpr std::size_t kFilterRange = 4;
inline constexpr std::size_t kFilterLimit = 5;
inline constexpr std::size_t kGainUnit = 6;        // bits 4-5 nominal resistance, 0-3 unit
inline constexpr std::size_t kLinType = 7;         // bits 5-7 conversion code, 0-4 sensor code
inline constexpr std::size_t kConfigDate = 8;      // u16 days since 1899-12-30
inline constexpr std::size_t kRoomT = 10;          // u16, 1/512 degC, offset -20 degC
inline constexpr std::size_t kSignalMin = 12;      // float
inline constexpr std::size_t kSignalStep = 16;     // float, span / 100
inline constexpr std::size_t kMinInput = 20;       // float
inline constexpr std::size_t kInputSpan = 24;      // float
inline constexpr std::size_t kModelNumber = 28;    // u16, 4700 + model code
inline constexpr std::size_t kCalDate = 30;        // u16
inline constexpr std::size_t kSerial = 32;         // u24
inline constexpr std::size_t kOscillator = 0x27;   // low nibble: oscillator adjustment, signed
inline constexpr std::size_t kAreaA = 64;          // 11 floats: polynomial d0..d8, limits
inline constexpr std::size_t kIdTag = 108;         // 15 bytes, 255 after the last character
inline constexpr std::size_t kIdTagLength = 15;
inline constexpr std::size_t kChecksumA = 126;     // 255 - sum(0..27)
inline constexpr std::size_t kChecksumB = 127;     // 255 - sum(64..107, 192..247)
inline constexpr std::size_t kAreaB = 192;         // 14 floats
inline constexpr std::size_t kZeroCorr = 248;      // i16, 0.01 % per step
inline constexpr std::size_t kGainCorr = 250;      // i16
inline constexpr std::size_t kChecksumC = 252;     // sum(248..251), not inverted

// The linearization set (conversion code 2) spread over both areas.
inline constexpr std::size_t kSetLow = 64;         // s0
inline constexpr std::size_t kSetSpan = 68;        // s1 - s0
inline constexpr std::size_t kSetBound1 = 72;      // s3
inline constexpr std::size_t kSetBound2 = 76;      // s4
inline constexpr std::size_t kSetSegment1 = 80;    // s7..s13
inline constexpr std::size_t kSetSegment2 = 192;   // s14..s20
inline constexpr std::size_t kSetSegment3 = 220;   // s21..s27
inline constexpr int kSegmentTerms = 7;

// Conversion codes as the three bits of byte 7 hold them (8 is stored as 7).
inline constexpr int kLinLinear = 1;
inline constexpr int kLinSensorSet = 2;
inline constexpr int kLinConversion = 4;
inline constexpr int kLinSeries = 7;

}  // namespace r4860::sim::map
