// `r4860-cli set`: the sensor, connection, conversion and range of a parameter file, chosen as
// the selection windows choose them and refused where they refuse; the same options before a
// `write`. `r4860-cli table`: a table file from Callendar-Van Dusen coefficients.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/result.h"
#include "files/settings.h"
#include "model/config_record.h"

namespace r4860::cli {

struct Interval {
    double low = 0.0, high = 0.0;
};

// The options, as given; nothing is checked against a configuration yet.
struct SensorSettings {
    std::optional<std::string> model;                     // --model R4747
    std::optional<std::string> sensor;                    // --sensor pt100 | tc-k | ma | ...
    std::optional<int> wires;                             // --wires 2|3|4
    std::optional<bool> doubleInput;                      // --input single|double
    std::optional<bool> linearize;                        // --linearize | --no-linearize
    std::optional<double> coldJunction;                   // --cj T: no compensation, the junction at T degC
    bool cjc = false;                                     // --cjc: internal compensation
    bool difference = false;                              // --difference: two thermocouples in opposition
    std::optional<std::pair<Interval, Interval>> linear;  // --linear IN1:IN2=OUT1:OUT2
    std::optional<std::vector<double>> series;            // --series c0,c1,...,c8
    std::optional<Interval> seriesInput;                  // --series-input LO:HI
    std::optional<std::string> table;                     // --table FILE.dat
    bool noConversion = false;                            // --no-conversion
    std::optional<std::string> unit;                      // --unit %
    std::optional<Interval> range;                        // --range LO:HI: the values at 4 and 20 mA
    [[nodiscard]] bool empty() const;
};

// Whether `option` is one of the settings; `takesValue` tells whether the next word is its value.
[[nodiscard]] bool IsSensorSetting(std::string_view option, bool& takesValue);
// Adds one option (and its value) to `s`. BadArgument with the reason when it does not parse.
[[nodiscard]] Status AddSensorSetting(SensorSettings& s, std::string_view option, std::string_view value);

// Applies the settings to `rec` through the selection, conversion and table rules, as OK in the
// windows would, then checks that the result can be written. BadArgument (exit code 2) with the
// windows' message when a rule refuses; `rec` is then as it was. `parFile` is where relative
// table names are looked for.
[[nodiscard]] Status ApplySensorSettings(const SensorSettings& s, model::ConfigRecord& rec,
                                         files::Settings& settings, long today);

// `set FILE.par [OPTIONS]` and `table --cvd ...`: the exit code, or nothing when `args` is
// neither command (the caller then parses them as a transducer command).
[[nodiscard]] std::optional<int> RunOfflineCommand(const std::vector<std::string>& args);

[[nodiscard]] std::string SetUsageText();

}  // namespace r4860::cli
