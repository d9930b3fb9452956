// Every message box and beep of the windows goes through one MessageService, so that tests put a
// recorder in its place and never block on a modal box.
#pragma once

#include <QString>
#include <functional>

#include "common/ui_hooks.h"

class QWidget;

namespace r4860::qtbridge {

enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual void beep(Beep kind) = 0;
    // A modal box captioned "R4860.exe"; returns the button chosen.
    virtual Answer ask(QWidget* parent, const QString& text, MessageIcon icon, Buttons buttons) = 0;
    void show(QWidget* parent, const QString& text, MessageIcon icon) { ask(parent, text, icon, Buttons::Ok); }
    // The classic pair: the beep, then the box.
    void warn(QWidget* parent, const QString& text, MessageIcon icon = MessageIcon::Exclamation,
              Beep kind = Beep::Exclamation) {
        beep(kind);
        show(parent, text, icon);
    }
};

// QMessageBox and QApplication::beep.
class QtMessageService final : public MessageService {
public:
    void beep(Beep kind) override;
    Answer ask(QWidget* parent, const QString& text, MessageIcon icon, Buttons buttons) override;
};

// The core's UI boundary over a MessageService, for outcomes and command refusals; a window with a
// status line says where its status text goes.
class QtUiHooks final : public UiHooks {
public:
    using StatusText = std::function<void(const QString& text)>;
    QtUiHooks(MessageService& messages, QWidget* parent, StatusText status = {})
        : m_messages(messages), m_parent(parent), m_status(std::move(status)) {}
    void beep(Beep kind) override { m_messages.beep(kind); }
    void showMessage(std::string_view text, MessageIcon icon) override;
    void setStatusText(std::string_view text) override;

private:
    MessageService& m_messages;
    QWidget* m_parent;
    StatusText m_status;
};

}  // namespace r4860::qtbridge
