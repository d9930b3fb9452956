// The calls a service command sequence makes, and nothing more: the design's ExecuteCommand,
// PostCommandWhenReady, WaitNewSample, WaitFreshSample and GetSample, a pause and the flags of
// the last sample. Every call but takeSample and status blocks, so a sequence runs where a wait
// is allowed: a window's command job (over its job's line) or the command-line tool's thread
// (LinkServiceLine). Refused posts beep through whatever the implementation was given.
#pragma once

#include <chrono>
#include <cstdint>

#include "common/ui_hooks.h"
#include "model/config_record.h"
#include "protocol/link.h"
#include "protocol/measurement.h"

namespace r4860::workflow {

class ServiceLine {
public:
    virtual ~ServiceLine() = default;
    // Ready within about 5 s, then sent and (except 'r') acknowledged within about 1 s. 'd' and
    // 'V' take their values from `values` (RoomT; ZeroReg and GainReg), nothing else reads it.
    virtual bool execute(std::uint8_t code, std::uint32_t parameter, const model::ConfigRecord& values) = 0;
    // Ready within about 5 s, then posted; not waited for.
    virtual bool postWhenReady(std::uint8_t code, std::uint32_t parameter, const model::ConfigRecord& values) = 0;
    // The next frame, up to 1 s.
    virtual bool waitNewSample(protocol::MeasurementSample& sample) = 0;
    // The next frame taken at the listener's first attempt, up to 300 ms: what answers a read.
    virtual bool waitFreshSample(protocol::MeasurementSample& sample) = 0;
    // The latest frame if it is new.
    virtual bool takeSample(protocol::MeasurementSample& sample) = 0;
    // False when the sequence was cancelled meanwhile.
    virtual bool pause(std::chrono::milliseconds duration) = 0;
    // The flags of the last sample taken.
    [[nodiscard]] virtual const protocol::StatusFlags& status() const = 0;
};

// Straight on the link, for the command-line tool and the tests: the calling thread waits.
class LinkServiceLine final : public ServiceLine {
public:
    LinkServiceLine(protocol::Link& link, UiHooks& ui) : m_link(link), m_ui(ui) {}
    bool execute(std::uint8_t code, std::uint32_t parameter, const model::ConfigRecord& values) override;
    bool postWhenReady(std::uint8_t code, std::uint32_t parameter, const model::ConfigRecord& values) override;
    bool waitNewSample(protocol::MeasurementSample& sample) override;
    bool waitFreshSample(protocol::MeasurementSample& sample) override;
    bool takeSample(protocol::MeasurementSample& sample) override;
    bool pause(std::chrono::milliseconds duration) override;
    [[nodiscard]] const protocol::StatusFlags& status() const override { return m_link.status; }

private:
    protocol::Link& m_link;
    UiHooks& m_ui;
};

}  // namespace r4860::workflow
