// r4860-cli's service commands against the emulator, as a calibration station runs them: the
// forced output is let go whatever ends the program, and the trim is written and read back.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "files/settings.h"
#include "support/sim_on_pty.h"

extern char** environ;

namespace r4860::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

struct Ran {
    int exitCode = -1;
    std::string out, err;
};

std::string slurp(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the tool; once `until` holds, sends `signal` (SIGKILL stands for a tool killed outright).
Ran runCli(const fs::path& dir, std::vector<std::string> args, const std::function<bool()>& until = {},
           int signal = 0) {
    args.insert(args.begin(), R4860_CLI_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const fs::path out = dir / "cli.out", err = dir / "cli.err";
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (rc != 0) return {};
    const auto give_up = std::chrono::steady_clock::now() + 60s;
    int status = 0;
    bool signalled = false;
    while (::waitpid(pid, &status, WNOHANG) != pid) {
        if (!signalled && until && until()) {
            ::kill(pid, signal);
            signalled = true;
        }
        if (std::chrono::steady_clock::now() > give_up) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(20ms);
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), slurp(out), slurp(err)};
}

class CliService : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.ok()) << sim.startError(); }
    Ran cli(std::vector<std::string> args, const std::function<bool()>& until = {}, int signal = 0) {
        args.insert(args.begin(), {"--port", sim.linkPath().string()});
        return runCli(sim.dir(), std::move(args), until, signal);
    }
    bool forced() { return sim.control("service").find("forced=4096") != std::string::npos; }
    std::string state() { return sim.control("service"); }
    std::vector<Bytes> commands() {
        std::vector<Bytes> out;
        for (const auto& e : sim.receivedFrames())
            if (e.outcome == "accepted") out.push_back(e.data);
        return out;
    }

    SimOnPty sim;
    const std::string password = files::kDefaultPass;
    const std::string kLeft = "ok service=off register=16 forced=none simulated=none scale=normal";
};

TEST_F(CliService, OutputForcesTheCurrentThenLetsGoHoweverItEnds) {
    const Ran timed = cli({"output", "12", "--seconds", "1", "--password", password});
    ASSERT_EQ(timed.exitCode, 0) << timed.err;
    EXPECT_NE(timed.out.find("12.000 mA  Cal mode, Independent output"), std::string::npos) << timed.out;
    EXPECT_EQ(commands(), (std::vector<Bytes>{{'@', '7', '3', '1', '5'}, {'m', 16}, {'o', 0x10, 0x00}, {'r'}}));
    EXPECT_EQ(state(), kLeft);
    for (const auto& [signal, exitCode] : {std::pair(SIGINT, 130), std::pair(SIGTERM, 143), std::pair(SIGHUP, 129)}) {
        const Ran stopped = cli({"output", "12", "--password", password}, [&] { return forced(); }, signal);
        EXPECT_EQ(stopped.exitCode, exitCode) << stopped.err;
        EXPECT_NE(stopped.err.find("output released, service mode left"), std::string::npos) << stopped.err;
        EXPECT_EQ(state(), kLeft) << "signal " << signal;
    }
}

TEST_F(CliService, AKilledToolLeavesWhatTheNextStartNoticesAndReleases) {
    const Ran killed = cli({"output", "12", "--password", password}, [&] { return forced(); }, SIGKILL);
    ASSERT_EQ(killed.exitCode, 128 + SIGKILL);
    EXPECT_TRUE(forced()) << "nothing runs after SIGKILL: the flags tell the next start";
    const Ran info = cli({"info"});
    EXPECT_NE(info.out.find("Cal mode, Independent output"), std::string::npos) << info.out;
    const Ran release = cli({"output", "--release", "--password", password});
    EXPECT_EQ(release.exitCode, 0) << release.err;
    EXPECT_EQ(state(), kLeft);
}

TEST_F(CliService, RefusalsTouchNothing) {
    const struct {
        const char* why;
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {"wrong password", {"output", "12", "--password", "nope"}, "Wrong Password!"},
        {"no password", {"trim", "--zero", "1"}, "--password"},
        {"beyond the output", {"output", "25", "--password", password}, "3.75 .. 21.75 mA"},
        {"not a current", {"output", "12mA", "--password", password}, "not a current"},
        {"beyond the corrections", {"trim", "--gain", "2.5", "--password", password}, "-2 to +2"},
        {"the service code does not trim", {"trim", "--zero", "1", "--password", files::kServiceCode}, "diagnostics"},
    };
    for (const auto& c : cases) {
        const Ran ran = cli(c.args);
        EXPECT_EQ(ran.exitCode, 2) << c.why << "\n" << ran.err;
        EXPECT_NE(ran.err.find(c.says), std::string::npos) << c.why << "\n" << ran.err;
    }
    EXPECT_TRUE(commands().empty()) << "nothing was sent";
}

TEST_F(CliService, TrimWritesAndReadsBackAndKeepsWhatIsNotNamed) {
    const Ran both = cli({"trim", "--zero", "0.25", "--gain", "-0,1", "--password", password});
    ASSERT_EQ(both.exitCode, 0) << both.err;
    EXPECT_EQ(both.out, "Zero +0.25 %, Gain -0.10 %: Transducer programmed, Verification successful\n");
    const Ran gain = cli({"trim", "--gain", "2", "--password", password});
    ASSERT_EQ(gain.exitCode, 0) << gain.err;
    const auto memory = sim.memory();
    EXPECT_EQ(Bytes(&memory[0xF8], &memory[0xFC]), (Bytes{0x00, 0x19, 0x00, 0xC8}))
        << "zero kept at 0.25 %; +2 % is stored as 1.9999, which the transducer holds as 200";
    ASSERT_EQ(sim.control("drop-acks 1"), "ok");
    const Ran lost = cli({"trim", "--zero", "0", "--password", password});
    EXPECT_EQ(lost.exitCode, 1) << lost.err;
}

}  // namespace
}  // namespace r4860::testing
