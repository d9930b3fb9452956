#include "workflow/user_data.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <system_error>

#include "common/lang_table.h"
#include "files/app_paths.h"
#include "files/table_file.h"
#include "model/transfer_function.h"

namespace r4860::workflow {
namespace {

namespace fs = std::filesystem;
using Step = UserDataPlan::Step;

constexpr double kSlack = 0.000001;

Outcome warning(std::string message) {
    Outcome o;
    o.beep = Beep::Exclamation;
    o.message = std::move(message);
    o.icon = MessageIcon::Exclamation;
    return o;
}

std::string noDataText() {
    return LangText("User defined sensor or conversion") + "!\n" + LangText("No data available") + ".\n";
}

Outcome sampleSeries(model::ConfigRecord& rec) {
    std::string message;
    if (!model::SampleSeries(rec, message)) return warning(model::TranslateRuleMessage(message));
    files::SetTableRange(rec);
    rec.TableLoaded = true;
    return Outcome::Success();
}

// The table must be wide enough for its input and cover the range the configuration asks for.
Outcome loadTable(model::ConfigRecord& rec, const UserDataPlan& plan) {
    rec.File = plan.fileName;
    rec.TableInputType = rec.Czujnik.Typ;
    const auto loaded = files::LoadTableFile(plan.table, rec);
    if (!loaded || !loaded->outcome.ok)
        return warning(files::TableFailureText(loaded ? loaded->outcome.message : std::string()));
    const auto& points = rec.Table.points;
    const std::size_t spanRow = std::min<std::size_t>(rec.TableInputType, model::MinSpan.size() - 1);
    if (points.empty() || std::fabs(points.back().B - points.front().B) < model::MinSpan[spanRow])
        return warning(LangText("Input range too small!"));
    files::SetTableRange(rec);
    const auto& p = rec.Parametry;
    if (model::SensorRangeLow(rec, 15) - kSlack > p.MinInput || model::SensorRangeHigh(rec, 15) + kSlack < p.MaxInput)
        return warning(LangText("Corrupted or wrong data file") + "!");
    rec.TableLoaded = true;
    return Outcome::Success();
}

}  // namespace

std::vector<fs::path> TableSearchDirs(const fs::path& parFile, const files::Settings& settings) {
    std::error_code ec;
    std::vector<fs::path> dirs{parFile.has_parent_path() ? parFile.parent_path() : fs::current_path(ec)};
    if (!settings.DataDir.empty()) dirs.emplace_back(settings.DataDir);
    if (settings.ExeDir.empty()) return dirs;
    // The program's folder and, for an installed copy, its shared data folder, each with its tables.
    for (const fs::path& data : files::DataSearchDirsFor(settings.ExeDir)) {
        dirs.push_back(data);
        dirs.push_back(fs::is_directory(data / "Tables", ec) ? data / "Tables" : data / "Tablice");
    }
    return dirs;
}

UserDataPlan PlanUserData(const model::ConfigRecord& rec, bool coefMissing, const std::vector<fs::path>& searchDirs) {
    UserDataPlan plan;
    const model::UserData needs = model::UserDataOf(rec);
    if (coefMissing) {
        plan.step = Step::Impossible;
        return plan;
    }
    if (needs == model::UserData::None || rec.TableLoaded) return plan;
    if (needs == model::UserData::PowerSeries) {
        plan.step = Step::PowerSeries;
        return plan;
    }
    plan.fileName = files::TableFileName(rec.File);
    if (const auto found = files::FindFileIn(searchDirs, plan.fileName)) {
        plan.step = Step::AskTable;
        plan.table = *found;
        plan.prompt = warning(noDataText() + LangText("Read source file") + " " + plan.fileName + "?");
        return plan;
    }
    plan.step = Step::NoTable;
    std::string text = noDataText();
    if (!plan.fileName.empty()) text += "(" + LangText("source file") + ": " + plan.fileName + ")";
    plan.prompt = warning(std::move(text));
    return plan;
}

Outcome LoadUserData(model::ConfigRecord& rec, const UserDataPlan& plan) {
    switch (plan.step) {
    case Step::PowerSeries: return sampleSeries(rec);
    case Step::AskTable: return loadTable(rec, plan);
    case Step::Complete: return Outcome::Success();
    case Step::Impossible:
    case Step::NoTable: break;
    }
    return plan.prompt;
}

bool CoefficientsMissing(const model::ConfigRecord& rec) noexcept {
    const double sum = std::accumulate(rec.LinCoef.begin(), rec.LinCoef.end(), 0.0,
                                       [](double s, double c) { return s + std::fabs(c); });
    return sum == 0.0 && rec.Czujnik.Lin > 2;
}

}  // namespace r4860::workflow
