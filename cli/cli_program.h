// `r4860-cli program FILE.par --series`: each transducer connected next identified, written,
// verified and recorded, one line per transducer.
#pragma once

#include <vector>

#include "cli_options.h"
#include "cli_run.h"
#include "model/config_compare.h"
#include "model/config_record.h"

namespace r4860::cli {

int ProgramSeries(const Options& options, Run& run, model::ConfigRecord& fromFile,
                  const std::vector<model::Repair>& repairs);

}  // namespace r4860::cli
