// The serial port dialog and the opening of the stored port at start-up: the operator picks the
// COM port the transducer hangs on, and the link moves over to it.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>
#include <QStringView>
#include <functional>
#include <thread>

namespace r4860::link {
struct FoundPort;
}
namespace r4860::qtbridge {
class MessageService;
}
namespace r4860::files {
struct Settings;
}
namespace r4860::workflow {
class Transducer;
}
class QCheckBox;
class QComboBox;
class QFrame;
class QPushButton;

namespace r4860::dialogs {

// "COMn initialization failed!" for the stored port, with why: the start-up opening failed, and
// the tool goes on without a link.
void ReportStartUpFailure(workflow::Transducer& transducer, const files::Settings& settings,
                          qtbridge::MessageService& messages, QWidget* parent);

// "COM 1  /dev/ttyS0": one digit gets a blank after COM so the list reads COM 1 .. COM 9, COM10.
[[nodiscard]] QString PortEntryText(const link::FoundPort& port);
// The COM number an entry starts with (blanks after COM allowed, any number of digits);
// 0 when it does not start with COM and a number.
[[nodiscard]] int PortNumberOfEntry(QStringView entry);

class TPortS : public QDialog {
    Q_OBJECT
public:
    TPortS(workflow::Transducer& transducer, files::Settings& settings, qtbridge::MessageService& messages,
           QPoint mainTopLeft, QWidget* parent = nullptr);
    ~TPortS() override;

public slots:
    // Refused while the switch is under way; after a failed switch it reopens the port that
    // worked before, so leaving the dialog never leaves the tool without its link.
    void reject() override;

private:
    void fillPorts();
    void OKbuttClick();
    void startOn(int port);
    // The port settles for a while after it is set up: it opens on a thread of its own, and
    // `then` hears on the dialog's thread whether it did.
    void openInBackground(int port, std::function<void(bool opened)> then);
    void setSwitching(bool on);

    workflow::Transducer& m_transducer;
    files::Settings& m_settings;
    qtbridge::MessageService& m_messages;
    // The port the link ran on when the dialog opened (0: none), before the list may clear ComPort.
    int m_workingPort = 0;
    bool m_switchFailed = false;
    bool m_switching = false;
    QComboBox* m_listaRS;
    QCheckBox* m_relPriorB;
    QPushButton* m_okButt;
    QPushButton* m_cancelButt;
    QFrame* m_panel2;
    std::thread m_opening;
};

}  // namespace r4860::dialogs
