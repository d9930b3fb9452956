#include "model/sensor_characteristics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "common/catalogues.h"

namespace r4860::model {
namespace {

constexpr std::array<int, 13> kCodes = {1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14};

bool IsGivenRow(int code, std::size_t segment) { return code == 4 || ((code == 1 || code == 10) && segment == 0); }

// The limits and boundaries of the fitted sets are held by the worst-error test below and by
// SensorSignal.GivesTheLinearizationLimitsAtTheEndsOfEveryRange.
TEST(SensorLinTables, CodesWithoutASetOfTheirOwnGetTheIdentity) {
    for (int code : {-1, 0, 5, 15, 19, 20, 255}) EXPECT_EQ(&SensorLinTableFor(code), &DefaultSensorLinSet()) << code;
    const auto& id = DefaultSensorLinSet();
    EXPECT_TRUE(std::equal(id.begin(), id.begin() + 7, std::array<double, 7>{0.0, 1.0, 0.0, 1.0, 1.0, 1.0, 0.0}.begin()));
}

TEST(SensorLinTables, KeepTheGivenRows) {
    using Row = std::array<double, 7>;
    const auto row = [](int code, std::size_t segment) {
        Row r{};
        std::copy_n(SensorLinTableFor(code).begin() + 7 + 7 * static_cast<long>(segment), 7, r.begin());
        return r;
    };
    EXPECT_EQ(row(1, 0), (Row{-99.99996, 814.08001, 154.75581, -234.68209, 552.95449, -450.12721, 0}));
    EXPECT_EQ(row(10, 0), (Row{-149.953114, 2502.928203, -17124.4581, 187048.7993, -1280576.5, 3844037.5, 0}));
    for (std::size_t s = 0; s < 3; ++s) {
        EXPECT_EQ(row(4, s), (Row{-50.0, 230.0, 0, 0, 0, 0, 0})) << "copper segment " << s;
        EXPECT_EQ(row(0, s), (Row{0, 1.0, 0, 0, 0, 0, 0})) << "identity segment " << s;
    }
}

TEST(LinSetValue, PicksTheSegmentWithBoundariesInclusiveBelow) {
    for (double x : {-5.0, 0.0, 0.25, 1.0, 1.5, 1e300})
        EXPECT_EQ(LinSetValue(DefaultSensorLinSet(), x), std::clamp(x, 0.0, 1.0)) << "the identity clamps, x " << x;
    SensorLinSetArray set{0.0, 1.0, 0.0, 0.25, 0.75, 1.0, 0.0};
    set[7] = 1.0;  // constant segments tell which one was used
    set[14] = 2.0;
    set[21] = 3.0;
    for (const auto& [x, want] : {std::pair{0.0, 1.0}, {0.25, 1.0}, {0.2500001, 2.0}, {0.75, 2.0}, {0.7500001, 3.0},
                                 {9.0, 3.0}, {-9.0, 1.0}})
        EXPECT_EQ(LinSetValue(set, x), want) << "x " << x;
    EXPECT_TRUE(std::isnan(LinSetValue(DefaultSensorLinSet(), std::nan("")))) << "a missing signal";
    set[1] = set[0];
    EXPECT_TRUE(std::isnan(LinSetValue(set, 0.5))) << "a zero span";
}

// Worst |LinSetValue(signal(t)) - t| per segment over the sensor's whole range, every 0.01 degC.
std::array<double, 3> WorstErrors(int code) {
    const ConfigRecord rec;
    const auto& set = SensorLinTableFor(code);
    const auto& range = SensorRanges[static_cast<std::size_t>(code)];
    std::array<double, 3> worst{};
    for (int tenthHundredth = range.low * 10; tenthHundredth <= range.high * 10; ++tenthHundredth) {
        const double t = tenthHundredth / 100.0;
        const double x = SensorSignal(rec, code, t);
        const double u = std::clamp((x - set[0]) / (set[1] - set[0]), 0.0, 1.0);
        const std::size_t s = u <= set[3] ? 0 : (u <= set[4] ? 1 : 2);
        worst[s] = std::max(worst[s], std::fabs(LinSetValue(set, x) - t));
    }
    return worst;
}

TEST(SensorLinTables, InvertEverySensorWithinATenthOfADegree) {
    constexpr double kBar = 0.1;  // degC, on every fitted segment
    std::string report = "code  sensor            segment 1  segment 2  segment 3  (degC, * given)\n";
    for (int code : kCodes) {
        const auto worst = WorstErrors(code);
        char line[160];
        std::snprintf(line, sizeof line, "%-5d %-17s", code, std::string(SensorNames[static_cast<std::size_t>(code)]).c_str());
        report += line;
        for (std::size_t s = 0; s < 3; ++s) {
            std::snprintf(line, sizeof line, "  %8.4f%s", worst[s], IsGivenRow(code, s) ? "*" : " ");
            report += line;
            if (!IsGivenRow(code, s)) {
                EXPECT_LE(worst[s], kBar) << "code " << code << " segment " << s + 1;
            }
        }
        report += "\n";
    }
    std::fputs(report.c_str(), stdout);
}

}  // namespace
}  // namespace r4860::model
