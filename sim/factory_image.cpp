#include "sim/factory_image.h"

#include <utility>

#include "model/sensor_characteristics.h"
#include "sim/memory_map.h"

namespace r4860::sim {
namespace {

std::uint8_t invertedSum(const DeviceMemory& mem, std::initializer_list<std::pair<std::size_t, std::size_t>> ranges) {
    unsigned sum = 0;
    for (const auto& [first, last] : ranges)
        for (std::size_t a = first; a <= last; ++a) sum += mem.byte(a);
    return static_cast<std::uint8_t>(255u - (sum & 0xFFu));
}

// Seven coefficients of the set from index `first` on.
void putSegment(DeviceMemory& mem, std::size_t offset, const model::SensorLinSetArray& set, std::size_t first) {
    for (std::size_t k = 0; k < 7; ++k) mem.setFloat(offset + 4 * k, set[first + k]);
}

}  // namespace

double Pt100Resistance(double t) noexcept {
    constexpr double a = 3.9083e-3, b = -5.775e-7, c = -4.183e-12;
    const double cubic = t < 0 ? c * (t - 100.0) * t * t * t : 0.0;
    return 100.0 * (1.0 + a * t + b * t * t + cubic);
}

std::uint8_t ChecksumA(const DeviceMemory& mem) noexcept { return invertedSum(mem, {{0, 27}}); }
std::uint8_t ChecksumB(const DeviceMemory& mem) noexcept { return invertedSum(mem, {{64, 107}, {192, 247}}); }
std::uint8_t ChecksumC(const DeviceMemory& mem) noexcept {
    return static_cast<std::uint8_t>(mem.byte(248) + mem.byte(249) + mem.byte(250) + mem.byte(251));
}

bool ChecksumsValid(const DeviceMemory& mem) noexcept {
    return mem.byte(map::kChecksumA) == ChecksumA(mem) && mem.byte(map::kChecksumB) == ChecksumB(mem) &&
           mem.byte(map::kChecksumC) == ChecksumC(mem);
}

DeviceMemory FactoryImage(const FactorySettings& s) {
    DeviceMemory mem;
    for (std::size_t a = 36; a < 64; ++a) mem.setByte(a, 0x00);
    mem.setByte(map::kMarkU, 'U');
    mem.setByte(map::kMark1, '1');
    mem.setByte(map::kFlags, 0x40 | 0x04);      // 50 Hz mains, 3-wire, output low on failure
    mem.setByte(map::kFilterTime, 12);           // 2.0 s
    mem.setByte(map::kFilterRange, 1);           // 0.1 %
    mem.setByte(map::kFilterLimit, 5);
    mem.setByte(map::kGainUnit, 0x08);           // 100 ohm, degC
    mem.setByte(map::kLinType, map::kLinSensorSet << 5 | 1);
    mem.setU16(map::kConfigDate, static_cast<unsigned>(s.calDateDays));
    mem.setU16(map::kRoomT, (25 + 20) * 512);
    // What the tool writes for this configuration: its signal range and its characteristic set,
    // so a fresh transducer reads like one the tool programmed (no step at a segment boundary).
    const model::ConfigRecord none;
    const double r0 = model::SensorSignal(none, 1, 0.0), r100 = model::SensorSignal(none, 1, 100.0);
    mem.setFloat(map::kSignalMin, r0);
    mem.setFloat(map::kSignalStep, (r100 - r0) / 100.0);
    mem.setFloat(map::kMinInput, 0.0);
    mem.setFloat(map::kInputSpan, 100.0);
    mem.setU16(map::kModelNumber, static_cast<unsigned>(4700 + s.modelCode));
    mem.setU16(map::kCalDate, static_cast<unsigned>(s.calDateDays));
    mem.setByte(map::kSerial, static_cast<std::uint8_t>(s.serial >> 16));
    mem.setU16(map::kSerial + 1, static_cast<unsigned>(s.serial & 0xFFFF));
    mem.setByte(35, 0x00);

    const model::SensorLinSetArray& set = model::SensorLinTableFor(1);
    mem.setFloat(map::kSetLow, set[0]);
    mem.setFloat(map::kSetSpan, set[1] - set[0]);
    mem.setFloat(map::kSetBound1, set[3]);
    mem.setFloat(map::kSetBound2, set[4]);
    putSegment(mem, map::kSetSegment1, set, 7);
    putSegment(mem, map::kSetSegment2, set, 14);
    putSegment(mem, map::kSetSegment3, set, 21);

    for (std::size_t i = 0; i < map::kIdTagLength; ++i)
        mem.setByte(map::kIdTag + i, i < s.idTag.size() ? static_cast<std::uint8_t>(s.idTag[i]) : 0xFF);
    for (std::size_t a = map::kZeroCorr; a < map::kChecksumC; ++a) mem.setByte(a, 0x00);
    mem.setByte(map::kChecksumC, ChecksumC(mem));
    mem.setByte(map::kChecksumA, ChecksumA(mem));
    mem.setByte(map::kChecksumB, ChecksumB(mem));
    mem.setVersion(s.codeVersion);
    return mem;
}

}  // namespace r4860::sim
