#include "qtbridge/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace r4860::qtbridge {

QPoint DialogPosition(QPoint mainTopLeft, QPoint offset) { return mainTopLeft + offset; }

void PlaceDialog(QWidget& dialog, QPoint mainTopLeft, QPoint offset) {
    dialog.move(OnSomeScreen(DialogPosition(mainTopLeft, offset), dialog.sizeHint(), ScreenRects()));
}

QPoint OnSomeScreen(QPoint topLeft, QSize size, const std::vector<QRect>& screens) {
    if (screens.empty()) return topLeft;
    // Enough of the title bar to grab the window again.
    constexpr int kGrip = 40;
    const QRect title(topLeft, QSize(std::max(size.width(), kGrip), kGrip));
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(title);
        if (seen.width() >= std::min(kGrip, title.width()) && seen.height() >= kGrip / 2) return topLeft;
    }
    return screens.front().topLeft();
}

std::vector<QRect> ScreenRects() {
    std::vector<QRect> rects;
    for (const QScreen* screen : QGuiApplication::screens()) rects.push_back(screen->availableGeometry());
    return rects;
}

}  // namespace r4860::qtbridge
