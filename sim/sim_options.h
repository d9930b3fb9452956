// The command line of r4860-sim.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "sim/factory_image.h"
#include "sim/sim_loop.h"

namespace r4860::sim {

struct SimOptions {
    LoopSettings loop;
    FactorySettings factory;
    std::optional<double> signal;
    bool checkSums = true;
    bool noLink = false;
    bool daemon = false;
    bool verbose = false;
    bool help = false;
};

// `r4860-sim ctl [--control PATH] LINE...`: the words of LINE joined by blanks into one line.
struct CtlOptions {
    std::optional<std::filesystem::path> control;
    std::string line;
};

// Everything after the program name; the default link is filled in by the caller.
[[nodiscard]] Result<SimOptions> ParseSimOptions(const std::vector<std::string>& args);
// Everything after "ctl".
[[nodiscard]] Result<CtlOptions> ParseCtlOptions(const std::vector<std::string>& args);
[[nodiscard]] std::string SimUsage();

// The control socket beside a link when none is named: ports/COM99 gets ports/COM99.ctl.
[[nodiscard]] std::filesystem::path DefaultControlPath(const std::filesystem::path& link);

}  // namespace r4860::sim
