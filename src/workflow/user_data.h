// Completing the user data a configuration is built on (the points of its table file, or of its
// power series) before it counts as complete and may be written, saved or simulated. One rule
// for the window and the command-line tool, in two steps so a window can ask its question in
// between: PlanUserData says what completing takes, LoadUserData does it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "files/settings.h"
#include "model/config_record.h"
#include "workflow/outcome.h"

namespace r4860::workflow {

// Where a configuration's table file is looked for, in this order: the parameter file's folder
// (the current folder when there is none), the data folder, the program folder and its tables
// folder ("Tables", or "Tablice" when there is no "Tables"), then the same for the shared data
// folder of an installed copy.
[[nodiscard]] std::vector<std::filesystem::path> TableSearchDirs(const std::filesystem::path& parFile,
                                                                 const files::Settings& settings);

struct UserDataPlan {
    enum class Step {
        Complete,     // nothing is missing
        Impossible,   // a conversion without coefficients: nothing completes it, nothing is said
        PowerSeries,  // LoadUserData samples the power series; no question
        NoTable,      // the table file is nowhere: show `prompt` (a beeped warning), still incomplete
        AskTable,     // found at `table`: beep and ask `prompt` (Yes/No); Yes -> LoadUserData
    };
    Step step = Step::Complete;
    std::string fileName;          // the name part of the record's File
    std::filesystem::path table;   // where it was found (AskTable)
    Outcome prompt;                // the warning (NoTable) or the question (AskTable)
};

[[nodiscard]] UserDataPlan PlanUserData(const model::ConfigRecord& rec, bool coefMissing,
                                        const std::vector<std::filesystem::path>& searchDirs);

// Completes `rec` as planned (PowerSeries or AskTable; anything else changes nothing). A table
// must span at least the sensor's minimum span and cover the configured range; then its range
// becomes row 15 (SetTableRange) and TableLoaded is set, and the record's File keeps the name
// part only. Success, or the beeped warning that says why the configuration stays incomplete.
[[nodiscard]] Outcome LoadUserData(model::ConfigRecord& rec, const UserDataPlan& plan);

// A read left a coefficient conversion with all eleven coefficients zero (CoefMissing).
[[nodiscard]] bool CoefficientsMissing(const model::ConfigRecord& rec) noexcept;

}  // namespace r4860::workflow
