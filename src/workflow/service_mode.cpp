#include "workflow/service_mode.h"

#include "common/lang_table.h"
#include "model/config_record.h"
#include "protocol/commands.h"

namespace r4860::workflow {
namespace {

constexpr int kResetAttempts = 3;
// Frames looked at after each reset: the restart's own silence, then its first frames.
constexpr int kFramesPerAttempt = 4;
constexpr int kReadAttempts = 3;

}  // namespace

bool ServiceModeLeftOn(const protocol::StatusFlags& status) noexcept {
    return status.CalMode || status.IndependentOutput;
}

std::string LeaveServiceQuestion() { return LangText(kStillInServiceKey) + ". " + LangText(kLeaveServiceKey) + "?"; }

Outcome LeaveServiceMode(ServiceLine& line) {
    const model::ConfigRecord none;
    bool answered = false;
    for (int attempt = 0; attempt < kResetAttempts; ++attempt) {
        // Not acknowledged: done means sent, and the frames after it tell whether it was taken.
        if (!line.execute(protocol::cmd::kReset, 0, none)) continue;
        for (int i = 0; i < kFramesPerAttempt; ++i) {
            protocol::MeasurementSample sample;
            if (!line.waitNewSample(sample)) continue;
            answered = true;
            if (!ServiceModeLeftOn(line.status())) return Outcome::Success();
        }
    }
    if (!answered) return Outcome::Failure("No communication with transducer", MessageIcon::Exclamation, Beep::Exclamation);
    return Outcome::Failure(kNotLeftKey, MessageIcon::Exclamation, Beep::Exclamation);
}

std::optional<std::array<std::uint8_t, 4>> ReadMemoryWord(ServiceLine& line, int address) {
    const model::ConfigRecord none;
    const auto where = static_cast<std::uint32_t>(address) & 0xFFFFu;
    // A read changes nothing, so an answer lost on a busy host is simply asked for again.
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        if (!line.execute(protocol::cmd::kReadMemory, where, none)) continue;
        protocol::MeasurementSample sample;
        if (!line.waitFreshSample(sample)) continue;
        const auto& b = sample.bytes;
        if ((std::uint32_t{b[4]} << 8 | b[5]) == where) return std::array<std::uint8_t, 4>{b[0], b[1], b[2], b[3]};
    }
    return std::nullopt;
}

}  // namespace r4860::workflow
