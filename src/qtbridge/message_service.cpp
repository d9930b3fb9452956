#include "qtbridge/message_service.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>

#include "qtbridge/decorations.h"
#include "qtbridge/qt_text.h"

namespace r4860::qtbridge {
namespace {

constexpr int kTitleButtons = 80;  // the title bar's icon and close button

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::Exclamation: return QMessageBox::Warning;
        case MessageIcon::Error: return QMessageBox::Critical;
        case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageService::beep(Beep) {
    // The desktop has one bell; the kinds only differed in the sound scheme.
    QApplication::beep();
}

Answer QtMessageService::ask(QWidget* parent, const QString& text, MessageIcon icon, Buttons buttons) {
    const QString caption = QStringLiteral("R4860.exe");
    QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::NoButton, parent,
                    DialogFlags() | Qt::MSWindowsFixedSizeDialogHint);
    // A short text would make the box narrower than its caption and the close button beside it.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int room = box.fontMetrics().horizontalAdvance(caption) * 3 / 2 + kTitleButtons;
        grid->addItem(new QSpacerItem(room, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    switch (buttons) {
        case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok: return Answer::Ok;
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

void QtUiHooks::showMessage(std::string_view text, MessageIcon icon) {
    m_messages.show(m_parent, ToQString(text), icon);
}

void QtUiHooks::setStatusText(std::string_view text) {
    if (m_status) m_status(ToQString(text));
}

}  // namespace r4860::qtbridge
