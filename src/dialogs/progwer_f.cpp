#include "dialogs/progwer_f.h"

#include <QGridLayout>
#include <QLabel>

#include "dialogs/tool_picture.h"
#include "qtbridge/decorations.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"

namespace r4860::dialogs {
namespace {

const QPoint kOffset(125, 87);
constexpr int kPictureSize = 64;

QLabel* NamedLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

TProgwerF::TProgwerF(QPoint mainTopLeft, QWidget* parent) : QDialog(parent, qtbridge::DialogFlags()) {
    setObjectName(QStringLiteral("TProgwerF"));
    // The menu's text without its accelerator mark.
    setWindowTitle(qtbridge::Tr("&Version").mid(1));
    auto* image1 = NamedLabel(QString(), "Image1", this);
    image1->setPixmap(ToolPicture(kPictureSize));
    auto* progname = NamedLabel(QStringLiteral("R4860.exe"), "Progname", this);
    QFont bold = progname->font();
    bold.setBold(true);
    progname->setFont(bold);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->addWidget(image1, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(progname, 0, 1);
    layout->addWidget(NamedLabel(QStringLiteral("v 1.05"), "wersja", this), 1, 1);
    const QString notice = QStringLiteral("Configuration tool for R4860 transmitters, free to use");
    layout->addWidget(NamedLabel(notice, "Copywr", this), 2, 1);
    setFixedSize(sizeHint());
    qtbridge::PlaceDialog(*this, mainTopLeft, kOffset);
}

void TProgwerF::mousePressEvent(QMouseEvent*) { accept(); }

}  // namespace r4860::dialogs
