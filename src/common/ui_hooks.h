// What the core needs from whoever talks to the operator: the GUI implements it with Qt,
// the command-line tool with stderr, the tests with a recorder. The core never calls it from
// inside a long operation: operator-level steps return their outcome as a value, and the caller
// shows it (workflow/outcome.h). Beeps of refused commands are made on the posting thread.
#pragma once

#include <string_view>

namespace r4860 {

// The system beep kinds the tool uses; values are those of the classic message-beep call.
enum class Beep : unsigned {
    Default = 0,
    Question = 32,
    Exclamation = 48,
    Asterisk = 64,
};

enum class MessageIcon { None, Information, Exclamation, Error };

class UiHooks {
public:
    virtual ~UiHooks() = default;

    virtual void beep(Beep kind) = 0;
    // A modal box with caption "R4860.exe" and an OK button; `text` is already translated.
    virtual void showMessage(std::string_view text, MessageIcon icon) = 0;
    // Transfer progress in percent (0..100) with the status text the main window shows.
    virtual void transferProgress(int percent, std::string_view statusText) {
        (void)percent;
        (void)statusText;
    }
    // Replaces the status text of the main window (panel 0).
    virtual void setStatusText(std::string_view text) { (void)text; }
};

// Does nothing: for headless callers that report outcomes themselves.
class NullUi : public UiHooks {
public:
    void beep(Beep) override {}
    void showMessage(std::string_view, MessageIcon) override {}
};

}  // namespace r4860
