#include "dialogs/info_f.h"

#include <QHBoxLayout>
#include <QLabel>
#include <array>
#include <string_view>

#include "dialogs/tool_picture.h"
#include "files/settings_file.h"
#include "qtbridge/decorations.h"
#include "qtbridge/qt_text.h"
#include "qtbridge/window_place.h"

namespace r4860::dialogs {
namespace {

const QPoint kOffset(136, 78);
constexpr int kPictureSize = 64;

// Scrambled with the settings file's password scrambling (each line at most 30 characters).
constexpr std::array<std::string_view, 6> kPublisher = {
    "\070\144\056\064\145\342\200\234\070\174\115\065\104\175\163\076\130\042\174\120\133\141\153\150\100\056",
    "\114\075\144\042\041\120\066\141\104\041\114\154\163\076\134\166\137\113\122\053\152\152\106\066\144\156\131\066",
    "\067\063\144\151\066\127\171\175\110\075\106\064\040\170\177\146\043\305\245\117\042\154\141",
    "\067\063\170\157\070\105\050\075\177\041\114\166\145\047\112\172\063\127\132\055\153\142\133\057",
    "\056\067\165\143\067\132\050\145\110\062\136\070\137\042\133\166\166\120\077\057\174\144\131\051\175\143\132",
    "\050\043\175\156\041\342\200\234\054\172\123\067\342\200\271\342\204\242\051\145"
    "\342\200\260\146\063\136\133\045\067\342\200\223\131\142\046",
};

}  // namespace

QStringList PublisherLines() {
    QStringList lines;
    for (const std::string_view stored : kPublisher)
        lines << qtbridge::ToQString(files::UnscramblePassword(stored).value_or(std::string()));
    return lines;
}

TInfoF::TInfoF(QPoint mainTopLeft, QWidget* parent) : QDialog(parent, qtbridge::DialogFlags()) {
    setObjectName(QStringLiteral("TInfoF"));
    setWindowTitle(qtbridge::Tr("Info"));
    auto* image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(ToolPicture(kPictureSize));
    auto* firma = new QLabel(PublisherLines().join(QLatin1Char('\n')), this);
    firma->setObjectName(QStringLiteral("Firma"));
    auto* layout = new QHBoxLayout(this);
    layout->setSpacing(16);
    layout->addWidget(image1, 0, Qt::AlignTop);
    layout->addWidget(firma);
    setFixedSize(sizeHint());
    qtbridge::PlaceDialog(*this, mainTopLeft, kOffset);
}

// The labels leave clicks to the window, so a click on any of them lands here too.
void TInfoF::mousePressEvent(QMouseEvent*) { accept(); }

}  // namespace r4860::dialogs
