// How much CPU the listener costs while the link is up and nobody sends a command: the figure
// behind the promise that leaving the tool connected does not load the PC.
//
//   listener_idle [seconds=60]
//
// Runs the emulator at real pacing, starts the link on it, polls every 500 ms like the main
// window's timer, and prints this process's CPU time (the listener is its only busy thread;
// the emulator is a child and not counted) as a share of one core.

#include <chrono>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <thread>

#include "protocol/link.h"
#include "protocol/measurement.h"
#include "support/sim_on_pty.h"
#include "cpu_time.h"

int main(int argc, char** argv) {
    using namespace std::chrono;
    using namespace r4860;
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;

    testing::SimOnPty sim;
    if (!sim.ok()) {
        std::fprintf(stderr, "emulator did not start: %s\n", sim.startError().c_str());
        return 1;
    }
    protocol::Link link;
    if (auto started = link.start(99, protocol::kDefaultBaudIndex, sim.portsDir()); !started) {
        std::fprintf(stderr, "link did not start: %s\n", started.error().message.c_str());
        return 1;
    }
    std::this_thread::sleep_for(1s);   // past the configure pause and the first frames

    protocol::MeasurementSample sample;
    long samples = 0, ticks = 0;
    const double cpuBefore = r4860::bench::CpuSeconds();
    const auto start = steady_clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    while (steady_clock::now() < end) {
        std::this_thread::sleep_for(500ms);
        ++ticks;
        if (protocol::GetSample(link, sample)) ++samples;
    }
    const double cpu = r4860::bench::CpuSeconds() - cpuBefore;
    const double wall = duration<double>(steady_clock::now() - start).count();
    link.stop();

    std::printf("listener idle for %.1f s at 4800 baud (frames broadcast continuously)\n", wall);
    std::printf("  CPU time          %.3f s\n", cpu);
    std::printf("  share of one core %.3f %% (target below 0.5 %%)\n", 100.0 * cpu / wall);
    std::printf("  polls with a new sample %ld of %ld\n", samples, ticks);
    return 0;
}
