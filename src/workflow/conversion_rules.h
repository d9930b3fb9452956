// The linear (TLinaF) and power-series (TPowerF) conversion windows as values: what they show
// when they open, what each edit accepts, the checks of OK and Check with the field that gets
// the focus, and what OK and Cancel leave in the record. The windows only put the values in
// place; r4860-cli applies the same rules.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/config_record.h"
#include "workflow/outcome.h"
#include "workflow/panel_rules.h"

namespace r4860::workflow {

enum class ConversionKind { Linear, PowerSeries };  // TLinaF, TPowerF
enum class Limit { Min, Max };

// The fields a refusal sends the focus to (A0E .. A8E are the coefficients c0 .. c8).
enum class ConversionField { InMinE, InMaxE, ResMinE, ResMaxE, A0E };

// A refused check: its warning (translated, beeped first) and where the focus goes.
struct ConversionProblem {
    std::string text;
    ConversionField focus = ConversionField::InMinE;
    MessageIcon icon = MessageIcon::Exclamation;
    [[nodiscard]] Outcome outcome() const;
    friend bool operator==(const ConversionProblem&, const ConversionProblem&) = default;
};

// The window's own state while it is open (module state in the design).
struct ConversionWindow {
    ConversionKind kind = ConversionKind::Linear;
    std::uint8_t inputType = 0;         // TableInputType: the sensor code of the converted input
    double inMin = 0.0, inMax = 0.0;    // signal units of the input
    double resMin = 0.0, resMax = 0.0;  // engineering units, one decimal
    int unit = 8;                       // UnitsE, unit codes 0..10
    bool tookOver = false;              // shows the present conversion, not the defaults
    bool checked = false;               // TPowerF: the coefficients passed Check
    model::LinCoefArray savedCoef{};    // TPowerF: LinCoef as it was at opening
};

// Opening: the present conversion when Lin is the window's code (4 or 8), the sensor is the
// input converted, its range maps back inside the input and no conversion was confirmed in this
// selection; otherwise the defaults (the input's full range, results -1999 .. 10000, the input's
// unit; TPowerF also resets LinCoef to the identity over the input range).
[[nodiscard]] ConversionWindow OpenConversionWindow(model::ConfigRecord& rec, ConversionKind kind);
// "conversion: linear" or "conversion: power series", translated.
[[nodiscard]] std::string ConversionCaption(ConversionKind kind);
// TablOKB: "OK", but the translated "Check" while TPowerF's coefficients are not checked.
[[nodiscard]] std::string OkButtonCaption(const ConversionWindow& w);

// Leaving InMinE / InMaxE: the value is taken when it lies inside the input's range and leaves
// its minimum span, else the old one stays; TPowerF writes it to c9 / c10.
EditResult<double> InputLimitExit(ConversionWindow& w, model::ConfigRecord& rec, Limit which,
                                  std::string_view text);
// Leaving ResMinE / ResMaxE (TLinaF): cut to a tenth up to 999.9, whole beyond; inside
// -1999 .. 9999 and at least 1.0 from the other limit.
EditResult<double> ResultLimitExit(ConversionWindow& w, Limit which, std::string_view text);
// Leaving A0E .. A8E (TPowerF): ck. Beyond 1e40 it warns "Out of range!" and keeps it anyway.
EditResult<double> CoefficientExit(ConversionWindow& w, model::ConfigRecord& rec, int k,
                                   std::string_view text);
// A changed input-limit or coefficient field (not while the window fills itself): Check again.
void ConversionFieldChanged(ConversionWindow& w) noexcept;

// OK of TLinaF: the six checks in order; on success row 15, c0, c1 (c2 .. c8 zero), c9, c10,
// Jednostki and ConvEntered are set and the window closes with OK.
[[nodiscard]] std::optional<ConversionProblem> LinearOk(ConversionWindow& w, model::ConfigRecord& rec);
// Check of TPowerF: the input checks, the sampling of the series (as SampleSeries, against the
// converted input's range) and, beyond it, the series' monotonicity between the samples, then
// the result limits and their span. Success sets `checked` and the result limits.
[[nodiscard]] std::optional<ConversionProblem> PowerSeriesCheck(ConversionWindow& w,
                                                                model::ConfigRecord& rec);
// OK of TPowerF once checked: row 15 from the result limits, Jednostki, ConvEntered.
void PowerSeriesOk(const ConversionWindow& w, model::ConfigRecord& rec);
// Exit: TPowerF puts LinCoef back as it was at opening; TLinaF has changed nothing.
void ConversionCancel(const ConversionWindow& w, model::ConfigRecord& rec);

// --- Number display ---
// Input limits: three decimals below 1000 in magnitude, else two.
[[nodiscard]] std::string InputLimitText(double value);
// Result limits: TenthTxt.
[[nodiscard]] std::string ResultLimitText(double value);
// Coefficients: 8 significant digits; non-zero magnitudes below 0.001 in exponent form with 7;
// NaN empty.
[[nodiscard]] std::string CoefficientText(double value);
// The unit picker's entries, codes 0 .. 10 ("kg" last).
[[nodiscard]] std::array<std::string_view, 11> UnitPickerNames() noexcept;

}  // namespace r4860::workflow
