#include "model/config_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

#include "common/date_text.h"
#include "common/device_float.h"
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
    r.Parametry.MinInput = 0.0;
    r.Parametry.MaxInput = 500.0;
    r.Parametry.Siec = 50;
    r.Parametry.Jednostki = 8;
    r.Device = "R4747";
    return r;
}

ConfigRecord voltage(std::uint8_t typ, std::uint8_t tryb, const char* device) {
    ConfigRecord r;
    r.Czujnik = {typ, tryb, 0, 1};
    r.Parametry.MinInput = 0.0;
    r.Parametry.MaxInput = typ == 17 ? 20.0 : 10.0;
    r.Parametry.Siec = 50;
    r.Device = device;
    r.TableInputType = DerivedTableInputType(typ);
    return r;
}

ConfigImage encoded(ConfigRecord r, const EncodeOptions& options = {kToday, 47, nullptr}) {
    ConfigImage im{};
    const auto ok = EncodeImage(r, im, options);
    EXPECT_TRUE(ok.ok()) << (ok.ok() ? "" : ok.error().message);
    return im;
}

ConfigRecord decoded(const ConfigImage& im) {
    ConfigRecord r;
    DecodeImage(im, r);
    return r;
}

// The decoder needs the factory's model number to read the mode nibble.
ConfigImage withModel(ConfigImage im, int model) {
    im[kModelNumber] = static_cast<std::uint8_t>((4700 + model) >> 8);
    im[kModelNumber + 1] = static_cast<std::uint8_t>((4700 + model) & 0xFF);
    return im;
}

std::uint16_t u16(const ConfigImage& im, std::size_t at) { return static_cast<std::uint16_t>(im[at] << 8 | im[at + 1]); }

TEST(ImageCodec, ColdJunctionTemperatureIsOffsetAndScaled) {
    auto r = thermocouple();
    r.Parametry.RoomT = 25.0;
    const auto im = encoded(r);
    EXPECT_EQ(im[kRoomT], 0x5A);
    EXPECT_EQ(im[kRoomT + 1], 0x00);
    ConfigImage zero = im;
    zero[kRoomT] = zero[kRoomT + 1] = 0;
    EXPECT_DOUBLE_EQ(decoded(zero).Parametry.RoomT, -20.0);
}

TEST(ImageCodec, CorrectionsAreTwosComplementHundredths) {
    auto r = thermocouple();
    r.Parametry.ZeroReg = -1.5;
    r.Parametry.GainReg = 2.0;
    const auto im = encoded(r);
    EXPECT_EQ(im[kZeroReg], 0xFF);
    EXPECT_EQ(im[kZeroReg + 1], 0x6A);
    EXPECT_EQ(u16(im, kGainReg), 200);
    const auto back = decoded(im);
    EXPECT_NEAR(back.Parametry.ZeroReg, -1.5, 1e-12);
    EXPECT_NEAR(back.Parametry.GainReg, 2.0, 1e-12) << "the corrections window's limit survives";
}

TEST(ImageCodec, FilterTimeGoesInSixteenthsOfASecond) {
    struct Case {
        int czas, byte, back;
    };
    for (const auto& c : {Case{200, 125, 200}, Case{5, 3, 5}, Case{400, 250, 400}, Case{0, 0, 0}}) {
        auto r = thermocouple();
        r.Parametry.FiltrCzas = c.czas;
        const auto im = encoded(r);
        EXPECT_EQ(im[kFilterTime], c.byte) << c.czas;
        EXPECT_EQ(decoded(im).Parametry.FiltrCzas, c.back) << c.czas;
    }
}

TEST(ImageCodec, ConversionCodeEightIsStoredAsSeven) {
    auto r = voltage(16, 5, "R4747");
    r.Czujnik.Lin = 4;
    r.LinCoef = {0, 2, 0, 0, 0, 0, 0, 0, 0, -1000, 1000};
    EXPECT_EQ(encoded(r)[kLinAndType], 0x90) << "Lin 4, Typ 16";

    r.Czujnik.Lin = 8;
    r.Table.points = {{-2000.0, -1000.0}, {2000.0, 1000.0}};
    const auto im = encoded(r);
    EXPECT_EQ(im[kLinAndType] >> 5, 7);
    EXPECT_EQ(decoded(im).Czujnik.Lin, 8);
}

struct NibbleCase {
    const char* why;
    int model;
    std::uint8_t typ, tryb;
    std::uint8_t nibble, back;
};

