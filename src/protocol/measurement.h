// Measurement polling: decoding the latest transducer frame into a sample and the status flags.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "protocol/link.h"

namespace r4860::protocol {

struct MeasurementSample {
    double result = 0.0;       // engineering unit, or the register chosen with 'm'
    double outputMa = 0.0;     // 0..25 mA
    std::array<std::uint8_t, 8> bytes{};   // data bytes 1..8 of the frame
};

inline constexpr int kNoSampleTypeIndex = 16;

struct OutputCurrent {
    double milliamps = 0.0;
    bool extendedScale = false;
};
// Bytes 5..6 (high first): 9216..65407 counts on the extended scale (36000 counts per 18 mA
// above 9216), anything else signed on the normal scale (4 mA + 512 counts per mA); 0..25 mA.
[[nodiscard]] OutputCurrent DecodeOutputCurrent(std::uint8_t high, std::uint8_t low) noexcept;

// Decodes data bytes 1..8 into `sample` and every status flag but the two latched ones.
void DecodeMeasurement(std::span<const std::uint8_t, 8> data, MeasurementSample& sample,
                       StatusFlags& status) noexcept;

// The polling thread (the windows' timer). Takes the latest frame when the listener runs and the
// frame has not been taken; otherwise sets TypeIndex to 16 and leaves `sample` as it is. Never blocks.
bool GetSample(Link& link, MeasurementSample& sample);
// Call from a worker thread only (a command sequence, the command-line tool): they block.
// Waits up to 1000 ms for the next frame, then GetSample.
bool WaitNewSample(Link& link, MeasurementSample& sample);
// Waits up to 300 ms for a frame that came at the listener's first receive attempt, then GetSample.
bool WaitFreshSample(Link& link, MeasurementSample& sample);

}  // namespace r4860::protocol
