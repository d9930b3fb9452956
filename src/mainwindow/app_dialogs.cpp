#include "mainwindow/app_dialogs.h"

#include "files/app_paths.h"
#include "qtbridge/qt_text.h"

namespace r4860::mainwindow {

bool RunSplash(workflow::AppContext&) { return true; }

DialogHooks AppDialogHooks(workflow::AppContext&, qtbridge::MessageService&) { return {}; }

bool StartLinkAtStartUp(workflow::AppContext& context, qtbridge::MessageService& messages, QWidget* parent) {
    const int port = context.settings.ComPort;
    if (context.link.start(port, protocol::kDefaultBaudIndex, files::PortsDir())) return true;
    messages.beep(Beep::Asterisk);
    messages.show(parent, qtbridge::WithNumber(qtbridge::Tr("COM%d initialization failed") + QLatin1Char('!'), port),
                  MessageIcon::Information);
    return false;
}

}  // namespace r4860::mainwindow
