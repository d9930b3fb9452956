// The decorations each kind of window has: a dialog or a message box a title and a close button
// (nothing to minimise or maximise), the fixed-size main window no maximise button.
#pragma once

#include <Qt>

namespace r4860::qtbridge {

[[nodiscard]] constexpr Qt::WindowFlags DialogFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

[[nodiscard]] constexpr Qt::WindowFlags MainWindowFlags() {
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
}

}  // namespace r4860::qtbridge