class ModeNibbles : public ::testing::TestWithParam<NibbleCase> {};

TEST_P(ModeNibbles, EncodeByFamilyAndDecodeBack) {
    const auto& c = GetParam();
    EXPECT_EQ(EncodeModeNibble(c.model, c.tryb, c.typ), c.nibble) << c.why;
    EXPECT_EQ(DecodeModeNibble(c.model, c.nibble), c.back) << c.why;
}

INSTANTIATE_TEST_SUITE_P(
    ImageCodec, ModeNibbles,
    ::testing::Values(
        NibbleCase{"3-wire on an R4747", 47, 1, 3, 4, 3}, NibbleCase{"2-wire on an R4747", 47, 1, 2, 6, 2},
        NibbleCase{"4-wire on an R4748", 48, 3, 4, 5, 4}, NibbleCase{"no CJC on an R4749", 49, 10, 6, 1, 6},
        NibbleCase{"CJC", 47, 10, 7, 2, 7},
        NibbleCase{"a millivolt input adds 8; its low bits 0 read as single input", 47, 16, 5, 8, 5},
        NibbleCase{"a resistance input adds 8 to its wiring", 47, 5, 2, 14, 2},
        NibbleCase{"sum on an R4747 shares CJC's nibble (one way)", 47, 17, 8, 2, 7},
        NibbleCase{"no connection information reads back as single input", 47, 1, 1, 0, 5},
        NibbleCase{"difference on an R4737 with a volt input", 37, 18, 9, 11, 9},
        NibbleCase{"sum on an R4738", 38, 17, 8, 8, 8}, NibbleCase{"max on an R4739", 39, 17, 10, 12, 10},
        NibbleCase{"min on an R4739 with a volt input", 39, 18, 11, 15, 11},
        NibbleCase{"single input on an R4737", 37, 17, 5, 0, 5},
        NibbleCase{"an R4720 writes the double-input nibble without the volt bit", 20, 18, 9, 10, 9},
        NibbleCase{"and reads it back like models 37-39", 20, 17, 10, 12, 10},
        NibbleCase{"an R4760 has no modes", 60, 10, 7, 0, 5}, NibbleCase{"nor has an unknown model", 0, 1, 3, 0, 5}));

TEST(ImageCodec, ThreeBitNibblesThreeAndSevenMeanNoInformation) {
    EXPECT_EQ(DecodeModeNibble(47, 3), 1);
    EXPECT_EQ(DecodeModeNibble(47, 7), 1);
    EXPECT_EQ(DecodeModeNibble(47, 15), 1) << "only bits 0-2 count";
    EXPECT_EQ(DecodeModeNibble(37, 9), 8) << "the double-input rule pairs the nibbles";
    EXPECT_EQ(DecodeModeNibble(37, 7), 5);
}

TEST(ImageCodec, TheModelSelectionDecidesWhenNoModelWasRead) {
    auto r = voltage(18, 9, "");
    EXPECT_EQ(encoded(r, {kToday, 37, nullptr})[kFlagsAndMode] & kModeNibbleMask, 11);
    EXPECT_EQ(encoded(r, {kToday, 47, nullptr})[kFlagsAndMode] & kModeNibbleMask, 0);
    r.Device = "R4737";
    EXPECT_EQ(encoded(r, {kToday, 47, nullptr})[kFlagsAndMode] & kModeNibbleMask, 11) << "a read model wins";
}

TEST(ImageCodec, IdTagIsPaddedWith255AndTheFillerIsSkippedOnReading) {
    auto r = thermocouple();
    r.Informacje.kod = "AB";
    const auto im = encoded(r);
    EXPECT_EQ(im[kIdTag], 0x41);
    EXPECT_EQ(im[kIdTag + 1], 0x42);
    for (std::size_t i = 2; i < kIdTagLength; ++i) EXPECT_EQ(im[kIdTag + i], 0xFF) << i;

    ConfigImage gap = im;
    gap[kIdTag + 1] = 0xFF;
    gap[kIdTag + 2] = 0x42;
    EXPECT_EQ(decoded(gap).Informacje.kod, "AB");
}

