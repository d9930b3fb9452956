// What a technician needs when a transducer does not hold what we sent or a file is not written
// as it reads: byte differences named by configuration item, and the repairs normalization made.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/config_image.h"
#include "model/config_record.h"
#include "model/image_layout.h"

namespace r4860::model {

// Item keys, each a LangText key; the values are shown as the panel and the dialogs show them.
// An item owns whole bytes or, in the shared bytes 2, 6 and 7, the bits of its field.
inline constexpr std::string_view kSensorItem = "Sensor";
inline constexpr std::string_view kLinearizationItem = "linearization";
inline constexpr std::string_view kCoefficientsItem = "Conversion coefficients";
inline constexpr std::string_view kInputRangeItem = "Input range";
inline constexpr std::string_view kTransferItem = "Transfer function";
inline constexpr std::string_view kFilterItem = "Signal filter";
inline constexpr std::string_view kMainsItem = "Net filter";
inline constexpr std::string_view kBurnoutItem = "Output reaction to sensor burnout";
inline constexpr std::string_view kUnitsItem = "Eng. units";
inline constexpr std::string_view kColdJunctionItem = "CJ temp.";
inline constexpr std::string_view kCorrectionsItem = "User corrections";
inline constexpr std::string_view kIdTagItem = "ID Tag";
inline constexpr std::string_view kDateItem = "Configuration date";
inline constexpr std::string_view kDeviceItem = "Device";
inline constexpr std::string_view kCalDateItem = "Calibration date";
inline constexpr std::string_view kSerialItem = "Serial number";
inline constexpr std::string_view kCodeVersionItem = "Code version";
inline constexpr std::string_view kChecksumsItem = "Checksums";
inline constexpr std::string_view kOtherBytesItem = "Other bytes";

// The encoder stamps today's date here on every write, so a read-back on another day differs.
inline constexpr std::array<std::size_t, 2> kConfigDateOffsets = {layout::kConfigDate,
                                                                  layout::kConfigDate + 1};

struct CompareOptions {
    bool compareDate = false;  // false: the date is information, not a difference
};

// `offsets` less the configuration date unless options.compareDate: a verification right after
// a write must succeed although the write stamped a date the file did not hold.
[[nodiscard]] std::vector<std::size_t> ComparedOffsets(const std::vector<std::size_t>& offsets,
                                                       const CompareOptions& options);

struct ItemDifference {
    std::string item;      // one of the item keys above
    std::string expected;  // display text of the item in `expected`; empty when not readable
    std::string actual;
    std::vector<std::size_t> offsets;  // ascending
    friend bool operator==(const ItemDifference&, const ItemDifference&) = default;
};

// One entry per item touched by `offsets`, in a fixed item order. Both images are decoded to give
// the values as text; when the texts come out equal although the bytes differ (normalization
// hides the difference), both are left empty and the offsets tell.
[[nodiscard]] std::vector<ItemDifference> DescribeDifferences(const ConfigImage& expected,
                                                              const ConfigImage& actual,
                                                              const std::vector<std::size_t>& offsets);

struct Repair {
    std::string field;         // parameter file key
    std::string fileValue;     // as the file gave it
    std::string writtenValue;  // what normalization made of it, and so what a write sends
    std::string why;
    friend bool operator==(const Repair&, const Repair&) = default;
};

// Every field NormalizeConfig changed between `asRead` (a record before normalization) and
// `normalized`, in the order of the parameter file.
[[nodiscard]] std::vector<Repair> ListRepairs(const ConfigRecord& asRead, const ConfigRecord& normalized);

}  // namespace r4860::model
