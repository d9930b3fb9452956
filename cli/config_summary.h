// A readable account of a configuration for the terminal.
#pragma once

#include <string>

#include "model/config_record.h"

namespace r4860::cli {

[[nodiscard]] std::string SensorText(const model::ConfigRecord& rec);
[[nodiscard]] std::string ConfigSummary(const model::ConfigRecord& rec);

}  // namespace r4860::cli
