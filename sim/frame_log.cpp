#include "sim/frame_log.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "sim/device_memory.h"

namespace r4860::sim {
namespace {
// Tabs and line ends in free text would split the record.
std::string clean(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return out;
}
}  // namespace

std::int64_t SteadyNowUs() noexcept {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

FrameLog::~FrameLog() {
    if (m_file) std::fclose(m_file);
}

Status FrameLog::open(const std::filesystem::path& file) {
    m_file = std::fopen(file.c_str(), "w");
    if (!m_file) return makeError(Errc::Io, file.string() + ": " + std::strerror(errno));
    std::fputs("time_us\tdir\tkind\toutcome\tgap\tdata\twire\tnote\n", m_file);
    std::fflush(m_file);
    return {};
}

void FrameLog::record(std::int64_t timeUs, std::string_view dir, std::string_view kind, std::string_view outcome,
                      bool inGap, std::span<const std::uint8_t> data, std::span<const std::uint8_t> wire,
                      std::string_view note) {
    if (!m_file) return;
    const std::string line = std::to_string(timeUs) + '\t' + std::string(dir) + '\t' + std::string(kind) + '\t' +
                             std::string(outcome) + '\t' + (inGap ? "gap" : "-") + '\t' + HexText(data, ' ') +
                             '\t' + HexText(wire, ' ') + '\t' + clean(note) + '\n';
    std::fputs(line.c_str(), m_file);
    std::fflush(m_file);
}

void FrameLog::mark(std::int64_t timeUs, std::string_view dir, std::string_view kind, std::string_view note) {
    record(timeUs, dir, kind, "-", false, {}, {}, note);
}

}  // namespace r4860::sim
