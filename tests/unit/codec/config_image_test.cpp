// The image codec: the layout it writes, the rules it enforces, and round trips over many records.
#include "model/config_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "common/date_text.h"
#include "common/text_encoding.h"
#include "model/models.h"
#include "model/sensor_characteristics.h"
#include "model/transfer_function.h"

namespace r4860::model {
namespace {

using namespace layout;

constexpr long kToday = 46000;  // 09.12.2025

// A K thermocouple with internal compensation on an R4747, linearized, 0..500 degC.
ConfigRecord thermocouple() {
    ConfigRecord r;
    r.Czujnik = {10, 7, 0, 2};
    r.Parametry.MaxInput = 500.0, r.Parametry.Siec = 50, r.Parametry.Jednostki = 8, r.Device = "R4747";
    return r;
}

ConfigRecord signalInput(std::uint8_t typ, std::uint8_t tryb, const char* device) {
    ConfigRecord r;
    r.Czujnik = {typ, tryb, 0, 1};
    r.Parametry.MaxInput = typ == 17 ? 20.0 : 10.0, r.Parametry.Siec = 50;
    r.Device = device, r.TableInputType = DerivedTableInputType(typ);
    return r;
}

ConfigImage encoded(ConfigRecord r, int selectedModel = 47) {
    ConfigImage im{};
    const auto ok = EncodeImage(r, im, {kToday, selectedModel});
    EXPECT_TRUE(ok.ok()) << (ok.ok() ? "" : ok.error().message);
    return im;
}

ConfigRecord decoded(const ConfigImage& im, ConfigRecord r = {}) { DecodeImage(im, r); return r; }

int u16At(const ConfigImage& im, std::size_t at) { return im[at] << 8 | im[at + 1]; }

// The decoder needs the factory's model number to read the mode nibble.
ConfigImage withModel(ConfigImage im, int number) {
    im[kModelNumber] = static_cast<std::uint8_t>(number >> 8), im[kModelNumber + 1] = number & 0xFF;
    return im;
}

TEST(ImageCodec, ScalesTheNumericFieldsAndSetsTheFlagsOfTheHeader) {
    auto r = thermocouple();
    r.Parametry.RoomT = 25.0, r.Parametry.ZeroReg = -1.5, r.Parametry.GainReg = 2.0;
    ConfigImage im = encoded(r);
    EXPECT_EQ(u16At(im, kRoomT), 0x5A00) << "RoomT + 20 in 1/512 degC";
    EXPECT_EQ(u16At(im, kZeroReg), 0xFF6A) << "two's complement hundredths";
    EXPECT_EQ(u16At(im, kGainReg), 200);
    // Filter time in sixteenths of a second, rounded half-even both ways: {tenths, byte}.
    for (const auto& [czas, byte] : {std::pair{200, 125}, {5, 3}, {400, 250}, {0, 0}}) {
        r.Parametry.FiltrCzas = czas;
        im = encoded(r);
        EXPECT_EQ(im[kFilterTime], byte) << czas;
        EXPECT_EQ(decoded(im).Parametry.FiltrCzas, czas) << czas;
    }
    r.Parametry.Burnout = 2;  // the lock wins over the high bit
    im = encoded(r);
    EXPECT_EQ(im[kFlagsAndMode] & 0xF0, kMains50Bit | kBurnoutLockBit);
    im[kFlagsAndMode] |= kBurnoutHighBit;
    EXPECT_EQ(decoded(im).Parametry.Burnout, 2);
    r.Parametry.Burnout = 1, r.Parametry.Siec = 60;
    EXPECT_EQ(encoded(r)[kFlagsAndMode] & 0xF0, kBurnoutHighBit);
}

TEST(ImageCodec, ModeNibbleGoesByModelFamilyAndDecodesBack) {
    const struct { const char* why; int model, typ, tryb, nibble, back; } cases[] = {  // tryb -1: decoding only
        {"3-wire on an R4747", 47, 1, 3, 4, 3}, {"2-wire on an R4747", 47, 1, 2, 6, 2},
        {"4-wire on an R4748", 48, 3, 4, 5, 4}, {"no CJC on an R4749", 49, 10, 6, 1, 6},
        {"a millivolt input adds 8; its low bits 0 read as single input", 47, 16, 5, 8, 5},
        {"a resistance input adds 8 to its wiring", 47, 5, 2, 14, 2}, {"sum shares CJC's (one way)", 47, 17, 8, 2, 7},
        {"three-bit 3 means no information", 47, 0, -1, 3, 1}, {"only bits 0-2 count", 47, 0, -1, 15, 1},
        {"difference on an R4737, volt input", 37, 18, 9, 11, 9}, {"min on an R4739", 39, 18, 11, 15, 11},
        {"the double-input rule pairs the nibbles", 37, 0, -1, 9, 8},
        {"an R4720 writes the double-input nibble without the volt bit", 20, 18, 9, 10, 9},
        {"and reads it back like models 37-39", 20, 17, 10, 12, 10}, {"an R4760 has no modes", 60, 10, 7, 0, 5},
    };
    for (const auto& c : cases) {
        if (c.tryb >= 0) { EXPECT_EQ(EncodeModeNibble(c.model, c.tryb, c.typ), c.nibble) << c.why; }
        EXPECT_EQ(DecodeModeNibble(c.model, static_cast<std::uint8_t>(c.nibble)), c.back) << c.why;
    }
    auto r = signalInput(18, 9, "");
    EXPECT_EQ(encoded(r, 37)[kFlagsAndMode] & kModeNibbleMask, 11) << "no model read: the selection decides";
    EXPECT_EQ(encoded(r, 47)[kFlagsAndMode] & kModeNibbleMask, 0);
    r.Device = "R4737";
    EXPECT_EQ(encoded(r, 47)[kFlagsAndMode] & kModeNibbleMask, 11) << "a read model wins";
}

TEST(ImageCodec, IdTagIsWindows1250PaddedWith255) {
    const struct { const char* why; std::string kod, stored; } cases[] = {
        {"longer than 15 characters is cut", "ABCDEFGHIJKLMNOPQR", "ABCDEFGHIJKLMNO"},
        {"controls never reach the device", "A\tB\r\n", "AB"},
        {"the filler's own character is written as unknown", "x\xCB\x99", "x?"},
        {"a character the code page lacks", "\xE4\xB8\xAD", "?"},
    };
    for (const auto& c : cases) {
        ConfigRecord r;
        r.Informacje.kod = c.kod;
        ConfigImage im{};
        EncodeIdTag(r, im);
        EXPECT_EQ(std::string(im.begin() + kIdTag, im.begin() + kIdTag + kIdTagLength),
                  c.stored + std::string(kIdTagLength - c.stored.size(), '\xFF')) << c.why;
        EXPECT_EQ(decoded(im).Informacje.kod, c.stored) << c.why;
    }
}

TEST(ImageCodec, DecodingReadsTheFactoryFieldsAndFillsAnEmptyRange) {
    ConfigImage im = withModel(encoded(thermocouple()), 4748);
    im[kCalDate] = 45000 >> 8, im[kCalDate + 1] = 45000 & 0xFF;
    std::ranges::copy(std::array<std::uint8_t, 3>{0x12, 0xD6, 0x87}, im.begin() + kSerial);
    std::ranges::copy(std::array<std::uint8_t, 8>{'T', 0x00, 0x0D, 'A', 0xFF, 0x7F, 0x81, 'G'}, im.begin() + kIdTag);
    std::ranges::copy(std::array<std::uint8_t, 4>{'1', 0x0A, '2', 0x00}, im.begin() + kCodeVersion);
    ConfigRecord r;
    r.Informacje.ogolne = "kept on the computer only", r.File = "old.dat";
    DecodeImage(im, r);
    EXPECT_EQ(r.Device + " " + r.Informacje.serial + " " + r.Informacje.kod + " " + r.Informacje.CodeVersion,
              "R4748 1234567 TAG 12");
    EXPECT_EQ(r.Informacje.CalDate + " " + r.Informacje.data, DateText(45000) + " 09.12.2025");
    EXPECT_TRUE(r.Informacje.ogolne.empty() && r.File.empty());
    EXPECT_EQ(decoded(withModel(im, 0xFFFF)).Device, "R6553") << "six digits are cut to five characters";
    // An empty range decodes to the sensor's full range; only Lin 4 and 8 read coefficients back.
    im = withModel(encoded(thermocouple()), 4747);
    std::fill(im.begin() + kSignalMin, im.begin() + kHeaderEnd, std::uint8_t{0});
    r = decoded(im);
    EXPECT_EQ(r.Parametry.SignalMax, 0.0);
    EXPECT_DOUBLE_EQ(r.Parametry.MinInput, -150.0);
    EXPECT_DOUBLE_EQ(r.Parametry.MaxInput, 1370.0);
    ConfigRecord keep;
    keep.LinCoef = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, keep.LiveRanges[15] = {7, 8};
    const ConfigRecord after = decoded(withModel(encoded(signalInput(17, 5, "R4747")), 4747), keep);
    EXPECT_TRUE(after.LinCoef == keep.LinCoef && after.LiveRanges[15] == keep.LiveRanges[15]);
}

TEST(ImageCodec, EncodingSumsItsAreasAndLeavesTheFactoryAndUninterpretedBytesAlone) {
    ConfigImage im;
    for (std::size_t i = 0; i < im.size(); ++i) im[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const ConfigImage before = im;
    auto r = thermocouple();  // linearized: area B holds the sensor's set
    r.Parametry.ZeroReg = 0.37, r.Parametry.GainReg = -1.21;
    ASSERT_TRUE(EncodeImage(r, im, {kToday, 47}).ok());
    const auto sum = [&im](int first, int end) { return std::accumulate(im.begin() + first, im.begin() + end, 0u) & 0xFF; };
    EXPECT_EQ(im[kChecksumA], 255 - sum(0, 28));
    EXPECT_EQ(im[kChecksumB], 255 - ((sum(64, 108) + sum(192, 248)) & 0xFF));
    EXPECT_EQ(im[kChecksumC], sum(248, 252));
    EXPECT_NE(im[kChecksumC], 0) << "the corrections make the sum non-trivial";
    for (const std::size_t i : {28, 29, 30, 31, 32, 33, 34, 35, 36, 63, 123, 124, 125, 128, 191, 253, 2047, 2051})
        EXPECT_EQ(im[i], before[i]) << "offset " << i;
    EXPECT_EQ(u16At(im, kConfigDate), kToday);
    EXPECT_EQ(r.Informacje.data, "09.12.2025") << "the record learns the date it was written";
    EXPECT_NEAR(GetDeviceFloat(im, kSignalStep) * 100.0, r.Parametry.SignalMax - r.Parametry.SignalMin, 1e-5);
    // Linearization stores the sensor's set in both areas.
    const auto& s = SensorLinTableFor(10);
    const auto near = [&im](std::size_t at, double want) {
        EXPECT_NEAR(GetDeviceFloat(im, at), want, std::ldexp(std::fabs(want), -22) + 1e-300) << "offset " << at;
    };
    near(64, s[0]), near(68, s[1] - s[0]), near(72, s[3]), near(76, s[4]);
    for (std::size_t k = 0; k < 7; ++k) near(80 + 4 * k, s[7 + k]), near(192 + 4 * k, s[14 + k]), near(220 + 4 * k, s[21 + k]);
    im.fill(0x5A);  // other conversions store the device coefficients and clear area B
    r = signalInput(17, 5, "R4747");
    ASSERT_TRUE(EncodeImage(r, im, {kToday, 47}).ok());
    EXPECT_NEAR(GetDeviceFloat(im, 68), 1.0 / 20.0, 1e-8) << "d1 of 0..20 mA";
    for (std::size_t k = 2; k < kAreaAFloats; ++k) EXPECT_EQ(GetDeviceFloat(im, 64 + 4 * k), 0.0) << k;
    for (std::size_t i = kAreaB; i < kZeroReg; ++i) EXPECT_EQ(im[i], 0) << i;
}

TEST(ImageCodec, RefusalsLeaveImageAndRecordExactlyAsTheyWere) {
    constexpr const char *kOut = "Out of range!", *kNotMonotonic = "Transfer function is not monotonic";
    using R = ConfigRecord&;
    const struct { const char* why; void (*spoil)(R); const char* message; long today = kToday; } cases[] = {
        {"no sensor chosen", [](R r) { r.Czujnik.Typ = 20; }, "No parameters"},
        {"conversion code 0", [](R r) { r.Czujnik.Lin = 0; }, kOut}, {"mode 0", [](R r) { r.Czujnik.Tryb = 0; }, kOut},
        {"a linear conversion on a thermocouple", [](R r) { r.Czujnik.Lin = 4; }, kOut},
        {"wiring on a thermocouple", [](R r) { r.Czujnik.Tryb = 3; }, kOut},
        {"a resistance thermometer with a compensation mode", [](R r) { r.Czujnik = {1, 7, 0, 2}; }, kOut},
        {"burnout 3", [](R r) { r.Parametry.Burnout = 3; }, kOut}, {"mains 0 Hz", [](R r) { r.Parametry.Siec = 0; }, kOut},
        {"unit 16 does not fit four bits", [](R r) { r.Parametry.Jednostki = 16; }, kOut},
        {"a filter time beyond the byte", [](R r) { r.Parametry.FiltrCzas = 409; }, kOut},
        {"a negative filter time", [](R r) { r.Parametry.FiltrCzas = -1; }, kOut},
        {"a filtration range beyond the byte", [](R r) { r.Parametry.FiltrZakres = 256; }, kOut},
        {"a huge threshold must not wrap", [](R r) { r.Parametry.FiltrLimit = 1 << 30; }, kOut},
        {"RoomT beyond u16", [](R r) { r.Parametry.RoomT = 200.0; }, kOut},
        {"RoomT NaN", [](R r) { r.Parametry.RoomT = std::nan(""); }, kOut},
        {"a correction beyond i16", [](R r) { r.Parametry.ZeroReg = 400.0; }, kOut},
        {"a huge correction must not be UB", [](R r) { r.Parametry.GainReg = 1e300; }, kOut},
        {"an infinite range end", [](R r) { r.Parametry.MaxInput = HUGE_VAL; }, kOut},
        {"a date beyond the u16 field", [](R) {}, kOut, 70000},
        {"a user sensor without its table", [](R r) { r.Czujnik = {15, 7, 0, 2}; }, kNotMonotonic},
        {"a power-series coefficient the device float cannot hold", [](R r) {
             r.Czujnik = {16, 5, 0, 8}, r.Table.points = {{0.0, 0.0}, {1000.0, 1000.0}};
             r.LinCoef = {0, 1, 0, 0, 0, 0, 0, 0, 1e300, 0.0, 100.0}; }, kNotMonotonic},
    };
    for (const auto& c : cases) {
        ConfigRecord r = thermocouple();
        c.spoil(r);
        ConfigImage im;
        for (std::size_t i = 0; i < im.size(); ++i) im[i] = static_cast<std::uint8_t>(i * 13 + 1);
        const ConfigImage before = im;
        const ConfigRecord saved = r;
        const auto result = EncodeImage(r, im, {c.today, 47});
        ASSERT_TRUE(!result.ok() && result.error().code == Errc::Refused) << c.why;
        EXPECT_EQ(result.error().message, c.message) << c.why;
        EXPECT_EQ(im, before) << c.why;
        // Bitwise, so that a NaN left in place compares equal to itself.
        EXPECT_EQ(std::memcmp(&r.Parametry, &saved.Parametry, sizeof r.Parametry), 0) << c.why;
        EXPECT_EQ(r.Informacje, saved.Informacje) << c.why;
    }
}

TEST(Verification, ComparesTheFirst256BytesExceptTheChecksumSlots) {
    ConfigImage written;
    for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<std::uint8_t>(i);
    const ImageSnapshot saved = TakeSnapshot(written);
    ConfigImage readBack = written;
    for (const std::size_t at : {125, 126, 127, 253, 254, 255, 256, 0, 124, 128, 252}) readBack[at] ^= 0xFF;
    EXPECT_EQ(VerifyDifferences(saved, readBack), (std::vector<std::size_t>{0, 124, 128, 252}))
        << "device-kept bytes and byte 256 are not compared";
    RestoreSnapshot(readBack, saved);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), readBack.begin())) << "the image holds what was written";
    EXPECT_EQ(readBack[256], static_cast<std::uint8_t>(written[256] ^ 0xFF)) << "only 256 bytes are restored";
}

