// r4860: the desktop tool. Start-up in the classic order: settings and language, the splash,
// the main window with its empty configuration, the stored port, then the polling timer.
#include <sys/resource.h>

#include <QApplication>
#include <QFont>
#include <QScreen>
#include <future>
#include <memory>

#include "files/app_paths.h"
#include "files/language_file.h"
#include "files/settings_file.h"
#include "mainwindow/app_dialogs.h"
#include "mainwindow/file_chooser.h"
#include "mainwindow/main_window.h"
#include "qtbridge/message_service.h"

using namespace r4860;

namespace {

files::DesktopRect Desktop() {
    const QRect all = QGuiApplication::primaryScreen()->virtualGeometry();
    // The settings check wants the right and bottom edges where a single desktop has its size.
    return {all.left(), all.top(), all.right() + 1, all.bottom() + 1};
}

// A busy desktop must not starve the serial timing; an unprivileged user cannot raise the
// priority, which only costs some margin on a loaded machine.
void RaisePriority() { (void)setpriority(PRIO_PROCESS, 0, -5); }

}  // namespace

int main(int argc, char** argv) {
    RaisePriority();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("R4860"));
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));

    auto context = std::make_unique<workflow::AppContext>();
    files::LoadSettings(context->settings, Desktop());
    (void)files::LoadLanguage(context->settings.Language, files::DataSearchDirs());

    qtbridge::QtMessageService messages;
    if (!mainwindow::RunSplash(*context)) return 0;

    // The port settles for a while once it is set up: it opens while the window is being built.
    const int port = context->settings.ComPort;
    auto linked = std::async(std::launch::async, [&context, port] {
        return workflow::Transducer(context->link).start(port, files::PortsDir()).ok();
    });
    mainwindow::QtFileChooser chooser;
    mainwindow::TR4860F window(*context, messages, chooser);
    window.setDialogHooks(mainwindow::AppDialogHooks(*context, window.transducer(), messages));
    window.init([&linked] { return linked.get(); });
    const int rc = QApplication::exec();

    window.transducer().stop();
    (void)files::SaveSettings(context->settings);
    return rc;
}