TEST(ImageCodec, IdTagTextIsWindows1250AndCutToFifteenCharacters) {
    struct Case {
        const char* why;
        std::string kod, stored, back;
    };
    const Case cases[] = {
        {"Polish letters are one byte each", "\xC5\x81\xC3\xB3" "d\xC5\xBA", "\xA3\xF3" "d\x9F", "\xC5\x81\xC3\xB3" "d\xC5\xBA"},
        {"longer than 15 characters is cut", "ABCDEFGHIJKLMNOPQR", "ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"},
        {"controls never reach the device", "A\tB\r\n", "AB", "AB"},
        {"the filler's own character is written as unknown", "x\xCB\x99", "x?", "x?"},
        {"a character the code page lacks", "\xE4\xB8\xAD", "?", "?"},
    };
    for (const auto& c : cases) {
        auto r = thermocouple();
        r.Informacje.kod = c.kod;
        ConfigImage im{};
        EncodeIdTag(r, im);
        const std::string stored(im.begin() + kIdTag, im.begin() + kIdTag + static_cast<std::ptrdiff_t>(c.stored.size()));
        EXPECT_EQ(stored, c.stored) << c.why;
        for (std::size_t i = c.stored.size(); i < kIdTagLength; ++i) EXPECT_EQ(im[kIdTag + i], 0xFF) << c.why;
        EXPECT_EQ(decoded(im).Informacje.kod, c.back) << c.why;
    }
}

TEST(ImageCodec, ControlBytesFromTheDeviceAreDropped) {
    ConfigImage im = encoded(thermocouple());
    const std::uint8_t tag[] = {'T', 0x00, 0x0D, 'A', 0x7F, 0x81, 'G'};
    std::copy(std::begin(tag), std::end(tag), im.begin() + kIdTag);
    const std::uint8_t version[] = {'1', 0x0A, '2', 0x00};
    std::copy(std::begin(version), std::end(version), im.begin() + kCodeVersion);
    const auto r = decoded(im);
    EXPECT_EQ(r.Informacje.kod, "TAG");
    EXPECT_EQ(r.Informacje.CodeVersion, "12");
}

TEST(ImageCodec, BurnoutLockWinsOverTheHighBit) {
    auto r = thermocouple();
    r.Parametry.Burnout = 2;
    r.Parametry.Siec = 50;
    ConfigImage im = encoded(r);
    EXPECT_EQ(im[kFlagsAndMode] & 0xF0, kMains50Bit | kBurnoutLockBit);
    im[kFlagsAndMode] |= kBurnoutHighBit;
    EXPECT_EQ(decoded(im).Parametry.Burnout, 2);
    r.Parametry.Burnout = 1;
    r.Parametry.Siec = 60;
    im = encoded(r);
    EXPECT_EQ(im[kFlagsAndMode] & 0xF0, kBurnoutHighBit);
    EXPECT_EQ(decoded(im).Parametry.Siec, 60);
}

TEST(ImageCodec, ChecksumsCoverTheirAreas) {
    auto r = voltage(17, 5, "R4747");
    r.Parametry.ZeroReg = 0.37;
    r.Parametry.GainReg = -1.21;
    const ConfigImage im = encoded(r);
    const auto sum = [&im](std::size_t first, std::size_t end) {
        return std::accumulate(im.begin() + static_cast<std::ptrdiff_t>(first), im.begin() + static_cast<std::ptrdiff_t>(end), 0u) & 0xFF;
    };
    EXPECT_EQ(im[kChecksumA], 255 - sum(0, 28));
    EXPECT_EQ(im[kChecksumB], 255 - ((sum(64, 108) + sum(192, 248)) & 0xFF));
    EXPECT_EQ(im[kChecksumC], sum(248, 252));
    EXPECT_NE(im[kChecksumC], 0) << "the corrections make the sum non-trivial";
    ConfigImage changed = im;
    ++changed[27];
    EXPECT_EQ(ChecksumA(changed), static_cast<std::uint8_t>(im[kChecksumA] - 1));
    ++changed[28];
    EXPECT_EQ(ChecksumA(changed), static_cast<std::uint8_t>(im[kChecksumA] - 1)) << "byte 28 is outside area A's sum";
}

