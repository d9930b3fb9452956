// r4860-cli: batch programming and monitoring of one transducer from the command line.
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli_commands.h"
#include "cli_options.h"
#include "cli_set.h"
#include "common/trace.h"
#include "common/version.h"
#include "terminal_ui.h"

namespace {

// Ctrl-C, SIGTERM and a closed terminal (SIGHUP) are taken by one thread with sigwait, never by a handler, so a stop request
// may print, cancel a transfer and take locks. SIGUSR1 only ends the watcher.
class SignalWatcher {
public:
    SignalWatcher() {
        sigemptyset(&m_set);
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGUSR1}) sigaddset(&m_set, s);
        // Blocked before any other thread starts, so every thread inherits the mask.
        pthread_sigmask(SIG_BLOCK, &m_set, nullptr);
        m_thread = std::thread([this] {
            for (;;) {
                int signalNumber = 0;
                if (sigwait(&m_set, &signalNumber) != 0 || signalNumber == SIGUSR1) return;
                r4860::cli::RequestStop(signalNumber);
            }
        });
    }
    ~SignalWatcher() {
        pthread_kill(m_thread.native_handle(), SIGUSR1);
        m_thread.join();
    }

private:
    sigset_t m_set{};
    std::thread m_thread;
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (std::find(args.begin(), args.end(), "--version") != args.end()) {
        std::printf("r4860-cli %s\n", r4860::kVersionText);
        return r4860::cli::kExitOk;
    }
    // Commands on files alone need no port, no line and no signal watcher.
    if (const auto offline = r4860::cli::RunOfflineCommand(args)) return *offline;
    auto options = r4860::cli::ParseOptions(args);
    if (!options) {
        std::fprintf(stderr, "r4860-cli: %s\nTry 'r4860-cli --help'.\n", options.error().message.c_str());
        return r4860::cli::kExitUsage;
    }
    if (options->command == r4860::cli::Command::Help) {
        std::fputs(r4860::cli::UsageText().c_str(), stdout);
        return r4860::cli::kExitOk;
    }
    if (options->verbose) {
        r4860::SetTraceSink([](std::string_view tag, std::string_view message) {
            std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(tag.size()), tag.data(),
                         static_cast<int>(message.size()), message.data());
        });
    }
    // A closed output is seen as EPIPE where it is written, not as a signal that kills the tool.
    std::signal(SIGPIPE, SIG_IGN);
    // Likewise a file size limit reached by the history: EFBIG, reported, instead of death mid-write.
    std::signal(SIGXFSZ, SIG_IGN);

    int rc = 0;
    {
        SignalWatcher watcher;
        r4860::cli::TerminalUi ui;
        r4860::workflow::AppContext context;   // the link, record, image, settings and state of this run
        rc = r4860::cli::RunCommand(*options, ui, context);
    }
    if (const int signalNumber = r4860::cli::StopSignal(); signalNumber != 0) {
        std::fprintf(stderr, "r4860-cli: stopped\n");
        return 128 + signalNumber;
    }
    return rc;
}
