// The diagnostics window's rules as values: the register items and their panels, how each
// register's value reads, the output and status texts, the memory address and write forms, the
// oscillator's answer and the configuration summary. The window only puts them in place.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/config_record.h"
#include "protocol/link.h"
#include "protocol/measurement.h"
#include "workflow/service_rules.h"

namespace r4860::workflow {

inline constexpr int kRegisterCount = 8;
inline constexpr int kMeasurementItem = 4;   // "Meas": 'm' 16, the normal measurement

// The Rejestry items by the configured model code (characters 4-5 of Device; 0 when none).
[[nodiscard]] std::array<std::string, kRegisterCount> RegisterItemNames(int modelCode);
[[nodiscard]] int DeviceModelCode(const model::ConfigRecord& rec);
// The 'm' parameter of item k: 2^k.
[[nodiscard]] constexpr std::uint32_t RegisterSelection(int item) noexcept { return 1u << (item & 7); }
// The panel that shows item k.
inline constexpr std::array<std::string_view, kRegisterCount> kRegisterPanels = {
    "IinpuP", "RinpuP", "Tinpup", "XinpuP", "PomiarP", "WynikP", "WnormP", "AverP"};

// The value panel text of item k for value v (unitIndex from the frame, for the result).
[[nodiscard]] std::string RegisterValueText(int item, double value, int modelCode, int unitIndex);

// Outputp: "12.00 mA   ", teal while the output is forced (independent).
struct DiagnosticsOutputView {
    std::string text;
    ServiceColour colour = ServiceColour::Black;
};
[[nodiscard]] DiagnosticsOutputView DiagnosticsOutputText(double outputMa, const protocol::StatusFlags& status);
// StatusL: one condition per line, never translated.
[[nodiscard]] std::string DiagnosticsStatusText(const protocol::StatusFlags& status);

// ReadEEB reads four bytes at a multiple of 4; the up-down is set to that address.
[[nodiscard]] constexpr int ReadAddress(int address) noexcept { return address & ~3; }
// MessTxt after a read: "C0 31 08 FF".
[[nodiscard]] std::string MemoryBytesText(std::span<const std::uint8_t, 4> bytes);

// What EEwriteB sends for the text in MessTxt and the up-down's address.
enum class MemoryWriteKind { Byte, Register, Float, Refused };
struct MemoryWrite {
    MemoryWriteKind kind = MemoryWriteKind::Refused;
    std::uint8_t code = 0;          // '1', 'L' or 'd'
    std::uint32_t parameter = 0;    // as PostCommand takes it
    int address = 0;                // Byte: the up-down's; Float: rounded down to a multiple of 4
    double value = 0.0;             // Float: the number written as a device float
    std::uint8_t byte = 0;          // Byte and Register: the value
    int registerIndex = 0;          // Register: 0..2
};
// "A2" writes one byte at the address; "L1A2" writes 0xA2 to checksum register 1 (index 0..2
// only); a number with "." or "," is written as a device float at the address rounded down to a
// multiple of 4. Anything else is refused (an exclamation beep).
[[nodiscard]] MemoryWrite ParseMemoryWrite(std::string_view text, int address);

// The oscillator adjustment in the low nibble of the byte at 36+3, 4-bit two's complement.
[[nodiscard]] int OscillatorAdjustment(std::uint8_t byte) noexcept;
// "Oscillator adjustment = +3", "= -2", "= 0".
[[nodiscard]] std::string OscillatorText(int adjustment);

// SensorL: the configuration in short, one item per line; not translated.
[[nodiscard]] std::string DiagnosticsSummary(const model::ConfigRecord& rec);

}  // namespace r4860::workflow
