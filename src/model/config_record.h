// The one in-memory model of what the transducer is set to, with its range tables and the
// values derived from it for the device.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common/catalogues.h"
#include "model/point_table.h"

namespace r4860::model {

// Sensor selection (codes of the sensor, its connection or mode, its nominal resistance, the conversion).
struct CzujnikGroup {
    std::uint8_t Typ = 0;
    std::uint8_t Tryb = 0;
    std::uint8_t Gain = 0;
    std::uint8_t Lin = 0;
    friend bool operator==(const CzujnikGroup&, const CzujnikGroup&) = default;
};

struct ParametryGroup {
    double SignalMin = 0.0;  // derived from the range by the transfer function
    double SignalMax = 0.0;
    double MinInput = 0.0;   // gives 4 mA
    double MaxInput = 0.0;   // gives 20 mA
    double RoomT = 25.0;     // external cold junction, degC
    double ZeroReg = 0.0;    // % of span
    double GainReg = 0.0;
    std::int32_t FiltrLimit = 0;   // %
    std::int32_t FiltrZakres = 0;  // 0.1 %
    std::int32_t FiltrCzas = 0;    // 0.1 s
    std::int32_t Burnout = 0;      // 0 below 4 mA, 1 above 20 mA, 2 locked at 4 mA
    std::int32_t Siec = 0;         // mains filter, Hz
    std::int32_t Jednostki = 0;    // index into UnitNames
    friend bool operator==(const ParametryGroup&, const ParametryGroup&) = default;
};

// Identification texts, UTF-8; the limits count characters.
struct InformacjeGroup {
    std::string CodeVersion;  // 10
    std::string serial;       // 10
    std::string data;         // 10, dd.mm.yyyy
    std::string CalDate;      // 10
    std::string kod;          // 15, the ID tag
    std::string ogolne;       // 61, kept on the computer only
    friend bool operator==(const InformacjeGroup&, const InformacjeGroup&) = default;
};

inline constexpr std::size_t kMaxCodeVersion = 10, kMaxSerial = 10, kMaxDate = 10, kMaxKod = 15,
                             kMaxOgolne = 61, kMaxDevice = 5;

// Rows by sensor code in tenths of the range unit; row 0 unused, row 21 only in the factory copy.
using RangeTable = std::array<TenthRange, 22>;

[[nodiscard]] constexpr RangeTable MakeFactoryRanges() {
    RangeTable t{};
    for (std::size_t c = 0; c < SensorRanges.size(); ++c) t[c] = SensorRanges[c];
    t[21] = {-1000, 4000};  // 1000-ohm platinum: its upper limit replaces 850.0 (AdjustRtdRange)
    return t;
}
inline constexpr RangeTable FactoryRanges = MakeFactoryRanges();

// Smallest admissible span of the range as signal, by sensor code; index 0 unused.
inline constexpr std::array<double, 21> MinSpan = {0.0, 12.0, 12.0, 12.0, 12.0, 12.0, 1.5, 1.5, 1.5, 1.5, 1.5,
                                                   1.5, 1.5, 1.5, 1.5, 1.5, 4.0, 1.0, 0.5, 0.0, 0.0};

inline constexpr std::size_t kLinCoefCount = 11, kSensorLinSetSize = 28, kTransferCurveSize = 101;
using LinCoefArray = std::array<double, kLinCoefCount>;
using DevCoefArray = std::array<double, kLinCoefCount>;
using SensorLinSetArray = std::array<double, kSensorLinSetSize>;
using TransferCurveArray = std::array<double, kTransferCurveSize>;

struct ConfigRecord {
    CzujnikGroup Czujnik;
    ParametryGroup Parametry;
    InformacjeGroup Informacje;
    std::string Device;                        // model name, "R4747"; empty when none was read
    LinCoefArray LinCoef{0.0, 1.0};            // c0 .. c10 (keys LinA .. LinK)

    bool TableLoaded = false;
    std::string File;                          // source file of the user table
    std::uint8_t TableInputType = 0;           // sensor code the table was made for, 0 when none
    bool ConvEntered = false;

    RangeTable LiveRanges = FactoryRanges;     // row 15 follows the user conversion; row 21 unused here

    // Derived for the device by the transfer function; never stored in a file.
    DevCoefArray DevCoef{};
    SensorLinSetArray SensorLinSet{};
    TransferCurveArray TransferCurve{};
    PointTable Table;
};

// State at program start: everything zero or empty except RoomT 25, LinCoef (0, 1, 0 ...).
void SetInitialState(ConfigRecord& rec);
// The "no parameters" state of the renew command: sensor 20, mode 1, Lin 2, unit 10, 50 Hz, no texts.
void SetEmptyRecord(ConfigRecord& rec);

// Repairs every code and value into its admissible set; never fails, reports nothing.
void NormalizeConfig(ConfigRecord& rec);
// For 1000-ohm platinum the upper range limit is 400.0 degC instead of 850.0.
void AdjustRtdRange(ConfigRecord& rec);

// Live range row of `code` as doubles (0 for codes outside 1..20).
[[nodiscard]] double SensorRangeLow(const ConfigRecord& rec, int code) noexcept;
[[nodiscard]] double SensorRangeHigh(const ConfigRecord& rec, int code) noexcept;

// The sensor code a user table or conversion is made for, derived from the sensor: the signal
// inputs and the user sensor are their own input type; every other sensor needs none.
[[nodiscard]] std::uint8_t DerivedTableInputType(int typ) noexcept;

// Whether `Lin` makes the range of a signal input a conversion range (in result units).
[[nodiscard]] bool RangeInConversionUnits(const ConfigRecord& rec) noexcept;

// The user data a configuration is built on beyond its codes: the points of a table file (the
// user sensor, or a signal input converted by a table), the points sampled from a power series
// (a signal input converted by one), or none. Until TableLoaded such a configuration is incomplete.
enum class UserData { None, TableFile, PowerSeries };
[[nodiscard]] UserData UserDataOf(const ConfigRecord& rec) noexcept;

}  // namespace r4860::model
