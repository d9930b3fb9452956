// Properties of the codec over many generated records and random images.
#include "model/config_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "common/date_text.h"
#include "common/text_encoding.h"
#include "model/models.h"
#include "model/sensor_characteristics.h"

namespace r4860::model {
namespace {

using namespace layout;
using Rng = std::mt19937;

constexpr long kToday = 46000;

int uniform(Rng& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
template <class T>
T pick(Rng& rng, const std::vector<T>& from) { return from[static_cast<std::size_t>(uniform(rng, 0, int(from.size()) - 1))]; }

// What the selection dialogs offer for a sensor.
std::vector<int> modesOf(int typ) {
    if (IsRtd(typ) || typ == 5) return {1, 2, 3, 4};
    if (IsThermocouple(typ) || typ == 15) return {1, 5, 6, 7};
    return {1, 5, 8, 9, 10, 11};
}
std::vector<int> linsOf(int typ) {
    if (IsTemperatureSensor(typ)) return {1, 2};
    if (typ == 15 || typ == 19) return {2};  // code 19 with Lin 1 has an empty range, no span to encode
    return {1, 2, 4, 8};
}
// Modes whose nibble reads back as the same mode; the others are one-way by design.
std::vector<int> modesReadBackBy(int model) {
    if (model >= 47 && model <= 49) return {2, 3, 4, 5, 6, 7};
    if (model == 20 || (model >= 37 && model <= 39)) return {5, 8, 9, 10, 11};
    return {5};
}

// Two distinct tenths inside [lo, hi], as the range edits produce them.
std::pair<int, int> tenthsWithin(Rng& rng, int lo, int hi) {
    const int a = uniform(rng, lo, hi - 1);
    return {a, uniform(rng, a + 1, hi)};
}

// A rising table from results r0..r1 to signals s0..s1, as a table file or a sampled series gives it.
PointTable linearTable(double r0, double r1, double s0, double s1) {
    PointTable t;
    for (int i = 0; i <= 20; ++i) t.points.push_back({r0 + i / 20.0 * (r1 - r0), s0 + i / 20.0 * (s1 - s0)});
    return t;
}

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
    if (series) {
        const double xmax = std::max({1.0, std::fabs(c[9]), std::fabs(c[10])});
        for (std::size_t k = 2; k <= 8; ++k) c[k] = uniform(rng, -100000, 100000) / 1000.0 / std::pow(xmax, k);
    }
    const auto higher = [&c](double x) { return SeriesValue(c, 9, x) - c[0] - c[1] * x; };
    c[1] = (t1 * 0.1 - t0 * 0.1 - (higher(c[10]) - higher(c[9]))) / (c[10] - c[9]);
    c[0] = t0 * 0.1 - c[1] * c[9] - higher(c[9]);
    r.LiveRanges[15] = {std::min(t0, t1), std::max(t0, t1)};
    const auto [lo, hi] = tenthsWithin(rng, std::min(t0, t1), std::max(t0, t1));
    r.Parametry.MinInput = lo * 0.1;
    r.Parametry.MaxInput = hi * 0.1;
    if (!series) return;
    r.Table = t1 < t0 ? linearTable(t1 * 0.1, t0 * 0.1, c[10], c[9]) : linearTable(t0 * 0.1, t1 * 0.1, c[9], c[10]);
    r.TableLoaded = true;
}

void generateRange(Rng& rng, ConfigRecord& r) {
    const int typ = r.Czujnik.Typ, lin = r.Czujnik.Lin;
    if (lin == 4 || lin == 8) return generateConversion(rng, r);
    if (typ == 15 || (IsSignalInput(typ) && lin == 2)) {  // a user table onto the input's signals
        const auto [lo, hi] = tenthsWithin(rng, -19990, 99990);
        r.Parametry.MinInput = lo * 0.1;
        r.Parametry.MaxInput = hi * 0.1;
        const TenthRange input = typ == 15 ? TenthRange{-50, 750} : r.LiveRanges[static_cast<std::size_t>(typ)];
        if (typ != 19) r.Table = linearTable(lo * 0.1 - 1.0, hi * 0.1 + 1.0, input.low * 0.1, input.high * 0.1);
        r.TableLoaded = typ != 19;
        return;
    }
    const TenthRange row = r.LiveRanges[static_cast<std::size_t>(typ)];
    const int lo = uniform(rng, row.low, row.high - 50);  // at least 5 units: never an empty signal span
    r.Parametry.MinInput = lo * 0.1;
    r.Parametry.MaxInput = uniform(rng, lo + 50, row.high) * 0.1;
}

struct Generated { ConfigRecord rec; ConfigImage image{}; };

// A valid, normalized record of any sensor, mode, model family and conversion, with the image
// the factory left behind (its model number and random other bytes).
Generated generate(Rng& rng) {
    Generated g;
    for (auto& b : g.image) b = static_cast<std::uint8_t>(uniform(rng, 0, 255));
    ConfigRecord& r = g.rec;
    int model = 0;
    std::vector<int> modes;
    do {
        model = pick(rng, std::vector<int>(ModelSelectionCodes.begin(), ModelSelectionCodes.end()));
        r.Czujnik.Typ = static_cast<std::uint8_t>(uniform(rng, 1, 19));
        const auto readBack = modesReadBackBy(model);
        modes.clear();
        for (const int m : modesOf(r.Czujnik.Typ))
            if (std::find(readBack.begin(), readBack.end(), m) != readBack.end()) modes.push_back(m);
    } while (modes.empty());
    r.Czujnik.Tryb = static_cast<std::uint8_t>(pick(rng, modes));
    r.Czujnik.Gain = static_cast<std::uint8_t>(IsRtd(r.Czujnik.Typ) ? uniform(rng, 0, 3) : 0);
    r.Czujnik.Lin = static_cast<std::uint8_t>(pick(rng, linsOf(r.Czujnik.Typ)));
    AdjustRtdRange(r);
    r.TableInputType = DerivedTableInputType(r.Czujnik.Typ);
    generateRange(rng, r);

    auto& p = r.Parametry;
    p.RoomT = uniform(rng, 0, 80 * 512) / 512.0 - 20.0;  // the field's 1/512 degC grid
    p.ZeroReg = uniform(rng, -200, 200) / 100.0;
    p.GainReg = uniform(rng, -200, 200) / 100.0;
    p.FiltrCzas = static_cast<std::int32_t>(std::nearbyint(uniform(rng, 0, 250) * 1.6));  // the panel's 0.16 s grid
    p.FiltrZakres = uniform(rng, 0, 250);
    p.FiltrLimit = uniform(rng, 0, 100);
    p.Burnout = uniform(rng, 0, 2);
    p.Siec = uniform(rng, 0, 1) ? 50 : 60;
    p.Jednostki = uniform(rng, 0, 10);

    r.Device = ModelName(model);
    g.image[kModelNumber] = static_cast<std::uint8_t>((4700 + model) >> 8);
    g.image[kModelNumber + 1] = static_cast<std::uint8_t>(4700 + model);
    static const std::vector<std::string> letters = {"A", "z", "0", "9", " ", "-", "/", ".", "#", "\xC5\x82", "\xC4\x85",
                                                     "\xC5\x9B", "\xC5\xBC", "\xC3\xB3", "\xC5\x81", "\xE2\x82\xAC", "\xC2\xB0"};
    for (int n = uniform(rng, 0, static_cast<int>(kIdTagLength)); n > 0; --n) r.Informacje.kod += pick(rng, letters);
    return g;
}

// The part of the record the image carries, with the quantisation of its fields.
void expectSameRecord(const ConfigRecord& want, const ConfigRecord& got, int i) {
    const auto rel = [](double v) { return 1e-6 * std::max(1.0, std::fabs(v)); };
    const auto &w = want.Parametry, &g = got.Parametry;
    // Seven figures around the nearest power of ten, for the minimum and for the step.
    const double signalScale = std::max({std::fabs(w.SignalMin), std::fabs(w.SignalMax), w.SignalMax - w.SignalMin});
    EXPECT_NEAR(g.SignalMin, w.SignalMin, 4 * rel(signalScale)) << "case " << i;
    EXPECT_NEAR(g.SignalMax, w.SignalMax, 4 * rel(signalScale)) << "case " << i;
    EXPECT_NEAR(g.MinInput, w.MinInput, rel(w.MinInput)) << "case " << i;
    EXPECT_NEAR(g.MaxInput, w.MaxInput, 2 * rel(std::max(std::fabs(w.MinInput), std::fabs(w.MaxInput)))) << "case " << i;
    EXPECT_NEAR(g.RoomT, w.RoomT, 1e-4) << "case " << i << ": seven figures of RoomT + 20";
    EXPECT_NEAR(g.ZeroReg, w.ZeroReg, 1e-9) << "case " << i;
    EXPECT_NEAR(g.GainReg, w.GainReg, 1e-9) << "case " << i;
    // The integer fields come back exactly: compare them all at once.
    ParametryGroup exact = g;
    exact.SignalMin = w.SignalMin, exact.SignalMax = w.SignalMax, exact.MinInput = w.MinInput;
    exact.MaxInput = w.MaxInput, exact.RoomT = w.RoomT, exact.ZeroReg = w.ZeroReg, exact.GainReg = w.GainReg;
    EXPECT_EQ(exact, w) << "case " << i;
    EXPECT_EQ(got.Czujnik, want.Czujnik) << "case " << i;
    EXPECT_EQ(got.Informacje.kod + got.Informacje.data + got.Device, want.Informacje.kod + DateText(kToday) + want.Device)
        << "case " << i;
    EXPECT_EQ(got.LiveRanges, want.LiveRanges) << "case " << i;
    // Coefficients pass through a 24-bit mantissa and a span of seven figures.
    const double span = w.MaxInput - w.MinInput;
    for (std::size_t k = 0; k < kLinCoefCount; ++k) {
        const double tol = 1e-6 * (std::fabs(want.LinCoef[k]) + (k == 0 ? std::fabs(w.MinInput) + std::fabs(span) : 0.0)) + 1e-12;
        EXPECT_NEAR(got.LinCoef[k], want.LinCoef[k], tol) << "case " << i << " c" << k;
    }
}

TEST(ImageRoundTrip, DecodingWhatWasEncodedGivesBackTheRecord) {
    Rng rng(4800);  // fixed seed: a failure replays exactly
    int families[100] = {}, lins[9] = {};
    for (int i = 0; i < 5000; ++i) {
        Generated g = generate(rng);
        ConfigRecord normalized = g.rec;
        NormalizeConfig(normalized);
        ASSERT_EQ(normalized.Czujnik, g.rec.Czujnik) << "the generator makes normalized records, case " << i;
        ASSERT_EQ(normalized.Parametry, g.rec.Parametry) << "case " << i;

        const auto ok = EncodeImage(g.rec, g.image, {kToday, 0});
        ASSERT_TRUE(ok.ok()) << "case " << i << ": " << ok.error().message;
        ConfigRecord back;
        DecodeImage(g.image, back);
        expectSameRecord(g.rec, back, i);
        if (HasFailure()) return;
        ++families[ModelCodeOfName(g.rec.Device).value_or(0)];
        ++lins[g.rec.Czujnik.Lin];
    }
    for (const int model : ModelSelectionCodes) EXPECT_GT(families[model], 50) << "model " << model << " covered";
    for (const int lin : {1, 2, 4, 8}) EXPECT_GT(lins[lin], 200) << "Lin " << lin << " covered";
}

TEST(ImageRoundTrip, RandomImagesDecodeIntoNormalizedRecordsThatEncodeOrTouchNothing) {
    Rng rng(4802);
    int refused = 0;
    for (int i = 0; i < 20000; ++i) {
        ConfigImage im;
        for (auto& b : im) b = static_cast<std::uint8_t>(uniform(rng, 0, 255));
        ConfigRecord r;
        DecodeImage(im, r);
        ConfigRecord again = r;
        NormalizeConfig(again);
        ASSERT_EQ(again.Czujnik, r.Czujnik) << i;
        ASSERT_TRUE(r.Czujnik.Typ >= 1 && r.Czujnik.Typ <= 20) << i;
        ASSERT_TRUE(IsValidUtf8(r.Informacje.kod) && IsValidUtf8(r.Informacje.CodeVersion)) << i;
        ASSERT_LE(Utf8Length(r.Informacje.kod), kIdTagLength) << i;
        ASSERT_TRUE(r.Device.size() <= kMaxDevice && r.Informacje.serial.size() <= kMaxSerial) << i;
        ASSERT_TRUE(std::isfinite(r.Parametry.MinInput) && std::isfinite(r.Parametry.MaxInput)) << i;
        if (i % 4) continue;
        const ConfigImage before = im;
        const auto ok = EncodeImage(r, im, {kToday, uniform(rng, 0, 120)});
        if (ok.ok()) continue;
        ++refused;
        ASSERT_EQ(ok.error().code, Errc::Refused) << i;
        ASSERT_EQ(im, before) << "a refused encode touches nothing, case " << i;
    }
    EXPECT_GT(refused, 0) << "random bytes hold invalid codes often enough to exercise the refusal";
}

}  // namespace
}  // namespace r4860::model
