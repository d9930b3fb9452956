// Where windows go on the desktop: dialogs at their fixed offsets from the main window, and a
// remembered position brought back when it would be off every screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace r4860::qtbridge {

// The main window's remembered left/top plus the dialog's offset. The offsets were drawn for
// 96 dpi; Qt already works in logical pixels that follow the screen's scaling, so the offset is
// not multiplied again.
[[nodiscard]] QPoint DialogPosition(QPoint mainTopLeft, QPoint offset);
void PlaceDialog(QWidget& dialog, QPoint mainTopLeft, QPoint offset);

// `topLeft` when a window of `size` there shows at least a corner's worth on one of the screens
// (whose desktop may start left of or above 0); otherwise the first screen's top-left corner.
[[nodiscard]] QPoint OnSomeScreen(QPoint topLeft, QSize size, const std::vector<QRect>& screens);
[[nodiscard]] std::vector<QRect> ScreenRects();

}  // namespace r4860::qtbridge
