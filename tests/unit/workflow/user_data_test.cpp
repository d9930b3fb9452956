#include "workflow/user_data.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/lang_table.h"
#include "support/temp_dir.h"

namespace r4860::workflow {
namespace {

namespace fs = std::filesystem;
using Step = UserDataPlan::Step;

// A user sensor (mV table) ranged 0..150 degC, its table named as a Windows tool saved it.
model::ConfigRecord userSensor(double maxInput = 150.0) {
    model::ConfigRecord r;
    r.Czujnik = {15, 6, 0, 1};
    r.Parametry.MaxInput = maxInput;
    r.File = "C:\\Tablice\\pt.dat";
    return r;
}

constexpr const char* kGood = "; degC mV\n0 0\n100 4.1\n200 8.1\n";

TEST(UserData, TheTableIsLookedForInTurnAndTakenOnlyWhenItIsWideEnoughAndCoversTheRange) {
    UseEnglishTable();
    testing::TempDir dir;
    for (const char* sub : {"par", "data", "exe/Tables"}) fs::create_directories(dir / sub);
    files::Settings settings;
    settings.DataDir = (dir / "data").string(), settings.ExeDir = (dir / "exe").string();
    const auto dirs = TableSearchDirs(dir / "par" / "a.par", settings);
    const std::string noData = "User defined sensor or conversion!\nNo data available.\n";
    // Each row leaves its file for the next: a later folder's file is found until an earlier one has one.
    const struct {
        const char* why;
        const char* where;
        const char* text;
        double maxInput;
        Step step;
        std::string warning;   // empty: the table is taken
    } cases[] = {
        {"nowhere: said with the file's name", nullptr, nullptr, 150, Step::NoTable, noData + "(source file: pt.dat)"},
        {"the tables folder beside the program, name in another case", "exe/Tables/PT.DAT", kGood, 150, Step::AskTable, ""},
        {"the data folder comes before the program's", "data/pt.dat", "0 0\n100 1.0\n", 150, Step::AskTable,
         "Input range too small!"},
        {"the parameter file's folder comes first", "par/pt.dat", kGood, 250, Step::AskTable, "Corrupted or wrong data file!"},
        {"a file that does not parse says why", "par/pt.dat", "0 0\n100 4.1\n50 8\n", 150, Step::AskTable,
         "Corrupted or wrong data file!\r(Values should rise.)"},
    };
    for (const auto& c : cases) {
        if (c.where) std::ofstream(dir / c.where) << c.text;
        model::ConfigRecord rec = userSensor(c.maxInput);
        const UserDataPlan plan = PlanUserData(rec, false, dirs);
        EXPECT_EQ(std::pair(plan.step, plan.table), std::pair(c.step, c.where ? dir / c.where : fs::path())) << c.why;
        const Outcome o = LoadUserData(rec, plan);
        const bool taken = c.warning.empty();
        EXPECT_EQ(std::tuple(o.ok, rec.TableLoaded, o.ok ? "" : o.message), std::tuple(taken, taken, c.warning)) << c.why;
        EXPECT_TRUE(o.ok || (o.beep == Beep::Exclamation && o.icon == MessageIcon::Exclamation)) << c.why << ": a beeped warning";
        if (o.ok) {
            const auto& row = rec.LiveRanges[15];
            EXPECT_EQ(std::tuple(rec.File, row.low, row.high), std::tuple("pt.dat", 0, 2000)) << "the name, the range";
        }
    }
    EXPECT_EQ(PlanUserData(userSensor(), true, dirs).step, Step::Impossible) << "missing coefficients complete nothing";
}

TEST(UserData, APowerSeriesIsSampledWithoutAQuestionAndItsRuleMessageTranslatedWhole) {
    UseEnglishTable();
    model::ConfigRecord rec;
    rec.Czujnik = {16, 1, 0, 8};
    rec.Parametry.MaxInput = 10.0;
    rec.LinCoef = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 10};
    const UserDataPlan plan = PlanUserData(rec, false, {});
    ASSERT_EQ(plan.step, Step::PowerSeries);
    model::ConfigRecord flat = rec;
    flat.LinCoef[1] = 0;
    const Outcome refused = LoadUserData(flat, plan);
    EXPECT_EQ(std::tie(refused.ok, refused.message), std::tuple(false, "Transfer function is not monotonic"));
    EXPECT_TRUE(LoadUserData(rec, plan).ok && rec.TableLoaded);
    EXPECT_EQ(PlanUserData(rec, false, {}).step, Step::Complete);
}

}  // namespace
}  // namespace r4860::workflow
