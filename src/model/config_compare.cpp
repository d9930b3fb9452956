#include "model/config_compare.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <set>
#include <utility>

#include "common/catalogues.h"
#include "common/lang_table.h"
#include "common/number_text.h"

namespace r4860::model {
namespace {

using namespace layout;

// Report order: what the operator chose first, then what the factory set, then the bookkeeping.
enum class Item {
    Sensor, Linearization, InputRange, Transfer, Coefficients, Filter, Mains, Burnout, Units, ColdJunction,
    Corrections, IdTag, Date, Device, CalDate, Serial, CodeVersion, Checksums, Other, Count
};

constexpr std::array<std::string_view, static_cast<std::size_t>(Item::Count)> kItemKeys = {
    kSensorItem,      kLinearizationItem, kInputRangeItem, kTransferItem,  kCoefficientsItem,
    kFilterItem,      kMainsItem,         kBurnoutItem,    kUnitsItem,     kColdJunctionItem,
    kCorrectionsItem, kIdTagItem,         kDateItem,       kDeviceItem,    kCalDateItem,
    kSerialItem,      kCodeVersionItem,   kChecksumsItem,  kOtherBytesItem};

// Bytes [first, end) whose `bits` belong to `item`. Bytes 2, 6 and 7 hold several fields, so they
// appear once per field; every byte and bit not listed is "other bytes".
struct ItemSpan {
    std::size_t first;
    std::size_t end;
    std::uint8_t bits;
    Item item;
};

constexpr std::array<ItemSpan, 22> kItemSpans = {{
    {kFlagsAndMode, kFlagsAndMode + 1, kModeNibbleMask, Item::Sensor},
    {kFlagsAndMode, kFlagsAndMode + 1, kBurnoutHighBit | kBurnoutLockBit, Item::Burnout},
    {kFlagsAndMode, kFlagsAndMode + 1, kMains50Bit, Item::Mains},
    {kFilterTime, kGainAndUnit, 0xFF, Item::Filter},
    {kGainAndUnit, kGainAndUnit + 1, 0x30, Item::Sensor},  // nominal resistance
    {kGainAndUnit, kGainAndUnit + 1, 0x0F, Item::Units},
    {kLinAndType, kLinAndType + 1, 0x1F, Item::Sensor},  // sensor code
    {kLinAndType, kLinAndType + 1, 0xE0, Item::Linearization},
    {kConfigDate, kConfigDate + 2, 0xFF, Item::Date},
    {kRoomT, kRoomT + 2, 0xFF, Item::ColdJunction},
    {kSignalMin, kMinInput, 0xFF, Item::Transfer},
    {kMinInput, kHeaderEnd, 0xFF, Item::InputRange},
    {kModelNumber, kModelNumber + 2, 0xFF, Item::Device},
    {kCalDate, kCalDate + 2, 0xFF, Item::CalDate},
    {kSerial, kSerial + 3, 0xFF, Item::Serial},
    {kAreaA, kIdTag, 0xFF, Item::Coefficients},
    {kIdTag, kAfterIdTag, 0xFF, Item::IdTag},
    {kChecksumA, kChecksumB + 1, 0xFF, Item::Checksums},
    {kAreaB, kZeroReg, 0xFF, Item::Coefficients},
    {kZeroReg, kChecksumC, 0xFF, Item::Corrections},
    {kChecksumC, kChecksumC + 1, 0xFF, Item::Checksums},
    {kCodeVersion, kCodeVersion + kCodeVersionLength, 0xFF, Item::CodeVersion},
}};
static_assert(kConfigDateOffsets[0] == kConfigDate && kConfigDateOffsets[1] == kConfigDate + 1,
              "the date offsets are the date item's bytes");

// Which items the difference at `offset` touches: in a shared byte only the fields whose bits
// differ (all of them when the bytes happen to be equal, so the offset is never lost).
std::vector<Item> itemsAt(std::size_t offset, const ConfigImage& expected, const ConfigImage& actual) {
    std::uint8_t changed = 0xFF;
    if (offset < expected.size()) changed = static_cast<std::uint8_t>(expected[offset] ^ actual[offset]);
    if (changed == 0) changed = 0xFF;
    std::vector<Item> items;
    std::uint8_t claimed = 0;
    for (const ItemSpan& s : kItemSpans) {
        if (offset < s.first || offset >= s.end) continue;
        claimed |= s.bits;
        if (changed & s.bits) items.push_back(s.item);
    }
    if (changed & static_cast<std::uint8_t>(~claimed)) items.push_back(Item::Other);
    return items;
}

std::string significant(double v, int digits) {
    char buf[32];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
    return ec == std::errc() ? std::string(buf, ptr) : std::string("?");
}

// Seven significant digits, as the decoder rounds: 24.999999999999996 is the device's 25.
std::string number(double v) { return significant(v, 7); }

std::string range(double lo, double hi) { return number(lo) + " .. " + number(hi); }

// The range edits' Str(x:4:2), without the padding.
std::string inputRange(double lo, double hi) { return FixedText(lo, 2) + " .. " + FixedText(hi, 2); }

std::string quoted(const std::string& text) { return '"' + text + '"'; }

// As the conversion dialogs show a coefficient (eight significant digits, seven in exponent form
// below 0.001), after the device float's own precision: its 0.2371 reads 0.23709999 otherwise.
std::string coefficientText(double v) {
    const double shown = RoundSig(v);
    if (shown != 0.0 && std::fabs(shown) < 0.001) {
        char buf[32];
        const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, shown, std::chars_format::scientific, 6);
        if (ec != std::errc()) return "?";
        std::string text(buf, ptr);
        std::replace(text.begin(), text.end(), 'e', 'E');
        return text;
    }
    return significant(shown, 8);
}

// The panel's corrections: Str(x:5:2) + "%".
std::string correctionsText(double zero, double gain) {
    return LangText("Zero") + " " + FixedText(zero, 2) + "%, " + LangText("Gain") + " " + FixedText(gain, 2) + "%";
}

std::string sensorText(const ConfigRecord& r) {
    std::string text(SensorDisplayName(r.Czujnik.Typ, r.Czujnik.Gain));
    if (text.empty()) text = "Typ " + std::to_string(r.Czujnik.Typ);
    if (const auto mode = ModeKey(r.Czujnik.Tryb); !mode.empty()) text += ", " + std::string(mode);
    return text;
}

std::string linearizationText(const ConfigRecord& r) {
    switch (r.Czujnik.Lin) {
    case 1: return "none";
    case 2: return IsSignalInput(r.Czujnik.Typ) ? "table defined" : "linearization";
    case 4: return "linear";
    case 8: return "power series";
    default: return "Lin " + std::to_string(r.Czujnik.Lin);
    }
}

std::string burnoutText(int burnout) {
    switch (burnout) {
    case 0: return LangText("below 4mA");
    case 1: return LangText("above 20mA");
    case 2: return LangText("Output locked");
    default: return std::to_string(burnout);
    }
}

std::string unitText(int jednostki) {
    const std::string name(UnitName(jednostki));
    return name == " " ? std::to_string(jednostki) : name;
}

// The differing floats of the conversion areas by slot: A0..A10, B0..B13.
std::string coefficientsText(const ConfigImage& im, const std::vector<std::size_t>& offsets) {
    std::set<std::size_t> slots;
    for (const std::size_t o : offsets) slots.insert(o - (o - (o < kAreaB ? kAreaA : kAreaB)) % 4);
    std::string text;
    for (const std::size_t at : slots) {
        const bool inA = at < kAreaB;
        const std::size_t k = (at - (inA ? kAreaA : kAreaB)) / 4;
        if (!text.empty()) text += "; ";
        text += (inA ? "A" : "B") + std::to_string(k) + " " + coefficientText(GetDeviceFloat(im, at));
    }
    return text;
}

std::string checksumsText(const ConfigImage& im, const std::vector<std::size_t>& offsets) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (const std::size_t o : offsets) {
        if (!text.empty()) text += ", ";
        text += o == kChecksumA ? "A " : o == kChecksumB ? "B " : "C ";
        text += {kHex[im[o] >> 4], kHex[im[o] & 0x0F]};
    }
    return text;
}

