// r4860: the desktop tool. Start-up in the classic order: settings and language, the splash,
// the main window with its empty configuration, the stored port, then the polling timer.
#include <sys/resource.h>

#include <QApplication>
#include <QFont>
#include <QFileInfo>
#include <QScreen>
#include <cstdio>
#include <cstring>
#include <future>
#include <memory>

#include "common/version.h"
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

constexpr char kUsage[] = "usage: r4860 [FILE.par]\n"
                          "  FILE.par   a parameter file to open after start-up\n"
                          "  --help     this text\n"
                          "  --version  the version of the tool and of its build\n";

// The informational options need no display, so they are answered before Qt starts.
int AnswerInfoOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) return std::printf("r4860 %s\n", kVersionText), 0;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return std::fputs(kUsage, stdout), 0;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int rc = AnswerInfoOption(argc, argv); rc >= 0) return rc;
    RaisePriority();
    QApplication app(argc, argv);
    // Qt has taken its own options (-platform, -style ...); what remains is at most one file.
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() > 1 || (args.size() == 1 && args[0].startsWith(QLatin1Char('-')))) {
        std::fputs(kUsage, stderr);
        return 2;
    }
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
    if (!args.isEmpty()) window.openAtStart(QFileInfo(args[0]).absoluteFilePath());
    const int rc = QApplication::exec();

    window.transducer().stop();
    (void)files::SaveSettings(context->settings);
    return rc;
}
