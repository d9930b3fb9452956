// r4860-cli: batch programming and monitoring of one transducer from the command line.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_commands.h"
#include "cli_options.h"
#include "common/trace.h"
#include "terminal_ui.h"

namespace {
extern "C" void onSignal(int) { r4860::cli::RequestStop(); }
}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
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
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    r4860::cli::TerminalUi ui;
    return r4860::cli::RunCommand(*options, ui);
}
