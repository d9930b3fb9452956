// The fixed catalogues that turn configuration codes into display text.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace r4860 {

// Indexed by sensor code `Typ`; index 0 unused, codes 19 and 20 have no name.
inline constexpr std::array<std::string_view, 21> SensorNames = {
    "",  "Pt100 (0.00385)", "Pt100 (0.00392)", "Ni100", "Cu100", "R", "B", "C", "E", "J", "K",
    "N", "R",               "S",               "T",     "X",     "V", "I", "V", "",  ""};

// Entry g * 4 + c for sensor code c (1..4) and nominal-resistance index g (0..3); index 0 unused.
inline constexpr std::array<std::string_view, 17> RtdNames = {
    "",
    "Pt100 (0.00385)", "Pt100 (0.00392)", "Ni100", "Cu100",
    "Pt200 (0.00385)", "Pt200 (0.00392)", "Ni200", "Cu200",
    "Pt500 (0.00385)", "Pt500 (0.00392)", "Ni500", "Cu500",
    "Pt1000 (0.00385)", "Pt1000 (0.00392)", "Ni1000", "Cu1000"};

// Translation keys: code `Tryb` n shows entry n - 1.
inline constexpr std::array<std::string_view, 12> ModeNames = {
    "", "2-wire", "3-wire", "4-wire", "differential", "no CJC", "CJC", "sum", "difference", "max", "min", ""};

// Engineering units by code 0..15; "°C" is UTF-8 here, the files layer maps it for old files.
inline constexpr std::array<std::string_view, 16> UnitNames = {
    " ", "V", "mV", "A", "mA", "Ohm", "kOhm", "K", "\xC2\xB0" "C", "%", "kg", " ", " ", " ", " ", " "};

struct TenthRange {
    std::int32_t low;
    std::int32_t high;
    friend bool operator==(const TenthRange&, const TenthRange&) = default;
};

// Admissible input range of each sensor code in tenths of its natural unit; index 0 unused.
inline constexpr std::array<TenthRange, 21> SensorRanges = {{
    {0, 0},                                                     // unused
    {-1000, 8500}, {-1000, 8500}, {-600, 1800}, {-500, 1800},   // 1-4 resistance thermometers
    {0, 25000},                                                 // 5 resistance
    {2000, 18200}, {0, 23000}, {-1000, 10000}, {-1000, 12000},  // 6-9 B C E J
    {-1500, 13700}, {-1000, 13000}, {0, 17000}, {0, 17000},     // 10-13 K N R S
    {-1000, 4000},                                              // 14 T
    {0, 0},                                                     // 15 user sensor: set at run time
    {-10000, 10000}, {0, 200}, {-110, 110},                     // 16 mV, 17 mA, 18 V
    {0, 0}, {0, 0}}};                                           // 19, 20

inline constexpr int kSensorCodeCount = 20;

// Sensor kinds by code, so that no caller has to compare names.
[[nodiscard]] constexpr bool IsRtd(int typ) noexcept { return typ >= 1 && typ <= 4; }
[[nodiscard]] constexpr bool IsThermocouple(int typ) noexcept { return typ >= 6 && typ <= 14; }
[[nodiscard]] constexpr bool IsTemperatureSensor(int typ) noexcept { return IsRtd(typ) || IsThermocouple(typ); }
// Inputs whose range is in signal units unless a conversion is set (codes 5 and 16..20).
[[nodiscard]] constexpr bool IsSignalInput(int typ) noexcept { return typ == 5 || (typ >= 16 && typ <= 20); }

// The name a sensor is displayed with: resistance thermometers by nominal resistance, others by code.
[[nodiscard]] std::string_view SensorDisplayName(int typ, int gain) noexcept;
// The untranslated mode key of `Tryb` (empty for codes without text, 0 included).
[[nodiscard]] std::string_view ModeKey(int tryb) noexcept;
[[nodiscard]] std::string_view UnitName(int jednostki) noexcept;

}  // namespace r4860
