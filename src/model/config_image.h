// The byte-for-byte copy of the transducer's configuration memory and the two conversions
// between it and the configuration record. Layout and transfer ranges: model/image_layout.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "model/config_record.h"
#include "model/image_layout.h"

namespace r4860::model {

// Bytes 0..2047 mirror device addresses 0x0000..0x07FF; 2048..2051 hold the code version block.
using ConfigImage = std::array<std::uint8_t, layout::kImageSize>;

// Message keys of a refused encode (besides NotMonotonicMessage() of the transfer function).
inline constexpr std::string_view kNoParametersKey = "No parameters";
inline constexpr std::string_view kOutOfRangeKey = "Out of range!";

struct EncodeOptions {
    long today = 0;              // configuration date as days since 1899-12-30 (TodaySource)
    int selectedModelCode = 0;   // the model selection's code, used when Device names no model
};

// Fills the record from the image, then AdjustRtdRange and NormalizeConfig. Never fails: the
// bytes are trusted and whatever is out of range is repaired. Empties ogolne and File; keeps
// LinCoef and live row 15 unless the image holds a linear or power-series conversion.
void DecodeImage(const ConfigImage& image, ConfigRecord& rec);

// Computes the transfer function and writes the record into the image with its checksums;
// stores the derived values and today's date text (`data`) in the record. Refused (Errc::Refused,
// the message a translatable key) when a code is not valid for the sensor, a value does not fit
// its field, or a value that goes to the device cannot be computed or encoded; image and record
// are then exactly as they were.
[[nodiscard]] Status EncodeImage(ConfigRecord& rec, ConfigImage& image, const EncodeOptions& options);

// Writes only the ID tag bytes 108..122 from `kod`: Windows-1250, at most 15 characters, 255 after.
void EncodeIdTag(const ConfigRecord& rec, ConfigImage& image);

// Whether the codes of the record are a combination the device accepts for its sensor, and every
// value fits the field it goes to. EncodeImage checks this first.
[[nodiscard]] Status CheckEncodable(const ConfigRecord& rec, long today);

// DeviceFloat at an offset; Put refuses what the format cannot hold and then writes nothing.
[[nodiscard]] Status PutDeviceFloat(ConfigImage& image, std::size_t offset, double value);
[[nodiscard]] double GetDeviceFloat(const ConfigImage& image, std::size_t offset);

[[nodiscard]] std::uint8_t ChecksumA(const ConfigImage& image) noexcept;
[[nodiscard]] std::uint8_t ChecksumB(const ConfigImage& image) noexcept;
[[nodiscard]] std::uint8_t ChecksumC(const ConfigImage& image) noexcept;

// Mode nibble of byte 2 by model family; the decoder's rule reads model 20 like models 37-39.
[[nodiscard]] std::uint8_t EncodeModeNibble(int modelCode, int tryb, int typ) noexcept;
[[nodiscard]] std::uint8_t DecodeModeNibble(int modelCode, std::uint8_t nibble) noexcept;

// Verification: the first 256 bytes are saved before the read-back and compared after it.
using ImageSnapshot = std::array<std::uint8_t, layout::kSnapshotSize>;
[[nodiscard]] ImageSnapshot TakeSnapshot(const ConfigImage& image) noexcept;
// Offsets 0..255 whose bytes differ, skipping those whose value modulo 128 is 125, 126 or 127
// (the device keeps its own checksum bytes there). Empty means the verification succeeded.
[[nodiscard]] std::vector<std::size_t> VerifyDifferences(const ImageSnapshot& saved, const ConfigImage& after);
// Puts the saved bytes back after a failed verification, so the image holds what was written.
void RestoreSnapshot(ConfigImage& image, const ImageSnapshot& saved) noexcept;

}  // namespace r4860::model
