#include "sim/device_engine.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "common/device_float.h"
#include "model/models.h"
#include "sim/factory_image.h"
#include "sim/memory_map.h"

namespace r4860::sim {
namespace {

constexpr std::uint8_t kOpening = 0xEF;
constexpr std::string_view kServicePassword = "@7315";
constexpr std::string_view kOscillatorStart = "%KQVz";

CommandResult refused(std::string note) { return {false, false, false, std::move(note)}; }
CommandResult acked(std::string note = {}) { return {true, true, false, std::move(note)}; }

bool matches(std::span<const std::uint8_t> data, std::string_view text) {
    return data.size() == text.size() && std::equal(text.begin(), text.end(), data.begin(),
                                                    [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
}

bool singleBit(unsigned v) { return v != 0 && (v & (v - 1)) == 0; }

}  // namespace

int DeviceEngine::modelCode() const noexcept { return static_cast<int>(m_memory.u16(map::kModelNumber)) - 4700; }

int DeviceEngine::modelIndex() const noexcept {
    if (m_conditions.modelIndex) return *m_conditions.modelIndex & 0x0F;
    const int code = modelCode();
    for (std::size_t i = 0; i < model::ModelSelectionCodes.size(); ++i)
        if (model::ModelCodes[i] == code) return static_cast<int>(i);
    return static_cast<int>(model::ModelSelectionCodes.size());  // a code the table lacks
}

CommandResult DeviceEngine::execute(std::span<const std::uint8_t> data) {
    if (data.empty()) return refused("empty");
    const std::uint8_t code = data[0];
    if (code == kOpening) {
        if (data.size() != 3 || data[1] != 0 || data[2] != 0) return refused("opening with wrong parameters");
        m_writeOpen = true;
        if (!m_sumsPending) m_sumsWrongBeforeWrite = !ChecksumsValid(m_memory);
        m_sumsPending = true;
        return acked("write opened");
    }
    // Bit 7 only says "take it now": the command is the same.
    switch (code & 0x7F) {
    case 's': {
        if (data.size() != 3) return refused("read needs an address");
        const auto address = static_cast<std::uint16_t>(data[1] << 8 | data[2]);
        const auto block = m_memory.readBlock(address);
        m_reply = std::array<std::uint8_t, 6>{block[0], block[1], block[2], block[3], data[1], data[2]};
        return acked("answer in the next frame");
    }
    case 'D': return write(data);
    case 'L': return writeRegister(data);
    case 'V': return storeCorrections(data);
    case 'm':
        if (data.size() != 2 || !singleBit(data[1])) return refused("register selection needs one bit");
        m_register = data[1];
        m_simulatedResult.reset();
        return acked();
    case 'o':
        if (data.size() != 3) return refused("output needs two bytes");
        m_forcedCounts = static_cast<std::int16_t>(data[1] << 8 | data[2]);
        return acked("independent output");
    case 'Z': {
        if (data.size() != 5) return refused("simulated value needs four bytes");
        m_simulatedResult = DecodeDeviceFloat(std::span<const std::uint8_t, 4>(data.data() + 1, 4));
        m_simulatedSince.reset();
        return acked("simulated result");
    }
    case '@':
        if (!matches(data, kServicePassword)) return refused("wrong service code");
        m_service = true;
        return acked("service mode");
    case '%': {
        if (!matches(data, kOscillatorStart)) return refused("wrong adjustment code");
        const auto nibble = static_cast<std::uint8_t>(m_oscillator & 0x0F);
        m_memory.setByte(map::kOscillator, static_cast<std::uint8_t>((m_memory.byte(map::kOscillator) & 0xF0) | nibble));
        return acked("oscillator adjusted");
    }
    case 'r':
        if (data.size() != 1) return refused("reset takes no parameters");
        return {true, false, true, "reset"};
    default:
        return refused("unknown command");
    }
}

CommandResult DeviceEngine::write(std::span<const std::uint8_t> data) {
    if (data.size() < 5 || data[1] == 0 || data.size() != std::size_t{data[1]} + 4u)
        return refused("write length does not match its count");
    const std::size_t address = std::size_t{data[2]} << 8 | data[3];
    const auto stuck = m_conditions.stuckCell;
    const bool hitsStuck = stuck && *stuck >= address && *stuck < address + data[1];
    const std::uint8_t kept = hitsStuck ? m_memory.byte(*stuck) : 0;
    if (!m_memory.write(address, data.subspan(4))) return refused("write outside the memory");
    if (hitsStuck) m_memory.setByte(*stuck, kept);
    return acked();
}

CommandResult DeviceEngine::writeRegister(std::span<const std::uint8_t> data) {
    if (data.size() != 5) return refused("register write needs index and three copies");
    if (data[2] != data[3] || data[3] != data[4]) return refused("the three copies differ");
    switch (data[1]) {
    case 0: m_registerZero = data[2]; break;
    case 1:
        m_memory.setByte(map::kChecksumA, data[2]);
        m_sumsPending = false;
        break;
    case 2: m_memory.setByte(map::kChecksumB, data[2]); break;
    default: return refused("no such register");
    }
    return acked();
}

CommandResult DeviceEngine::storeCorrections(std::span<const std::uint8_t> data) {
    if (data.size() != 9 || data[1] != 5 || data[2] != 0x00 || data[3] != map::kZeroCorr)
        return refused("corrections need 5 bytes at 0x00F8");
    const auto sum = static_cast<std::uint8_t>(data[4] + data[5] + data[6] + data[7]);
    if (sum != data[8]) return refused("corrections sum does not match");
    (void)m_memory.write(map::kZeroCorr, data.subspan(4, 5));
    return acked("corrections stored");
}

void DeviceEngine::reset() noexcept {
    m_reply.reset();
    m_forcedCounts.reset();
    m_simulatedResult.reset();
    m_simulatedSince.reset();
    m_averageStarted = false;
    m_register = 16;
    m_service = false;
    m_writeOpen = false;
    m_sumsPending = false;
}

bool DeviceEngine::checksumsWrong() const noexcept {
    if (!m_conditions.checkSums) return false;
    return m_sumsPending ? m_sumsWrongBeforeWrite : !ChecksumsValid(m_memory);
}

double DeviceEngine::uncorrectedResult(const Measurement& m) const {
    const double zero = static_cast<std::int16_t>(m_memory.u16(map::kZeroCorr)) * 0.0001;
    const double gain = static_cast<std::int16_t>(m_memory.u16(map::kGainCorr)) * 0.0001;
    const double minInput = m_memory.floatAt(map::kMinInput), span = m_memory.floatAt(map::kInputSpan);
    return minInput + span * (m.normalized - zero) / (1.0 + gain);
}

// Registers 2, 4 and 8 mean different things by model: the family's compensation, reference or
// auxiliary inputs, each a plausible, slowly moving value.
double DeviceEngine::modelRegister(int reg, const Measurement& m, double inner) const {
    const int model = modelCode();
    if (model == 20) return m.signal;                               // three current inputs
    if (model >= 47 && model <= 49) {
        if (reg == 2) return 1000.0 * (1.0 + 0.00385 * inner);      // cold-junction Pt1000, ohm
        if (reg == 4) return inner;                                  // internal temperature, degC
        return m.signal * 1.0002;                                    // the second input
    }
    if (model >= 37 && model <= 39) {
        if (reg == 2) return 0.012 + 0.0004 * (inner - 25.0);        // offset input, mV
        if (reg == 4) return 2.5 + 0.0001 * (inner - 25.0);          // excitation, V
        return 24.0;                                                 // loop supply, V
    }
    if (reg == 2) return 400.0 + 0.02 * (inner - 25.0);              // reference resistor, ohm
    if (reg == 4) return inner;
    return 0.0;                                                      // no auxiliary input
}

double DeviceEngine::registerValue(const Measurement& m, double seconds) const {
    const double inner = 25.0 + 0.5 * std::sin(seconds / 30.0);
    switch (m_register) {
    case 1: return m.signal;
    case 2:
    case 4:
    case 8: return modelRegister(m_register, m, inner);
    case 32: return m_simulatedResult ? m.result : uncorrectedResult(m);   // before the user corrections
    case 64: return m.normalized;
    case 128: return m_average;
    default: return m.result;                                              // the measurement
    }
}

std::uint16_t DeviceEngine::outputRaw(int counts) const noexcept {
    if (!m_extendedOutput) return static_cast<std::uint16_t>(std::clamp(counts, kMinCounts, kMaxCounts));
    return static_cast<std::uint16_t>(std::clamp(9216 + counts, 9216, 65535 - 128));
}

std::array<std::uint8_t, 2> DeviceEngine::statusBytes(bool rangeExceeded) const noexcept {
    const bool eeprom = m_conditions.eepromError || checksumsWrong();
    const int unit = m_memory.byte(map::kGainUnit) & 0x0F;
    const auto a = static_cast<std::uint8_t>((eeprom ? 0x80 : 0) | (m_conditions.brokenSensor ? 0x40 : 0) |
                                             (m_forcedCounts ? 0x20 : 0) |
                                             (m_conditions.calMode || m_service ? 0x10 : 0) | unit);
    const bool range = rangeExceeded || m_conditions.outOfRange;
    const auto b = static_cast<std::uint8_t>((range ? 0x80 : 0) | (m_conditions.pulseLargeError ? 0x40 : 0) |
                                             (m_conditions.pulseNewAverage ? 0x20 : 0) |
                                             (m_conditions.internalError ? 0x10 : 0) | modelIndex());
    return {a, b};
}

int DeviceEngine::frameCounts(const Measurement& m) const noexcept {
    int counts = m.outputCounts;
    if (m_conditions.brokenSensor) counts = BurnoutCounts(m_memory);
    if (m_extendedOutput) {
        // What the output drives, in the extended scale's 2000 counts per mA; 'o' counts on it
        // are unsigned (22 mA is 44000).
        counts = static_cast<int>(std::lround((4.0 + counts * 18.0 / 9216.0) * 2000.0));
        if (m_forcedCounts) counts = static_cast<std::uint16_t>(*m_forcedCounts);
    } else if (m_forcedCounts) {
        counts = *m_forcedCounts;
    }
    return counts;
}

OutgoingFrame DeviceEngine::nextFrame(double seconds) {
    if (m_simulatedResult && m_simulatedSince && seconds - *m_simulatedSince > kSimulationHoldS) {
        m_simulatedResult.reset();
        m_simulatedSince.reset();
    }
    const double signal = m_conditions.signal ? *m_conditions.signal : SweepSignal(m_memory, seconds);
    Measurement m = Evaluate(m_memory, signal, m_conditions.coldJunction);
    if (m_simulatedResult) {  // the corrections preview: the output follows the value sent
        if (!m_simulatedSince) m_simulatedSince = seconds;
        const double minInput = m_memory.floatAt(map::kMinInput), span = m_memory.floatAt(map::kInputSpan);
        m.result = *m_simulatedResult;
        m.normalized = span != 0.0 ? (m.result - minInput) / span : 0.0;
        m.outputCounts = CountsForCurrent(4.0 + 16.0 * m.normalized);
        m.outOfRange = m.normalized < -0.005 || m.normalized > 1.005;
    }
    m_last = m;
    m_average = m_averageStarted ? m_average + 0.125 * (m.result - m_average) : m.result;
    m_averageStarted = true;

    OutgoingFrame out;
    const auto status = statusBytes(m.outOfRange);
    m_conditions.pulseNewAverage = false;
    m_conditions.pulseLargeError = false;
    if (m_reply) {
        std::copy(m_reply->begin(), m_reply->end(), out.data.begin());
        m_reply.reset();
        out.reply = true;
    } else {
        const auto value = EncodeDeviceFloat(registerValue(m, seconds));
        const DeviceFloatBytes f = value ? *value : DeviceFloatBytes{0, 0, 0, 0};
        std::copy(f.begin(), f.end(), out.data.begin());
        const std::uint16_t raw = outputRaw(frameCounts(m));
        out.data[4] = static_cast<std::uint8_t>(raw >> 8);
        out.data[5] = static_cast<std::uint8_t>(raw);
    }
    out.data[6] = status[0];
    out.data[7] = status[1];
    return out;
}

}  // namespace r4860::sim
