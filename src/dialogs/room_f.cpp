#include "dialogs/room_f.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/number_text.h"
#include "model/config_record.h"
#include "qtbridge/message_service.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"

namespace r4860::dialogs {
namespace {

constexpr double kMinRoomT = -20.0, kMaxRoomT = 60.0;
const QPoint kOffset(19, 87);

}  // namespace

using qtbridge::Fixed;
using qtbridge::Tr;

TRoomF::TRoomF(model::ConfigRecord& record, qtbridge::MessageService& messages, QPoint callerTopLeft,
               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_record(record), m_messages(messages) {
    setObjectName(QStringLiteral("TRoomF"));
    // Without a title bar the window needs an edge of its own to stand out from the one below.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setLineWidth(2);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    auto* roomtT = new QLabel(Tr("Set the external cold junction temperature") + QStringLiteral(": (-20 ... 60 °C)"),
                              frame);
    roomtT->setObjectName(QStringLiteral("RoomtT"));
    m_roomtE = new QLineEdit(QStringLiteral("25.00"), frame);
    m_roomtE->setObjectName(QStringLiteral("RoomtE"));
    m_roomtE->setMaximumWidth(m_roomtE->fontMetrics().horizontalAdvance(QStringLiteral("-000.000")) + 12);
    m_roomtB = new QPushButton(QStringLiteral("OK"), frame);
    m_roomtB->setObjectName(QStringLiteral("RoomtB"));
    m_roomtB->setDefault(true);

    auto* entry = new QHBoxLayout;
    entry->addWidget(m_roomtE);
    entry->addWidget(new QLabel(QStringLiteral("°C"), frame));
    entry->addStretch(1);
    entry->addWidget(m_roomtB);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(roomtT);
    layout->addLayout(entry);

    connect(m_roomtB, &QPushButton::clicked, this, &TRoomF::RoomtBClick);
    setFixedSize(sizeHint());
    qtbridge::PlaceDialog(*this, callerTopLeft, kOffset);
    m_roomtE->setFocus();
}

void TRoomF::RoomtBClick() {
    double value = 0;
    if (!TextToNum(qtbridge::ToStd(m_roomtE->text()), value)) {
        m_messages.beep(Beep::Exclamation);
        m_messages.show(this, Tr("Wrong format") + QLatin1Char('!'), MessageIcon::Exclamation);
    } else if (value < kMinRoomT || value > kMaxRoomT) {
        m_messages.show(this, Tr("Out of range!"), MessageIcon::Exclamation);
    } else {
        m_record.Parametry.RoomT = value;
        showStored();
        accept();
        return;
    }
    showStored();
    m_roomtE->setFocus();
    m_roomtE->selectAll();
}

void TRoomF::showStored() { m_roomtE->setText(Fixed(m_record.Parametry.RoomT, 4, 2)); }

}  // namespace r4860::dialogs
