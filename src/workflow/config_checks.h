// What must hold before a configuration from a file may be written: its user table found and
// loaded, a power series that samples monotonically, codes and values the encoder accepts.
#pragma once

#include <filesystem>

#include "common/result.h"
#include "files/settings.h"
#include "model/config_record.h"

namespace r4860::workflow {

// A user table the parameter file names: beside the file first, then in the settings' DataDir.
// Nothing to do unless the configuration needs a table. Refused (BadArgument, a message for the
// operator) when it names none, cannot be found, opened or used.
[[nodiscard]] Status LoadNamedTable(model::ConfigRecord& rec, const std::filesystem::path& parFile,
                                    const files::Settings& settings);

// What the windows check before they let a configuration be written. Refused (Refused, the
// translated rule message with "!") when the encoder or the transfer function would refuse it.
[[nodiscard]] Status CheckWritable(model::ConfigRecord& rec, long today);

}  // namespace r4860::workflow
