// The CPU an open service window costs while the operator only watches: each window open for
// SECONDS (default 20) against the emulator, the process's own CPU time over the wall time
// (the emulator, another process, is not counted).
//   service_idle [SECONDS]
#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "service/diagn_f.h"
#include "service/regul_f.h"
#include "support/recording_messages.h"
#include "support/sim_on_pty.h"
#include "workflow/app_context.h"

using namespace r4860;

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void Measure(const char* name, QDialog& window, int seconds) {
    window.show();
    RunFor(2000);  // opening sequence and first paints
    const double cpu0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    RunFor(seconds * 1000);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = CpuSeconds() - cpu0;
    std::printf("%-12s %.3f s CPU over %.1f s = %.2f %% of a core\n", name, cpu, wall, 100.0 * cpu / wall);
    window.reject();
    RunFor(3000);  // the way out
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    testing::SimOptions options;
    options.signal = 108.3;
    testing::SimOnPty sim(options);
    if (!sim.ok()) return 1;
    workflow::AppContext context;
    model::SetEmptyRecord(context.record);
    context.state.ConfigRead = true;
    workflow::Transducer transducer(context.link);
    if (!transducer.startOnPath(sim.slavePath()).ok()) return 1;
    testing::RecordingMessages messages;
    {
        service::TDiagnF w(transducer, messages, context.record, {40, 40});
        Measure("diagnostics", w, seconds);
    }
    {
        service::TRegulF w(transducer, messages, context, {40, 40});
        Measure("corrections", w, seconds);
    }
    transducer.stop();
    return 0;
}
