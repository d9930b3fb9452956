#include "support/sim_on_pty.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>
#include <utility>

#ifndef R4860_SIM_PATH
#error "R4860_SIM_PATH must name the r4860-sim binary (link the r4860_sim_harness target)"
#endif

extern char** environ;

namespace r4860::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<std::uint8_t> parseHex(std::string_view text) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < text.size(); i += text[i] == ' ' ? 1 : 2) {
        unsigned v = 0;
        if (text[i] == ' ') continue;
        if (std::from_chars(text.data() + i, text.data() + i + 2, v, 16).ec != std::errc()) break;
        out.push_back(static_cast<std::uint8_t>(v));
    }
    return out;
}

// Everything up to the first line end, or "" when none comes before the deadline or the end.
std::string readLine(int fd, Clock::time_point until) {
    std::string text;
    while (text.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        pollfd p{fd, POLLIN, 0};
        char buf[8192];
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) return {};
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) return {};
        text.append(buf, static_cast<std::size_t>(n));
    }
    return text.substr(0, text.find('\n'));
}

std::filesystem::path freshDir() {
    std::random_device rd;
    for (std::error_code ec;;) {
        auto p = std::filesystem::temp_directory_path() / ("r4860-sim-" + std::to_string(rd()));
        if (std::filesystem::create_directory(p, ec)) return p;
    }
}

bool waitExit(pid_t pid, std::chrono::milliseconds timeout) {
    for (const auto until = Clock::now() + timeout;; std::this_thread::sleep_for(10ms)) {
        const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) return true;
        if (Clock::now() >= until) return false;
    }
}

}  // namespace

std::int64_t SteadyMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

std::vector<SimLogEntry> ParseSimLog(std::string_view text) {
    std::vector<SimLogEntry> out;
    // The last line may still be being written: only whole lines count.
    for (std::size_t pos = 0, eol; (eol = text.find('\n', pos)) != std::string_view::npos; pos = eol + 1) {
        std::vector<std::string_view> f;
        for (std::size_t at = pos, tab; f.size() < 9; at = tab + 1) {
            tab = std::min(text.find('\t', at), eol);
            f.push_back(text.substr(at, tab - at));
            if (tab == eol) break;
        }
        SimLogEntry e;
        if (f.size() != 8) continue;
        const auto [end, ec] = std::from_chars(f[0].data(), f[0].data() + f[0].size(), e.timeUs);
        if (ec != std::errc() || end != f[0].data() + f[0].size()) continue;  // the header line
        e.dir = f[1], e.kind = f[2], e.outcome = f[3], e.inGap = f[4] == "gap";
        e.data = parseHex(f[5]), e.wire = parseHex(f[6]), e.note = f[7];
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<SimLogEntry> SimLogSinceMark(const std::vector<SimLogEntry>& log, std::string_view note) {
    auto from = log.begin();
    for (auto it = log.begin(); it != log.end(); ++it)
        if (it->dir == "mark" && it->note == note) from = it;
    return {from, log.end()};
}

std::string SimLogText(const std::vector<SimLogEntry>& entries) {
    std::string text;
    char buf[64];
    for (const auto& e : entries) {
        std::snprintf(buf, sizeof buf, "\n%8.1f ms ", (e.timeUs - entries.front().timeUs) / 1000.0);
        text += buf + e.dir + " " + e.kind + " " + e.outcome + (e.inGap ? " gap " : " ") + e.note;
        for (const auto b : e.data) {
            std::snprintf(buf, sizeof buf, " %02X", b);
            text += buf;
        }
    }
    return text;
}

SimOnPty::SimOnPty(SimOptions options) : m_dir(freshDir()) {
    if (options.memory)
        std::ofstream(memoryPath(), std::ios::binary)
            .write(reinterpret_cast<const char*>(options.memory->data()), std::ssize(*options.memory));
    std::vector<std::string> args = {R4860_SIM_PATH, "--link", linkPath().string(),
        "--control", (m_dir / "control.sock").string(), "--log", logPath().string(),
        "--memory", memoryPath().string(), "--model", std::to_string(options.modelCode),
        "--serial", std::to_string(options.serial), "--cal-date", options.calDate,
        "--code-version", options.codeVersion};
    if (options.silent) args.push_back("--silent");
    char text[32];  // the shortest text that reads back as the same double
    if (options.signal)
        args.insert(args.end(), {"--signal", {text, std::to_chars(text, text + 32, *options.signal).ptr}});
    args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        m_error = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const int rc = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    m_stdout = out[0];
    if (rc != 0) {
        m_pid = -1;
        m_error = std::string("posix_spawn ") + argv[0] + ": " + std::strerror(rc);
    } else if ((m_slavePath = readLine(m_stdout, Clock::now() + 10s)).empty()) {  // printed once all is ready
        m_error = "r4860-sim did not report its pty";
        stop();
    }
}

SimOnPty::~SimOnPty() {
    stop();
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

std::string SimOnPty::control(std::string_view line) {
    if (m_pid <= 0) return {};
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string path = (m_dir / "control.sock").string();
    if (path.size() >= sizeof addr.sun_path) return {};
    std::strcpy(addr.sun_path, path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return {};
    std::string reply, text = std::string(line) + "\n";
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
        ::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size()))
        reply = readLine(fd, Clock::now() + 5s);
    ::close(fd);
    return reply;
}

std::vector<SimLogEntry> SimOnPty::log() const {
    std::ifstream in(logPath(), std::ios::binary);
    return ParseSimLog(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

std::vector<SimLogEntry> SimOnPty::receivedFrames() const {
    auto out = log();
    std::erase_if(out, [](const SimLogEntry& e) { return e.dir != "rx" || e.kind != "command"; });
    return out;
}

std::vector<SimLogEntry> SimOnPty::sentFrames() const {
    auto out = log();
    std::erase_if(out, [](const SimLogEntry& e) { return e.dir != "tx"; });
    return out;
}

std::vector<std::uint8_t> SimOnPty::memory() {
    const std::string reply = control("dump-memory");
    if (!reply.starts_with("ok ")) return {};
    auto bytes = parseHex(std::string_view(reply).substr(3));
    return bytes.size() == 2052 ? bytes : std::vector<std::uint8_t>();
}

bool SimOnPty::waitFrames(int count, std::chrono::milliseconds timeout) {
    const auto sent = [this]() -> long {  // frames plus replies, -1 when the emulator does not answer
        const std::string s = control("stats");
        long total = 0, v = 0;
        for (const std::string_view key : {"frames=", "replies="}) {
            const auto at = s.find(key);
            if (at == std::string::npos) return -1;
            std::from_chars(s.data() + at + key.size(), s.data() + s.size(), v);
            total += v;
        }
        return total;
    };
    const long start = sent();
    for (const auto until = Clock::now() + timeout; start >= 0; std::this_thread::sleep_for(20ms)) {
        if (sent() >= start + count) return true;
        if (Clock::now() >= until) return false;
    }
    return false;
}

bool SimOnPty::running() {
    if (m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0) return true;
    m_pid = -1;
    return false;
}

void SimOnPty::stop() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);  // the emulator removes its link and saves its memory
        if (!waitExit(m_pid, 3s)) ::kill(m_pid, SIGKILL), waitExit(m_pid, 3s);
        m_pid = -1;
    }
    if (m_stdout >= 0) ::close(std::exchange(m_stdout, -1));
}

}  // namespace r4860::testing
