// The conversion windows' arithmetic and edit rules, and the table window's load step.
#include "workflow/conversion_rules.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/lang_table.h"
#include "model/transfer_function.h"
#include "workflow/table_window.h"

namespace r4860::workflow {
namespace {

using model::ConfigRecord;

ConfigRecord currentInput() {
    ConfigRecord r;
    r.Czujnik = {17, 5, 0, 1};
    r.TableInputType = 17;
    return r;
}

ConversionWindow linear(double inMin, double inMax, double resMin, double resMax) {
    ConversionWindow w;
    w.inputType = 17, w.inMin = inMin, w.inMax = inMax, w.resMin = resMin, w.resMax = resMax, w.unit = 9;
    return w;
}

TEST(LinearConversion, OkComputesTheLineOrNamesTheFirstFaultAndItsField) {
    UseEnglishTable();
    ConfigRecord rec = currentInput();
    ConversionWindow w = linear(4, 20, 0, 100);
    ASSERT_FALSE(LinearOk(w, rec).has_value());
    EXPECT_EQ(std::tuple(rec.LinCoef[1], rec.LinCoef[0], rec.LinCoef[9], rec.LinCoef[10]),
              std::tuple(6.25, -25.0, 4.0, 20.0));
    EXPECT_EQ(rec.LiveRanges[15], (TenthRange{0, 1000}));
    EXPECT_TRUE(rec.ConvEntered && rec.Parametry.Jednostki == 9);
    w = linear(4, 20, 100, 0);
    ASSERT_FALSE(LinearOk(w, rec).has_value()) << "a falling result is a conversion too";
    EXPECT_EQ(std::pair(rec.LinCoef[1], rec.LiveRanges[15]), std::pair(-6.25, TenthRange{0, 1000}));

    const struct {
        const char* why;
        ConversionWindow w;
        std::string text;
        ConversionField focus;
    } cases[] = {
        {"input below the range", linear(-1, 20, 0, 100), "Minimum out of range!", ConversionField::InMinE},
        {"input above the range", linear(4, 25, 0, 100), "Maximum out of range!", ConversionField::InMaxE},
        {"span too small, room below", linear(4, 4.5, 0, 100), "Input range too small!",
         ConversionField::InMinE},
        {"span too small at the bottom", linear(0, 0.5, 0, 100), "Input range too small!",
         ConversionField::InMaxE},
        {"result minimum", linear(4, 20, -2000, 100), "Minimum out of range!", ConversionField::ResMinE},
        {"result maximum: the default 10000", linear(4, 20, -1999, 10000), "Maximum out of range!",
         ConversionField::ResMaxE},
        {"result span", linear(4, 20, 5, 5.5), "Range too small!", ConversionField::ResMinE},
    };
    for (auto c : cases) {
        const auto p = LinearOk(c.w, rec);
        ASSERT_TRUE(p.has_value()) << c.why;
        EXPECT_EQ(std::pair(p->text, p->focus), std::pair(c.text, c.focus)) << c.why;
    }
}

TEST(LinearConversion, EditsKeepTheOldValueWhenRefused) {
    UseEnglishTable();
    ConfigRecord rec = currentInput();
    ConversionWindow w = OpenConversionWindow(rec, ConversionKind::Linear);
    EXPECT_EQ(std::tuple(w.inMin, w.inMax, w.resMin, w.resMax, w.unit),
              std::tuple(0.0, 20.0, -1999.0, 10000.0, 4));
    const struct {
        Limit which;
        bool result;
        const char* typed;
        double stored;
        std::string message;
    } cases[] = {
        {Limit::Max, false, "25", 20.0, "Maximum out of range!"},
        {Limit::Max, false, "0,5", 20.0, "Input range too small!"},
        {Limit::Min, false, "21", 0.0, "Values should rise"},  // the maximum below the minimum
        {Limit::Min, true, "12.34", 12.3, ""},
        {Limit::Max, true, "123456", 10000.0, "Maximum out of range!"},
        {Limit::Min, true, "x", 12.3, "Wrong format!"},
    };
    for (const auto& c : cases) {
        const auto r =
            c.result ? ResultLimitExit(w, c.which, c.typed) : InputLimitExit(w, rec, c.which, c.typed);
        EXPECT_EQ(r.value, c.stored) << c.typed;
        EXPECT_EQ(r.messages.empty() ? std::string() : r.messages.front().text(), c.message) << c.typed;
    }
    EXPECT_EQ(w.resMin, 12.3);
}

TEST(PowerSeriesConversion, ChecksBySamplingAndPutsTheCoefficientsBackOnExit) {
    UseEnglishTable();
    ConfigRecord rec = currentInput();
    rec.LinCoef = {1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 10};
    ConversionWindow w = OpenConversionWindow(rec, ConversionKind::PowerSeries);
    EXPECT_EQ(rec.LinCoef, (model::LinCoefArray{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 20}))
        << "the identity over the input";
    EXPECT_EQ(OkButtonCaption(w), "Check");
    ASSERT_FALSE(PowerSeriesCheck(w, rec).has_value()) << "the defaults pass";
    EXPECT_EQ(std::tuple(w.resMin, w.resMax, OkButtonCaption(w)), std::tuple(0.0, 20.0, std::string("OK")));

    EXPECT_EQ(CoefficientExit(w, rec, 1, "0").shown, "0");
    EXPECT_FALSE(w.checked) << "a changed coefficient must be checked again";
    const auto flat = PowerSeriesCheck(w, rec);
    ASSERT_TRUE(flat.has_value());
    EXPECT_EQ(std::pair(flat->text, flat->focus),
              std::pair(std::string("Transfer function is not monotonic"), ConversionField::A0E));

    EXPECT_EQ(CoefficientExit(w, rec, 2, "0.0001").shown, "1.000000e-04");
    const auto huge = CoefficientExit(w, rec, 3, "2e50");
    EXPECT_EQ(std::pair(huge.value, huge.messages.front().text()),
              std::pair(2e50, std::string("Out of range!")));
    EXPECT_EQ(rec.LinCoef[3], 2e50) << "kept although refused";
    ConversionCancel(w, rec);
    EXPECT_EQ(rec.LinCoef, (model::LinCoefArray{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 10}));

    // A confirmed series is taken over when the window opens again.
    rec.Czujnik.Lin = 8;
    rec.LinCoef = {10, 5, 0, 0, 0, 0, 0, 0, 0, 4, 20};
    rec.LiveRanges[15] = {300, 1100};
    rec.Table.points = {{30, 4}, {110, 20}};
    const ConversionWindow again = OpenConversionWindow(rec, ConversionKind::PowerSeries);
    EXPECT_TRUE(again.tookOver && again.checked);
    EXPECT_EQ(std::tuple(again.inMin, again.inMax, again.resMin, again.resMax),
              std::tuple(4.0, 20.0, 30.0, 110.0));
    EXPECT_EQ(
        std::tuple(InputLimitText(12.5), InputLimitText(-1500), CoefficientText(NAN), CoefficientText(6.25)),
        std::tuple(std::string("12.500"), std::string("-1500.00"), std::string(), std::string("6.25")));
}

TEST(TableWindow, LoadsThroughTheTableReaderAndExitPutsTheFileBack) {
    UseEnglishTable();
    ConfigRecord rec = currentInput();
    rec.File = "old.dat";
    files::Settings settings;
    settings.DataDir = "/data";
    TableWindow w = OpenTableWindow(rec, settings);
    EXPECT_EQ(w.unit, 4);
    EXPECT_EQ(TableExampleText(17)[2], ";  t[\u00B0C]   I[mA]");
    const std::string dir = R4860_TABLES_DIR;
    auto v = TablLoadBClick(w, rec, settings, dir + "/milliamp-square-root-flow.dat");
    ASSERT_TRUE(v && !v->warning);
    EXPECT_EQ(
        std::tuple(v->inMin, v->inMax, v->resMin, v->resMax),
        std::tuple(std::string("4.000"), std::string("20.000"), std::string("  0"), std::string("100")));
    EXPECT_TRUE(rec.TableLoaded && w.okEnabled && settings.DataDir == files::DataDirOf(dir + "/x.dat"));
    // A table for another input does not fit this one: its signals are out of the mA range.
    v = TablLoadBClick(w, rec, settings, dir + "/resistance-ntc-1k.dat");
    ASSERT_TRUE(v && v->warning);
    EXPECT_EQ(v->warning->message, "Corrupted or wrong data file!\r(Value out of range.)");
    EXPECT_EQ(v->selectLine, 5u) << "the first data line is highlighted";
    EXPECT_FALSE(rec.TableLoaded || w.okEnabled);
    EXPECT_FALSE(TablOKBClick(w, rec, settings)) << "without a table OK acts as Exit";
    EXPECT_EQ(std::pair(rec.File, settings.DataDir), std::pair(std::string("old.dat"), std::string("/data")));
}

}  // namespace
}  // namespace r4860::workflow
