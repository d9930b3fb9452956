// What must hold before a configuration from a file may be written: codes and values the encoder
// accepts and a transfer function it can compute. Its user data are completed before
// (workflow/user_data.h).
#pragma once

#include "common/result.h"
#include "model/config_record.h"

namespace r4860::workflow {

// What the windows check before they let a configuration be written. Refused (Refused, the
// translated rule message with "!") when the encoder or the transfer function would refuse it.
[[nodiscard]] Status CheckWritable(model::ConfigRecord& rec, long today);

}  // namespace r4860::workflow
