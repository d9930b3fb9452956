#include "model/config_compare.h"

#include <gtest/gtest.h>

#include <ostream>

#include "common/lang_table.h"
#include "files/par_file.h"

namespace r4860::model {

// Failures print the whole entry, not its bytes.
void PrintTo(const ItemDifference& d, std::ostream* os) {
    *os << d.item << ": '" << d.expected << "' -> '" << d.actual
        << "' at " << ::testing::PrintToString(d.offsets);
}
void PrintTo(const Repair& r, std::ostream* os) {
    *os << r.field << ": " << r.fileValue << " -> " << r.writtenValue << " (" << r.why << ")";
}

namespace {

using namespace layout;
using R = ConfigRecord&;
using I = ConfigImage&;

constexpr long kToday = 46000;  // 09.12.2025

// A K thermocouple with internal compensation on an R4747, linearized, 0..500 degC.
ConfigRecord thermocouple() {
    ConfigRecord r;
    r.Czujnik = {10, 7, 0, 2};
    r.Parametry.MaxInput = 500.0, r.Parametry.Siec = 50, r.Parametry.Jednostki = 8;
    r.Informacje.kod = "TT-01", r.Device = "R4747";
    return r;
}

ConfigImage encoded(ConfigRecord r) {
    ConfigImage im{};
    EXPECT_TRUE(EncodeImage(r, im, {kToday, 47}).ok());
    im[kModelNumber] = 4747 >> 8, im[kModelNumber + 1] = 4747 & 0xFF;  // the decoder reads the mode by it
    return im;
}

void put(ConfigImage& im, std::size_t at, double v) { ASSERT_TRUE(PutDeviceFloat(im, at, v).ok()); }

// The transducer's read-back is the sent record with `editRecord`, then `editBytes` on both images.
TEST(Differences, NameEachItemWithBothValuesAndItsOffsets) {
    struct Case { const char* why; void (*editRecord)(R); void (*editBytes)(I, I);
                  std::vector<ItemDifference> want; };
    const Case cases[] = {
        {"byte 2 is split by bits: mode nibble, burnout, mains; then the filter",
         [](R r) { r.Parametry.Burnout = 1, r.Parametry.Siec = 60, r.Parametry.FiltrCzas = 200;
                   r.Czujnik.Tryb = 6; }, nullptr,
         {{"Sensor", "K, CJC", "K, no CJC", {2}},
          {"Signal filter", "0.0 %, 0.0 s, 0 %", "0.0 %, 20.0 s, 0 %", {3}},
          {"Net filter", "50 Hz", "60 Hz", {2}},
          {"Output reaction to sensor burnout", "below 4mA", "above 20mA", {2}}}},
        {"byte 7: sensor and linearization", nullptr, [](I, I a) { a[kLinAndType] = 1 << 5 | 9; },
         {{"Sensor", "K, CJC", "J, CJC", {7}}, {"linearization", "linearization", "none", {7}}}},
        {"other coefficients than ours, in both areas, as one item, as the conversion dialogs show them", nullptr,
         [](I e, I a) {
             put(e, kAreaA + 8, .2371), put(a, kAreaA + 8, 3.7936), put(e, kAreaB + 52, 1), put(a, kAreaB + 52, -.00012);
         },
         {{"Conversion coefficients", "A2 0.2371; B13 1", "A2 3.7936; B13 -1.200000E-04",
           {kAreaA + 8, kAreaB + 52, kAreaB + 53, kAreaB + 54, kAreaB + 55}}}},
        {"the input span float alone; the signal range as the transfer function", nullptr,
         [](I e, I a) {
             put(a, kInputSpan, 400.0), put(e, kSignalMin, 0.0), put(a, kSignalMin, 1.0);
             put(e, kSignalStep, 0.25), put(a, kSignalStep, 0.25);
         },
         {{"Input range", "0.00 .. 500.00", "0.00 .. 400.00", {kInputSpan + 1}},
          {"Transfer function", "0 .. 25", "1 .. 26", {kSignalMin}}}},
        {"date, ID tag, and a correction with its checksum C",
         [](R r) { r.Informacje.kod = "TT-02", r.Parametry.ZeroReg = 0.5; },
         [](I, I a) { ++a[kConfigDate + 1]; },
         {{"User corrections", "Zero 0.00%, Gain 0.00%", "Zero 0.50%, Gain 0.00%", {kZeroReg + 1}},
          {"ID Tag", "\"TT-01\"", "\"TT-02\"", {kIdTag + 4}},
          {"Configuration date", "09.12.2025", "10.12.2025", {kConfigDate + 1}},
          {"Checksums", "C 00", "C 32", {kChecksumC}}}},
        {"signature, unused bit, unmapped bytes; a value normalization hides has no texts", nullptr,
         [](I, I a) { a[0] = 1, a[kFlagsAndMode] |= 32, a[40] = a[kAfterIdTag] = 1, a[kFilterRange] = 251; },
         {{"Signal filter", "", "", {kFilterRange}},
          {"Other bytes", "", "", {0, kFlagsAndMode, 40, kAfterIdTag}}}},
    };
    for (const auto& c : cases) {
        ConfigRecord sent = thermocouple();
        ConfigImage expected = encoded(sent);
        if (c.editRecord) c.editRecord(sent);
        ConfigImage actual = encoded(sent);
        if (c.editBytes) c.editBytes(expected, actual);
        const auto offsets = VerifyDifferences(TakeSnapshot(expected), actual);
        const auto differences = DescribeDifferences(expected, actual, offsets);
        EXPECT_EQ(differences, c.want) << c.why;
        for (const auto& d : differences) EXPECT_FALSE(LangText(d.item).empty()) << d.item << " has no name to show";
    }
}

TEST(CompareOptions, TheDateIsInformationUnlessAskedFor) {
    ConfigRecord r = thermocouple();
    ConfigImage written{}, readBack{};
    ASSERT_TRUE(EncodeImage(r, written, {kToday, 47}).ok());
    ASSERT_TRUE(EncodeImage(r, readBack, {kToday + 300, 47}).ok());
    const auto offsets = VerifyDifferences(TakeSnapshot(written), readBack);
    ASSERT_EQ(offsets, (std::vector<std::size_t>{kConfigDate, kConfigDate + 1})) << "checksum A is skipped";
    EXPECT_EQ(ComparedOffsets(offsets, {.compareDate = true}), offsets);
    EXPECT_EQ(ComparedOffsets({3, kConfigDate, kConfigDate + 1, 20}, {}), (std::vector<std::size_t>{3, 20}));
}

// A file as read, before normalization; `edit` makes it what a hand-edited file could hold.
TEST(Repairs, ListEveryFieldNormalizationChanged) {
    struct Case { const char* why; void (*edit)(R); std::vector<Repair> want; };
    const Case cases[] = {
        {"range ends inside the limits but reversed",
         [](R r) { r.Parametry.MinInput = 200, r.Parametry.MaxInput = 100; },
         {{"MinInput", "200", "-100", "minimum not below maximum"},
          {"MaxInput", "100", "850", "minimum not below maximum"}}},
        {"codes", [](R r) { r.Czujnik = {25, 12, 5, 3}; },
         {{"Typ", "25", "20", "unknown sensor code"}, {"Tryb", "12", "0", "unknown connection code"},
          {"Lin", "3", "0", "unknown conversion code"},
          {"Gain", "5", "0", "only resistance thermometers have a nominal resistance"},
          {"MaxInput", "100", "0", "sensor limit"}}},  // code 20 without a conversion has no range
        {"nominal resistance, range", [](R r) { r.Czujnik.Gain = 4, r.Parametry.MaxInput = 99999; },
         {{"Gain", "4", "0", "unknown nominal resistance"}, {"MaxInput", "99999", "850", "sensor limit"}}},
        {"cold junction, corrections, filter, burnout, mains and unit", [](R r) {
             auto& p = r.Parametry;
             p.RoomT = 70, p.ZeroReg = 2.5, p.GainReg = -3, p.FiltrZakres = 251, p.FiltrCzas = 401;
             p.FiltrLimit = -1, p.Burnout = 3, p.Siec = 0, p.Jednostki = 11;
         },
         {{"RoomT", "70", "25", "outside -20 .. 60 \xC2\xB0" "C"},
          {"ZeroReg", "2.5", "0", "outside -2 .. 2 %"},
          {"GainReg", "-3", "0", "outside -2 .. 2 %"}, {"FiltrZakres", "251", "0", "outside 0 .. 250"},
          {"FiltrCzas", "401", "0", "outside 0 .. 400"}, {"FiltrLimit", "-1", "0", "outside 0 .. 100"},
          {"Burnout", "3", "0", "unknown burnout reaction"}, {"Siec", "0", "50", "neither 50 nor 60 Hz"},
          {"Jednostki", "11", "0", "unknown unit"}}},
    };
    for (const auto& c : cases) {
        ConfigRecord asRead = thermocouple();
        asRead.Czujnik = {1, 3, 0, 2}, asRead.Parametry.MaxInput = 100.0;  // Pt100 3-wire: -100 .. 850 degC
        c.edit(asRead);
        ConfigRecord normalized = asRead;
        NormalizeConfig(normalized);
        EXPECT_EQ(ListRepairs(asRead, normalized), c.want) << c.why;
    }
    ConfigRecord rec = thermocouple(), asRead;  // a hand-edited file: what a write would send
    auto lines = files::ParFileLines(rec);
    lines[13] = "MaxInput=99999";
    ASSERT_TRUE(files::ReadParLines(lines, rec, &asRead).ok());
    EXPECT_EQ(ListRepairs(asRead, rec), (std::vector<Repair>{{"MaxInput", "99999", "1370", "sensor limit"}}));
}

}  // namespace
}  // namespace r4860::model
