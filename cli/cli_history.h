// `r4860-cli history ...`: the programming history listed, shown, compared, exported, imported,
// and a transducer restored to what it held before a write.
#pragma once

#include "cli_options.h"
#include "cli_run.h"
#include "files/settings.h"

namespace r4860::cli {

// Everything but restore: no transducer needed, and the database is only read (import adds).
int RunHistoryCommand(const Options& options, const files::Settings& settings);
// `history restore ID` against the connected transducer.
int HistoryRestore(const Options& options, Run& run);

}  // namespace r4860::cli
