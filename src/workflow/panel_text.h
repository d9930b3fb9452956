// The texts the configuration panel shows for a record, translated: the sensor group's caption
// and description, the burnout row and the range limits. The window only puts them in place.
#pragma once

#include <string>

#include "model/config_record.h"

namespace r4860::workflow {

// The panel's thermocouple class: the user sensor 15 counts with the thermocouples here.
[[nodiscard]] constexpr bool IsPanelThermocouple(int typ) noexcept { return typ >= 6 && typ <= 15; }

// " Input " or " Sensor type ".
[[nodiscard]] std::string SensorGroupCaption(const model::ConfigRecord& rec);
// "Thermocouple K, CJC, linearization", "Pt100 (0.00385), 3-wire", "Voltage, result converted".
[[nodiscard]] std::string SenTypeText(const model::ConfigRecord& rec);

// ReakcjaField: whether the burnout choice shows, and the label beside it.
struct ReakcjaText {
    bool burnoutVisible = true;
    std::string label;
};
[[nodiscard]] ReakcjaText ReakcjaField(const model::ConfigRecord& rec);

// The sensor's limits beside the range edits ("-100.0 .." and ".. 850.0"); empty while the
// user data are missing.
struct RangeLimits {
    std::string low, high;
};
[[nodiscard]] RangeLimits RangeLimitTexts(const model::ConfigRecord& rec, bool noTab);

// The unit label, the filter fields and the corrections as the panel shows them.
[[nodiscard]] std::string TenthsText(int tenths);               // Str(x * 0.1:3:1)
[[nodiscard]] std::string CorrectionText(double percent);       // Str(x:5:2) + "%"

}  // namespace r4860::workflow
