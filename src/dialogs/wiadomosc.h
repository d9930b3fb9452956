// The message window: while a transfer runs it says the tool is talking to the transducer and
// keeps the operator out of every other command (application-modal, not closable); in its second
// mode it asks for the password of the corrections and diagnostics.
#pragma once

#include <QDialog>

#include "files/settings.h"
#include "workflow/password.h"

class QLabel;
class QLineEdit;

namespace r4860::dialogs {

class TWiadomosc : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Progress, Password };
    // `settings` is read in password mode only.
    TWiadomosc(Mode mode, const files::Settings& settings, QPoint mainTopLeft, QWidget* parent = nullptr);
    // Password mode, after OK: whose password it was.
    [[nodiscard]] workflow::PasswordKind passwordKind() const { return m_kind; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Mode m_mode;
    const files::Settings& m_settings;
    QLineEdit* m_haslo = nullptr;
    workflow::PasswordKind m_kind = workflow::PasswordKind::Refused;
};

}  // namespace r4860::dialogs
