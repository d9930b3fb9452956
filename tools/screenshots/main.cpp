// r4860-shots: the main window as the operator sees it, against the emulator, saved as PNG files
// for the README and the manual. Run it on a display (tools/screenshots.sh runs it under Xvfb):
//   r4860-shots OUT_DIR [SUFFIX [DIAGRAM_SECONDS]]
// writes main-empty, main-read, main-polish, main-reading, main-monitor, print-preview(-pl) and, when DIAGRAM_SECONDS
// is given, main-diagram-line/-dots/-bars (the diagram after that long, filter limits on).
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <functional>

#include "common/lang_table.h"
#include "files/app_paths.h"
#include "files/language_file.h"
#include "mainwindow/history_window.h"
#include "mainwindow/main_window.h"
#include "support/no_files.h"
#include "support/recording_messages.h"
#include "support/sim_on_pty.h"
#include "shot_support.h"

using namespace r4860;

namespace {


// Lets the event loop run for `ms`: the window paints and polls as it would for the operator.
using shots::RunFor;

// With its frame: the title bar belongs to what the operator sees.
bool Grab(QWidget& window, const QString& file) {
    const QRect frame = window.frameGeometry();
    return shots::Save(window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()), file);
}

void ReadAndWait(mainwindow::TR4860F& window) {
    QEventLoop loop;
    QObject::connect(&window, &mainwindow::TR4860F::readFinished, &loop, &QEventLoop::quit);
    window.OdczytajTClick();
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
}

// One window in `language`, connected to COM99; `scene` drives it and takes its pictures.
// `answers`: the boxes' buttons, in turn (otherwise OK or Yes).
bool Session(const std::string& language, const std::function<bool(mainwindow::TR4860F&)>& scene,
             std::deque<qtbridge::Answer> answers = {}) {
    std::string lang = language;
    if (lang == "English") UseEnglishTable();
    else (void)files::LoadLanguage(lang, files::DataSearchDirs());
    workflow::AppContext context;
    context.settings.ComPort = 99;
    context.settings.Language = lang;
    context.settings.MainLeft = 40;
    context.settings.MainTop = 40;
    // The pictures' operations are recorded beside the emulator, never in the user's history.
    context.settings.HistoryFile = (files::SettingsDir() / "history.sqlite3").string();
    testing::RecordingMessages messages;
    messages.answers = std::move(answers);
    testing::NoFiles files;
    mainwindow::TR4860F window(context, messages, files);
    window.init([&] { return context.link.start(99, protocol::kDefaultBaudIndex, files::PortsDir()).ok(); });
    RunFor(1500);
    const bool ok = scene(window);
    window.close();
    context.link.stop();
    return ok;
}

