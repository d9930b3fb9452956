// r4860-sim: the project's own model of the transducer, on a pseudo-terminal.
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "common/trace.h"
#include "files/app_paths.h"
#include "sim/device_engine.h"
#include "sim/factory_image.h"
#include "sim/sim_loop.h"
#include "sim/sim_options.h"

namespace {
volatile std::sig_atomic_t g_stop = 0;
extern "C" void onSignal(int) { g_stop = 1; }
}  // namespace

int main(int argc, char** argv) {
    using namespace r4860;
    const std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = sim::ParseSimOptions(args);
    if (!parsed) {
        std::cerr << "r4860-sim: " << parsed.error().message << "\n" << sim::SimUsage();
        return 2;
    }
    sim::SimOptions& o = *parsed;
    if (o.help) {
        std::cout << sim::SimUsage();
        return 0;
    }
    if (o.verbose)
        SetTraceSink([](std::string_view tag, std::string_view msg) {
            std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(tag.size()), tag.data(),
                         static_cast<int>(msg.size()), msg.data());
        });
    if (o.noLink) o.loop.link.reset();
    else if (!o.loop.link) o.loop.link = files::PortsDir() / "COM99";

    sim::DeviceMemory memory = sim::FactoryImage(o.factory);
    if (o.loop.memoryFile && std::filesystem::exists(*o.loop.memoryFile)) {
        if (auto st = memory.load(*o.loop.memoryFile); !st) {
            std::cerr << "r4860-sim: " << st.error().message << "\n";
            return 1;
        }
    }
    sim::DeviceEngine engine(std::move(memory));
    engine.conditions().signal = o.signal;
    engine.conditions().checkSums = o.checkSums;

    // Blocked here and let through only while the loop sleeps in ppoll.
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGINT);
    sigaddset(&block, SIGTERM);
    sigaddset(&block, SIGHUP);
    sigprocmask(SIG_BLOCK, &block, nullptr);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    sim::SimLoop loop(o.loop, std::move(engine));
    if (auto st = loop.start(); !st) {
        std::cerr << "r4860-sim: " << st.error().message << "\n";
        return 1;
    }
    loop.run(g_stop);
    return 0;
}
