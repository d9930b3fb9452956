#include "dialogs/witryna.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "dialogs/tool_picture.h"
#include "qtbridge/decorations.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"

namespace r4860::dialogs {
namespace {

const QPoint kOffset(79, 77);
constexpr int kPictureSize = 96;
// Below this width the picture does not fit beside a usable main window.
constexpr int kNarrowScreen = 800;

}  // namespace

Twitryna::Twitryna(QPoint mainTopLeft, QWidget* parent) : QDialog(parent, qtbridge::DialogFlags()) {
    setObjectName(QStringLiteral("Twitryna"));
    setWindowTitle(QStringLiteral("R4860"));
    m_title = new QLabel(qtbridge::Tr("R4860 Transmitters"), this);
    m_title->setObjectName(QStringLiteral("Title"));
    QFont big = m_title->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    m_title->setFont(big);
    m_wersja = new QLabel(this);
    m_wersja->setObjectName(QStringLiteral("wersja"));
    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(ToolPicture(kPictureSize));
    auto* okButt = new QPushButton(QStringLiteral("OK"), this);
    okButt->setObjectName(QStringLiteral("OKbutt"));
    okButt->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(18);
    layout->addWidget(m_image1, 0, 0, 3, 1);
    layout->addWidget(m_title, 0, 1);
    layout->addWidget(m_wersja, 1, 1);
    layout->addWidget(okButt, 2, 1, Qt::AlignRight | Qt::AlignBottom);
    connect(okButt, &QPushButton::clicked, this, &QDialog::accept);
    // Room for the version text that arrives later.
    m_wersja->setMinimumWidth(m_wersja->fontMetrics().horizontalAdvance(QStringLiteral("v 00.00")));
    setFixedSize(sizeHint());
    qtbridge::PlaceDialog(*this, mainTopLeft, kOffset);
}

void Twitryna::setVersion(const QString& text) { m_wersja->setText(text); }

void Twitryna::showEvent(QShowEvent* event) {
    const QScreen* shown = screen();
    if (shown != nullptr && shown->geometry().width() < kNarrowScreen) {
        m_image1->hide();
        m_title->setStyleSheet(QStringLiteral("color: rgb(128, 128, 128)"));
        layout()->activate();
        setFixedSize(sizeHint());
    }
    QDialog::showEvent(event);
}

}  // namespace r4860::dialogs
