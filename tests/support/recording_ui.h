// The UI boundary for tests: records every beep, message and status text instead of showing it.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "common/ui_hooks.h"

namespace r4860::testing {

class RecordingUi : public UiHooks {
public:
    void beep(Beep kind) override { std::lock_guard lock(m_mutex); m_beeps.push_back(kind); }
    void showMessage(std::string_view text, MessageIcon icon) override {
        std::lock_guard lock(m_mutex);
        m_messages.emplace_back(text);
        m_icons.push_back(icon);
    }
    void transferProgress(int percent, std::string_view statusText) override {
        std::lock_guard lock(m_mutex);
        m_progress.push_back(percent);
        m_status.emplace_back(statusText);
    }
    void setStatusText(std::string_view text) override { std::lock_guard lock(m_mutex); m_status.emplace_back(text); }

    std::vector<Beep> beeps() const { std::lock_guard lock(m_mutex); return m_beeps; }
    std::vector<std::string> messages() const { std::lock_guard lock(m_mutex); return m_messages; }
    std::vector<MessageIcon> icons() const { std::lock_guard lock(m_mutex); return m_icons; }
    std::vector<int> progress() const { std::lock_guard lock(m_mutex); return m_progress; }
    std::vector<std::string> statusTexts() const { std::lock_guard lock(m_mutex); return m_status; }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_beeps.clear(), m_messages.clear(), m_icons.clear(), m_progress.clear(), m_status.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Beep> m_beeps;
    std::vector<std::string> m_messages;
    std::vector<MessageIcon> m_icons;
    std::vector<int> m_progress;
    std::vector<std::string> m_status;
};

}  // namespace r4860::testing
