// Whether the window's transfers cost what the command-line tool's cost: a full read and a
// verification run as jobs behind the progress window, against the same transfers run blocking
// as r4860-cli runs them, alternating on one emulator in one process.
//
//   gui_transfer_bench [rounds=5]     (on a display, or QT_QPA_PLATFORM=offscreen)
#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>
#include <cstdio>

#include "files/app_paths.h"
#include "mainwindow/main_window.h"
#include "support/no_files.h"
#include "support/recording_messages.h"
#include "support/sim_on_pty.h"
#include "workflow/config_commands.h"

using namespace r4860;

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QApplication app(argc, argv);
    testing::SimOnPty sim;
    if (!sim.ok()) return 1;
    files::OverrideSettingsDir(sim.dir());
    workflow::AppContext context;
    testing::RecordingMessages messages;
    testing::NoFiles files;
    mainwindow::TR4860F window(context, messages, files);
    window.init([&] { return context.link.start(99, protocol::kDefaultBaudIndex, files::PortsDir()).ok(); });
    if (!QTest::qWaitFor([&] { return context.state.Connected; }, 10000)) return 1;

    double gui[2] = {}, cli[2] = {};
    for (int round = 0; round < rounds; ++round) {
        for (int kind = 0; kind < 2; ++kind) {
            if (!QTest::qWaitFor([&] { return context.state.Connected; }, 5000)) return 1;
            QSignalSpy done(&window, &mainwindow::TR4860F::transferFinished);
            QElapsedTimer t;
            t.start();
            kind == 0 ? window.OdczytajTClick() : window.Weryfikuj1Click();
            if (!done.wait(30000)) return 1;
            gui[kind] += t.nsecsElapsed() / 1e9;

            if (!QTest::qWaitFor([&] { return context.state.Connected; }, 5000)) return 1;
            workflow::LineState line;
            line.connected = true;
            line.typeIndex = context.link.status.TypeIndex;
            window.timer1()->stop();
            t.start();
            const bool ok = kind == 0
                                ? workflow::ReadConfiguration(context.link, line, context.record, context.image).outcome.ok
                                : workflow::VerifyConfiguration(context.link, line, context.image).transferred;
            cli[kind] += t.nsecsElapsed() / 1e9;
            window.timer1()->start();
            if (!ok) {
                std::fprintf(stderr, "the blocking %s failed\n", kind == 0 ? "read" : "verification");
                return 1;
            }
        }
    }
    for (int kind = 0; kind < 2; ++kind) {
        std::printf("%-8s window %6.3f s   blocking (as r4860-cli) %6.3f s   ratio %.3f   (aim <= 1.05)\n",
                    kind == 0 ? "read" : "verify", gui[kind] / rounds, cli[kind] / rounds, gui[kind] / cli[kind]);
    }
    window.close();
    context.link.stop();
    return 0;
}
