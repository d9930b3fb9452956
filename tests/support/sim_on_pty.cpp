#include "support/sim_on_pty.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#ifndef R4860_SIM_PATH
#error "R4860_SIM_PATH must name the r4860-sim binary (link the r4860_sim_harness target)"
#endif

extern char** environ;

namespace r4860::testing {
namespace {

using namespace std::chrono_literals;

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return out;
        start = tab + 1;
    }
}

std::vector<std::uint8_t> parseHex(std::string_view text) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        unsigned v = 0;
        const auto [end, ec] = std::from_chars(text.data() + i, text.data() + std::min(i + 2, text.size()), v, 16);
        if (ec != std::errc()) return out;
        out.push_back(static_cast<std::uint8_t>(v));
        i = static_cast<std::size_t>(end - text.data());
    }
    return out;
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path freshDir() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto p = base / ("r4860-sim-" + std::to_string(rd()));
        std::error_code ec;
        if (std::filesystem::create_directory(p, ec)) return p;
    }
}

bool waitExit(pid_t pid, std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(10ms);
    }
}

}  // namespace

std::int64_t SteadyMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

std::vector<SimLogEntry> ParseSimLog(std::string_view text) {
    std::vector<SimLogEntry> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) break;  // a line still being written
        const std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        const auto f = splitTabs(line);
        if (f.size() != 8) continue;
        SimLogEntry e;
        const auto [end, ec] = std::from_chars(f[0].data(), f[0].data() + f[0].size(), e.timeUs);
        if (ec != std::errc() || end != f[0].data() + f[0].size()) continue;  // the header line
        e.dir = f[1];
        e.kind = f[2];
        e.outcome = f[3];
        e.inGap = f[4] == "gap";
        e.data = parseHex(f[5]);
        e.wire = parseHex(f[6]);
        e.note = f[7];
        out.push_back(std::move(e));
    }
    return out;
}

SimOnPty::SimOnPty(SimOptions options) : m_dir(freshDir()) {
    if (options.memory) {
        std::ofstream out(memoryPath(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(options.memory->data()),
                  static_cast<std::streamsize>(options.memory->size()));
    }
    std::vector<std::string> args = {R4860_SIM_PATH,
                                     "--link", linkPath().string(),
                                     "--control", (m_dir / "control.sock").string(),
                                     "--log", logPath().string(),
                                     "--memory", memoryPath().string(),
                                     "--model", std::to_string(options.modelCode),
                                     "--serial", std::to_string(options.serial),
                                     "--cal-date", options.calDate,
                                     "--code-version", options.codeVersion};
    if (options.silent) args.push_back("--silent");
    if (options.signal) {
        std::ostringstream s;
        s.precision(17);
        s << *options.signal;
        args.insert(args.end(), {"--signal", s.str()});
    }
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
        return;
    }
    // The first line on stdout is the slave path, printed once everything is ready.
    std::string line;
    const auto until = std::chrono::steady_clock::now() + 10s;
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        pollfd p{m_stdout, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char buf[256];
        const ssize_t n = ::read(m_stdout, buf, sizeof buf);
        if (n <= 0) break;
        line.append(buf, static_cast<std::size_t>(n));
    }
    if (const auto eol = line.find('\n'); eol != std::string::npos) {
        m_slavePath = line.substr(0, eol);
    } else {
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
    std::string reply;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
        std::string text(line);
        text.push_back('\n');
        if (::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size())) {
            const auto until = std::chrono::steady_clock::now() + 5s;
            while (reply.find('\n') == std::string::npos) {
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
                pollfd p{fd, POLLIN, 0};
                if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
                char buf[8192];
                const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
                if (n <= 0) break;
                reply.append(buf, static_cast<std::size_t>(n));
            }
        }
    }
    ::close(fd);
    const auto eol = reply.find('\n');
    return eol == std::string::npos ? std::string() : reply.substr(0, eol);
}

std::vector<SimLogEntry> SimOnPty::log() const { return ParseSimLog(readFile(logPath())); }

std::vector<SimLogEntry> SimOnPty::receivedFrames() const {
    std::vector<SimLogEntry> out;
    for (auto& e : log())
        if (e.dir == "rx" && e.kind == "command") out.push_back(std::move(e));
    return out;
}

std::vector<SimLogEntry> SimOnPty::sentFrames() const {
    std::vector<SimLogEntry> out;
    for (auto& e : log())
        if (e.dir == "tx") out.push_back(std::move(e));
    return out;
}

std::vector<std::uint8_t> SimOnPty::memory() {
    const std::string reply = control("dump-memory");
    if (!reply.starts_with("ok ")) return {};
    auto bytes = parseHex(std::string_view(reply).substr(3));
    if (bytes.size() != 2052) return {};
    return bytes;
}

bool SimOnPty::waitFrames(int count, std::chrono::milliseconds timeout) {
    const auto sent = [this]() -> long {
        const std::string s = control("stats");
        long total = 0;
        for (const char* key : {"frames=", "replies="}) {
            const auto at = s.find(key);
            if (at == std::string::npos) return -1;
            long v = 0;
            const char* p = s.data() + at + std::strlen(key);
            std::from_chars(p, s.data() + s.size(), v);
            total += v;
        }
        return total;
    };
    const long start = sent();
    if (start < 0) return false;
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < until) {
        if (sent() >= start + count) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

bool SimOnPty::running() {
    if (m_pid <= 0) return false;
    int status = 0;
    const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
    if (r == 0) return true;
    m_pid = -1;
    return false;
}

void SimOnPty::stop() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);  // the emulator removes its link and saves its memory
        if (!waitExit(m_pid, 3s)) {
            ::kill(m_pid, SIGKILL);
            waitExit(m_pid, 3s);
        }
        m_pid = -1;
    }
    if (m_stdout >= 0) {
        ::close(m_stdout);
        m_stdout = -1;
    }
}

}  // namespace r4860::testing
