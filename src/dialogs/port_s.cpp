#include "dialogs/port_s.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "files/app_paths.h"
#include "link/port_list.h"
#include "qtbridge/decorations.h"
#include "qtbridge/message_service.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"
#include "files/settings.h"
#include "workflow/outcome.h"
#include "workflow/transducer.h"

namespace r4860::dialogs {
namespace {

const QPoint kOffset(87, 80);
// Gives an adapter that was just closed time to settle before it (or its neighbour) is opened.
constexpr int kSwitchPauseMs = 1000;
constexpr int kMaxPortDigits = 5;

// "COM5 initialization failed!" and why: the device is missing, this user may not open it (and
// how to get access), or another program holds it.
void ReportFailedPort(workflow::Transducer& transducer, qtbridge::MessageService& messages, QWidget* parent,
                      int port) {
    qtbridge::QtUiHooks ui(messages, parent);
    workflow::ShowOutcome(ui, workflow::PortFailureOutcome(transducer.portFailure(port, files::PortsDir())));
}

}  // namespace

using qtbridge::Tr;

void ReportStartUpFailure(workflow::Transducer& transducer, const files::Settings& settings,
                          qtbridge::MessageService& messages, QWidget* parent) {
    ReportFailedPort(transducer, messages, parent, settings.ComPort);
}

QString PortEntryText(const link::FoundPort& port) {
    QString text = qtbridge::ToQString(port.label());
    if (port.comNumber >= 0 && port.comNumber < 10) text.insert(3, QLatin1Char(' '));
    return text;
}

int PortNumberOfEntry(QStringView entry) {
    if (!entry.startsWith(QLatin1String("COM"))) return 0;
    qsizetype at = 3;
    while (at < entry.size() && entry[at] == QLatin1Char(' ')) ++at;
    int number = 0, digits = 0;
    for (; at < entry.size() && entry[at].isDigit() && digits < kMaxPortDigits; ++at, ++digits)
        number = number * 10 + entry[at].digitValue();
    // "COM12x" is not COM12: the number must end where the text or a blank does.
    if (digits == 0 || (at < entry.size() && entry[at] != QLatin1Char(' '))) return 0;
    return number;
}

TPortS::TPortS(workflow::Transducer& transducer, files::Settings& settings, qtbridge::MessageService& messages,
               QPoint mainTopLeft, QWidget* parent)
    : QDialog(parent, qtbridge::DialogFlags()), m_transducer(transducer), m_settings(settings), m_messages(messages) {
    setObjectName(QStringLiteral("TPortS"));
    setWindowTitle(Tr("Serial port"));
    if (m_transducer.pollingOn()) m_workingPort = m_settings.ComPort;

    auto* wybierz = new QLabel(Tr("Select"), this);
    wybierz->setObjectName(QStringLiteral("Wybierz"));
    m_listaRS = new QComboBox(this);
    m_listaRS->setObjectName(QStringLiteral("ListaRS"));
    m_listaRS->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_relPriorB = new QCheckBox(Tr("Force highest priority"), this);
    m_relPriorB->setObjectName(QStringLiteral("RelPriorB"));
    m_relPriorB->setToolTip(Tr("Use when other processes disturb communication"));
    m_okButt = new QPushButton(QStringLiteral("OK"), this);
    m_okButt->setObjectName(QStringLiteral("OKbutt"));
    m_okButt->setDefault(true);
    m_cancelButt = new QPushButton(Tr("Cancel"), this);
    m_cancelButt->setObjectName(QStringLiteral("Cancelbutt"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(wybierz, 0, 0);
    layout->addWidget(m_listaRS, 1, 0, 1, 3);
    layout->addWidget(m_relPriorB, 2, 0, 1, 3);
    layout->setColumnStretch(0, 1);
    layout->addWidget(m_okButt, 3, 1);
    layout->addWidget(m_cancelButt, 3, 2);

    // Laid over the controls while the port changes, outside the layout so the size stays.
    m_panel2 = new QFrame(this);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_panel2->setFrameShape(QFrame::Panel);
    m_panel2->setFrameShadow(QFrame::Raised);
    m_panel2->setAutoFillBackground(true);
    auto* wiadomosc1 = new QLabel(Tr("Switching the serial port"), m_panel2);
    wiadomosc1->setObjectName(QStringLiteral("Wiadomosc1"));
    auto* wiadomosc2 = new QLabel(Tr("Please wait") + QStringLiteral("..."), m_panel2);
    wiadomosc2->setObjectName(QStringLiteral("Wiadomosc2"));
    auto* panelLayout = new QVBoxLayout(m_panel2);
    panelLayout->addStretch(1);
    panelLayout->addWidget(wiadomosc1, 0, Qt::AlignHCenter);
    panelLayout->addWidget(wiadomosc2, 0, Qt::AlignHCenter);
    panelLayout->addStretch(1);
    m_panel2->hide();

    connect(m_okButt, &QPushButton::clicked, this, &TPortS::OKbuttClick);
    connect(m_cancelButt, &QPushButton::clicked, this, &TPortS::reject);
    fillPorts();
    m_relPriorB->setChecked(m_settings.RTPriority);
    const QSize panelNeeds = m_panel2->sizeHint() + QSize(24, 24);
    setFixedSize(sizeHint().expandedTo(panelNeeds));
    qtbridge::PlaceDialog(*this, mainTopLeft, kOffset);
    m_listaRS->setFocus();
}

void TPortS::fillPorts() {
    // Already in COM number order, one entry per number: numeric order also holds past COM99,
    // where sorting the texts would put COM100 before COM20.
    for (const link::FoundPort& port : link::FindPorts(files::PortsDir())) m_listaRS->addItem(PortEntryText(port));
    const int wanted = m_settings.ComPort & 0xFF;
    for (int i = 0; i < m_listaRS->count(); ++i) {
        if (PortNumberOfEntry(m_listaRS->itemText(i)) == wanted) {
            m_listaRS->setCurrentIndex(i);
            return;
        }
    }
    if (m_listaRS->count() == 0) return;
    m_listaRS->setCurrentIndex(0);
    m_settings.ComPort = 0;
}

void TPortS::OKbuttClick() {
    int port = m_settings.ComPort;
    if (m_listaRS->currentIndex() >= 0) {
        if (const int chosen = PortNumberOfEntry(m_listaRS->currentText()); chosen > 0) port = chosen;
    }
    if (!m_transducer.pollingOn()) {
        startOn(port);
        return;
    }
    if (port == m_settings.ComPort) {
        m_settings.RTPriority = m_relPriorB->isChecked();
        accept();
        return;
    }
    setSwitching(true);
    m_transducer.stop();
    // The pause runs on the event loop: the window keeps painting and nothing sleeps.
    QTimer::singleShot(kSwitchPauseMs, this, [this, port] { startOn(port); });
}

TPortS::~TPortS() {
    if (m_opening.joinable()) m_opening.join();
}

void TPortS::openInBackground(int port, std::function<void(bool opened)> then) {
    setSwitching(true);
    m_opening = std::thread([this, port, then = std::move(then)] {
        const bool opened = m_transducer.start(port, files::PortsDir()).ok();
        QMetaObject::invokeMethod(
            this,
            [this, opened, then] {
                m_opening.join();
                setSwitching(false);
                then(opened);
            },
            Qt::QueuedConnection);
    });
}

void TPortS::startOn(int port) {
    openInBackground(port, [this, port](bool opened) {
        if (opened) {
            m_settings.ComPort = static_cast<std::uint16_t>(port);
            m_settings.RTPriority = m_relPriorB->isChecked();
            accept();
            return;
        }
        m_switchFailed = true;
        ReportFailedPort(m_transducer, m_messages, this, port);
        m_listaRS->setFocus();
    });
}

void TPortS::setSwitching(bool on) {
    m_switching = on;
    for (QWidget* control : {static_cast<QWidget*>(m_listaRS), static_cast<QWidget*>(m_relPriorB),
                             static_cast<QWidget*>(m_okButt), static_cast<QWidget*>(m_cancelButt)})
        control->setEnabled(!on);
    if (on) {
        m_panel2->setGeometry(rect().adjusted(6, 6, -6, -6));
        m_panel2->raise();
        m_panel2->show();
    } else {
        m_panel2->hide();
    }
}

void TPortS::reject() {
    if (m_switching) return;
    if (m_switchFailed && m_workingPort > 0 && !m_transducer.isOpen()) {
        m_switchFailed = false;
        openInBackground(m_workingPort, [this](bool opened) {
            if (opened) {
                m_settings.ComPort = static_cast<std::uint16_t>(m_workingPort);
            } else {
                ReportFailedPort(m_transducer, m_messages, this, m_workingPort);
            }
            QDialog::reject();
        });
        return;
    }
    QDialog::reject();
}

}  // namespace r4860::dialogs