std::string itemText(Item item, const ConfigRecord& r, const ConfigImage& im,
                     const std::vector<std::size_t>& offsets) {
    const auto& p = r.Parametry;
    const auto& info = r.Informacje;
    switch (item) {
    case Item::Sensor: return sensorText(r);
    case Item::Linearization: return linearizationText(r);
    case Item::InputRange: return inputRange(p.MinInput, p.MaxInput);
    case Item::Transfer: return range(p.SignalMin, p.SignalMax);
    case Item::Coefficients: return coefficientsText(im, offsets);
    case Item::Filter:
        return FixedText(p.FiltrZakres / 10.0, 1) + " %, " + FixedText(p.FiltrCzas / 10.0, 1) + " s, " +
               std::to_string(p.FiltrLimit) + " %";
    case Item::Mains: return std::to_string(p.Siec) + " Hz";
    case Item::Burnout: return burnoutText(p.Burnout);
    case Item::Units: return unitText(p.Jednostki);
    case Item::ColdJunction: return FixedText(p.RoomT, 1) + "\xC2\xB0" "C";
    case Item::Corrections: return correctionsText(p.ZeroReg, p.GainReg);
    case Item::IdTag: return quoted(info.kod);
    case Item::Date: return info.data;
    case Item::Device: return r.Device;
    case Item::CalDate: return info.CalDate;
    case Item::Serial: return info.serial;
    case Item::CodeVersion: return quoted(info.CodeVersion);
    case Item::Checksums: return checksumsText(im, offsets);
    case Item::Other:
    case Item::Count: break;
    }
    return {};
}

