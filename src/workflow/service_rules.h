// Rules the service windows share: the colours their panels take, the count of silent ticks
// after which they give up on the transducer, and the forced output entry of both windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "workflow/live_text.h"
#include "workflow/outcome.h"

namespace r4860::workflow {

enum class ServiceColour { Black, Teal, Blue, Red };

// Ticks without a sample: the panels are blanked until about six seconds have passed, then
// "???" shows once with a question beep, and nothing changes after that.
class SilenceCounter {
public:
    explicit SilenceCounter(int timerIntervalMs) : m_limit(FailLimit(timerIntervalMs)) {}
    // ShowSample, Blank, NoContact (beep Question and kNoContactText in every value panel) or Unchanged.
    LivePanels tick(bool gotSample) noexcept;
    [[nodiscard]] int missed() const noexcept { return m_missed; }
    [[nodiscard]] int limit() const noexcept { return m_limit; }

private:
    int m_limit;
    int m_missed = 0;
};

inline constexpr int kDiagnosticsTimerMs = 300;
inline constexpr int kCorrectionsTimerMs = 500;

// --- Forced output (SetOut with SetOutbutt or Enter) ---
struct ForcedOutput {
    std::optional<int> counts;       // what 'o' sends; nothing when refused
    std::string entry;               // what SetOut shows afterwards ("03.75", "12.00", ...)
    std::optional<Outcome> refusal;  // a beep, or "Wrong format!" for text that is no number
};
// The diagnostics window: the normal scale, (I - 4) x 512 counts for 3.75..21.75 mA, or the
// extended one as in the corrections window when the transducer reports on it (normal-scale
// counts would drive an extended-scale output to a quite different current).
[[nodiscard]] ForcedOutput DiagnosticsOutput(std::string_view text, bool extendedScale = false);
// The corrections window: on the extended scale (I x 2000 counts for 3..22 mA) when the
// transducer reports on it, else the normal one.
[[nodiscard]] ForcedOutput CorrectionsOutput(std::string_view text, bool extendedScale);
// The 'o' parameter: two bytes, high first, on the wire; signed counts on the normal scale
// (-128 is FF 80), unsigned ones above 32767 on the extended scale (22 mA is AB E0).
[[nodiscard]] std::uint32_t OutputParameter(int counts) noexcept;

}  // namespace r4860::workflow
