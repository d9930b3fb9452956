// The real r4860-sim as a script runs it: exit codes, one emulator per link, --daemon, ctl,
// the checksum default and the memory file. Framing and pacing are driven in tests/integration.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/sim_on_pty.h"
#include "support/temp_dir.h"

extern char** environ;

namespace r4860::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

struct Finished {
    int exitCode = -1;
    std::string out;  // stdout and stderr together, as a terminal shows them
};

Finished RunSim(const std::vector<std::string>& args) {
    std::vector<std::string> all = {R4860_SIM_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    Finished f;
    // Until the pipe closes: a daemon that kept it open would hang a script's $(...).
    char buf[1024];
    for (pollfd p{out[0], POLLIN, 0}; rc == 0 && ::poll(&p, 1, 5'000) > 0;) {
        const ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        f.out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    // One still running has not refused: end it, so the test fails instead of hanging.
    int status = 0;
    for (int waited = 0; rc == 0 && ::waitpid(pid, &status, WNOHANG) == 0; ++waited) {
        if (waited == 250) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(20ms);
    }
    if (rc == 0 && WIFEXITED(status)) f.exitCode = WEXITSTATUS(status);
    return f;
}

bool WaitGone(const std::filesystem::path& p) {
    for (int i = 0; i < 250 && std::filesystem::exists(std::filesystem::symlink_status(p)); ++i)
        std::this_thread::sleep_for(20ms);
    return !std::filesystem::exists(std::filesystem::symlink_status(p));
}

TEST(SimProcess, ExitCodesOfTheCommandLineAndOfCtl) {
    TempDir dir;
    const auto link = dir / "ports/COM98";
    const Finished started = RunSim({"--daemon", "--link", link.string(), "--silent"});
    ASSERT_EQ(started.exitCode, 0) << started.out;
    EXPECT_EQ(started.out.find_first_not_of("0123456789\n"), std::string::npos) << "only the pid: " << started.out;
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << "ready when the command returns";
    const auto control = link.string() + ".ctl";
    const struct { std::vector<std::string> args; int exitCode; const char* outStart; } cases[] = {
        {{"--help"}, 0, "usage: r4860-sim"},
        {{"--bogus"}, 2, ""},
        {{"--link"}, 2, ""},
        {{"--model", "47x"}, 2, ""},
        {{"--period-ms", "0"}, 2, ""},
        {{"--cal-date", "31.02.2026"}, 2, ""},
        {{"ctl", "--control", control, "stats"}, 0, "ok frames="},
        {{"ctl", "--control", control, "drop-acks", "next", "2"}, 0, "ok\n"},  // words joined
        {{"ctl", "--control", control, "silence off"}, 0, "ok\n"},
        {{"ctl", "--control", control, "explode"}, 1, "error "},
        {{"ctl", "--control", control + ".none", "stats"}, 1, ""},
        {{"ctl", "--control", control}, 2, ""},
    };
    for (const auto& c : cases) {
        const Finished f = RunSim(c.args);
        EXPECT_EQ(f.exitCode, c.exitCode) << c.args.back() << ": " << f.out;
        EXPECT_TRUE(f.out.starts_with(c.outStart)) << c.args.back() << ": " << f.out;
    }
    EXPECT_EQ(RunSim({"ctl", "--control", control, "quit"}).out, "ok\n");
    EXPECT_TRUE(WaitGone(link)) << "quit removes the link";
    EXPECT_TRUE(WaitGone(control)) << "and the control socket";
}

TEST(SimProcess, ASecondEmulatorForTheSameLinkRefusesAndLeavesTheFirstAlone) {
    SimOnPty first;
    ASSERT_TRUE(first.ok()) << first.startError();
    for (const auto* how : {"--silent", "--daemon"}) {
        const Finished second =
            RunSim({how, "--link", first.linkPath().string(), "--control", (first.dir() / "2.sock").string()});
        EXPECT_EQ(second.exitCode, 2) << how;
        const std::string why = "already served by another r4860-sim (pid " + std::to_string(first.pid()) + ")";
        EXPECT_NE(second.out.find(why), std::string::npos) << how << ": " << second.out;
        EXPECT_EQ(std::filesystem::read_symlink(first.linkPath()).string(), first.slavePath()) << how;
        EXPECT_TRUE(first.control("stats").starts_with("ok ")) << how;
    }
    // Someone repoints the link (a newer emulator, the operator): ending must not take theirs.
    std::filesystem::remove(first.linkPath());
    std::filesystem::create_symlink("/dev/null", first.linkPath());
    first.stop();
    EXPECT_EQ(std::filesystem::read_symlink(first.linkPath()), "/dev/null");
    EXPECT_FALSE(std::filesystem::exists(first.linkPath().string() + ".lock")) << "the lock goes with its holder";
}

TEST(SimProcess, TheMemoryFileIsSavedAtTheEndAndLoadedAtTheStart) {
    Bytes saved;
    {
        SimOnPty sim;
        ASSERT_TRUE(sim.ok()) << sim.startError();
        EXPECT_EQ(sim.control("poke 40 DEADBEEF"), "ok");
        sim.stop();
        std::ifstream in(sim.memoryPath(), std::ios::binary);
        saved.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_EQ(saved.size(), 2052u);
    EXPECT_EQ(Bytes(saved.begin() + 0x40, saved.begin() + 0x44), (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
    SimOptions o;
    o.memory = saved;
    SimOnPty next(o);
    ASSERT_TRUE(next.ok()) << next.startError();
    const auto mem = next.memory();
    ASSERT_EQ(mem.size(), 2052u);
    EXPECT_EQ(Bytes(mem.begin() + 0x40, mem.begin() + 0x44), (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
}

}  // namespace
}  // namespace r4860::testing
