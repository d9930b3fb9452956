#include "workflow/service_line.h"

#include <thread>

#include "protocol/commands.h"

namespace r4860::workflow {

bool LinkServiceLine::execute(std::uint8_t code, std::uint32_t parameter, const model::ConfigRecord& values) {
    return protocol::ExecuteCommand(m_link, m_ui, code, parameter, values);
}

bool LinkServiceLine::postWhenReady(std::uint8_t code, std::uint32_t parameter, const model::ConfigRecord& values) {
    return protocol::PostCommandWhenReady(m_link, m_ui, code, parameter, values);
}

bool LinkServiceLine::waitNewSample(protocol::MeasurementSample& sample) {
    return protocol::WaitNewSample(m_link, sample);
}

bool LinkServiceLine::waitFreshSample(protocol::MeasurementSample& sample) {
    return protocol::WaitFreshSample(m_link, sample);
}

bool LinkServiceLine::takeSample(protocol::MeasurementSample& sample) { return protocol::GetSample(m_link, sample); }

bool LinkServiceLine::pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
    return m_link.listenerRunning();
}

}  // namespace r4860::workflow
