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

constexpr auto kSlice = 200ms;
constexpr int kReadySlices = 24;
constexpr int kDoneSlices = 5;
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

bool PostCommand(Link& link, UiHooks& ui, std::uint8_t code, std::uint32_t parameter) {
    if (!link.SampleValid.load(std::memory_order_acquire) || !link.LinkReady.load(std::memory_order_acquire)) {
        ui.beep(Beep::Default);
        return false;
    }
    if (link.CommandPending.load(std::memory_order_acquire)) {
        ui.beep(Beep::Asterisk);
        return false;
    }
    auto built = BuildCommand(code, parameter, model::Config());
    if (!built) return false;
    link.LinkReady.store(false, std::memory_order_release);
    link.command = *built;   // the listener does not look at it while nothing is pending
    link.ExpectAck.store(code != cmd::kReset, std::memory_order_release);
    link.CommandPending.store(true, std::memory_order_release);
    return true;
}

bool PostCommandWhenReady(Link& link, UiHooks& ui, std::uint8_t code, std::uint32_t parameter) {
    const auto ready = [&link] {
        return !link.CommandPending.load(std::memory_order_acquire) && link.SampleValid.load(std::memory_order_acquire) &&
               link.LinkReady.load(std::memory_order_acquire);
    };
    const auto running = [&link] { return link.ListenerRunning.load(std::memory_order_acquire); };
    // The same five seconds as 24 slices of 200 ms, but woken as soon as the listener makes the
    // link ready; the UI is served at least once per slice.
    const auto deadline = Clock::now() + kReadySlices * kSlice;
    auto lastPump = Clock::now();
    while (!ready() && running() && Clock::now() < deadline) {
        link.ReadyEvent.reset();
        if (ready()) break;
        const auto slice = std::min<Clock::duration>(kSlice, deadline - Clock::now());
        const bool woken = link.ReadyEvent.waitFor(std::chrono::ceil<std::chrono::milliseconds>(slice));
        if (!woken || Clock::now() - lastPump >= kSlice) {
            ui.processPendingMessages();
            lastPump = Clock::now();
        }
    }
    if (ready() && running()) return PostCommand(link, ui, code, parameter);
    ui.beep(Beep::Asterisk);
    return false;
}

bool ExecuteCommand(Link& link, UiHooks& ui, std::uint8_t code, std::uint32_t parameter) {
    link.CommandDoneEvent.reset();
    if (!PostCommandWhenReady(link, ui, code, parameter)) return false;
    for (int i = 0; i < kDoneSlices; ++i) {
        if (link.CommandDoneEvent.waitFor(kSlice)) return link.ListenerRunning.load(std::memory_order_acquire);
        ui.processPendingMessages();
    }
    return false;
}

void ReportCommandFailure(Link& link, UiHooks& ui) {
    if (!link.ListenerRunning.load(std::memory_order_acquire) || link.CommandPending.load(std::memory_order_acquire))
        return;
    bool failed = false;
    // Taking the failure and marking it reported in one step: it is shown once, however often polled.
    if (!link.LastSendOk.compare_exchange_strong(failed, true, std::memory_order_acq_rel)) return;
    ui.beep(Beep::Exclamation);
    ui.showMessage(LangText("Command failed") + "!", MessageIcon::None);
}

}  // namespace r4860::protocol