using Rng = std::mt19937;

int uniform(Rng& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
template <class T>
T pick(Rng& rng, const std::vector<T>& from) { return from[static_cast<std::size_t>(uniform(rng, 0, int(from.size()) - 1))]; }
// What the selection dialogs offer for a sensor.
std::vector<int> modesOf(int typ) {
    if (IsRtd(typ) || typ == 5) return {1, 2, 3, 4};
    return IsThermocouple(typ) || typ == 15 ? std::vector{1, 5, 6, 7} : std::vector{1, 5, 8, 9, 10, 11};
}
std::vector<int> linsOf(int typ) {
    if (IsTemperatureSensor(typ)) return {1, 2};
    if (typ == 15 || typ == 19) return {2};  // code 19 with Lin 1 has an empty range, no span to encode
    return {1, 2, 4, 8};
}

// Two distinct tenths inside [lo, hi], as the range edits produce them.
std::pair<int, int> tenthsWithin(Rng& rng, int lo, int hi) {
    const int a = uniform(rng, lo, hi - 1);  // drawn first: the order of the draws is fixed
    return {a, uniform(rng, a + 1, hi)};
}

// A rising table from results r0..r1 to signals s0..s1, as a table file or a sampled series gives it.
PointTable linearTable(double r0, double r1, double s0, double s1) { return {{{r0, s0}, {r1, s1}}}; }

// A conversion through (c9, T0) and (c10, T1) with random higher terms, as the conversion
// dialogs leave it: result range in row 15, the range inside it.
void generateConversion(Rng& rng, ConfigRecord& r) {
    const TenthRange input = r.LiveRanges[r.Czujnik.Typ];
    const bool series = r.Czujnik.Lin == 8;
    auto& c = r.LinCoef;
    c.fill(0.0);
    // A read-back holds the input type's full range; a series spans at least half of it, since a
    // short interval would need huge slopes whose rounding hides the result range.
    const int quarter = series ? (input.high - input.low) / 4 : 0;
    c[9] = uniform(rng, input.low, input.low + quarter) * 0.1;
    c[10] = uniform(rng, input.high - quarter, input.high) * 0.1;
    int t0 = uniform(rng, -19990, 99990), t1 = uniform(rng, -19990, 99990);
    if (t0 == t1) ++t1;
    const double xmax = std::max({1.0, std::fabs(c[9]), std::fabs(c[10])});
    for (std::size_t k = 2; series && k <= 8; ++k) c[k] = uniform(rng, -100000, 100000) / 1000.0 / std::pow(xmax, k);
    const auto higher = [&c](double x) { return SeriesValue(c, 9, x) - c[0] - c[1] * x; };
    // A series that turns inside its interval is refused: the higher terms shrink until it does not.
    for (bool first = true; first || !SeriesMonotonic(c); first = false) {
        if (!first)
            for (std::size_t k = 2; k <= 8; ++k) c[k] /= 2;
        c[1] = (t1 * 0.1 - t0 * 0.1 - (higher(c[10]) - higher(c[9]))) / (c[10] - c[9]);
        c[0] = t0 * 0.1 - c[1] * c[9] - higher(c[9]);
    }
    r.LiveRanges[15] = {std::min(t0, t1), std::max(t0, t1)};
    const auto [lo, hi] = tenthsWithin(rng, std::min(t0, t1), std::max(t0, t1));
    r.Parametry.MinInput = lo * 0.1, r.Parametry.MaxInput = hi * 0.1;
    if (series) r.Table = t1 < t0 ? linearTable(t1 * 0.1, t0 * 0.1, c[10], c[9]) : linearTable(t0 * 0.1, t1 * 0.1, c[9], c[10]);
    r.TableLoaded = series;
}

void generateRange(Rng& rng, ConfigRecord& r) {
    const int typ = r.Czujnik.Typ, lin = r.Czujnik.Lin;
    if (lin == 4 || lin == 8) return generateConversion(rng, r);
    if (typ == 15 || (IsSignalInput(typ) && lin == 2)) {  // a user table onto the input's signals
        const auto [lo, hi] = tenthsWithin(rng, -19990, 99990);
        r.Parametry.MinInput = lo * 0.1, r.Parametry.MaxInput = hi * 0.1;
        const TenthRange input = typ == 15 ? TenthRange{-50, 750} : r.LiveRanges[static_cast<std::size_t>(typ)];
        if (typ != 19) r.Table = linearTable(lo * 0.1 - 1.0, hi * 0.1 + 1.0, input.low * 0.1, input.high * 0.1);
        r.TableLoaded = typ != 19;
        return;
    }
    const TenthRange row = r.LiveRanges[static_cast<std::size_t>(typ)];
    const int lo = uniform(rng, row.low, row.high - 50);  // at least 5 units: never an empty signal span
    r.Parametry.MinInput = lo * 0.1, r.Parametry.MaxInput = uniform(rng, lo + 50, row.high) * 0.1;
}

// A valid, normalized record of any sensor, mode, model family and conversion, written into an
// image the factory left behind: its model number and random other bytes.
ConfigRecord generate(Rng& rng, ConfigImage& image) {
    for (auto& b : image) b = static_cast<std::uint8_t>(uniform(rng, 0, 255));
    ConfigRecord r;
    int model = 0;
    do {  // only modes whose nibble reads back as the same mode; the others are one-way by design
        model = pick(rng, std::vector<int>(ModelSelectionCodes.begin(), ModelSelectionCodes.end()));
        r.Czujnik.Typ = static_cast<std::uint8_t>(uniform(rng, 1, 19));
        r.Czujnik.Tryb = static_cast<std::uint8_t>(pick(rng, modesOf(r.Czujnik.Typ)));
    } while (DecodeModeNibble(model, EncodeModeNibble(model, r.Czujnik.Tryb, r.Czujnik.Typ)) != r.Czujnik.Tryb);
    r.Czujnik.Gain = static_cast<std::uint8_t>(IsRtd(r.Czujnik.Typ) ? uniform(rng, 0, 3) : 0);
    r.Czujnik.Lin = static_cast<std::uint8_t>(pick(rng, linsOf(r.Czujnik.Typ)));
    AdjustRtdRange(r);
    r.TableInputType = DerivedTableInputType(r.Czujnik.Typ);
    generateRange(rng, r);
    auto& p = r.Parametry;
    p.RoomT = uniform(rng, 0, 80 * 512) / 512.0 - 20.0;  // the field's 1/512 degC grid
    p.ZeroReg = uniform(rng, -200, 200) / 100.0, p.GainReg = uniform(rng, -200, 200) / 100.0;
    p.FiltrCzas = static_cast<std::int32_t>(std::nearbyint(uniform(rng, 0, 250) * 1.6));  // the panel's 0.16 s grid
    p.FiltrZakres = uniform(rng, 0, 250), p.FiltrLimit = uniform(rng, 0, 100), p.Burnout = uniform(rng, 0, 2);
    p.Siec = uniform(rng, 0, 1) ? 50 : 60, p.Jednostki = uniform(rng, 0, 10);
    r.Device = ModelName(model), image = withModel(image, 4700 + model);
    static const std::vector<std::string> letters = {"A", "z", "0", " ", "-", "/", "#", "ł", "ą", "ż", "Ł", "€", "°"};
    for (int n = uniform(rng, 0, static_cast<int>(kIdTagLength)); n > 0; --n) r.Informacje.kod += pick(rng, letters);
    return r;
}

// The part of the record the image carries, with the quantisation of its fields.
void expectSameRecord(const ConfigRecord& want, const ConfigRecord& got) {
    const auto rel = [](double v) { return 1e-6 * std::max(1.0, std::fabs(v)); };
    const auto &w = want.Parametry, &g = got.Parametry;
    // Seven figures around the nearest power of ten, for the minimum and for the step.
    const double signalScale = std::max({std::fabs(w.SignalMin), std::fabs(w.SignalMax), w.SignalMax - w.SignalMin});
    EXPECT_NEAR(g.SignalMin, w.SignalMin, 4 * rel(signalScale));
    EXPECT_NEAR(g.SignalMax, w.SignalMax, 4 * rel(signalScale));
    EXPECT_NEAR(g.MinInput, w.MinInput, rel(w.MinInput));
    EXPECT_NEAR(g.MaxInput, w.MaxInput, 2 * rel(std::max(std::fabs(w.MinInput), std::fabs(w.MaxInput))));
    EXPECT_NEAR(g.RoomT, w.RoomT, 1e-4) << "seven figures of RoomT + 20";
    EXPECT_NEAR(g.ZeroReg, w.ZeroReg, 1e-9);
    EXPECT_NEAR(g.GainReg, w.GainReg, 1e-9);
    EXPECT_EQ(std::tie(g.FiltrLimit, g.FiltrZakres, g.FiltrCzas, g.Burnout, g.Siec, g.Jednostki),
              std::tie(w.FiltrLimit, w.FiltrZakres, w.FiltrCzas, w.Burnout, w.Siec, w.Jednostki));
    EXPECT_EQ(got.Czujnik, want.Czujnik);
    EXPECT_EQ(got.Informacje.kod + got.Informacje.data + got.Device, want.Informacje.kod + DateText(kToday) + want.Device);
    EXPECT_EQ(got.LiveRanges, want.LiveRanges);
    // Coefficients pass through a 24-bit mantissa and a span of seven figures.
    const double span = std::fabs(w.MinInput) + std::fabs(w.MaxInput - w.MinInput);
    for (std::size_t k = 0; k < kLinCoefCount; ++k)
        EXPECT_NEAR(got.LinCoef[k], want.LinCoef[k], 1e-6 * (std::fabs(want.LinCoef[k]) + (k == 0 ? span : 0.0)) + 1e-12)
            << "c" << k;
}

// Generated records come back; the random images they go into decode into sane, normalized records.
TEST(ImageRoundTrip, DecodingWhatWasEncodedGivesBackTheRecord) {
    Rng rng(4800);  // fixed seed: a failure replays exactly
    for (int i = 0; i < 5000 && !HasFailure(); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        ConfigImage image;
        ConfigRecord rec = generate(rng, image);
        ConfigRecord before, again;
        DecodeImage(image, before);
        NormalizeConfig(again = before);
        ASSERT_TRUE(again.Czujnik == before.Czujnik && before.Czujnik.Typ >= 1 && before.Czujnik.Typ <= 20);
        ASSERT_TRUE(IsValidUtf8(before.Informacje.kod) && IsValidUtf8(before.Informacje.CodeVersion) &&
                    Utf8Length(before.Informacje.kod) <= kIdTagLength && before.Informacje.serial.size() <= kMaxSerial);
        ASSERT_TRUE(std::isfinite(before.Parametry.MinInput) && std::isfinite(before.Parametry.MaxInput));
        const auto ok = EncodeImage(rec, image, {kToday, 0});
        ASSERT_TRUE(ok.ok()) << ok.error().message;
        expectSameRecord(rec, decoded(image));
    }
}

}  // namespace
}  // namespace r4860::model
