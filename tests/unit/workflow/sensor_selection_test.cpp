// The selection windows' rules: what OK writes for a choice, what the windows show first, which
// window opens for a model, and a cancelled selection leaving the record exactly as it was.
#include "workflow/selection_command.h"

#include <gtest/gtest.h>

#include "common/date_text.h"
#include "model/config_image.h"
#include "workflow/conversion_rules.h"
#include "workflow/table_window.h"

namespace r4860::workflow {
namespace {

using model::ConfigRecord;

constexpr long kToday = 46100;  // 18.03.2026

ConfigRecord configured(std::uint8_t typ, std::uint8_t tryb, std::uint8_t gain, std::uint8_t lin, double lo,
                        double hi) {
    ConfigRecord r;
    r.Czujnik = {typ, tryb, gain, lin};
    r.Device = "R4748";
    r.Parametry.MinInput = lo, r.Parametry.MaxInput = hi, r.Parametry.Siec = 50, r.Parametry.Jednostki = 8;
    r.Parametry.FiltrZakres = 12, r.Parametry.FiltrCzas = 19, r.Parametry.FiltrLimit = 5,
    r.Parametry.ZeroReg = 0.5;
    r.Informacje.data = "01.01.2025";
    model::AdjustRtdRange(r);
    return r;
}

WyborChoice rtd(std::uint8_t type, std::uint8_t wires, std::uint8_t nominal) {
    WyborChoice c;
    c.rtd = type, c.wires = wires, c.nominal = nominal;
    return c;
}

TEST(SensorSelection, TWyborOkResetsTheRangeOnlyForANewSensor) {
    const struct {
        const char* why;
        WyborChoice choice;
        double lo, hi;
        bool cleared;
    } cases[] = {
        {"only the connection changes: range, filter and corrections stay", rtd(1, 3, 0), 0.0, 150.0, false},
        {"Pt100 to Ni100: the nickel's full range", rtd(3, 2, 0), -60.0, 180.0, true},
        {"100 to 500 ohm: a new sensor too", rtd(1, 2, 2), -100.0, 850.0, true},
        {"Pt with 1000 ohm ends at 400 degC", rtd(1, 2, 3), -100.0, 400.0, true},
    };
    for (const auto& c : cases) {
        ConfigRecord rec = configured(1, 2, 0, 2, 0.0, 150.0);
        rec.TableLoaded = true;
        const SelectionOpening opening = OpenSelectionWindow(rec);
        WyborOk(rec, c.choice, opening, kToday);
        EXPECT_EQ(std::pair(rec.Parametry.MinInput, rec.Parametry.MaxInput), std::pair(c.lo, c.hi)) << c.why;
        EXPECT_EQ(rec.Parametry.FiltrZakres == 0 && rec.Parametry.ZeroReg == 0.0, c.cleared) << c.why;
        EXPECT_EQ(rec.Informacje.data, DateText(kToday)) << c.why << ": every OK stamps today";
        EXPECT_FALSE(rec.TableLoaded) << c.why;
    }
    // A thermocouple after a Pt1000: the nominal resistance goes (the encoder refuses it on a
    // thermocouple), and without compensation or difference the cold junction is asked for.
    ConfigRecord rec = configured(1, 3, 3, 2, 0.0, 100.0);
    WyborChoice k;
    k.thermocoupleTab = true, k.thermocouple = 10, k.cjc = false;
    EXPECT_TRUE(WyborNeedsRoomT(k));
    WyborOk(rec, k, OpenSelectionWindow(rec), kToday);
    EXPECT_EQ(rec.Czujnik, (model::CzujnikGroup{10, 6, 0, 2}));
    EXPECT_EQ(std::pair(rec.Parametry.MinInput, rec.Parametry.MaxInput), std::pair(-150.0, 1370.0));
    EXPECT_TRUE(model::CheckEncodable(rec, kToday).ok());
}

TEST(SensorSelection, InputWindowsTakeTheConversionsRangeAndClearAStaleTable) {
    // A current input converted 4..20 mA -> 0..100 % by TLinaF, then OK of TWyborI.
    ConfigRecord rec = configured(17, 5, 0, 1, 0.0, 20.0);
    const SelectionOpening opening = OpenSelectionWindow(rec);
    PrepareConversionWindow(rec, 17);
    ConversionWindow lin = OpenConversionWindow(rec, ConversionKind::Linear);
    lin.inMin = 4, lin.inMax = 20, lin.resMin = 0, lin.resMax = 100, lin.unit = 9;
    ASSERT_FALSE(LinearOk(lin, rec).has_value());
    rec.TableLoaded = true;  // a table sampled from an earlier power series
    WyborIOk(rec, {true, Conversion::Linear}, opening, kToday);
    EXPECT_EQ(rec.Czujnik, (model::CzujnikGroup{17, 8, 0, 4}));
    EXPECT_EQ(std::tuple(rec.Parametry.MinInput, rec.Parametry.MaxInput, rec.Parametry.Jednostki),
              std::tuple(0.0, 100.0, 9));
    EXPECT_FALSE(rec.TableLoaded);
    // Back to no conversion: the full range in mA. TWyborRV clears a stale table as well.
    WyborIOk(rec, {}, OpenSelectionWindow(rec), kToday);
    EXPECT_EQ(std::tuple(rec.Parametry.MinInput, rec.Parametry.MaxInput, rec.Parametry.Jednostki),
              std::tuple(0.0, 20.0, 4));
    rec.TableLoaded = true;
    WyborRVOk(rec, {false, 2, Conversion::PowerSeries}, OpenSelectionWindow(rec), kToday);
    EXPECT_FALSE(rec.TableLoaded) << "the series must be sampled afresh, not read from the old table";
}

TEST(SensorSelection, WindowsOpenAsTheRecordAndTheModelSay) {
    // W4 on the RTD tab like the resistance tab: models 48 and 49 only.
    const ConfigRecord fourWire = configured(1, 4, 0, 2, 0.0, 100.0);
    EXPECT_EQ(WyborInitial(fourWire, 48).choice.wires, 4);
    EXPECT_EQ(WyborInitial(fourWire, 47).choice.wires, 3) << "model 47 offers 2- and 3-wire only";
    EXPECT_EQ(WyborRVInitial(configured(5, 4, 0, 1, 0, 100), 47).choice.wires, 3);
    EXPECT_FALSE(WyborRVInitial(fourWire, 47).w4Enabled);
    const ConfigRecord tc = configured(9, 6, 0, 2, 0.0, 100.0);
    const WyborChoice shown = WyborInitial(tc, 47).choice;
    EXPECT_TRUE(shown.thermocoupleTab && shown.thermocouple == 9 && !shown.cjc && !shown.tempDiff);
    ConfigRecord volt = configured(18, 5, 0, 2, 0.0, 100.0);
    EXPECT_EQ(WyborIVInitial(volt).conversion, Conversion::None) << "a table only once one is loaded";
    volt.TableLoaded = true;
    EXPECT_EQ(WyborIVInitial(volt).conversion, Conversion::Table);
    EXPECT_EQ(WyborIInitial(configured(17, 9, 0, 8, 0, 1)), (WyborIChoice{true, Conversion::PowerSeries}));

    const struct {
        int code, typ;
        SelectionWindow first;
    } windows[] = {
        {20, 17, SelectionWindow::TWyborI},  {39, 18, SelectionWindow::TWyborIV},
        {47, 16, SelectionWindow::TWyborRV}, {49, 10, SelectionWindow::TWybor},
        {37, 17, SelectionWindow::None},     {SelectionModelCode("Q4720"), 17, SelectionWindow::None}};
    for (const auto& w : windows)
        EXPECT_EQ(FirstSelectionWindow(w.code, w.typ), w.first) << w.code;
    EXPECT_EQ(NextSelectionWindow(SelectionWindow::TWybor, DialogResult::More), SelectionWindow::TWyborRV);
    EXPECT_EQ(NextSelectionWindow(SelectionWindow::TWyborRV, DialogResult::More), SelectionWindow::TWybor);
    EXPECT_EQ(NextSelectionWindow(SelectionWindow::TWyborRV, DialogResult::Ok), SelectionWindow::None);
    EXPECT_EQ(std::pair(MaxRangeText(volt, 18), MaxRangeText(volt, 16)),
              std::pair(std::string("-11...11 V"), std::string("-1000...1000 mV")));
}

TEST(SenSelClick, OkStampsTheDateInTheRecordAndCancelPutsEverythingBack) {
    // A current input with a linear conversion, as read from a model 39 transducer.
    ConfigRecord rec = configured(17, 5, 0, 4, 0.0, 100.0);
    rec.Device = "R4739", rec.Parametry.Jednostki = 9, rec.TableInputType = 17;
    rec.LinCoef = {-25.0, 6.25, 0, 0, 0, 0, 0, 0, 0, 4.0, 20.0};
    rec.LiveRanges[15] = {0, 1000};
    const ConfigRecord before = rec;

    SelectionStart start = StartSelection(rec);
    ASSERT_EQ(start.first, SelectionWindow::TWyborIV);
    (void)OpenSelectionWindow(rec);
    rec.Device = "R4720";  // the model chosen again on the way
    // Inside the dialogs: a table for the volt input loaded and confirmed, a power series tried.
    PrepareConversionWindow(rec, 18);
    files::Settings settings;
    TableWindow table = OpenTableWindow(rec, settings);
    const auto loaded =
        TablLoadBClick(table, rec, settings, std::string(R4860_TABLES_DIR) + "/volt-horizontal-tank.dat");
    ASSERT_TRUE(loaded && !loaded->warning) << (loaded && loaded->warning ? loaded->warning->message : "io");
    table.unit = 9;
    ASSERT_TRUE(TablOKBClick(table, rec, settings));
    (void)OpenConversionWindow(rec, ConversionKind::PowerSeries);  // resets LinCoef to the identity
    CancelSelection(rec, start.snapshot);

    model::ConfigImage a{}, b{};
    ConfigRecord original = before;
    ASSERT_TRUE(model::EncodeImage(original, a, {kToday, 39}).ok());
    ASSERT_TRUE(model::EncodeImage(rec, b, {kToday, 39}).ok());
    EXPECT_EQ(a, b) << "the transducer would receive exactly what it would have before Select";
    EXPECT_TRUE(rec.File == before.File && rec.TableInputType == before.TableInputType &&
                rec.TableLoaded == before.TableLoaded && rec.Table == before.Table &&
                rec.Device == before.Device);

    PanelState panel{true, true, false};
    WorkflowState state{true, true, true, false, 0};
    rec.Parametry.MaxInput = 0.5;  // too narrow for the conversion now: reset to row 15
    EXPECT_EQ(FinishSelectionOk(rec, panel, state, kToday), Kolory::RangeChanged);
    EXPECT_EQ(std::tuple(rec.Parametry.MinInput, rec.Parametry.MaxInput, rec.Informacje.data),
              std::tuple(0.0, 100.0, DateText(kToday)));
    EXPECT_FALSE(panel.CoefMissing || state.VerifyAllowed);
    rec.Informacje.data.clear();
    (void)FinishSelectionOk(rec, panel, state, kToday);
    EXPECT_EQ(rec.Informacje.data, "") << "an empty configuration date stays empty";
}

}  // namespace
}  // namespace r4860::workflow
