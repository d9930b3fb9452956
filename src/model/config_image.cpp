#include "model/config_image.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <span>
#include <string>

#include "common/date_text.h"
#include "common/device_float.h"
#include "common/number_text.h"
#include "common/text_encoding.h"
#include "model/models.h"
#include "model/sensor_characteristics.h"
#include "model/transfer_function.h"

namespace r4860::model {
namespace {

using namespace layout;

Error refused(std::string_view key) { return makeError(Errc::Refused, std::string(key)); }

std::uint16_t getU16(const ConfigImage& im, std::size_t at) {
    return static_cast<std::uint16_t>(im[at] << 8 | im[at + 1]);
}

void putU16(ConfigImage& im, std::size_t at, std::uint16_t v) {
    im[at] = static_cast<std::uint8_t>(v >> 8);
    im[at + 1] = static_cast<std::uint8_t>(v & 0xFF);
}

std::uint8_t sumOf(const ConfigImage& im, std::size_t first, std::size_t end) {
    return static_cast<std::uint8_t>(std::accumulate(im.begin() + static_cast<std::ptrdiff_t>(first),
                                                     im.begin() + static_cast<std::ptrdiff_t>(end), 0u) &
                                     0xFF);
}

// Bytes the device text fields never show: C0 controls, DEL, and the Windows-1250 holes that
// would come out as C1 controls.
bool isTextControl(std::uint8_t b) {
    return b < 0x20 || b == 0x7F || b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98;
}

std::string deviceText(std::span<const std::uint8_t> bytes, bool skipFiller) {
    std::string raw;
    for (const std::uint8_t b : bytes) {
        if (isTextControl(b) || (skipFiller && b == 0xFF)) continue;
        raw += static_cast<char>(b);
    }
    return Cp1250ToUtf8(raw);
}

template <class T>
bool fits(long long v) {
    return v >= std::numeric_limits<T>::min() && v <= std::numeric_limits<T>::max();
}

bool isDoubleInputFamily(int model) { return model == 20 || (model >= 37 && model <= 39); }

// Which connection or mode codes and which conversions each sensor accepts; bit n = code n.
struct SensorCodes {
    unsigned modes;
    unsigned lins;
};

constexpr unsigned bits(std::initializer_list<int> codes) {
    unsigned m = 0;
    for (const int c : codes) m |= 1u << c;
    return m;
}

SensorCodes codesFor(int typ) {
    if (IsRtd(typ) || typ == 5)
        return {bits({1, 2, 3, 4}), typ == 5 ? bits({1, 2, 4, 8}) : bits({1, 2})};
    if (IsThermocouple(typ)) return {bits({1, 5, 6, 7}), bits({1, 2})};
    if (typ == 15) return {bits({1, 5, 6, 7}), bits({2})};
    if (typ >= 16 && typ <= 18) return {bits({1, 5, 8, 9, 10, 11}), bits({1, 2, 4, 8})};
    // Code 19 has no conversion of its own: its signal is the range itself.
    if (typ == 19) return {bits({1, 5, 8, 9, 10, 11}), bits({1, 2})};
    return {0, 0};
}

Status putFloat(ConfigImage& im, std::size_t at, double v, std::string_view key) {
    if (auto put = PutDeviceFloat(im, at, v); !put) return refused(key);
    return {};
}

// Bytes 0..27 except the signal range, which writeSignal puts at 12 and 16.
Status writeHeader(const ConfigRecord& rec, int model, long today, ConfigImage& out) {
    const auto& cz = rec.Czujnik;
    const auto& p = rec.Parametry;
    out[kSignatureU] = 'U';
    out[kSignature1] = '1';
    std::uint8_t flags = EncodeModeNibble(model, cz.Tryb, cz.Typ);
    if (p.Burnout == 1) flags |= kBurnoutHighBit;
    if (p.Siec == 50) flags |= kMains50Bit;
    if (p.Burnout == 2) flags |= kBurnoutLockBit;
    out[kFlagsAndMode] = flags;
    if (auto ok = putFloat(out, kMinInput, p.MinInput, kOutOfRangeKey); !ok) return ok;
    if (auto ok = putFloat(out, kInputSpan, p.MaxInput - p.MinInput, kOutOfRangeKey); !ok) return ok;
    putU16(out, kRoomT, static_cast<std::uint16_t>(RoundEven((p.RoomT + 20.0) * 512.0)));
    putU16(out, kZeroReg, static_cast<std::uint16_t>(static_cast<std::int16_t>(RoundEven(100.0 * p.ZeroReg))));
    putU16(out, kGainReg, static_cast<std::uint16_t>(static_cast<std::int16_t>(RoundEven(100.0 * p.GainReg))));
    out[kFilterTime] = static_cast<std::uint8_t>(RoundEven(p.FiltrCzas / 1.6));
    out[kFilterRange] = static_cast<std::uint8_t>(p.FiltrZakres);
    out[kFilterLimit] = static_cast<std::uint8_t>(p.FiltrLimit);
    out[kGainAndUnit] = static_cast<std::uint8_t>((cz.Gain & 3) * 16 + p.Jednostki);
    const int l = cz.Lin < 8 ? cz.Lin : 7;  // three bits: 8 is stored as 7
    out[kLinAndType] = static_cast<std::uint8_t>(l * 32 + cz.Typ);
    putU16(out, kConfigDate, static_cast<std::uint16_t>(today));
    return {};
}

Status writeConversion(const ConfigRecord& rec, const TransferFunction& tf, ConfigImage& out) {
    const std::string notComputable = NotMonotonicMessage();
    auto put = [&](std::size_t at, double v) { return putFloat(out, at, v, notComputable); };
    if (rec.Czujnik.Lin != 2) {
        for (std::size_t k = 0; k < kAreaAFloats; ++k)
            if (auto ok = put(kAreaA + 4 * k, tf.devCoef[k]); !ok) return ok;
        std::fill(out.begin() + kAreaB, out.begin() + kAreaB + 4 * kAreaBFloats, std::uint8_t{0});
        return {};
    }
    // s2, s5 and s6 are fixed by the layout and not stored.
    const auto& s = tf.sensorLinSet;
    const std::array<std::pair<std::size_t, double>, 4> head = {
        {{kAreaA, s[0]}, {kAreaA + 4, s[1] - s[0]}, {kAreaA + 8, s[3]}, {kAreaA + 12, s[4]}}};
    for (const auto& [at, v] : head)
        if (auto ok = put(at, v); !ok) return ok;
    for (std::size_t k = 0; k < 7; ++k) {
        if (auto ok = put(kAreaA + 16 + 4 * k, s[7 + k]); !ok) return ok;
        if (auto ok = put(kAreaB + 4 * k, s[14 + k]); !ok) return ok;
        if (auto ok = put(kAreaB + 28 + 4 * k, s[21 + k]); !ok) return ok;
    }
    return {};
}

void decodeConversion(const ConfigImage& im, ConfigRecord& rec) {
    for (std::size_t k = 0; k < kAreaAFloats; ++k) rec.DevCoef[k] = GetDeviceFloat(im, kAreaA + 4 * k);
    const double lo = rec.Parametry.MinInput;
    const double span = rec.Parametry.MaxInput - lo;
    auto& c = rec.LinCoef;
    c[0] = span * rec.DevCoef[0] + lo;
    for (std::size_t k = 1; k <= 8; ++k) c[k] = span * rec.DevCoef[k];
    c[9] = rec.DevCoef[9];
    c[10] = rec.DevCoef[10];
    SetConversionRange(rec);
}

}  // namespace

Status PutDeviceFloat(ConfigImage& image, std::size_t offset, double value) {
    auto bytes = EncodeDeviceFloat(value);
    if (!bytes) return bytes.error();
    std::copy(bytes->begin(), bytes->end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
    return {};
}

double GetDeviceFloat(const ConfigImage& image, std::size_t offset) {
    return DecodeDeviceFloat(std::span<const std::uint8_t, 4>(image.data() + offset, 4));
}

std::uint8_t ChecksumA(const ConfigImage& im) noexcept { return static_cast<std::uint8_t>(255 - sumOf(im, 0, kHeaderEnd)); }

std::uint8_t ChecksumB(const ConfigImage& im) noexcept {
    const unsigned sum = sumOf(im, kAreaA, kAreaA + 4 * kAreaAFloats) + sumOf(im, kAreaB, kAreaB + 4 * kAreaBFloats);
    return static_cast<std::uint8_t>(255 - (sum & 0xFF));
}

std::uint8_t ChecksumC(const ConfigImage& im) noexcept { return sumOf(im, kZeroReg, kChecksumC); }

std::uint8_t EncodeModeNibble(int modelCode, int tryb, int typ) noexcept {
    if (modelCode >= 47 && modelCode <= 49) {
        std::uint8_t n = 0;
        switch (tryb) {
        case 2: n = 6; break;
        case 3: n = 4; break;
        case 4: n = 5; break;
        case 6: n = 1; break;
        case 7:
        case 8: n = 2; break;
        default: break;
        }
        return static_cast<std::uint8_t>(n + (typ == 5 || typ == 16 ? 8 : 0));
    }
    if (isDoubleInputFamily(modelCode)) {
        std::uint8_t n = tryb >= 8 && tryb <= 11 ? static_cast<std::uint8_t>(8 + 2 * (tryb - 8)) : 0;
        if (modelCode != 20 && typ == 18) ++n;  // volt input on the current/voltage models
        return n;
    }
    return 0;
}

std::uint8_t DecodeModeNibble(int modelCode, std::uint8_t nibble) noexcept {
    nibble &= kModeNibbleMask;
    if (isDoubleInputFamily(modelCode)) return nibble < 8 ? 5 : static_cast<std::uint8_t>(8 + (nibble - 8) / 2);
    static constexpr std::array<std::uint8_t, 8> kThreeBit = {5, 6, 7, 1, 3, 4, 2, 1};
    return kThreeBit[nibble & 7];
}

Status CheckEncodable(const ConfigRecord& rec, long today) {
    const auto& cz = rec.Czujnik;
    const auto& p = rec.Parametry;
    if (cz.Typ == 20) return refused(kNoParametersKey);
    const SensorCodes codes = codesFor(cz.Typ);
    const bool gainOk = IsRtd(cz.Typ) ? cz.Gain <= 3 : cz.Gain == 0;
    if (cz.Tryb > 11 || cz.Lin > 8 || !(codes.modes >> cz.Tryb & 1u) || !(codes.lins >> cz.Lin & 1u) || !gainOk)
        return refused(kOutOfRangeKey);
    // Every number is checked against its field before it is narrowed.
    const bool fieldsOk =
        p.Jednostki >= 0 && p.Jednostki <= 15 && p.Burnout >= 0 && p.Burnout <= 2 && (p.Siec == 50 || p.Siec == 60) &&
        fits<std::uint8_t>(p.FiltrZakres) && fits<std::uint8_t>(p.FiltrLimit) && p.FiltrCzas >= 0 &&
        fits<std::uint8_t>(RoundEven(p.FiltrCzas / 1.6)) && std::isfinite(p.RoomT) &&
        fits<std::uint16_t>(RoundEven((p.RoomT + 20.0) * 512.0)) && std::isfinite(p.ZeroReg) &&
        fits<std::int16_t>(RoundEven(100.0 * p.ZeroReg)) && std::isfinite(p.GainReg) &&
        fits<std::int16_t>(RoundEven(100.0 * p.GainReg)) && fits<std::uint16_t>(today);
    if (!fieldsOk) return refused(kOutOfRangeKey);
    return {};
}

void EncodeIdTag(const ConfigRecord& rec, ConfigImage& image) {
    const std::string tag = Utf8ToCp1250(Utf8Left(StripControls(rec.Informacje.kod), kIdTagLength));
    std::size_t i = 0;
    for (const char ch : tag) {
        const auto b = static_cast<std::uint8_t>(ch);
        if (isTextControl(b)) continue;
        // 255 is the filler and would vanish on reading; keep the position as an unknown character.
        image[kIdTag + i++] = b == 0xFF ? static_cast<std::uint8_t>('?') : b;
    }
    for (; i < kIdTagLength; ++i) image[kIdTag + i] = 0xFF;
}

Status EncodeImage(ConfigRecord& rec, ConfigImage& image, const EncodeOptions& options) {
    if (auto ok = CheckEncodable(rec, options.today); !ok) return ok;
    auto tf = ComputeTransferFunction(rec);
    if (!tf) return tf.error();

    // Everything goes to a copy first: a refusal half-way must leave the caller's image intact.
    ConfigImage out = image;
    const std::string notComputable = NotMonotonicMessage();
    if (auto ok = putFloat(out, kSignalMin, tf->signal.min, notComputable); !ok) return ok;
    if (auto ok = putFloat(out, kSignalStep, tf->step(), notComputable); !ok) return ok;
    const int model = rec.Device.empty() ? options.selectedModelCode : ModelCodeOfName(rec.Device).value_or(0);
    if (auto ok = writeHeader(rec, model, options.today, out); !ok) return ok;
    EncodeIdTag(rec, out);
    if (auto ok = writeConversion(rec, *tf, out); !ok) return ok;
    out[kChecksumC] = ChecksumC(out);
    out[kChecksumA] = ChecksumA(out);
    out[kChecksumB] = ChecksumB(out);

    image = out;
    ApplyTransferFunction(rec, *tf);
    rec.Informacje.data = DateText(options.today);
    return {};
}

void DecodeImage(const ConfigImage& im, ConfigRecord& rec) {
    auto& cz = rec.Czujnik;
    auto& p = rec.Parametry;
    auto& info = rec.Informacje;
    rec.Device = ("R" + std::to_string(getU16(im, kModelNumber))).substr(0, kMaxDevice);
    info.data = DateText(getU16(im, kConfigDate));
    info.CalDate = DateText(getU16(im, kCalDate));
    info.serial = std::to_string(static_cast<unsigned long>(im[kSerial]) << 16 | im[kSerial + 1] << 8 | im[kSerial + 2]);

    p.SignalMin = RoundSig(GetDeviceFloat(im, kSignalMin));
    p.SignalMax = RoundSig(GetDeviceFloat(im, kSignalStep)) * 100.0 + p.SignalMin;
    p.MinInput = RoundSig(GetDeviceFloat(im, kMinInput));
    p.MaxInput = RoundSig(GetDeviceFloat(im, kInputSpan)) + p.MinInput;
    p.RoomT = RoundSig(getU16(im, kRoomT) / 512.0) - 20.0;
    p.ZeroReg = static_cast<std::int16_t>(getU16(im, kZeroReg)) * 0.01;
    p.GainReg = static_cast<std::int16_t>(getU16(im, kGainReg)) * 0.01;
    p.FiltrLimit = im[kFilterLimit];
    p.FiltrZakres = im[kFilterRange];
    p.FiltrCzas = static_cast<std::int32_t>(RoundEven(im[kFilterTime] * 1.6));
    p.Jednostki = im[kGainAndUnit] & 0x0F;

    const std::uint8_t flags = im[kFlagsAndMode];
    p.Burnout = flags & kBurnoutHighBit ? 1 : 0;
    p.Siec = flags & kMains50Bit ? 50 : 60;
    if (flags & kBurnoutLockBit) p.Burnout = 2;

    cz.Typ = im[kLinAndType] & 0x1F;
    cz.Gain = (im[kGainAndUnit] >> 4) & 3;
    cz.Lin = im[kLinAndType] >> 5;
    if (cz.Lin == 7) cz.Lin = 8;
    cz.Tryb = DecodeModeNibble(ModelCodeOfName(rec.Device).value_or(0), flags);

    AdjustRtdRange(rec);
    NormalizeConfig(rec);

    info.kod = deviceText(std::span(im).subspan(kIdTag, kIdTagLength), true);
    info.ogolne.clear();
    rec.File.clear();
    if (cz.Lin == 4 || cz.Lin == 8) decodeConversion(im, rec);
    info.CodeVersion = deviceText(std::span(im).subspan(kCodeVersion, kCodeVersionLength), false);
}

ImageSnapshot TakeSnapshot(const ConfigImage& image) noexcept {
    ImageSnapshot s;
    std::copy_n(image.begin(), s.size(), s.begin());
    return s;
}

std::vector<std::size_t> VerifyDifferences(const ImageSnapshot& saved, const ConfigImage& after) {
    std::vector<std::size_t> differing;
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (i % 128 >= 125) continue;
        if (saved[i] != after[i]) differing.push_back(i);
    }
    return differing;
}

void RestoreSnapshot(ConfigImage& image, const ImageSnapshot& saved) noexcept {
    std::copy(saved.begin(), saved.end(), image.begin());
}

}  // namespace r4860::model
