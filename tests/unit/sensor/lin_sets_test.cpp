#include "model/sensor_characteristics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "common/catalogues.h"
#include "common/device_float.h"

namespace r4860::model {
namespace {

constexpr std::array<int, 13> kCodes = {1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14};

bool IsGivenRow(int code, std::size_t segment) { return code == 4 || ((code == 1 || code == 10) && segment == 0); }

struct LayoutCase {
    int code;
    double s0, s1, s3, s4;
};

TEST(SensorLinTables, HoldTheFixedLimitsAndBoundaries) {
    for (const LayoutCase& c : {LayoutCase{1, 60.2509931, 390.265066, 0.2371, 0.566},
                                LayoutCase{2, 59.4752491, 395.940569, 0.2372, 0.5662},
                                LayoutCase{3, 69.5061707, 223.090259, 0.1985, 0.6},
                                LayoutCase{4, 78.7000525, 176.679949, 1.0, 1.0},
                                LayoutCase{6, 0.17826, 13.82028, 0.08, 0.4},
                                LayoutCase{7, 0.0, 36.922, 0.13171, 0.6369},
                                LayoutCase{8, -5.23718, 76.37283, 0.12541, 0.54985},
                                LayoutCase{9, -4.63252, 69.55318, 0.22506, 0.64184},
                                LayoutCase{10, -4.91271, 54.81857, 0.082247, 0.36184},
                                LayoutCase{11, -2.40681, 47.51277, 0.1, 0.6},
                                LayoutCase{12, 0.0, 20.2217, 0.1, 0.5},
                                LayoutCase{13, 0.0, 17.9473, 0.1, 0.5},
                                LayoutCase{14, -3.37858, 20.87197, 0.2, 0.6},
                                LayoutCase{0, 0.0, 1.0, 1.0, 1.0}}) {
        const auto& s = SensorLinTableFor(c.code);
        const SensorLinSetArray head = {c.s0, c.s1, 0.0, c.s3, c.s4, 1.0, 0.0};
        EXPECT_TRUE(std::equal(head.begin(), head.begin() + 7, s.begin())) << "code " << c.code;
    }
}

TEST(SensorLinTables, AreSelectedByCodeInMemoryOrder) {
    EXPECT_EQ(&SensorLinTableFor(3), &SensorLinTables[2]) << "nickel is the third";
    EXPECT_EQ(&SensorLinTableFor(4), &SensorLinTables[3]) << "copper is the fourth";
    EXPECT_EQ(&SensorLinTableFor(6), &SensorLinTables[4]) << "code 5 has no set of its own";
    EXPECT_EQ(&SensorLinTableFor(14), &SensorLinTables[12]);
    for (int code : {-1, 0, 5, 15, 16, 17, 18, 19, 20, 21, 255})
        EXPECT_EQ(&SensorLinTableFor(code), &DefaultSensorLinSet()) << "code " << code;
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

TEST(SensorLinTables, FittedCoefficientsSurviveTheDeviceFloatFormat) {
    // The transducer receives every value as its 4-byte float; a fitted coefficient it cannot hold
    // exactly would be truncated on the way, and the accuracy verified below would not be its own.
    for (int code : kCodes) {
        const auto& set = SensorLinTableFor(code);
        for (std::size_t i = 7; i < set.size(); ++i) {
            if (IsGivenRow(code, (i - 7) / 7)) continue;
            const auto bytes = EncodeDeviceFloat(set[i]);
            ASSERT_TRUE(bytes) << "code " << code << " s" << i;
            EXPECT_EQ(DecodeDeviceFloat(*bytes), set[i]) << "code " << code << " s" << i;
        }
    }
}

TEST(LinSetValue, OfTheIdentitySetIsTheSignalClampedToZeroToOne) {
    for (double x : {-5.0, -0.0, 0.0, 0.25, 0.5, 1.0, 1.5, 1e300})
        EXPECT_EQ(LinSetValue(DefaultSensorLinSet(), x), std::clamp(x, 0.0, 1.0)) << "x " << x;
}

TEST(LinSetValue, PicksTheSegmentWithBoundariesInclusiveBelow) {
    SensorLinSetArray set{0.0, 1.0, 0.0, 0.25, 0.75, 1.0, 0.0};
    set[7] = 1.0;  // constant segments tell which one was used
    set[14] = 2.0;
    set[21] = 3.0;
    struct Case {
        const char* why;
        double x, want;
    };
    for (const Case& c : {Case{"start", 0.0, 1.0}, Case{"on s3", 0.25, 1.0}, Case{"past s3", 0.2500001, 2.0},
                          Case{"on s4", 0.75, 2.0}, Case{"past s4", 0.7500001, 3.0}, Case{"clamped above", 9.0, 3.0},
                          Case{"clamped below", -9.0, 1.0}})
        EXPECT_EQ(LinSetValue(set, c.x), c.want) << c.why;
}

TEST(LinSetValue, ReportsAZeroSpanOrAMissingSignalAsNaN) {
    SensorLinSetArray set = DefaultSensorLinSet();
    set[1] = set[0];
    EXPECT_TRUE(std::isnan(LinSetValue(set, 0.5)));
    EXPECT_TRUE(std::isnan(LinSetValue(DefaultSensorLinSet(), std::nan(""))));
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
