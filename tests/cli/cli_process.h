// r4860-cli run as a program by a test, as a technician or a test rig would run it: its exit code,
// output and time, with signals, a closed output, another user or a file size limit when asked.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace r4860::testing {

namespace cli_process {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct CliRun {
    int exitCode = -1;
    std::string out, err;
    double seconds = 0;
};

inline std::string drain(int fd) {
    std::string text;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            text.append(buf, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return text;
    }
}

// How a test runs the tool: signals sent once `until` holds (30 ms apart), standard output
// closed by its reader after the first line, or another user.
struct RunHow {
    std::function<bool()> until;
    std::vector<int> signals;
    std::function<void()> onTrigger;   // called once, when `until` first holds
    bool closeAfterFirstLine = false;
    uid_t user = 0;
    // Called while it runs, with its standard output and error so far.
    std::function<void(const std::string& out, const std::string& err)> watch;
    rlim_t fileSizeLimit = 0;                                 // bytes any file it writes may grow to
};

// Runs r4860-cli with `args`; its settings folder is the emulator's, so COMn resolves there.
inline CliRun runCli(const std::vector<std::string>& args, const RunHow& how = {}) {
    fs::path outFile = fs::temp_directory_path() / ("r4860-cli-out-" + std::to_string(::getpid()));
    fs::path errFile = outFile;
    errFile += ".err";
    int pipeFds[2] = {-1, -1};
    if (how.closeAfterFirstLine && ::pipe(pipeFds) != 0) return {};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = how.closeAfterFirstLine ? pipeFds[1] : ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        if (how.closeAfterFirstLine) ::close(pipeFds[0]);   // or the reader's end never closes
        if (how.fileSizeLimit != 0) {
            const rlimit limit{how.fileSizeLimit, how.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (how.user != 0 && (::setresgid(how.user, how.user, how.user) != 0 || ::setresuid(how.user, how.user, how.user) != 0))
            ::_exit(126);
        std::vector<char*> argv{const_cast<char*>(R4860_CLI_PATH)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(R4860_CLI_PATH, argv.data());
        ::_exit(127);
    }
    CliRun run;
    if (how.closeAfterFirstLine) {
        ::close(pipeFds[1]);
        char c = 0;
        while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') run.out += c;
        ::close(pipeFds[0]);   // as `| head -1` does
    }
    std::size_t sent = 0;
    bool triggered = false;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (!triggered && how.until && how.until()) {
            triggered = true;
            if (how.onTrigger) how.onTrigger();
        }
        if (triggered && sent < how.signals.size()) {
            ::kill(pid, how.signals[sent++]);
            std::this_thread::sleep_for(30ms);   // a second one lands while the first is still being handled
        }
        if (how.watch) how.watch(readText(outFile), readText(errFile));
        if (std::chrono::steady_clock::now() - start > 90s) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(10ms);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const int out = ::open(outFile.c_str(), O_RDONLY);
    const int err = ::open(errFile.c_str(), O_RDONLY);
    if (!how.closeAfterFirstLine) run.out = drain(out);
    run.err = drain(err);
    ::close(out);
    ::close(err);
    fs::remove(outFile);
    fs::remove(errFile);
    return run;
}


inline void writeText(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

inline std::string replaceLine(std::string text, const std::string& key, const std::string& value) {
    for (std::size_t at = 0; (at = text.find(key + "=", at)) != std::string::npos; at += key.size()) {
        if (at != 0 && text[at - 1] != '\n') continue;   // a key only at the start of a line
        const std::size_t end = text.find_first_of("\r\n", at);
        text.replace(at, (end == std::string::npos ? text.size() : end) - at, key + "=" + value);
    }
    return text;
}

}  // namespace cli_process

using cli_process::readText;
using cli_process::replaceLine;
using cli_process::CliRun;
using cli_process::RunHow;
using cli_process::runCli;
using cli_process::writeText;

}  // namespace r4860::testing
