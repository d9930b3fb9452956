#include "service/service_dialog.h"

#include <QCloseEvent>

namespace r4860::service {

QColor ToQColor(workflow::ServiceColour colour) {
    switch (colour) {
        case workflow::ServiceColour::Teal: return {0, 128, 128};
        case workflow::ServiceColour::Blue: return {0, 0, 255};
        case workflow::ServiceColour::Red: return {255, 0, 0};
        case workflow::ServiceColour::Black: break;
    }
    return {0, 0, 0};
}

ServiceDialog::ServiceDialog(workflow::Transducer& transducer, qtbridge::MessageService& messages, int intervalMs,
                             QWidget* parent)
    : QDialog(parent),
      m_transducer(transducer),
      m_messages(messages),
      m_ui(messages, this),
      m_commands(transducer, messages, this),
      m_timer(new QTimer(this)) {
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(intervalMs);
}

void ServiceDialog::reject() {
    if (m_left) {
        QDialog::reject();
        return;
    }
    if (m_leaving) return;
    m_leaving = true;
    m_timer->stop();
    if (!m_commands.running()) {
        leaveNow();
        return;
    }
    // A sequence holds the line: break it off and leave once its outcome is in.
    m_commands.cancel();
    connect(&m_commands, &qtbridge::CommandRunner::finished, this, &ServiceDialog::leaveNow,
            Qt::SingleShotConnection);
}

void ServiceDialog::closeEvent(QCloseEvent* event) {
    if (m_left) {
        event->accept();
        return;
    }
    event->ignore();
    reject();
}

void ServiceDialog::leaveNow() {
    if (!startLeaving()) left();
}

void ServiceDialog::left() {
    m_left = true;
    QDialog::reject();
}

void ServiceDialog::showOutcome(const workflow::Outcome& outcome) { workflow::ShowOutcome(m_ui, outcome, {}); }

}  // namespace r4860::service
