// The parameter file (.par): one configuration as 44 human-readable lines of name=value pairs
// under Polish section labels, written in one go and read back by key, not by position.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/result.h"
#include "files/settings.h"
#include "model/config_record.h"

namespace r4860::files {

inline constexpr std::size_t kParFileLines = 44;

// The 44 lines `rec` is written as (no line ends).
[[nodiscard]] std::vector<std::string> ParFileLines(const model::ConfigRecord& rec);

// Writes `rec` to `parFileName` atomically. On success DataDir becomes the file's folder
// (emptied when longer than 60 characters). Io when the file cannot be written.
[[nodiscard]] Status WriteParFile(const model::ConfigRecord& rec, const std::filesystem::path& parFileName,
                                  Settings& settings);

// Takes the lines of a loaded parameter file into `rec`. Fields are stored as they are read,
// so a failure part-way leaves the earlier ones changed; NormalizeConfig runs in every case.
// Corrupt names the first required key that is missing or does not convert. `asRead`, when given,
// receives the record as the file had it, before normalization (model::ListRepairs tells the two apart).
[[nodiscard]] Status ReadParLines(const std::vector<std::string>& lines, model::ConfigRecord& rec,
                                  model::ConfigRecord* asRead = nullptr);

// Loads `parFileName` and reads it as above; DataDir follows the file's folder before any value
// is taken. A file that cannot be read at all gives Io and leaves `rec` untouched.
[[nodiscard]] Status ReadParFile(model::ConfigRecord& rec, const std::filesystem::path& parFileName,
                                 Settings& settings, model::ConfigRecord* asRead = nullptr);

}  // namespace r4860::files
