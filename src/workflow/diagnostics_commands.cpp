#include "workflow/diagnostics_commands.h"

#include <chrono>
#include <thread>

#include "model/config_record.h"
#include "protocol/commands.h"
#include "protocol/measurement.h"

namespace r4860::workflow {
namespace {

using namespace std::chrono_literals;
namespace cmd = protocol::cmd;

constexpr int kOscillatorAddress = 36;   // 0x24: the adjustment is in the fourth byte, 0x27
constexpr auto kAdjustmentTime = 1000ms;
constexpr auto kSettleTime = 200ms;

bool execute(ServiceLine line, std::uint8_t code, std::uint32_t parameter = 0) {
    static const model::ConfigRecord none;
    return protocol::ExecuteCommand(line.link, line.ui, code, parameter, none);
}

void takeSample(ServiceLine line) {
    protocol::MeasurementSample sample;
    if (!protocol::GetSample(line.link, sample)) (void)protocol::WaitNewSample(line.link, sample);
}

bool backToMeasurement(ServiceLine line) {
    const bool ok = execute(line, cmd::kSelectRegister, RegisterSelection(kMeasurementItem));
    protocol::MeasurementSample sample;
    (void)protocol::WaitNewSample(line.link, sample);
    return ok;
}

}  // namespace

bool EnterServiceMode(ServiceLine line) {
    if (!execute(line, cmd::kServiceMode)) return false;
    return execute(line, cmd::kSelectRegister, RegisterSelection(kMeasurementItem));
}

bool SelectRegister(ServiceLine line, int item) {
    if (!execute(line, cmd::kServiceMode)) return false;
    return execute(line, cmd::kSelectRegister, RegisterSelection(item));
}

MemoryRead ReadMemory(ServiceLine line, int address) {
    MemoryRead read{ReadAddress(address), std::nullopt};
    read.bytes = ReadMemoryWord(line, read.address);
    if (!read.bytes) line.ui.beep(Beep::Exclamation);
    (void)execute(line, cmd::kSelectRegister, RegisterSelection(kMeasurementItem));
    return read;
}

bool WriteMemory(ServiceLine line, const MemoryWrite& write) {
    bool ok = false;
    if (write.kind == MemoryWriteKind::Float) {
        // The command takes its float from a record's RoomT: a scratch one, never the shown one.
        model::ConfigRecord scratch;
        scratch.Parametry.RoomT = write.value;
        ok = protocol::ExecuteCommand(line.link, line.ui, write.code, write.parameter, scratch);
    } else if (write.kind != MemoryWriteKind::Refused) {
        ok = execute(line, write.code, write.parameter);
    }
    if (!ok) line.ui.beep(Beep::Exclamation);
    return ok;
}

std::optional<int> AdjustOscillator(ServiceLine line) {
    static const model::ConfigRecord none;
    (void)execute(line, cmd::kServiceMode);
    (void)protocol::PostCommandWhenReady(line.link, line.ui, cmd::kOscillator, 0, none);
    std::this_thread::sleep_for(kAdjustmentTime);
    (void)execute(line, cmd::kServiceMode);
    takeSample(line);
    std::this_thread::sleep_for(kSettleTime);
    std::optional<int> adjustment;
    if (const auto bytes = ReadMemoryWord(line, kOscillatorAddress)) adjustment = OscillatorAdjustment((*bytes)[3]);
    (void)backToMeasurement(line);
    return adjustment;
}

bool ResetInService(ServiceLine line) {
    static const model::ConfigRecord none;
    (void)protocol::PostCommandWhenReady(line.link, line.ui, cmd::kReset, 0, none);
    const bool ok = execute(line, cmd::kServiceMode);
    takeSample(line);
    return backToMeasurement(line) && ok;
}

}  // namespace r4860::workflow
