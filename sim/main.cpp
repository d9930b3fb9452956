// r4860-sim: the project's own model of the transducer, on a pseudo-terminal.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "common/trace.h"
#include "common/unique_fd.h"
#include "common/version.h"
#include "files/app_paths.h"
#include "sim/control_client.h"
#include "sim/device_engine.h"
#include "sim/factory_image.h"
#include "sim/link_lock.h"
#include "sim/sim_loop.h"
#include "sim/sim_options.h"

namespace {
using namespace r4860;

// 2: the command line is wrong, or the link is already served by another emulator.
constexpr int kExitFailed = 1, kExitRefused = 2;

volatile std::sig_atomic_t g_stop = 0;
extern "C" void onSignal(int) { g_stop = 1; }

int report(const Error& error) {
    std::cerr << "r4860-sim: " << error.message << "\n";
    return error.code == Errc::Refused || error.code == Errc::BadArgument ? kExitRefused : kExitFailed;
}

std::filesystem::path defaultLink() { return files::PortsDir() / "COM99"; }

int runCtl(const std::vector<std::string>& args) {
    auto parsed = sim::ParseCtlOptions(args);
    if (!parsed) return report(parsed.error());
    const auto socket = parsed->control.value_or(sim::DefaultControlPath(defaultLink()));
    // A reply can wait for a frame or two of the emulator's loop, never for seconds.
    const auto reply = sim::SendControlLine(socket, parsed->line, std::chrono::seconds(5));
    if (!reply) return report(reply.error());
    std::cout << *reply << "\n";
    return reply->starts_with("error") ? kExitFailed : 0;
}

// Blocked here and let through only while the loop sleeps in ppoll.
void catchStopSignals() {
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
}

void toNull(int target) {
    if (UniqueFd null(::open("/dev/null", O_RDWR | O_CLOEXEC)); null.valid()) ::dup2(null.get(), target);
}

// --daemon: the caller's process stays until the emulator in the background is ready (or has
// failed), so a script may use the link and the control socket on its next line. Returns, in the
// background process only, the pipe on which to say "ready".
UniqueFd daemonize() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) std::exit(report(makeError(Errc::Io, "pipe: " + std::string(std::strerror(errno)))));
    const pid_t pid = ::fork();
    if (pid < 0) std::exit(report(makeError(Errc::Io, "fork: " + std::string(std::strerror(errno)))));
    if (pid == 0) {
        ::close(fds[0]);
        ::setsid();  // no terminal: closing the shell does not hang it up
        // stdout goes nowhere: a script's $(r4860-sim --daemon) must end when the parent does.
        toNull(STDIN_FILENO);
        toNull(STDOUT_FILENO);
        return UniqueFd(fds[1]);
    }
    ::close(fds[1]);
    char ready = 0;
    ssize_t n;
    while ((n = ::read(fds[0], &ready, 1)) < 0 && errno == EINTR) {}
    if (n == 1) {
        std::printf("%d\n", static_cast<int>(pid));
        std::exit(0);
    }
    int status = 0;  // the child has said why on stderr
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    std::exit(WIFEXITED(status) ? WEXITSTATUS(status) : kExitFailed);
}

void fillDefaults(sim::SimOptions& o) {
    if (o.noLink) o.loop.link.reset();
    else if (!o.loop.link) o.loop.link = defaultLink();
    if (o.loop.control || !o.loop.link) return;
    const auto control = sim::DefaultControlPath(*o.loop.link);
    if (control.string().size() < sizeof(sockaddr_un::sun_path)) o.loop.control = control;
    else std::cerr << "r4860-sim: no control socket: " << control.string() << " is too long; use --control\n";
}

int runSim(sim::SimOptions& o) {
    fillDefaults(o);
    UniqueFd readyPipe;
    if (o.daemon) readyPipe = daemonize();
    std::optional<sim::LinkLock> lock;
    if (o.loop.link) {
        auto acquired = sim::LinkLock::Acquire(*o.loop.link);
        if (!acquired) return report(acquired.error());
        lock.emplace(std::move(*acquired));
    }
    sim::DeviceMemory memory = sim::FactoryImage(o.factory);
    if (o.loop.memoryFile && std::filesystem::exists(*o.loop.memoryFile))
        if (auto st = memory.load(*o.loop.memoryFile); !st) return report(st.error());
    sim::DeviceEngine engine(std::move(memory));
    engine.conditions().signal = o.signal;
    engine.conditions().checkSums = o.checkSums;

    catchStopSignals();
    sim::SimLoop loop(o.loop, std::move(engine));
    if (auto st = loop.start(); !st) return report(st.error());
    if (readyPipe.valid()) {
        if (!o.verbose) toNull(STDERR_FILENO);  // the caller may be reading it until it closes
        (void)!::write(readyPipe.get(), "r", 1);
        readyPipe.reset();
    }
    loop.run(g_stop);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (std::find(args.begin(), args.end(), "--version") != args.end()) {
        std::cout << "r4860-sim " << kVersionText << "\n";
        return 0;
    }
    if (!args.empty() && args[0] == "ctl") return runCtl({args.begin() + 1, args.end()});
    auto parsed = sim::ParseSimOptions(args);
    if (!parsed) {
        std::cerr << "r4860-sim: " << parsed.error().message << "\n" << sim::SimUsage();
        return kExitRefused;
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
    return runSim(o);
}
