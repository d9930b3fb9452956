#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "files/par_file.h"
#include "files/settings.h"
#include "model/config_image.h"
#include "support/sim_on_pty.h"

namespace r4860::testing {
namespace {

namespace fs = std::filesystem;

struct Run {
    int exitCode = -1;
    std::string out, err;
};

std::string drain(int fd) {
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

// Runs r4860-cli with `args`; its settings folder is the emulator's, so COMn resolves there.
Run runCli(const std::vector<std::string>& args) {
    fs::path outFile = fs::temp_directory_path() / ("r4860-cli-out-" + std::to_string(::getpid()));
    fs::path errFile = outFile;
    errFile += ".err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(R4860_CLI_PATH)};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(R4860_CLI_PATH, argv.data());
        ::_exit(127);
    }
    Run run;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    const int out = ::open(outFile.c_str(), O_RDONLY);
    const int err = ::open(errFile.c_str(), O_RDONLY);
    run.out = drain(out);
    run.err = drain(err);
    ::close(out);
    ::close(err);
    fs::remove(outFile);
    fs::remove(errFile);
    return run;
}

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeText(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
}

std::string replaceLine(std::string text, const std::string& key, const std::string& value) {
    return std::regex_replace(text, std::regex("(^|\n)" + key + "=[^\r\n]*"), "$1" + key + "=" + value);
}

model::ConfigRecord decodeMemory(const std::vector<std::uint8_t>& memory) {
    model::ConfigImage image{};
    std::copy_n(memory.begin(), std::min(memory.size(), image.size()), image.begin());
    model::ConfigRecord rec;
    model::DecodeImage(image, rec);
    return rec;
}

model::ConfigRecord readPar(const fs::path& p) {
    model::ConfigRecord rec;
    files::Settings settings;
    EXPECT_TRUE(files::ReadParFile(rec, p, settings).ok()) << p;
    return rec;
}

bool sawWriteCommand(SimOnPty& sim) {
    const auto frames = sim.receivedFrames();
    return std::any_of(frames.begin(), frames.end(), [](const SimLogEntry& f) {
        const auto code = static_cast<std::uint8_t>(f.code() & 0x7F);
        return f.code() == 0xEF || code == 'D' || code == 'L';
    });
}

class CliAgainstSim : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.ok()) << sim.startError(); }
    std::string port() const { return sim.linkPath().string(); }
    fs::path file(const std::string& name) const { return sim.dir() / name; }

    SimOnPty sim;
};

