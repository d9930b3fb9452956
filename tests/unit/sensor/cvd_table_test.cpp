// Tables from Callendar-Van Dusen coefficients: the equation, its refusals, and the transducer
// following the generated table within 0.01 degC of the equation.
#include "model/cvd_table.h"

#include <gtest/gtest.h>

#include "files/table_file.h"
#include "model/config_record.h"
#include "model/sensor_characteristics.h"
#include "model/table_fit.h"

namespace r4860::model {
namespace {

TEST(CvdTable, TheStandardSensorsResistances) {
    // IEC 60751's values at its reference points; the C term acts below 0 degC only.
    for (const auto& [t, r] :
         {std::pair{0.0, 100.0}, {100.0, 138.5055}, {-100.0, 60.25584}, {850.0, 390.48109}})
        EXPECT_NEAR(CvdResistance(kIec60751Coefficients, t), r, 5e-5) << t;
}

TEST(CvdTable, RefusesWhatTheInputOrTheEquationCannotCarry) {
    const CvdCoefficients pt1000{1000.0};
    const struct {
        const char* why;
        CvdCoefficients c;
        double lo, hi, step;
    } cases[] = {
        {"a Pt1000 passes 2500 ohm near 400 degC", pt1000, 0.0, 850.0, 1.0},
        {"below the equation's range", kIec60751Coefficients, -250.0, 100.0, 1.0},
        {"an empty range", kIec60751Coefficients, 100.0, 100.0, 1.0},
        {"more points than a table holds", kIec60751Coefficients, -200.0, 850.0, 0.1},
        {"coefficients that make the resistance fall", {100.0, -3.9e-3, 0.0, 0.0}, 0.0, 100.0, 1.0},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(CvdTable(c.c, c.lo, c.hi, c.step).ok()) << c.why;
}

TEST(CvdTable, TheTransducerFollowsTheGeneratedTableWithinAHundredthOfADegree) {
    // A certificate's own coefficients, not the standard ones, on a 1000-ohm sensor.
    const CvdCoefficients sensor{1000.12, 3.9094e-3, -5.81e-7, -4.2e-12};
    const auto table = CvdTable(sensor, -50.0, 400.0);
    ASSERT_TRUE(table.ok()) << table.error().message;
    ConfigRecord rec;
    rec.TableInputType = 5;
    const auto lines = CvdTableLines(sensor, *table);
    ASSERT_TRUE(files::ParseTable(lines, rec).ok) << "the lines read back as a resistance table";
    ASSERT_EQ(rec.Table.count(), 451u);
    const auto fit = FitTableSet(rec.Table);
    ASSERT_TRUE(fit.ok());
    for (double t = -50.0; t <= 400.0; t += 0.05)
        ASSERT_NEAR(LinSetValue(fit->set, CvdResistance(sensor, t)), t, 0.01) << t << " degC";
}

}  // namespace
}  // namespace r4860::model
