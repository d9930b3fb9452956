// The small drawing the information windows show: a transmitter head on its sensor, drawn in
// code so the program needs no image files beside it.
#pragma once

#include <QPixmap>

namespace r4860::dialogs {

[[nodiscard]] QPixmap ToolPicture(int size);

}  // namespace r4860::dialogs
