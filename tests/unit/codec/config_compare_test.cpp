#include "model/config_compare.h"

#include <gtest/gtest.h>

#include <ostream>

#include "files/par_file.h"

namespace r4860::model {

// Failures print the whole entry, not its bytes.
void PrintTo(const ItemDifference& d, std::ostream* os) {
    *os << d.item << ": '" << d.expected << "' -> '" << d.actual << "' at";
    for (const auto o : d.offsets) *os << ' ' << o;
}
void PrintTo(const Repair& r, std::ostream* os) {
    *os << r.field << ": " << r.fileValue << " -> " << r.writtenValue << " (" << r.why << ")";
}

namespace {

using namespace layout;

constexpr long kToday = 46000;  // 09.12.2025

// A K thermocouple with internal compensation on an R4747, linearized, 0..500 degC.
ConfigRecord thermocouple() {
    ConfigRecord r;
    r.Czujnik = {10, 7, 0, 2};
    r.Parametry.MaxInput = 500.0;
    r.Parametry.Siec = 50;
    r.Parametry.Jednostki = 8;
    r.Informacje.kod = "TT-01";
    r.Device = "R4747";
    return r;
}

ConfigImage encoded(ConfigRecord r) {
    ConfigImage im{};
    EXPECT_TRUE(EncodeImage(r, im, {kToday, 47}).ok());
    im[kModelNumber] = 4747 >> 8;  // the factory's, which the decoder reads the mode nibble by
    im[kModelNumber + 1] = 4747 & 0xFF;
    return im;
}

// The transducer's read-back is the sent record with `editRecord`, then `editBytes` on both images.
struct DiffCase {
    const char* why;
    void (*editRecord)(ConfigRecord&);
    void (*editBytes)(ConfigImage& expected, ConfigImage& actual);
    std::vector<ItemDifference> want;
};
void PrintTo(const DiffCase& c, std::ostream* os) { *os << c.why; }

class Differences : public ::testing::TestWithParam<DiffCase> {};

TEST_P(Differences, NameEachItemWithBothValuesAndItsOffsets) {
    const DiffCase& c = GetParam();
    ConfigRecord sent = thermocouple();
    ConfigImage expected = encoded(sent);
    if (c.editRecord) c.editRecord(sent);
    ConfigImage actual = encoded(sent);
    if (c.editBytes) c.editBytes(expected, actual);
    const auto offsets = VerifyDifferences(TakeSnapshot(expected), actual);
    EXPECT_EQ(DescribeDifferences(expected, actual, offsets), c.want) << c.why;
}

void put(ConfigImage& im, std::size_t at, double v) { ASSERT_TRUE(PutDeviceFloat(im, at, v).ok()); }

using R = ConfigRecord&;
using I = ConfigImage&;

INSTANTIATE_TEST_SUITE_P(ByItem, Differences, ::testing::Values(
    DiffCase{"the filter bytes", [](R r) { r.Parametry.FiltrCzas = 200; }, nullptr,
             {{"Signal filter", "0.0 %, 0.0 s, 0 %", "0.0 %, 20.0 s, 0 %", {3}}}},
    DiffCase{"byte 2 is split by bits: mode nibble, burnout, mains",
             [](R r) { r.Parametry.Burnout = 1; r.Parametry.Siec = 60; r.Czujnik.Tryb = 6; }, nullptr,
             {{"Sensor", "K, CJC", "K, no CJC", {2}}, {"Net filter", "50 Hz", "60 Hz", {2}},
              {"Output reaction to sensor burnout", "below 4mA", "above 20mA", {2}}}},
    DiffCase{"byte 7: sensor and linearization", nullptr, [](I, I a) { a[kLinAndType] = 1 << 5 | 9; },
             {{"Sensor", "K, CJC", "J, CJC", {7}}, {"linearization", "linearization", "none", {7}}}},
    DiffCase{"units share byte 6 with the resistance", [](R r) { r.Parametry.Jednostki = 9; }, nullptr,
             {{"Eng. units", "\xC2\xB0" "C", "%", {6}}}},
    DiffCase{"other coefficients than ours, in both areas, as one item", nullptr,
             [](I e, I a) {
                 put(e, kAreaA + 8, 0.25);
                 put(a, kAreaA + 8, 0.5);
                 put(e, kAreaB + 52, 1.0);
                 put(a, kAreaB + 52, -1.0);
             },
             {{"linearization coefficients", "A2 0.25; B13 1", "A2 0.5; B13 -1", {kAreaA + 8, kAreaB + 53}}}},
    DiffCase{"input range, the span float only", nullptr, [](I, I a) { put(a, kInputSpan, 400.0); },
             {{"Input range", "0 .. 500", "0 .. 400", {kInputSpan + 1}}}},
    DiffCase{"signal range as the transfer function", nullptr,
             [](I e, I a) {
                 put(e, kSignalMin, 0.0);
                 put(a, kSignalMin, 1.0);
                 put(e, kSignalStep, 0.25);
                 put(a, kSignalStep, 0.25);
             },
             {{"Transfer function", "0 .. 25", "1 .. 26", {kSignalMin}}}},
    DiffCase{"a correction changes its bytes and checksum C", [](R r) { r.Parametry.ZeroReg = 0.5; }, nullptr,
             {{"User corrections", "Zero 0, Gain 0", "Zero 0.5, Gain 0", {kZeroReg + 1}},
              {"Checksums", "C 00", "C 32", {kChecksumC}}}},
    DiffCase{"ID tag", [](R r) { r.Informacje.kod = "TT-02"; }, nullptr,
             {{"ID Tag", "\"TT-01\"", "\"TT-02\"", {kIdTag + 4}}}},
    DiffCase{"configuration date", nullptr, [](I, I a) { ++a[kConfigDate + 1]; },
             {{"Configuration date", "09.12.2025", "10.12.2025", {kConfigDate + 1}}}},
    DiffCase{"factory serial number", nullptr, [](I, I a) { a[kSerial + 2] = 7; },
             {{"Serial number", "0", "7", {kSerial + 2}}}},
    DiffCase{"signature, the unused bit of byte 2 and unmapped bytes", nullptr,
             [](I, I a) {
                 a[0] = 'X';
                 a[kFlagsAndMode] |= 0x20;
                 a[40] = 1;
                 a[kAfterIdTag] = 1;
             },
             {{"other bytes", "", "", {0, kFlagsAndMode, 40, kAfterIdTag}}}},
    DiffCase{"a value normalization hides: no texts", nullptr, [](I, I a) { a[kFilterRange] = 251; },
             {{"Signal filter", "", "", {kFilterRange}}}}));

TEST(CompareOptions, TheDateIsInformationUnlessAskedFor) {
    ConfigRecord r = thermocouple();
    ConfigImage written{}, readBack{};
    ASSERT_TRUE(EncodeImage(r, written, {kToday, 47}).ok());
    ASSERT_TRUE(EncodeImage(r, readBack, {kToday + 300, 47}).ok());
    const auto offsets = VerifyDifferences(TakeSnapshot(written), readBack);
    ASSERT_EQ(offsets, (std::vector<std::size_t>{kConfigDate, kConfigDate + 1})) << "checksum A is skipped";
    EXPECT_TRUE(ComparedOffsets(offsets, {}).empty());
    EXPECT_EQ(ComparedOffsets(offsets, {.compareDate = true}), offsets);
    EXPECT_EQ(ComparedOffsets({3, kConfigDate, kConfigDate + 1, 20}, {}), (std::vector<std::size_t>{3, 20}));
}

// A file as read, before normalization; `edit` makes it what a hand-edited file could hold.
struct RepairCase {
    const char* why;
    void (*edit)(ConfigRecord&);
    std::vector<Repair> want;
};
void PrintTo(const RepairCase& c, std::ostream* os) { *os << c.why; }

class Repairs : public ::testing::TestWithParam<RepairCase> {};

TEST_P(Repairs, ListEveryFieldNormalizationChanged) {
    const RepairCase& c = GetParam();
    ConfigRecord asRead = thermocouple();
    asRead.Czujnik = {1, 3, 0, 2};  // Pt100 (0.00385), 3-wire: -100 .. 850 degC
    asRead.Parametry.MaxInput = 100.0;
    c.edit(asRead);
    ConfigRecord normalized = asRead;
    NormalizeConfig(normalized);
    EXPECT_EQ(ListRepairs(asRead, normalized), c.want) << c.why;
}

INSTANTIATE_TEST_SUITE_P(ByRule, Repairs, ::testing::Values(
    RepairCase{"a valid file", [](R) {}, {}},
    RepairCase{"range beyond the sensor", [](R r) { r.Parametry.MaxInput = 99999; },
               {{"MaxInput", "99999", "850", "sensor limit"}}},
    RepairCase{"range ends inside the limits but reversed",
               [](R r) { r.Parametry.MinInput = 200; r.Parametry.MaxInput = 100; },
               {{"MinInput", "200", "-100", "minimum not below maximum"},
                {"MaxInput", "100", "850", "minimum not below maximum"}}},
    RepairCase{"codes", [](R r) { r.Czujnik = {25, 12, 5, 3}; },
               {{"Typ", "25", "20", "unknown sensor code"}, {"Tryb", "12", "0", "unknown connection code"},
                {"Lin", "3", "0", "unknown conversion code"},
                {"Gain", "5", "0", "only resistance thermometers have a nominal resistance"},
                {"MaxInput", "100", "0", "sensor limit"}}},  // code 20 without a conversion has no range
    RepairCase{"nominal resistance of a resistance thermometer", [](R r) { r.Czujnik.Gain = 4; },
               {{"Gain", "4", "0", "unknown nominal resistance"}}},
    RepairCase{"cold junction and corrections",
               [](R r) { r.Parametry.RoomT = 70; r.Parametry.ZeroReg = 2.5; r.Parametry.GainReg = -3; },
               {{"RoomT", "70", "25", "outside -20 .. 60 \xC2\xB0" "C"},
                {"ZeroReg", "2.5", "0", "outside -2 .. 2 %"}, {"GainReg", "-3", "0", "outside -2 .. 2 %"}}},
    RepairCase{"filter",
               [](R r) {
                   r.Parametry.FiltrZakres = 251;
                   r.Parametry.FiltrCzas = 401;
                   r.Parametry.FiltrLimit = -1;
               },
               {{"FiltrZakres", "251", "0", "outside 0 .. 250"},
                {"FiltrCzas", "401", "0", "outside 0 .. 400"},
                {"FiltrLimit", "-1", "0", "outside 0 .. 100"}}},
    RepairCase{"burnout, mains, unit",
               [](R r) { r.Parametry.Burnout = 3; r.Parametry.Siec = 0; r.Parametry.Jednostki = 11; },
               {{"Burnout", "3", "0", "unknown burnout reaction"},
                {"Siec", "0", "50", "neither 50 nor 60 Hz"},
                {"Jednostki", "11", "0", "unknown unit"}}}));

TEST(Repairs, AHandEditedFileShowsWhatAWriteWouldSend) {
    ConfigRecord rec = thermocouple();
    auto lines = files::ParFileLines(rec);
    lines[13] = "MaxInput=99999";
    ConfigRecord asRead;
    ASSERT_TRUE(files::ReadParLines(lines, rec, &asRead).ok());
    EXPECT_EQ(ListRepairs(asRead, rec), (std::vector<Repair>{{"MaxInput", "99999", "1370", "sensor limit"}}));
}

}  // namespace
}  // namespace r4860::model