// The print preview of what was read, grabbed while it is up and then closed.
bool PreviewShot(mainwindow::TR4860F& window, const QString& file) {
    ReadAndWait(window);
    bool shot = false;
    QTimer::singleShot(1500, &window, [&] {
        if (QWidget* preview = QApplication::activeModalWidget()) {
            shot = Grab(*preview, file);
            preview->close();
        }
    });
    window.findChild<QAction*>(QStringLiteral("Podglad1"))->trigger();
    return shot;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));
    if (argc < 2) {
        std::fprintf(stderr, "usage: r4860-shots OUT_DIR [SUFFIX [DIAGRAM_SECONDS]]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString suffix = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const int diagramSeconds = argc > 3 ? std::atoi(argv[3]) : 0;
    const auto file = [&](const char* name) { return dir + "/main-" + name + suffix + ".png"; };
    testing::SimOptions options;
    options.signal = 108.3;  // ohms: a Pt100 at about 21 degrees
    testing::SimOnPty sim(options);
    if (!sim.ok()) {
        std::fprintf(stderr, "emulator: %s\n", sim.startError().c_str());
        return 1;
    }
    files::OverrideSettingsDir(sim.dir());
    std::filesystem::create_directories(dir.toStdString());
    bool ok = Session("English", [&](mainwindow::TR4860F& w) { return Grab(w, file("empty")); });
    ok = Session("English", [&](mainwindow::TR4860F& w) {
        w.OdczytajTClick();
        RunFor(700);
        bool shot = Grab(w, file("reading"));
        RunFor(8000);
        shot = Grab(w, file("read")) && shot;
        w.findChild<QAction*>(QStringLiteral("MonOnly1"))->trigger();
        RunFor(1000);
        return Grab(w, file("monitor")) && shot;
    }) && ok;
    ok = Session("Polski", [&](mainwindow::TR4860F& w) {
        ReadAndWait(w);
        RunFor(1000);
        return Grab(w, file("polish"));
    }) && ok;
    // The history window over a read and a write of the emulated transducer, the write selected.
    for (const char* language : {"English", "Polski"}) {
        ok = Session(language, [&](mainwindow::TR4860F& w) {
            ReadAndWait(w);
            QEventLoop loop;
            QObject::connect(&w, &mainwindow::TR4860F::transferFinished, &loop, &QEventLoop::quit);
            QTimer::singleShot(20000, &loop, &QEventLoop::quit);
            w.ZapiszTClick();
            loop.exec();
            w.Historia1Click();
            auto* history = w.findChild<mainwindow::HistoryWindow*>(QStringLiteral("HistoryF"));
            history->move(60, 60);
            history->findChild<QTableView*>(QStringLiteral("HistoryTable"))->selectRow(0);
            RunFor(800);
            return Grab(*history, file(language == std::string("English") ? "history" : "history-polish"));
        }) && ok;
    }
    // A series under way: the first transducer programmed, the Configuration menu open on its toggle.
    for (const char* language : {"English", "Polski"}) {
        ok = Session(language, [&](mainwindow::TR4860F& w) {
            ReadAndWait(w);
            w.findChild<QAction*>(QStringLiteral("Seria1"))->trigger();
            RunFor(9000);
            auto* menu = w.findChild<QMenu*>(QStringLiteral("Konfig1"));
            w.menuBar()->setActiveAction(menu->menuAction());
            RunFor(800);
            const bool shot = Grab(w, file(language == std::string("English") ? "series" : "series-polish"));
            menu->close();
            w.findChild<QAction*>(QStringLiteral("Seria1"))->trigger();
            return shot;
        }, {qtbridge::Answer::Ok, qtbridge::Answer::No}) && ok;
    }
    for (const char* language : {"English", "Polski"}) {
        const QString name = dir + "/print-preview" + (language == std::string("Polski") ? "-pl" : "") + suffix + ".png";
        ok = Session(language, [&](mainwindow::TR4860F& w) { return PreviewShot(w, name); }) && ok;
    }
    if (diagramSeconds > 0) {
        // A signal that moves, so the plot has something to show; one point every tick.
        sim.control("signal auto");
        ok = Session("English", [&](mainwindow::TR4860F& w) {
            ReadAndWait(w);
            w.Wykres1Click();
            w.findChild<QAbstractButton*>(QStringLiteral("ShowFilterCB"))->click();
            // Interval 0: a point at every tick (the down arrow of the interval's up-down).
            w.findChild<QWidget*>(QStringLiteral("WykresIntUD"))->findChildren<QAbstractButton*>().at(1)->click();
            RunFor(diagramSeconds * 1000);
            bool shot = true;
            for (const char* type : {"LineRB", "DotRB", "BarRB"}) {
                w.findChild<QAbstractButton*>(QLatin1String(type))->click();
                RunFor(600);
                shot = Grab(w, file(type == std::string("LineRB") ? "diagram-line"
                                    : type == std::string("DotRB") ? "diagram-dots" : "diagram-bars")) && shot;
            }
            return shot;
        }) && ok;
    }
    return ok ? 0 : 1;
}
