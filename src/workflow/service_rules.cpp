#include "workflow/service_rules.h"

#include <cmath>

#include "common/number_text.h"

namespace r4860::workflow {
namespace {

constexpr double kNormalCountsPerMa = 9216.0 / 18.0;
constexpr double kExtendedCountsPerMa = 36000.0 / 18.0;
constexpr int kNormalMin = -128, kNormalMax = 9088;
constexpr double kExtendedLowMa = 3.0, kExtendedHighMa = 22.0, kExtendedMargin = 1e-6;

// Two decimals with a leading zero below 10: "03.75", "12.00".
std::string entryText(double ma) {
    std::string text = FixedText(ma, 2);
    return ma < 10.0 ? "0" + text : text;
}

Outcome refusedBy(Beep beep) {
    Outcome o;
    o.beep = beep;
    return o;
}

ForcedOutput notANumber(bool beep) {
    return {std::nullopt, "12.00", Outcome::Failure("Wrong format", MessageIcon::Exclamation,
                                                   beep ? std::optional<Beep>(Beep::Exclamation) : std::nullopt)};
}

ForcedOutput onNormalScale(double ma) {
    const double counts = (ma - 4.0) * kNormalCountsPerMa;
    if (counts < kNormalMin) return {std::nullopt, "03.75", refusedBy(Beep::Question)};
    if (counts > kNormalMax) return {std::nullopt, "21.75", refusedBy(Beep::Question)};
    return {static_cast<int>(RoundEven(counts)), entryText(ma), std::nullopt};
}

ForcedOutput onExtendedScale(double ma) {
    if (ma < kExtendedLowMa - kExtendedMargin) return {std::nullopt, "03.00", refusedBy(Beep::Question)};
    if (ma > kExtendedHighMa + kExtendedMargin) return {std::nullopt, "22.00", refusedBy(Beep::Question)};
    return {static_cast<int>(RoundEven(ma * kExtendedCountsPerMa)), entryText(ma), std::nullopt};
}

}  // namespace

LivePanels SilenceCounter::tick(bool gotSample) noexcept {
    if (gotSample) {
        m_missed = 0;
        return LivePanels::ShowSample;
    }
    if (m_missed > m_limit) return LivePanels::Unchanged;
    const bool limitReached = m_missed == m_limit;
    ++m_missed;
    return limitReached ? LivePanels::NoContact : LivePanels::Blank;
}

ForcedOutput DiagnosticsOutput(std::string_view text, bool extendedScale) {
    double ma = 0.0;
    if (!TextToNum(text, ma)) return notANumber(true);
    return extendedScale ? onExtendedScale(ma) : onNormalScale(ma);
}

ForcedOutput CorrectionsOutput(std::string_view text, bool extendedScale) {
    double ma = 0.0;
    if (!TextToNum(text, ma)) return notANumber(false);
    return extendedScale ? onExtendedScale(ma) : onNormalScale(ma);
}

std::uint32_t OutputParameter(int counts) noexcept {
    return static_cast<std::uint32_t>(counts) & 0xFFFFu;
}

}  // namespace r4860::workflow
