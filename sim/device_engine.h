// The emulated firmware without its line: executes command frames against the memory and
// composes the data bytes of each frame it sends (measurement, or the answer to a read).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "protocol/frame_codec.h"
#include "sim/device_memory.h"
#include "sim/measurement_model.h"

namespace r4860::sim {

// Conditions and faults that the control socket switches while the emulator runs.
struct Conditions {
    bool eepromError = false;
    bool brokenSensor = false;
    bool outOfRange = false;      // forced on; the range check itself still applies
    bool internalError = false;
    bool calMode = false;
    bool pulseNewAverage = false;  // set in the next frame only
    bool pulseLargeError = false;
    bool checkSums = true;         // report wrong checksums in memory as an EEPROM error
    std::optional<int> modelIndex;  // instead of the index of the model number in memory
    std::optional<double> signal;   // instead of the slow sweep
    double coldJunction = 0.0;      // degC at the terminals, where a thermocouple's wires end
    std::optional<std::size_t> stuckCell;  // a worn cell: writes are acknowledged, the value stays
};

struct CommandResult {
    bool accepted = false;  // executed; otherwise refused (wrong length, parameter or code)
    bool ack = false;       // an acknowledgement is due ('r' has none)
    bool reset = false;     // the firmware restarts ('r')
    std::string note;
};

struct OutgoingFrame {
    protocol::ReplyData data{};
    bool reply = false;  // answers a read request
};

class DeviceEngine {
public:
    explicit DeviceEngine(DeviceMemory memory) : m_memory(std::move(memory)) {}

    [[nodiscard]] CommandResult execute(std::span<const std::uint8_t> data);
    // The next frame at `seconds` since start: a pending read answer first, else a measurement.
    [[nodiscard]] OutgoingFrame nextFrame(double seconds);
    void reset() noexcept;

    [[nodiscard]] DeviceMemory& memory() noexcept { return m_memory; }
    [[nodiscard]] const DeviceMemory& memory() const noexcept { return m_memory; }
    [[nodiscard]] Conditions& conditions() noexcept { return m_conditions; }
    [[nodiscard]] const Measurement& lastMeasurement() const noexcept { return m_last; }
    [[nodiscard]] int modelIndex() const noexcept;
    [[nodiscard]] int selectedRegister() const noexcept { return m_register; }
    [[nodiscard]] bool serviceMode() const noexcept { return m_service; }
    // As a tool that was killed inside a service window leaves the transducer.
    void enterServiceMode() noexcept { m_service = true; }
    [[nodiscard]] std::uint8_t registerZero() const noexcept { return m_registerZero; }
    [[nodiscard]] std::array<std::uint8_t, 2> statusBytes(bool rangeExceeded) const noexcept;

    // The adjustment '%' leaves in the low nibble at 0x27 (two's complement, -8..7).
    void setOscillatorAdjustment(int value) noexcept { m_oscillator = value; }
    // Report the output on the extended scale (9216 + 2000 counts per mA) instead of the normal one.
    void setExtendedOutput(bool on) noexcept { m_extendedOutput = on; }
    [[nodiscard]] bool extendedOutput() const noexcept { return m_extendedOutput; }
    [[nodiscard]] std::optional<int> forcedCounts() const noexcept { return m_forcedCounts; }
    [[nodiscard]] std::optional<double> simulatedResult() const noexcept { return m_simulatedResult; }
    // The model code in memory (4700 + code at 28).
    [[nodiscard]] int modelCode() const noexcept;

    // A value sent with 'Z' is reported for this long, then the measurement again.
    static constexpr double kSimulationHoldS = 1.5;

private:
    CommandResult write(std::span<const std::uint8_t> data);
    CommandResult writeRegister(std::span<const std::uint8_t> data);
    CommandResult storeCorrections(std::span<const std::uint8_t> data);
    double registerValue(const Measurement& m, double seconds) const;
    double modelRegister(int reg, const Measurement& m, double innerTemperature) const;
    double uncorrectedResult(const Measurement& m) const;
    [[nodiscard]] int frameCounts(const Measurement& m) const noexcept;
    [[nodiscard]] std::uint16_t outputRaw(int counts) const noexcept;
    [[nodiscard]] bool checksumsWrong() const noexcept;

    DeviceMemory m_memory;
    Conditions m_conditions;
    Measurement m_last;
    std::optional<std::array<std::uint8_t, 6>> m_reply;  // 4 memory bytes, address high, low
    std::optional<int> m_forcedCounts;                     // 'o': independent output
    std::optional<double> m_simulatedResult;               // 'Z': shown until 'm', a reset or the hold ends
    std::optional<double> m_simulatedSince;                // emulator time of the first frame that showed it
    bool m_extendedOutput = false;
    double m_average = 0.0;                                // register 128: a running mean of the result
    bool m_averageStarted = false;
    int m_register = 16;
    bool m_service = false;
    bool m_writeOpen = false;
    // From the opening of a write until checksum A, its last step, the sums are checked no more:
    // the blocks land first and the sums after them, and the host must not see an EEPROM error
    // in between. A reset ends the wait, so a write broken off shows its wrong sums.
    bool m_sumsPending = false;
    bool m_sumsWrongBeforeWrite = false;
    std::uint8_t m_registerZero = 0;
    int m_oscillator = 1;
};

}  // namespace r4860::sim
