// The windows' message service for tests: records every beep and box instead of showing it, and
// answers questions from a script (Ok / Yes when nothing is scripted).
#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "qtbridge/message_service.h"

namespace r4860::testing {

struct RecordedBox {
    QString text;
    MessageIcon icon = MessageIcon::None;
    qtbridge::Buttons buttons = qtbridge::Buttons::Ok;
};

class RecordingMessages final : public qtbridge::MessageService {
public:
    void beep(Beep kind) override { beeps.push_back(kind); }
    qtbridge::Answer ask(QWidget*, const QString& text, MessageIcon icon, qtbridge::Buttons buttons) override {
        boxes.push_back({text, icon, buttons});
        if (onBox) onBox();
        if (!answers.empty()) {
            const auto answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return buttons == qtbridge::Buttons::YesNo ? qtbridge::Answer::Yes : qtbridge::Answer::Ok;
    }
    void clear() { beeps.clear(), boxes.clear(), answers.clear(); }
    [[nodiscard]] QStringList texts() const {
        QStringList out;
        for (const auto& box : boxes) out << box.text;
        return out;
    }

    std::vector<Beep> beeps;
    std::vector<RecordedBox> boxes;
    std::deque<qtbridge::Answer> answers;
    // Called while each box is up, to look at what the window shows beside it.
    std::function<void()> onBox;
};

}  // namespace r4860::testing
