// `r4860-cli table --cvd R0[,A,B[,C]] --range LO:HI [--step S]`: a resistance table on stdout.
#pragma once

#include <string>
#include <vector>

namespace r4860::cli {

// The words after "table"; the exit code (2 for what cannot be made into a table).
[[nodiscard]] int RunTableCommand(const std::vector<std::string>& args);

}  // namespace r4860::cli
