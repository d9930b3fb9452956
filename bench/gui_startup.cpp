// How fast the window comes up and how little it costs while it sits there: the figures behind
// "starting r4860 is instant" and "leaving it open does not load the PC".
//
//   gui_startup [idle_seconds=60]      (on a display, or QT_QPA_PLATFORM=offscreen)
//
// Against the emulator at real pacing: time from process start to the main window exposed (the
// splash, which waits for the operator, is left out), to the first measurement frame stored by
// the link, and to the first live result on screen; then this process's CPU time over the idle
// period as a share of one core (the listener thread included; the emulator is a child and not
// counted).
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <fstream>
#include <future>
#include <string>

#include "files/app_paths.h"
#include "mainwindow/main_window.h"
#include "support/no_files.h"
#include "support/recording_messages.h"
#include "support/sim_on_pty.h"
#include "cpu_time.h"

using namespace r4860;

namespace {

// Milliseconds since this process started, from the kernel's start time of the process.
double SinceProcessStartMs() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Field 22 (starttime, in clock ticks after boot) comes after the command's closing ')'.
    std::size_t at = text.rfind(')') + 2;
    for (int field = 3; field < 22; ++field) at = text.find(' ', at) + 1;
    const double startS = std::stod(text.substr(at)) / static_cast<double>(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 - startS) * 1000.0;
}


}  // namespace

int main(int argc, char** argv) {
    const int idleSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    // The emulator first: it stands for a transducer already on the line when r4860 starts.
    testing::SimOptions options;
    options.signal = 108.3;
    const double simBeginMs = SinceProcessStartMs();
    testing::SimOnPty sim(options);
    if (!sim.ok()) {
        std::fprintf(stderr, "emulator: %s\n", sim.startError().c_str());
        return 1;
    }
    const double simMs = SinceProcessStartMs() - simBeginMs;
    // Times from the process's start with the emulator's own start taken out.
    const auto since = [simMs] { return SinceProcessStartMs() - simMs; };
    QApplication app(argc, argv);
    files::OverrideSettingsDir(sim.dir());
    workflow::AppContext context;
    context.settings.ComPort = 99;
    testing::RecordingMessages messages;
    testing::NoFiles files;

    // As r4860 starts: the port opens while the window is built.
    std::int64_t openedUs = 0, resultUs = 0;
    auto linked = std::async(std::launch::async, [&] {
        const bool ok = workflow::Transducer(context.link).start(99, files::PortsDir()).ok();
        openedUs = testing::SteadyMicros();
        return ok;
    });
    mainwindow::TR4860F window(context, messages, files);
    window.init([&linked] { return linked.get(); });
    double resultMs = -1;
    if (!QTest::qWaitForWindowExposed(&window, 10000)) return 1;
    const double shownMs = since();
    auto* wynik = window.findChild<QLabel*>(QStringLiteral("Wynikp"));
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (resultMs < 0 && !wynik->text().isEmpty()) {
            resultMs = since();
            resultUs = testing::SteadyMicros();
        }
    });
    probe.start(2);
    if (!QTest::qWaitFor([&] { return resultMs >= 0; }, 10000)) return 1;
    probe.stop();

    // The first frame the emulator sent after the port was opened (the log stamps its start).
    std::int64_t frameUs = resultUs;
    for (const auto& f : sim.sentFrames()) {
        if (f.kind == "frame" && f.timeUs >= openedUs) frameUs = std::min(frameUs, f.timeUs);
    }
    const double frameMs = resultMs - (resultUs - frameUs) / 1000.0;
    std::printf("platform                        %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("start -> main window exposed   %8.1f ms   (aim <= 500)\n", shownMs);
    std::printf("start -> first frame on the line %7.1f ms\n", frameMs);
    std::printf("start -> first live result     %8.1f ms   (%.1f ms after the first frame; aim <= 1000)\n",
                resultMs, resultMs - frameMs);

    // The window's own event loop, as r4860 runs it: QTest::qWait would wake the process every
    // few milliseconds by itself and count that as the window's cost.
    const double cpu0 = bench::CpuSeconds();
    QElapsedTimer idle;
    idle.start();
    QEventLoop loop;
    QTimer::singleShot(idleSeconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double share = (bench::CpuSeconds() - cpu0) / (idle.nsecsElapsed() / 1e9) * 100.0;
    std::printf("idle CPU over %3d s             %8.2f %% of one core   (aim <= 1)\n", idleSeconds, share);
    window.close();
    context.link.stop();
    return 0;
}
