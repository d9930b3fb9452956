#include "workflow/diagnostics_commands.h"

#include <chrono>

#include "model/config_record.h"
#include "protocol/commands.h"

namespace r4860::workflow {
namespace {

using namespace std::chrono_literals;
namespace cmd = protocol::cmd;

constexpr int kOscillatorAddress = 36;   // 0x24: the adjustment is in the fourth byte, 0x27
constexpr auto kAdjustmentTime = 1000ms;
constexpr auto kSettleTime = 200ms;

const model::ConfigRecord kNoValues{};

bool execute(ServiceLine& line, std::uint8_t code, std::uint32_t parameter = 0) {
    return line.execute(code, parameter, kNoValues);
}

void takeSample(ServiceLine& line) {
    protocol::MeasurementSample sample;
    if (!line.takeSample(sample)) (void)line.waitNewSample(sample);
}

bool backToMeasurement(ServiceLine& line) {
    const bool ok = execute(line, cmd::kSelectRegister, RegisterSelection(kMeasurementItem));
    protocol::MeasurementSample sample;
    (void)line.waitNewSample(sample);
    return ok;
}

}  // namespace

bool EnterServiceMode(ServiceLine& line) {
    if (!execute(line, cmd::kServiceMode)) return false;
    return execute(line, cmd::kSelectRegister, RegisterSelection(kMeasurementItem));
}

bool SelectRegister(ServiceLine& line, int item) {
    if (!execute(line, cmd::kServiceMode)) return false;
    return execute(line, cmd::kSelectRegister, RegisterSelection(item));
}

MemoryRead ReadMemory(ServiceLine& line, int address) {
    MemoryRead read{ReadAddress(address), std::nullopt};
    read.bytes = ReadMemoryWord(line, read.address);
    (void)execute(line, cmd::kSelectRegister, RegisterSelection(kMeasurementItem));
    return read;
}

bool WriteMemory(ServiceLine& line, const MemoryWrite& write) {
    bool ok = false;
    if (write.kind == MemoryWriteKind::Float) {
        // The command takes its float from a record's RoomT: a scratch one, never the shown one.
        model::ConfigRecord scratch;
        scratch.Parametry.RoomT = write.value;
        ok = line.execute(write.code, write.parameter, scratch);
    } else if (write.kind != MemoryWriteKind::Refused) {
        ok = execute(line, write.code, write.parameter);
    }
    return ok;
}

std::optional<int> AdjustOscillator(ServiceLine& line) {
    (void)execute(line, cmd::kServiceMode);
    (void)line.postWhenReady(cmd::kOscillator, 0, kNoValues);
    if (!line.pause(kAdjustmentTime)) return std::nullopt;
    (void)execute(line, cmd::kServiceMode);
    takeSample(line);
    if (!line.pause(kSettleTime)) return std::nullopt;
    std::optional<int> adjustment;
    if (const auto bytes = ReadMemoryWord(line, kOscillatorAddress)) adjustment = OscillatorAdjustment((*bytes)[3]);
    (void)backToMeasurement(line);
    return adjustment;
}

bool ResetInService(ServiceLine& line) {
    (void)line.postWhenReady(cmd::kReset, 0, kNoValues);
    const bool ok = execute(line, cmd::kServiceMode);
    takeSample(line);
    return backToMeasurement(line) && ok;
}

}  // namespace r4860::workflow