TEST_F(CliAgainstSim, ReadSavesTheTransducersConfigurationAndImage) {
    const auto run = runCli({"--port", port(), "read", "--par", file("read.par"), "--image", file("read.img")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Serial number:       1234"), std::string::npos) << run.out;

    const auto memory = sim.memory();
    const auto expected = decodeMemory(memory);
    const auto fromFile = readPar(file("read.par"));
    EXPECT_EQ(fromFile.Czujnik, expected.Czujnik);
    EXPECT_EQ(fromFile.Device, expected.Device);
    EXPECT_DOUBLE_EQ(fromFile.Parametry.MinInput, expected.Parametry.MinInput);
    EXPECT_DOUBLE_EQ(fromFile.Parametry.MaxInput, expected.Parametry.MaxInput);
    EXPECT_EQ(fromFile.Parametry.FiltrCzas, expected.Parametry.FiltrCzas);
    EXPECT_EQ(fromFile.Informacje.kod, expected.Informacje.kod);
    EXPECT_EQ(fromFile.Informacje.serial, expected.Informacje.serial);

    const std::string image = readText(file("read.img"));
    ASSERT_EQ(image.size(), 2052u);
    for (const auto& [first, last] : {std::pair{0, 35}, {64, 123}, {248, 251}, {2048, 2051}})
        for (int a = first; a <= last; ++a)
            EXPECT_EQ(static_cast<std::uint8_t>(image[static_cast<std::size_t>(a)]), memory[static_cast<std::size_t>(a)])
                << "offset " << a;
}

TEST_F(CliAgainstSim, WriteProgramsAChangedFileAndVerifyAgrees) {
    ASSERT_EQ(runCli({"--port", port(), "read", "--par", file("a.par")}).exitCode, 0);
    std::string par = readText(file("a.par"));
    par = replaceLine(par, "MaxInput", "250");
    par = replaceLine(par, "kod", "LINE-7");
    writeText(file("b.par"), par);

    const auto written = runCli({"--port", port(), "write", file("b.par")});
    ASSERT_EQ(written.exitCode, 0) << written.err;

    const auto onDevice = decodeMemory(sim.memory());
    EXPECT_NEAR(onDevice.Parametry.MaxInput, 250.0, 1e-4);
    EXPECT_EQ(onDevice.Informacje.kod, "LINE-7");

    // The file as the transducer now holds it (with today's date) verifies; the old one does not.
    ASSERT_EQ(runCli({"--port", port(), "read", "--par", file("c.par")}).exitCode, 0);
    const auto verified = runCli({"--port", port(), "verify", file("c.par")});
    EXPECT_EQ(verified.exitCode, 0) << verified.out << verified.err;
    const auto stale = runCli({"--port", port(), "--verbose", "verify", file("a.par")});
    EXPECT_EQ(stale.exitCode, 1);
    EXPECT_NE(stale.out.find("Input range: 0 .. 100 -> 0 .. 250"), std::string::npos) << "named: " << stale.out;
    EXPECT_NE(stale.out.find("0x18"), std::string::npos) << "the span float differs: " << stale.out;
}

TEST_F(CliAgainstSim, IdTagOnlyWriteChangesNothingElse) {
    ASSERT_EQ(runCli({"--port", port(), "read", "--par", file("a.par")}).exitCode, 0);
    const auto before = sim.memory();
    writeText(file("tag.par"), replaceLine(replaceLine(readText(file("a.par")), "kod", "NEW"), "MaxInput", "50"));
    const auto run = runCli({"--port", port(), "write", "--id-tag-only", file("tag.par")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto after = sim.memory();
    EXPECT_EQ(decodeMemory(after).Informacje.kod, "NEW");
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 108, after.begin())) << "nothing before the tag moved";
}

TEST_F(CliAgainstSim, AnotherModelIsRefusedAndNothingIsWritten) {
    ASSERT_EQ(runCli({"--port", port(), "read", "--par", file("a.par")}).exitCode, 0);
    writeText(file("other.par"), replaceLine(readText(file("a.par")), "Device", "R4720"));
    const auto run = runCli({"--port", port(), "write", file("other.par")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Type of transducer inconsistency"), std::string::npos) << run.err;
    EXPECT_FALSE(sawWriteCommand(sim));
}

TEST_F(CliAgainstSim, UnreadableFilesAndBadWordsExitWithTwo) {
    EXPECT_EQ(runCli({"--port", port(), "write", file("missing.par")}).exitCode, 2);
    writeText(file("junk.par"), std::string("\x01\x02 not a parameter file\r\n", 26));
    EXPECT_EQ(runCli({"--port", port(), "write", file("junk.par")}).exitCode, 2);
    EXPECT_EQ(runCli({"--port", port(), "frobnicate"}).exitCode, 2);
    EXPECT_EQ(runCli({"read"}).exitCode, 2) << "no port";
    EXPECT_FALSE(sawWriteCommand(sim));
}

TEST_F(CliAgainstSim, MonitorPrintsRowsUntilItsTimeIsUp) {
    const auto run = runCli({"--port", port(), "monitor", "--seconds", "2", "--interval", "0.25"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    static const std::regex kRow(R"( *\d+\.\d\d +-?\d+\.\d{4} +\d+\.\d{3}  .*)");
    int rows = 0;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        if (std::regex_match(line, kRow)) ++rows;
    EXPECT_GE(rows, 5) << run.out;
}

TEST_F(CliAgainstSim, SilentTransducerIsNoCommunication) {
    sim.control("silence on");
    const auto run = runCli({"--port", port(), "info"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("No communication with transducer"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace r4860::testing
