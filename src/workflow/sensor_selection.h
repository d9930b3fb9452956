// The sensor and input selection windows as values: what each window shows first for a record,
// the operator's choice, and what OK does to the record with it. The windows only collect the
// choice, so every rule here is tested without a toolkit; r4860-cli applies the same functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/config_record.h"

namespace r4860::workflow {

// The four selection windows; None where a model has no selection.
enum class SelectionWindow { None, TWybor, TWyborRV, TWyborI, TWyborIV };

// What a selection window remembers when it is created: the sensor code and, per window, the
// nominal resistance (TWybor) or the conversion code (the others).
struct SelectionOpening {
    std::uint8_t typ = 0;
    std::uint8_t gain = 0;
    std::uint8_t lin = 0;
};
// Creating a selection window: remembers the above and clears ConvEntered.
[[nodiscard]] SelectionOpening OpenSelectionWindow(model::ConfigRecord& rec);

// The conversion of a signal input, as the windows' radio buttons and check boxes offer it.
enum class Conversion { None, Linear, PowerSeries, Table };
[[nodiscard]] std::uint8_t LinCodeOf(Conversion c) noexcept;  // 1, 4, 8, 2

// --- TWybor: resistance thermometers ("RTD" tab) and thermocouples ---
struct WyborChoice {
    bool thermocoupleTab = false;
    // RTD tab: Pt100a 1, Pt100b 2, Ni100 3, Cu100 4; W2..W4 as 2..4; R100..R1000 as Gain 0..3.
    std::uint8_t rtd = 1;
    std::uint8_t wires = 3;
    std::uint8_t nominal = 0;
    bool rtdLinearization = true;  // RLin
    // Thermocouple tab: ThB 6 .. ThT 14, or 15 for a user sensor described by a table.
    std::uint8_t thermocouple = 6;
    bool tempDiff = false;        // TempDiff
    bool cjc = true;              // CJC
    bool thLinearization = true;  // ThLin
    friend bool operator==(const WyborChoice&, const WyborChoice&) = default;
};
struct WyborView {
    WyborChoice choice;
    bool w4Enabled = false;  // 4-wire on the RTD tab: model codes 48 and 49, as the resistance tab
};
[[nodiscard]] WyborView WyborInitial(const model::ConfigRecord& rec, int modelCode);
// The mode boxes exclude each other: checking one clears the other.
void TempDiffChecked(WyborChoice& choice) noexcept;
void CjcChecked(WyborChoice& choice) noexcept;
// Mode 6 (neither temperature difference nor compensation): OK asks for the external
// cold-junction temperature (TRoomF) before it applies the choice.
[[nodiscard]] bool WyborNeedsRoomT(const WyborChoice& choice) noexcept;
// OK of TWybor: the codes, AdjustRtdRange, degC, the full range with filter and corrections
// cleared when the sensor or its nominal resistance changed (or it is the user sensor), the
// table state cleared unless it is the user sensor, and today's date (`today`, days) in `data`.
void WyborOk(model::ConfigRecord& rec, const WyborChoice& choice, const SelectionOpening& opening,
             long today);

// --- TWyborRV: voltage (mV) and resistance signals ---
struct WyborRVChoice {
    bool resistanceTab = false;
    std::uint8_t wires = 2;                    // resistance tab: W2..W4 as 2..4
    Conversion conversion = Conversion::None;  // of the visible tab; Table is beyond the design
    friend bool operator==(const WyborRVChoice&, const WyborRVChoice&) = default;
};
struct WyborRVView {
    WyborRVChoice choice;
    bool w4Enabled = false;  // model codes 48 and 49
};
[[nodiscard]] WyborRVView WyborRVInitial(const model::ConfigRecord& rec, int modelCode);

// --- TWyborI: current input, single or double ---
struct WyborIChoice {
    bool doubleInput = false;                  // W3 "double" (mode 8), else W2 "single" (mode 5)
    Conversion conversion = Conversion::None;  // RnoLin, RLina, RLins
    friend bool operator==(const WyborIChoice&, const WyborIChoice&) = default;
};
[[nodiscard]] WyborIChoice WyborIInitial(const model::ConfigRecord& rec);

// --- TWyborIV: volt ("V" tab) and current ("I" tab) inputs ---
struct WyborIVChoice {
    bool currentTab = false;
    bool doubleInput = false;  // current tab only
    Conversion conversion = Conversion::None;
    friend bool operator==(const WyborIVChoice&, const WyborIVChoice&) = default;
};
[[nodiscard]] WyborIVChoice WyborIVInitial(const model::ConfigRecord& rec);

// OK of TWyborRV, TWyborI and TWyborIV: the codes; the range reset (the input's full range and
// its unit without a conversion, live row 15 with one) with filter and corrections cleared when a
// conversion is set or the sensor or conversion changed; TableLoaded cleared unless the
// conversion is a table (in TWyborRV too: a sampled power series left from before must not stand
// in for a new one); TableInputType 0 without a conversion; today's date in `data`.
void WyborRVOk(model::ConfigRecord& rec, const WyborRVChoice& choice, const SelectionOpening& opening,
               long today);
void WyborIOk(model::ConfigRecord& rec, const WyborIChoice& choice, const SelectionOpening& opening,
              long today);
void WyborIVOk(model::ConfigRecord& rec, const WyborIVChoice& choice, const SelectionOpening& opening,
               long today);

// The sensor code of the input a conversion window is opened for, stored in TableInputType
// before it opens: 5 resistance, 16 millivolt, 17 current, 18 volt.
void PrepareConversionWindow(model::ConfigRecord& rec, std::uint8_t inputCode) noexcept;

// --- Range information labels ---
// RInfoT / VInfoT: the input's maximum range, "0...2500 Ohm", "-1000...1000 mV", "0...20 mA",
// "-11...11 V" (live range in tenths, divided by 10 as integers). Empty for other codes.
[[nodiscard]] std::string MaxRangeText(const model::ConfigRecord& rec, int inputCode);
// InputT / InputIT beside a selected conversion: the input span c9 ... c10 of LinCoef with the
// input's unit ("4...20 mA"); ResultT / ResultIT: live row 15 with the unit of Jednostki
// ("0...100 %"). Numbers are whole when they have no tenths, else with one decimal.
[[nodiscard]] std::string InputSpanText(const model::ConfigRecord& rec, int inputCode);
[[nodiscard]] std::string ResultSpanText(const model::ConfigRecord& rec);
// The captions of those labels, translated: "Maximum range:", "Input:", "Result:".
[[nodiscard]] std::string MaxRangeCaption();
[[nodiscard]] std::string InputCaption();
[[nodiscard]] std::string ResultCaption();

// The signal unit of an input code: "Ohm" (5), "mV" (15, 16), "mA" (17, 19), "V" (18), else "".
[[nodiscard]] std::string_view InputUnitLabel(int inputCode) noexcept;
// The unit a conversion or table of an input starts with: 5 Ohm, 2 mV, 4 mA, 1 V, else 8 degC.
[[nodiscard]] int DefaultResultUnit(int inputCode) noexcept;

}  // namespace r4860::workflow