TEST(ImageCodec, EncodingLeavesTheFactoryAndUninterpretedBytesAlone) {
    ConfigImage im{};
    for (std::size_t i = 0; i < im.size(); ++i) im[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const ConfigImage before = im;
    auto r = thermocouple();
    ASSERT_TRUE(EncodeImage(r, im, {kToday, 47, nullptr}).ok());
    const std::size_t kept[] = {28, 29, 30, 31, 32, 33, 34, 35, 36, 63, 123, 124, 125, 128, 191, 253, 2047, 2048, 2051};
    for (const std::size_t i : kept) EXPECT_EQ(im[i], before[i]) << "offset " << i;
}

TEST(ImageCodec, LinearizationStoresTheSensorSetInBothAreas) {
    const ConfigImage im = encoded(thermocouple());
    const auto& s = SensorLinTableFor(10);
    const auto near = [&im](std::size_t at, double want) {
        EXPECT_NEAR(GetDeviceFloat(im, at), want, std::ldexp(std::fabs(want), -22) + 1e-300) << "offset " << at;
    };
    near(64, s[0]);
    near(68, s[1] - s[0]);
    near(72, s[3]);
    near(76, s[4]);
    for (std::size_t k = 0; k < 7; ++k) {
        near(80 + 4 * k, s[7 + k]);
        near(192 + 4 * k, s[14 + k]);
        near(220 + 4 * k, s[21 + k]);
    }
}

TEST(ImageCodec, OtherConversionsStoreTheDeviceCoefficientsAndClearAreaB) {
    ConfigImage im{};
    im.fill(0x5A);
    auto r = voltage(17, 5, "R4747");
    ASSERT_TRUE(EncodeImage(r, im, {kToday, 47, nullptr}).ok());
    EXPECT_NEAR(GetDeviceFloat(im, 64), 0.0, 1e-12) << "d0 of 0..20 mA";
    EXPECT_NEAR(GetDeviceFloat(im, 68), 1.0 / 20.0, 1e-8) << "d1";
    for (std::size_t k = 2; k < kAreaAFloats; ++k) EXPECT_EQ(GetDeviceFloat(im, 64 + 4 * k), 0.0) << k;
    for (std::size_t i = kAreaB; i < kZeroReg; ++i) EXPECT_EQ(im[i], 0) << i;
}

TEST(ImageCodec, EncodingStampsTodayAndStoresTheSignalRange) {
    auto r = thermocouple();
    ConfigImage im{};
    ASSERT_TRUE(EncodeImage(r, im, {kToday, 47, nullptr}).ok());
    EXPECT_EQ(u16(im, kConfigDate), kToday);
    EXPECT_EQ(r.Informacje.data, DateText(kToday));
    EXPECT_EQ(r.Informacje.data, "09.12.2025");
    EXPECT_NEAR(r.Parametry.SignalMax, SensorSignal(r, 10, 500.0), 1e-12);
    EXPECT_NEAR(GetDeviceFloat(im, kSignalStep) * 100.0, r.Parametry.SignalMax - r.Parametry.SignalMin, 1e-5);
}

struct RefusalCase {
    const char* why;
    void (*spoil)(ConfigRecord&);
    const char* message;
};

class EncodeRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(EncodeRefusals, LeaveImageAndRecordExactlyAsTheyWere) {
    const auto& c = GetParam();
    ConfigRecord r = thermocouple();
    c.spoil(r);
    ConfigImage im{};
    for (std::size_t i = 0; i < im.size(); ++i) im[i] = static_cast<std::uint8_t>(i * 13 + 1);
    const ConfigImage before = im;
    const ConfigRecord saved = r;
    const auto result = EncodeImage(r, im, {kToday, 47, nullptr});
    ASSERT_FALSE(result.ok()) << c.why;
    EXPECT_EQ(result.error().code, Errc::Refused) << c.why;
    EXPECT_EQ(result.error().message, c.message) << c.why;
    EXPECT_EQ(im, before) << c.why;
    // Bitwise, so that a NaN left in place compares equal to itself.
    EXPECT_EQ(std::memcmp(&r.Parametry, &saved.Parametry, sizeof r.Parametry), 0) << c.why;
    EXPECT_EQ(r.Informacje, saved.Informacje) << c.why;
    EXPECT_EQ(r.DevCoef, saved.DevCoef) << c.why;
}

constexpr const char* kOut = "Out of range!";
constexpr const char* kNotMonotonic = "Transfer function is not monotonic";

INSTANTIATE_TEST_SUITE_P(
    ImageCodec, EncodeRefusals,
    ::testing::Values(
        RefusalCase{"no sensor chosen", [](ConfigRecord& r) { r.Czujnik.Typ = 20; }, "No parameters"},
        RefusalCase{"conversion code 0", [](ConfigRecord& r) { r.Czujnik.Lin = 0; }, kOut},
        RefusalCase{"mode code 0", [](ConfigRecord& r) { r.Czujnik.Tryb = 0; }, kOut},
        RefusalCase{"a linear conversion on a thermocouple", [](ConfigRecord& r) { r.Czujnik.Lin = 4; }, kOut},
        RefusalCase{"wiring on a thermocouple", [](ConfigRecord& r) { r.Czujnik.Tryb = 3; }, kOut},
        RefusalCase{"a nominal resistance on a thermocouple", [](ConfigRecord& r) { r.Czujnik.Gain = 1; }, kOut},
        RefusalCase{"a resistance thermometer with a compensation mode",
                    [](ConfigRecord& r) { r.Czujnik = {1, 7, 0, 2}; }, kOut},
        RefusalCase{"burnout code 3", [](ConfigRecord& r) { r.Parametry.Burnout = 3; }, kOut},
        RefusalCase{"mains 0 Hz would be written as 60", [](ConfigRecord& r) { r.Parametry.Siec = 0; }, kOut},
        RefusalCase{"unit 16 does not fit four bits", [](ConfigRecord& r) { r.Parametry.Jednostki = 16; }, kOut},
        RefusalCase{"a filter time beyond the byte", [](ConfigRecord& r) { r.Parametry.FiltrCzas = 409; }, kOut},
        RefusalCase{"a negative filter time", [](ConfigRecord& r) { r.Parametry.FiltrCzas = -1; }, kOut},
        RefusalCase{"a filtration range beyond the byte", [](ConfigRecord& r) { r.Parametry.FiltrZakres = 256; }, kOut},
        RefusalCase{"a huge threshold must not wrap", [](ConfigRecord& r) { r.Parametry.FiltrLimit = 1 << 30; }, kOut},
        RefusalCase{"RoomT beyond the u16 field", [](ConfigRecord& r) { r.Parametry.RoomT = 200.0; }, kOut},
        RefusalCase{"RoomT NaN", [](ConfigRecord& r) { r.Parametry.RoomT = std::nan(""); }, kOut},
        RefusalCase{"a correction beyond i16", [](ConfigRecord& r) { r.Parametry.ZeroReg = 400.0; }, kOut},
        RefusalCase{"a huge correction must not be UB", [](ConfigRecord& r) { r.Parametry.GainReg = 1e300; }, kOut},
        RefusalCase{"an infinite range end does not encode",
                    [](ConfigRecord& r) { r.Parametry.MaxInput = std::numeric_limits<double>::infinity(); }, kOut},
        RefusalCase{"a user sensor without its table", [](ConfigRecord& r) { r.Czujnik = {15, 7, 0, 2}; }, kNotMonotonic},
        RefusalCase{"a power-series coefficient the device float cannot hold",
                    [](ConfigRecord& r) {
                        r.Czujnik = {16, 5, 0, 8};
                        r.Table.points = {{0.0, 0.0}, {1000.0, 1000.0}};
                        r.LinCoef = {0, 1, 0, 0, 0, 0, 0, 0, 1e300, 0.0, 100.0};
                    },
                    kNotMonotonic}));

TEST(ImageCodec, ADateBeyondTheFieldIsRefused) {
    auto r = thermocouple();
    ConfigImage im{};
    const auto result = EncodeImage(r, im, {70000, 47, nullptr});
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(im, ConfigImage{});
}

TEST(ImageCodec, AnEmptyRangeDecodesToTheSensorsFullRange) {
    ConfigImage im = withModel(encoded(thermocouple()), 47);
    std::fill(im.begin() + kSignalMin, im.begin() + kHeaderEnd, std::uint8_t{0});
    const auto r = decoded(im);
    EXPECT_EQ(r.Parametry.SignalMin, 0.0);
    EXPECT_EQ(r.Parametry.SignalMax, 0.0);
    EXPECT_DOUBLE_EQ(r.Parametry.MinInput, -150.0);
    EXPECT_DOUBLE_EQ(r.Parametry.MaxInput, 1370.0);
}

TEST(ImageCodec, DecodingReadsTheFactoryFields) {
    ConfigImage im = withModel(encoded(thermocouple()), 48);
    im[kCalDate] = static_cast<std::uint8_t>(45000 >> 8);
    im[kCalDate + 1] = static_cast<std::uint8_t>(45000 & 0xFF);
    im[kSerial] = 0x12;
    im[kSerial + 1] = 0xD6;
    im[kSerial + 2] = 0x87;
    const char version[] = "V2.1";
    std::copy(version, version + 4, im.begin() + kCodeVersion);
    ConfigRecord r;
    r.Informacje.ogolne = "kept on the computer only";
    r.File = "old.dat";
    DecodeImage(im, r);
    EXPECT_EQ(r.Device, "R4748");
    EXPECT_EQ(r.Informacje.CalDate, DateText(45000));
    EXPECT_EQ(r.Informacje.serial, "1234567");
    EXPECT_EQ(r.Informacje.CodeVersion, "V2.1");
    EXPECT_EQ(r.Informacje.data, DateText(kToday));
    EXPECT_TRUE(r.Informacje.ogolne.empty());
    EXPECT_TRUE(r.File.empty());
}

TEST(ImageCodec, AModelNumberOfSixDigitsIsCutToFiveCharacters) {
    ConfigImage im = encoded(thermocouple());
    im[kModelNumber] = 0xFF;
    im[kModelNumber + 1] = 0xFF;
    EXPECT_EQ(decoded(im).Device, "R6553");
}

TEST(ImageCodec, OnlyLinearAndSeriesConversionsAreReadBack) {
    auto lin = voltage(17, 5, "R4747");
    lin.Czujnik.Lin = 4;
    lin.LinCoef = {-500, 125, 0, 0, 0, 0, 0, 0, 0, 0.0, 20.0};  // 4..20 mA -> 0..2000
    lin.Parametry.MinInput = 0.0;
    lin.Parametry.MaxInput = 2000.0;
    const ConfigImage im = withModel(encoded(lin), 47);
    ConfigRecord r;
    DecodeImage(im, r);
    EXPECT_NEAR(r.LinCoef[0], -500.0, 1e-3);
    EXPECT_NEAR(r.LinCoef[1], 125.0, 1e-4);
    EXPECT_EQ(r.LinCoef[9], 0.0) << "the input type's full range";
    EXPECT_EQ(r.LinCoef[10], 20.0);
    EXPECT_EQ(r.LiveRanges[15], (TenthRange{-5000, 20000})) << "the result range at 0 and 20 mA";

    ConfigRecord keep;
    keep.LinCoef = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    keep.LiveRanges[15] = {7, 8};
    DecodeImage(withModel(encoded(voltage(17, 5, "R4747")), 47), keep);
    EXPECT_EQ(keep.LinCoef, (LinCoefArray{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})) << "Lin 1 keeps the conversion";
    EXPECT_EQ(keep.LiveRanges[15], (TenthRange{7, 8}));
}

TEST(Verification, ComparesTheFirst256BytesExceptTheChecksumSlots) {
    ConfigImage written{};
    for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<std::uint8_t>(i);
    const ImageSnapshot saved = TakeSnapshot(written);
    ConfigImage readBack = written;
    EXPECT_TRUE(VerifyDifferences(saved, readBack).empty());

    for (const std::size_t skipped : {125, 126, 127, 253, 254, 255}) readBack[skipped] ^= 0xFF;
    readBack[256] ^= 0xFF;  // beyond the compared bytes
    EXPECT_TRUE(VerifyDifferences(saved, readBack).empty()) << "device-kept bytes are not compared";

    readBack[0] ^= 1;
    readBack[124] ^= 1;
    readBack[128] ^= 1;
    readBack[252] ^= 1;
    EXPECT_EQ(VerifyDifferences(saved, readBack), (std::vector<std::size_t>{0, 124, 128, 252}));

    RestoreSnapshot(readBack, saved);
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), readBack.begin())) << "the image holds what was written";
    EXPECT_EQ(readBack[256], static_cast<std::uint8_t>(written[256] ^ 0xFF)) << "only 256 bytes are restored";
}

TEST(Verification, AnUnchangedTransducerVerifiesAfterAWrite) {
    ConfigImage im{};
    auto r = thermocouple();
    ASSERT_TRUE(EncodeImage(r, im, {kToday, 47, nullptr}).ok());
    const ImageSnapshot saved = TakeSnapshot(im);
    ConfigImage device = im;  // the read-back overwrites the verification ranges with the same bytes
    for (const auto& range : kVerifyRanges)
        for (std::size_t a = range.first; a <= range.last; ++a) im[a] = device[a];
    EXPECT_TRUE(VerifyDifferences(saved, im).empty());
    im[kFilterLimit] ^= 4;  // a byte changed in the transducer meanwhile
    EXPECT_EQ(VerifyDifferences(saved, im), (std::vector<std::size_t>{kFilterLimit}));
}

}  // namespace
}  // namespace r4860::model
