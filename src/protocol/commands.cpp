#include "protocol/commands.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>

#include "common/device_float.h"
#include "common/lang_table.h"
#include "common/number_text.h"
#include "protocol/exchange.h"

namespace r4860::protocol {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kReadyWait = 24 * 200ms;   // 24 slices of 200 ms in the classic loop
constexpr auto kDoneWait = 5 * 200ms;
constexpr std::uint16_t kCorrectionsAddress = 0x00F8;

std::uint8_t byteOf(std::uint32_t value, int index) { return static_cast<std::uint8_t>(value >> (8 * index)); }

// 100 x a correction, rounded half to even, as a signed 16-bit value high byte first.
Result<std::array<std::uint8_t, 2>> correctionBytes(double value) {
    if (!std::isfinite(value)) return makeError(Errc::BadArgument, "correction is not a number");
    const long long scaled = std::clamp<long long>(RoundEven(100.0 * value), -32768, 32767);
    const auto word = static_cast<std::uint16_t>(static_cast<std::int16_t>(scaled));
    return std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
}

FrameBuffer of(std::initializer_list<std::uint8_t> data) {
    return MakeCommand(std::span<const std::uint8_t>(data.begin(), data.size()));
}

}  // namespace

Result<FrameBuffer> BuildCommand(std::uint8_t code, std::uint32_t p, const model::ConfigRecord& record) {
    const std::uint8_t p0 = byteOf(p, 0), p1 = byteOf(p, 1), p2 = byteOf(p, 2), p3 = byteOf(p, 3);
    switch (code) {
    case cmd::kSelectRegister: return of({'m', p0});
    case cmd::kSetOutput: return of({'o', p1, p0});
    case cmd::kReset: return of({'r'});
    case cmd::kReadMemory: return of({'s', p1, p0});
    case cmd::kWriteFloat: {
        const auto value = EncodeDeviceFloat(record.Parametry.RoomT);
        if (!value) return value.error();
        const auto& f = *value;
        return of({'D', 4, p1, p0, f[0], f[1], f[2], f[3]});
    }
    case cmd::kWriteByte: return of({'D', 1, p1, p0, p2});
    case cmd::kWriteChecksum: return of({'L', p1, p0, p0, p0});
    case cmd::kStoreCorrections: {
        const auto zero = correctionBytes(record.Parametry.ZeroReg);
        if (!zero) return zero.error();
        const auto gain = correctionBytes(record.Parametry.GainReg);
        if (!gain) return gain.error();
        const auto [zh, zl] = *zero;
        const auto [gh, gl] = *gain;
        const auto sum = static_cast<std::uint8_t>(zh + zl + gh + gl);
        return of({'V', 5, static_cast<std::uint8_t>(kCorrectionsAddress >> 8),
                   static_cast<std::uint8_t>(kCorrectionsAddress & 0xFF), zh, zl, gh, gl, sum});
    }
    case cmd::kSendRaw: return of({'Z', p0, p1, p2, p3});
    case cmd::kServiceMode: return of({'@', '7', '3', '1', '5'});
    case cmd::kOscillator: return of({'%', 'K', 'Q', 'V', 'z'});
    default: return makeError(Errc::BadArgument, "unknown command code " + std::to_string(code));
    }
}

bool PostCommand(Link& link, UiHooks& ui, std::uint8_t code, std::uint32_t parameter,
                 const model::ConfigRecord& record) {
    switch (link.postState()) {
    case PostState::NotReady: ui.beep(Beep::Default); return false;
    case PostState::Pending: ui.beep(Beep::Asterisk); return false;
    case PostState::Ready: break;
    }
    auto built = BuildCommand(code, parameter, record);
    if (!built) return false;
    link.postCommand(*built, code != cmd::kReset);
    return true;
}

bool PostCommandWhenReady(Link& link, UiHooks& ui, std::uint8_t code, std::uint32_t parameter,
                          const model::ConfigRecord& record) {
    // Five seconds at most, woken as soon as the listener changes the ready state.
    const auto deadline = Clock::now() + kReadyWait;
    while (link.postState() != PostState::Ready && link.listenerRunning() && Clock::now() < deadline) {
        link.armReadyWait();
        if (link.postState() == PostState::Ready) break;
        (void)link.waitReadyChange(std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()));
    }
    if (link.postState() == PostState::Ready && link.listenerRunning())
        return PostCommand(link, ui, code, parameter, record);
    ui.beep(Beep::Asterisk);
    return false;
}

bool ExecuteCommand(Link& link, UiHooks& ui, std::uint8_t code, std::uint32_t parameter,
                    const model::ConfigRecord& record) {
    link.armCommandDone();
    if (!PostCommandWhenReady(link, ui, code, parameter, record)) return false;
    return link.waitCommandDone(kDoneWait) && link.listenerRunning();
}

void ReportCommandFailure(Link& link, UiHooks& ui) {
    if (!link.takeSendFailure()) return;
    ui.beep(Beep::Exclamation);
    ui.showMessage(LangText("Command failed") + "!", MessageIcon::None);
}

}  // namespace r4860::protocol
