#include "workflow/corrections_commands.h"

#include "common/device_float.h"
#include "model/config_record.h"
#include "protocol/commands.h"

namespace r4860::workflow {
namespace {

namespace cmd = protocol::cmd;

constexpr int kCorrectionsAddress = 0x00F8;
constexpr std::uint32_t kMeasurementRegister = 16;
constexpr std::uint32_t kTemperatureRegister = 4;

// 'V' takes its values from a record's ZeroReg and GainReg: a scratch one with exactly these.
model::ConfigRecord carrying(CorrectionPair values) {
    model::ConfigRecord scratch;
    scratch.Parametry.ZeroReg = values.zero;
    scratch.Parametry.GainReg = values.gain;
    return scratch;
}

const model::ConfigRecord kNoValues{};

bool execute(ServiceLine& line, std::uint8_t code, std::uint32_t parameter) {
    return line.execute(code, parameter, kNoValues);
}

}  // namespace

bool StoreCorrections(ServiceLine& line, CorrectionPair values) {
    return line.execute(cmd::kStoreCorrections, 0, carrying(values));
}

bool CorrectionsStored(ServiceLine& line, CorrectionPair values) {
    const auto command = protocol::BuildCommand(cmd::kStoreCorrections, 0, carrying(values));
    if (!command) return false;
    // The command's data: 'V', 5, address high, low, then zero and gain high byte first.
    const auto& c = *command;
    const std::array<std::uint8_t, 4> expected{c[5], c[6], c[7], c[8]};
    const auto held = ReadMemoryWord(line, kCorrectionsAddress);
    return held && *held == expected;
}

Outcome TrimCorrections(ServiceLine& line, CorrectionPair values) {
    if (!StoreCorrections(line, values)) return Outcome::Failure("Command failed", MessageIcon::Exclamation);
    if (!CorrectionsStored(line, values))
        return Outcome::Failure("Verification ended with errors", MessageIcon::Exclamation);
    return Outcome::Success();
}

bool ForceOutput(ServiceLine& line, int counts) { return execute(line, cmd::kSetOutput, OutputParameter(counts)); }

CorrectionsTick TickRequest(const CorrectionsSession& session, const model::ConfigRecord& rec) {
    return {NewSeries(rec), session.simulate, session.measureMode, session.current(), session.saved(),
            rec.Parametry.SignalMin, rec.Parametry.SignalMax};
}

bool TickWaits(const CorrectionsTick& tick) noexcept { return (tick.newSeries && tick.simulate) || tick.measureMode; }

bool CorrectionsSample(ServiceLine& line, const CorrectionsTick& tick, protocol::MeasurementSample& sample) {
    if (tick.newSeries && tick.simulate) {
        if (!execute(line, cmd::kSelectRegister, kMeasurementRegister)) return false;
        if (!line.waitFreshSample(sample)) return false;
        const double preview = DevicePreviewValue(sample.result, tick.current, tick.saved, tick.signalMin, tick.signalMax);
        const auto bytes = EncodeDeviceFloat(preview);
        if (!bytes) return false;
        // 'Z' sends its parameter least significant byte first: the float's first byte goes lowest.
        const auto& f = *bytes;
        const std::uint32_t parameter = f[0] | f[1] << 8 | f[2] << 16 | static_cast<std::uint32_t>(f[3]) << 24;
        if (!execute(line, cmd::kSendRaw, parameter)) return false;
        return line.waitFreshSample(sample);
    }
    // Any series: a transducer left on the measurement would show it under "Int. temp.".
    if (tick.measureMode && !tick.simulate) {
        if (!execute(line, cmd::kSelectRegister, kTemperatureRegister)) return false;
        return line.waitFreshSample(sample);
    }
    return line.takeSample(sample);
}

Outcome LeaveCorrections(ServiceLine& line, const CorrectionsFootprint& footprint) {
    if (footprint.outputForced || footprint.previewSent) return LeaveServiceMode(line);
    if (footprint.registerChanged && !execute(line, cmd::kSelectRegister, kMeasurementRegister))
        return Outcome::Failure("Command failed", MessageIcon::Exclamation, Beep::Exclamation);
    return Outcome::Success();
}

}  // namespace r4860::workflow