// A range end NormalizeConfig replaced was either beyond the sensor or within it but not below
// the other end.
std::string rangeRepairWhy(const ConfigRecord& normalized, double fileValue) {
    const double lo = SensorRangeLow(normalized, normalized.Czujnik.Typ);
    const double hi = SensorRangeHigh(normalized, normalized.Czujnik.Typ);
    if (!(fileValue >= lo && fileValue <= hi)) return "sensor limit";
    return "minimum not below maximum";
}

class RepairList {
public:
    template <class T>
    void check(const char* field, T fileValue, T writtenValue, std::string why) {
        if (fileValue == writtenValue) return;
        m_repairs.push_back({field, text(fileValue), text(writtenValue), std::move(why)});
    }
    [[nodiscard]] std::vector<Repair> take() { return std::move(m_repairs); }

private:
    static std::string text(double v) { return ShortestText(v); }
    static std::string text(std::int32_t v) { return std::to_string(v); }
    static std::string text(std::uint8_t v) { return std::to_string(v); }
    std::vector<Repair> m_repairs;
};

}  // namespace

std::vector<std::size_t> ComparedOffsets(const std::vector<std::size_t>& offsets,
                                         const CompareOptions& options) {
    if (options.compareDate) return offsets;
    std::vector<std::size_t> kept;
    std::copy_if(offsets.begin(), offsets.end(), std::back_inserter(kept), [](std::size_t o) {
        return std::find(kConfigDateOffsets.begin(), kConfigDateOffsets.end(), o) == kConfigDateOffsets.end();
    });
    return kept;
}

std::vector<ItemDifference> DescribeDifferences(const ConfigImage& expected, const ConfigImage& actual,
                                                const std::vector<std::size_t>& offsets) {
    if (offsets.empty()) return {};
    std::array<std::set<std::size_t>, static_cast<std::size_t>(Item::Count)> byItem;
    for (const std::size_t o : offsets)
        for (const Item item : itemsAt(o, expected, actual)) byItem[static_cast<std::size_t>(item)].insert(o);

    ConfigRecord expectedRec, actualRec;
    DecodeImage(expected, expectedRec);
    DecodeImage(actual, actualRec);

    std::vector<ItemDifference> differences;
    for (std::size_t i = 0; i < byItem.size(); ++i) {
        if (byItem[i].empty()) continue;
        const auto item = static_cast<Item>(i);
        ItemDifference d{std::string(kItemKeys[i]), {}, {}, {byItem[i].begin(), byItem[i].end()}};
        // Bytes outside the image cannot be read, and neither can an item whose texts agree.
        const bool inImage = d.offsets.back() < expected.size();
        if (inImage) {
            d.expected = itemText(item, expectedRec, expected, d.offsets);
            d.actual = itemText(item, actualRec, actual, d.offsets);
        }
        if (d.expected == d.actual) {
            d.expected.clear();
            d.actual.clear();
        }
        differences.push_back(std::move(d));
    }
    return differences;
}

std::vector<Repair> ListRepairs(const ConfigRecord& asRead, const ConfigRecord& normalized) {
    const auto& fc = asRead.Czujnik;
    const auto& nc = normalized.Czujnik;
    const auto& fp = asRead.Parametry;
    const auto& np = normalized.Parametry;
    RepairList list;
    list.check("Typ", fc.Typ, nc.Typ, "unknown sensor code");
    list.check("Tryb", fc.Tryb, nc.Tryb, "unknown connection code");
    list.check("Lin", fc.Lin, nc.Lin, "unknown conversion code");
    list.check("Gain", fc.Gain, nc.Gain,
               IsRtd(nc.Typ) ? "unknown nominal resistance"
                             : "only resistance thermometers have a nominal resistance");
    list.check("MinInput", fp.MinInput, np.MinInput, rangeRepairWhy(normalized, fp.MinInput));
    list.check("MaxInput", fp.MaxInput, np.MaxInput, rangeRepairWhy(normalized, fp.MaxInput));
    list.check("RoomT", fp.RoomT, np.RoomT, "outside -20 .. 60 \xC2\xB0" "C");
    list.check("ZeroReg", fp.ZeroReg, np.ZeroReg, "outside -2 .. 2 %");
    list.check("GainReg", fp.GainReg, np.GainReg, "outside -2 .. 2 %");
    list.check("FiltrZakres", fp.FiltrZakres, np.FiltrZakres, "outside 0 .. 250");
    list.check("FiltrCzas", fp.FiltrCzas, np.FiltrCzas, "outside 0 .. 400");
    list.check("FiltrLimit", fp.FiltrLimit, np.FiltrLimit, "outside 0 .. 100");
    list.check("Burnout", fp.Burnout, np.Burnout, "unknown burnout reaction");
    list.check("Siec", fp.Siec, np.Siec, "neither 50 nor 60 Hz");
    list.check("Jednostki", fp.Jednostki, np.Jednostki, "unknown unit");
    return list.take();
}

}  // namespace r4860::model
