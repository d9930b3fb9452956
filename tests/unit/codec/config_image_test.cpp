#include "model/config_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

#include "common/date_text.h"
#include "model/sensor_characteristics.h"

namespace r4860::model {
namespace {

using namespace layout;

constexpr long kToday = 46000;  // 09.12.2025

// A K thermocouple with internal compensation on an R4747, linearized, 0..500 degC.
ConfigRecord thermocouple() {
    ConfigRecord r;
    r.Czujnik = {10, 7, 0, 2};
    r.Parametry.MaxInput = 500.0, r.Parametry.Siec = 50, r.Parametry.Jednostki = 8;
    r.Device = "R4747";
    return r;
}

ConfigRecord signalInput(std::uint8_t typ, std::uint8_t tryb, const char* device) {
    ConfigRecord r;
    r.Czujnik = {typ, tryb, 0, 1};
    r.Parametry.MaxInput = typ == 17 ? 20.0 : 10.0, r.Parametry.Siec = 50;
    r.Device = device;
    r.TableInputType = DerivedTableInputType(typ);
    return r;
}

ConfigImage encoded(ConfigRecord r, int selectedModel = 47) {
    ConfigImage im{};
    const auto ok = EncodeImage(r, im, {kToday, selectedModel});
    EXPECT_TRUE(ok.ok()) << (ok.ok() ? "" : ok.error().message);
    return im;
}

ConfigRecord decoded(const ConfigImage& im) {
    ConfigRecord r;
    DecodeImage(im, r);
    return r;
}

int u16At(const ConfigImage& im, std::size_t at) { return im[at] << 8 | im[at + 1]; }

// The decoder needs the factory's model number to read the mode nibble.
ConfigImage withModel(ConfigImage im, int number) {
    im[kModelNumber] = static_cast<std::uint8_t>(number >> 8);
    im[kModelNumber + 1] = static_cast<std::uint8_t>(number & 0xFF);
    return im;
}

TEST(ImageCodec, ScalesTheNumericFieldsOfTheHeader) {
    auto r = thermocouple();
    r.Parametry.RoomT = 25.0, r.Parametry.ZeroReg = -1.5, r.Parametry.GainReg = 2.0;
    ConfigImage im = encoded(r);
    EXPECT_EQ(u16At(im, kRoomT), 0x5A00) << "RoomT + 20 in 1/512 degC";
    EXPECT_EQ(u16At(im, kZeroReg), 0xFF6A) << "two's complement hundredths";
    EXPECT_EQ(u16At(im, kGainReg), 200);
    im[kRoomT] = im[kRoomT + 1] = 0;
    EXPECT_DOUBLE_EQ(decoded(im).Parametry.RoomT, -20.0);
    // Filter time in sixteenths of a second, rounded half-even both ways: {tenths, byte}.
    for (const auto& [czas, byte] : {std::pair{200, 125}, {5, 3}, {400, 250}, {0, 0}}) {
        r.Parametry.FiltrCzas = czas;
        im = encoded(r);
        EXPECT_EQ(im[kFilterTime], byte) << czas;
        EXPECT_EQ(decoded(im).Parametry.FiltrCzas, czas) << czas;
    }
    r = signalInput(16, 5, "R4747");
    r.Czujnik.Lin = 8;
    r.Table.points = {{-2000.0, -1000.0}, {2000.0, 1000.0}};
    r.LinCoef = {0, 2, 0, 0, 0, 0, 0, 0, 0, -1000, 1000};
    im = encoded(r);
    EXPECT_EQ(im[kLinAndType], 7 << 5 | 16) << "conversion code 8 is stored as 7";
    EXPECT_EQ(decoded(im).Czujnik.Lin, 8);
}

TEST(ImageCodec, ModeNibbleGoesByModelFamilyAndDecodesBack) {
    struct Case { const char* why; int model, typ, tryb, nibble, back; };  // tryb -1: decoding only
    const Case cases[] = {
        {"3-wire on an R4747", 47, 1, 3, 4, 3},
        {"2-wire on an R4747", 47, 1, 2, 6, 2},
        {"4-wire on an R4748", 48, 3, 4, 5, 4},
        {"no CJC on an R4749", 49, 10, 6, 1, 6},
        {"a millivolt input adds 8; its low bits 0 read as single input", 47, 16, 5, 8, 5},
        {"a resistance input adds 8 to its wiring", 47, 5, 2, 14, 2},
        {"sum on an R4747 shares CJC's nibble (one way)", 47, 17, 8, 2, 7},
        {"three-bit 3 means no information", 47, 0, -1, 3, 1},
        {"only bits 0-2 count", 47, 0, -1, 15, 1},
        {"difference on an R4737 with a volt input", 37, 18, 9, 11, 9},
        {"the double-input rule pairs the nibbles", 37, 0, -1, 9, 8},
        {"min on an R4739 with a volt input", 39, 18, 11, 15, 11},
        {"an R4720 writes the double-input nibble without the volt bit", 20, 18, 9, 10, 9},
        {"and reads it back like models 37-39", 20, 17, 10, 12, 10},
        {"an R4760 has no modes", 60, 10, 7, 0, 5},
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
    struct Case { const char* why; std::string kod, stored; };
    const Case cases[] = {
        {"two letters, then the filler", "AB", "AB"},
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
        std::string want = c.stored;
        want.resize(kIdTagLength, '\xFF');
        EXPECT_EQ(std::string(im.begin() + kIdTag, im.begin() + kIdTag + kIdTagLength), want) << c.why;
        EXPECT_EQ(decoded(im).Informacje.kod, c.stored) << c.why;
    }
}

TEST(ImageCodec, DecodingReadsTheFactoryFieldsAndDropsControlsAndFiller) {
    ConfigImage im = withModel(encoded(thermocouple()), 4748);
    im[kCalDate] = 45000 >> 8, im[kCalDate + 1] = 45000 & 0xFF;
    const std::uint8_t serial[] = {0x12, 0xD6, 0x87}, tag[] = {'T', 0x00, 0x0D, 'A', 0xFF, 0x7F, 0x81, 'G'},
                       version[] = {'1', 0x0A, '2', 0x00};
    std::ranges::copy(serial, im.begin() + kSerial);
    std::ranges::copy(tag, im.begin() + kIdTag);
    std::ranges::copy(version, im.begin() + kCodeVersion);
    ConfigRecord r;
    r.Informacje.ogolne = "kept on the computer only";
    r.File = "old.dat";
    DecodeImage(im, r);
    EXPECT_EQ(r.Device, "R4748");
    EXPECT_EQ(r.Informacje.CalDate, DateText(45000));
    EXPECT_EQ(r.Informacje.serial, "1234567");
    EXPECT_EQ(r.Informacje.kod, "TAG");
    EXPECT_EQ(r.Informacje.CodeVersion, "12");
    EXPECT_EQ(r.Informacje.data, "09.12.2025");
    EXPECT_TRUE(r.Informacje.ogolne.empty() && r.File.empty());
    EXPECT_EQ(decoded(withModel(im, 0xFFFF)).Device, "R6553") << "six digits are cut to five characters";
}

TEST(ImageCodec, BurnoutLockWinsOverTheHighBit) {
    auto r = thermocouple();
    r.Parametry.Burnout = 2;
    ConfigImage im = encoded(r);
    EXPECT_EQ(im[kFlagsAndMode] & 0xF0, kMains50Bit | kBurnoutLockBit);
    im[kFlagsAndMode] |= kBurnoutHighBit;
    EXPECT_EQ(decoded(im).Parametry.Burnout, 2);
    r.Parametry.Burnout = 1, r.Parametry.Siec = 60;
    im = encoded(r);
    EXPECT_EQ(im[kFlagsAndMode] & 0xF0, kBurnoutHighBit);
    EXPECT_EQ(decoded(im).Parametry.Siec, 60);
}

TEST(ImageCodec, ChecksumsCoverTheirAreas) {
    auto r = thermocouple();  // linearized: area B holds the sensor's set
    r.Parametry.ZeroReg = 0.37, r.Parametry.GainReg = -1.21;
    const ConfigImage im = encoded(r);
    const auto sum = [&im](std::ptrdiff_t first, std::ptrdiff_t end) {
        return std::accumulate(im.begin() + first, im.begin() + end, 0u) & 0xFF;
    };
    EXPECT_EQ(im[kChecksumA], 255 - sum(0, 28));
    EXPECT_EQ(im[kChecksumB], 255 - ((sum(64, 108) + sum(192, 248)) & 0xFF));
    EXPECT_EQ(im[kChecksumC], sum(248, 252));
    EXPECT_NE(im[kChecksumC], 0) << "the corrections make the sum non-trivial";
}

TEST(ImageCodec, EncodingLeavesTheFactoryAndUninterpretedBytesAlone) {
    ConfigImage im{};
    for (std::size_t i = 0; i < im.size(); ++i) im[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const ConfigImage before = im;
    auto r = thermocouple();
    ASSERT_TRUE(EncodeImage(r, im, {kToday, 47}).ok());
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
    struct Case { const char* why; void (*spoil)(ConfigRecord&); const char* message; long today = kToday; };
    const Case cases[] = {
        {"no sensor chosen", [](R r) { r.Czujnik.Typ = 20; }, "No parameters"},
        {"conversion code 0", [](R r) { r.Czujnik.Lin = 0; }, kOut},
        {"mode code 0", [](R r) { r.Czujnik.Tryb = 0; }, kOut},
        {"a linear conversion on a thermocouple", [](R r) { r.Czujnik.Lin = 4; }, kOut},
        {"wiring on a thermocouple", [](R r) { r.Czujnik.Tryb = 3; }, kOut},
        {"a resistance thermometer with a compensation mode", [](R r) { r.Czujnik = {1, 7, 0, 2}; }, kOut},
        {"burnout code 3", [](R r) { r.Parametry.Burnout = 3; }, kOut},
        {"mains 0 Hz would be written as 60", [](R r) { r.Parametry.Siec = 0; }, kOut},
        {"unit 16 does not fit four bits", [](R r) { r.Parametry.Jednostki = 16; }, kOut},
        {"a filter time beyond the byte", [](R r) { r.Parametry.FiltrCzas = 409; }, kOut},
        {"a negative filter time", [](R r) { r.Parametry.FiltrCzas = -1; }, kOut},
        {"a filtration range beyond the byte", [](R r) { r.Parametry.FiltrZakres = 256; }, kOut},
        {"a huge threshold must not wrap", [](R r) { r.Parametry.FiltrLimit = 1 << 30; }, kOut},
        {"RoomT beyond the u16 field", [](R r) { r.Parametry.RoomT = 200.0; }, kOut},
        {"RoomT NaN", [](R r) { r.Parametry.RoomT = std::nan(""); }, kOut},
        {"a correction beyond i16", [](R r) { r.Parametry.ZeroReg = 400.0; }, kOut},
        {"a huge correction must not be UB", [](R r) { r.Parametry.GainReg = 1e300; }, kOut},
        {"an infinite range end", [](R r) { r.Parametry.MaxInput = std::numeric_limits<double>::infinity(); }, kOut},
        {"a date beyond the u16 field", [](R) {}, kOut, 70000},
        {"a user sensor without its table", [](R r) { r.Czujnik = {15, 7, 0, 2}; }, kNotMonotonic},
        {"a power-series coefficient the device float cannot hold", [](R r) {
             r.Czujnik = {16, 5, 0, 8};
             r.Table.points = {{0.0, 0.0}, {1000.0, 1000.0}};
             r.LinCoef = {0, 1, 0, 0, 0, 0, 0, 0, 1e300, 0.0, 100.0};
         }, kNotMonotonic},
    };
    for (const auto& c : cases) {
        ConfigRecord r = thermocouple();
        c.spoil(r);
        ConfigImage im{};
        for (std::size_t i = 0; i < im.size(); ++i) im[i] = static_cast<std::uint8_t>(i * 13 + 1);
        const ConfigImage before = im;
        const ConfigRecord saved = r;
        const auto result = EncodeImage(r, im, {c.today, 47});
        ASSERT_FALSE(result.ok()) << c.why;
        EXPECT_EQ(result.error().code, Errc::Refused) << c.why;
        EXPECT_EQ(result.error().message, c.message) << c.why;
        EXPECT_EQ(im, before) << c.why;
        // Bitwise, so that a NaN left in place compares equal to itself.
        EXPECT_EQ(std::memcmp(&r.Parametry, &saved.Parametry, sizeof r.Parametry), 0) << c.why;
        EXPECT_EQ(r.Informacje, saved.Informacje) << c.why;
    }
}

TEST(ImageCodec, AnEmptyRangeDecodesToTheSensorsFullRangeAndOtherConversionsKeepTheComputersOne) {
    ConfigImage im = withModel(encoded(thermocouple()), 4747);
    std::fill(im.begin() + kSignalMin, im.begin() + kHeaderEnd, std::uint8_t{0});
    const auto r = decoded(im);
    EXPECT_EQ(r.Parametry.SignalMax, 0.0);
    EXPECT_DOUBLE_EQ(r.Parametry.MinInput, -150.0);
    EXPECT_DOUBLE_EQ(r.Parametry.MaxInput, 1370.0);
    // Lin 4 and 8 read their coefficients back (see the round trip); the others leave them alone.
    ConfigRecord keep;
    keep.LinCoef = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    keep.LiveRanges[15] = {7, 8};
    DecodeImage(withModel(encoded(signalInput(17, 5, "R4747")), 4747), keep);
    EXPECT_EQ(keep.LinCoef, (LinCoefArray{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(keep.LiveRanges[15], (TenthRange{7, 8}));
}

TEST(Verification, ComparesTheFirst256BytesExceptTheChecksumSlots) {
    ConfigImage written{};
    for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<std::uint8_t>(i);
    const ImageSnapshot saved = TakeSnapshot(written);
    ConfigImage readBack = written;
    for (const std::size_t skipped : {125, 126, 127, 253, 254, 255, 256}) readBack[skipped] ^= 0xFF;
    EXPECT_TRUE(VerifyDifferences(saved, readBack).empty()) << "device-kept bytes and byte 256 are not compared";
    for (const std::size_t changed : {0, 124, 128, 252}) readBack[changed] ^= 1;
    EXPECT_EQ(VerifyDifferences(saved, readBack), (std::vector<std::size_t>{0, 124, 128, 252}));
    RestoreSnapshot(readBack, saved);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), readBack.begin())) << "the image holds what was written";
    EXPECT_EQ(readBack[256], static_cast<std::uint8_t>(written[256] ^ 0xFF)) << "only 256 bytes are restored";
}

}  // namespace
}  // namespace r4860::model
