// The command line of r4860-sim.
#pragma once

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
    bool checkSums = false;
    bool noLink = false;
    bool verbose = false;
    bool help = false;
};

// Everything after the program name; the default link is filled in by the caller.
[[nodiscard]] Result<SimOptions> ParseSimOptions(const std::vector<std::string>& args);
[[nodiscard]] std::string SimUsage();

}  // namespace r4860::sim
