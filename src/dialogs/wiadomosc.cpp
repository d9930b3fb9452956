#include "dialogs/wiadomosc.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"

namespace r4860::dialogs {
namespace {

const QPoint kOffset(82, 136);

QLabel* NamedLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

TWiadomosc::TWiadomosc(Mode mode, const files::Settings& settings, QPoint mainTopLeft, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_mode(mode),
      m_settings(settings) {
    setObjectName(QStringLiteral("TWiadomosc"));
    setWindowTitle(QStringLiteral("R4860"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    if (mode == Mode::Progress) {
        layout->addWidget(NamedLabel(qtbridge::Tr("Communicating with transducer"), "Wiadomosc1", this));
        layout->addWidget(NamedLabel(qtbridge::Tr("Please wait") + QStringLiteral("..."), "Wiadomosc2", this));
        // Everything else waits for the transfer; the window itself cannot be closed.
        setWindowModality(Qt::ApplicationModal);
    } else {
        layout->addWidget(NamedLabel(qtbridge::Tr("Password"), "Wiadomosc1", this));
        m_haslo = new QLineEdit(this);
        m_haslo->setObjectName(QStringLiteral("Haslo"));
        m_haslo->setEchoMode(QLineEdit::Password);
        m_haslo->setMaxLength(static_cast<int>(files::kMaxPass));
        layout->addWidget(m_haslo);
        m_haslo->setFocus();
    }
    setFixedSize(std::max(260, sizeHint().width()), sizeHint().height());
    qtbridge::PlaceDialog(*this, mainTopLeft, kOffset);
}

void TWiadomosc::keyPressEvent(QKeyEvent* event) {
    if (m_mode == Mode::Progress) return;  // no key ends a transfer's window
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_kind = workflow::CheckPassword(qtbridge::ToStd(m_haslo->text()), m_settings);
        m_kind == workflow::PasswordKind::Refused ? reject() : accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) reject();
}

void TWiadomosc::mousePressEvent(QMouseEvent*) {
    if (m_mode == Mode::Password) reject();
}

void TWiadomosc::closeEvent(QCloseEvent* event) {
    if (m_mode == Mode::Progress) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace r4860::dialogs
