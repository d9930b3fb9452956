#include "protocol/measurement.h"

#include <algorithm>
#include <chrono>

#include "common/device_float.h"

namespace r4860::protocol {

namespace {

using namespace std::chrono_literals;

constexpr unsigned kExtendedOffset = 9216;
constexpr unsigned kTopMargin = 128;
constexpr double kExtendedCountsPer18mA = 36000.0;
constexpr double kNormalCountsPer18mA = 9216.0;
constexpr double kMaxCurrent = 25.0;

constexpr std::size_t kStatusA = 6;   // zero-based positions in the 8 data bytes
constexpr std::size_t kStatusB = 7;

bool bit(std::uint8_t byte, int n) { return (byte >> n) & 1u; }

}  // namespace

OutputCurrent DecodeOutputCurrent(std::uint8_t high, std::uint8_t low) noexcept {
    const unsigned raw = high * 256u + low;
    OutputCurrent out;
    if (raw >= kExtendedOffset && raw <= 65535u - kTopMargin) {
        out.extendedScale = true;
        out.milliamps = (raw - kExtendedOffset) * 18.0 / kExtendedCountsPer18mA;
    } else {
        const int counts = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw));
        out.milliamps = 4.0 + counts * 18.0 / kNormalCountsPer18mA;
    }
    out.milliamps = std::clamp(out.milliamps, 0.0, kMaxCurrent);
    return out;
}

void DecodeMeasurement(std::span<const std::uint8_t, 8> data, MeasurementSample& sample,
                       StatusFlags& status) noexcept {
    std::copy(data.begin(), data.end(), sample.bytes.begin());
    sample.result = DecodeDeviceFloat(data.first<4>());
    const OutputCurrent output = DecodeOutputCurrent(data[4], data[5]);
    sample.outputMa = output.milliamps;
    status.ExtendedOutputScale = output.extendedScale;

    const std::uint8_t a = data[kStatusA];
    status.EepromError = bit(a, 7);
    status.BrokenSensor = bit(a, 6);
    status.IndependentOutput = bit(a, 5);
    status.CalMode = bit(a, 4);
    status.UnitIndex = (a & 0x0F) == 0 ? 15 : (a & 0x0F);

    const std::uint8_t b = data[kStatusB];
    status.OutOfRange = bit(b, 7);
    status.InternalError = bit(b, 4);
    status.TypeIndex = b & 0x0F;
}

bool GetSample(Link& link, MeasurementSample& sample) {
    Link::TakenFrame taken;
    if (!link.takeLatestFrame(taken)) {
        link.status.TypeIndex = kNoSampleTypeIndex;
        return false;
    }
    DecodeMeasurement(std::span<const std::uint8_t, 8>(taken.frame.data() + 1, 8), sample, link.status);
    link.status.NewAverage = taken.newAverage;
    link.status.LargeError = taken.largeError;
    return true;
}

bool WaitNewSample(Link& link, MeasurementSample& sample) {
    link.armNewFrame();
    if (!link.waitNewFrame(1000ms)) return false;
    return GetSample(link, sample);
}

bool WaitFreshSample(Link& link, MeasurementSample& sample) {
    link.armFirstTryFrame();
    if (!link.waitFirstTryFrame(300ms)) return false;
    return GetSample(link, sample);
}

}  // namespace r4860::protocol
