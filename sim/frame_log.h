// The emulator's record of every frame on the line, one tab-separated line each, flushed at
// once so that a test can read it while the emulator runs:
//   time_us  dir  kind  outcome  gap  data  wire  note
// time_us is the steady clock in microseconds; data and wire are hex bytes separated by blanks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string_view>

#include "common/result.h"

namespace r4860::sim {

[[nodiscard]] std::int64_t SteadyNowUs() noexcept;

class FrameLog {
public:
    FrameLog() = default;
    ~FrameLog();
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;

    [[nodiscard]] Status open(const std::filesystem::path& file);
    [[nodiscard]] bool active() const noexcept { return m_file != nullptr; }

    void record(std::int64_t timeUs, std::string_view dir, std::string_view kind, std::string_view outcome,
                bool inGap, std::span<const std::uint8_t> data, std::span<const std::uint8_t> wire,
                std::string_view note = {});
    void mark(std::int64_t timeUs, std::string_view dir, std::string_view kind, std::string_view note);

private:
    std::FILE* m_file = nullptr;
};

}  // namespace r4860::sim
