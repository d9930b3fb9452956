// The external cold-junction temperature entry, opened by the thermocouple choice when the
// transducer does not compensate the cold junction itself.
#pragma once

#include <QDialog>
#include <QPoint>

namespace r4860::model {
struct ConfigRecord;
}
namespace r4860::qtbridge {
class MessageService;
}
class QLineEdit;
class QPushButton;

namespace r4860::dialogs {

class TRoomF : public QDialog {
    Q_OBJECT
public:
    // `callerTopLeft`: the selection window that opens this one, not the main window.
    TRoomF(model::ConfigRecord& record, qtbridge::MessageService& messages, QPoint callerTopLeft,
           QWidget* parent = nullptr);

public slots:
    // There is no Cancel: the only way out is a valid temperature.
    void reject() override {}

private:
    void RoomtBClick();
    void showStored();

    model::ConfigRecord& m_record;
    qtbridge::MessageService& m_messages;
    QLineEdit* m_roomtE;
    QPushButton* m_roomtB;
};

}  // namespace r4860::dialogs
