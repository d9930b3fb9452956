// r4860-shots: the main window as the operator sees it, against the emulator, saved as PNG files
// for the README and the manual. Run it on a display (tools/screenshots.sh runs it under Xvfb):
//   r4860-shots OUT_DIR SUFFIX   writes main-empty, main-read and main-polish + SUFFIX + ".png"
#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "common/lang_table.h"
#include "files/app_paths.h"
#include "files/language_file.h"
#include "mainwindow/main_window.h"
#include "support/recording_messages.h"
#include "support/sim_on_pty.h"

using namespace r4860;

namespace {

class NoFiles final : public mainwindow::FileChooser {
public:
    QString openFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFile(QWidget*, const QString&, const QString&) override { return {}; }
};

// Lets the event loop run for `ms`: the window paints and polls as it would for the operator.
void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Shoot(const QString& file, const std::string& language, bool read) {
    std::string lang = language;
    if (lang == "English") UseEnglishTable();
    else (void)files::LoadLanguage(lang, files::DataSearchDirs());
    workflow::AppContext context;
    context.settings.ComPort = 99;
    context.settings.Language = lang;
    context.settings.MainLeft = 40;
    context.settings.MainTop = 40;
    testing::RecordingMessages messages;
    NoFiles files;
    mainwindow::TR4860F window(context, messages, files);
    window.init([&] { return context.link.start(99, protocol::kDefaultBaudIndex, files::PortsDir()).ok(); });
    if (read) {
        QEventLoop loop;
        QObject::connect(&window, &mainwindow::TR4860F::readFinished, &loop, &QEventLoop::quit);
        RunFor(1500);
        window.OdczytajTClick();
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    RunFor(1500);
    const QRect frame = window.frameGeometry();
    const QPixmap shot = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const bool ok = shot.save(file);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(file));
    window.close();
    context.link.stop();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));
    if (argc < 2) {
        std::fprintf(stderr, "usage: r4860-shots OUT_DIR [SUFFIX]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    testing::SimOptions options;
    options.signal = 108.3;  // ohms: a Pt100 at about 21 degrees
    testing::SimOnPty sim(options);
    if (!sim.ok()) {
        std::fprintf(stderr, "emulator: %s\n", sim.startError().c_str());
        return 1;
    }
    files::OverrideSettingsDir(sim.dir());
    std::filesystem::create_directories(dir.toStdString());
    bool ok = Shoot(dir + "/main-empty" + suffix + ".png", "English", false);
    ok = Shoot(dir + "/main-read" + suffix + ".png", "English", true) && ok;
    ok = Shoot(dir + "/main-polish" + suffix + ".png", "Polski", true) && ok;
    return ok ? 0 : 1;
}
