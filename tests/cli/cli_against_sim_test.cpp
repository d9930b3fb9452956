#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <functional>
#include <thread>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "files/par_file.h"
#include "files/settings.h"
#include "files/table_file.h"
#include "model/config_image.h"
#include "cli_process.h"
#include "model/table_fit.h"
#include "support/sim_on_pty.h"
#include "support/temp_dir.h"

namespace r4860::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;


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
    const auto isRow = [](const std::string& line) {   // time, result, current: 2, 4, 3 decimals; a status
        std::istringstream fields(line);
        std::string f;
        for (const std::size_t decimals : {2u, 4u, 3u})
            if (!(fields >> f) || f.find('.') == std::string::npos || f.size() - f.find('.') - 1 != decimals)
                return false;
        return static_cast<bool>(fields >> f);
    };
    int rows = 0;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) rows += isRow(line);
    EXPECT_GE(rows, 5) << run.out;
}

TEST_F(CliAgainstSim, SilentTransducerIsNoCommunication) {
    // Silent from the start: a frame begun before "silence on" may still reach a port opened
    // after it, and then the transducer did answer once.
    testing::SimOptions options;
    options.silent = true;
    testing::SimOnPty silent(options);
    ASSERT_TRUE(silent.ok()) << silent.startError();
    const auto run = runCli({"--port", silent.linkPath().string(), "info"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("No communication with transducer"), std::string::npos) << run.err;
}

int commandsWithCode(SimOnPty& sim, std::uint8_t code) {
    const auto frames = sim.receivedFrames();
    return static_cast<int>(std::count_if(frames.begin(), frames.end(), [code](const auto& f) { return f.code() == code; }));
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(CliAgainstSim, WhatIsProgrammedIsWhatTheFileSaysOrTheOperatorIsToldAndVerifyAgrees) {
    ASSERT_EQ(runCli({"--port", port(), "read", "--par", file("a.par")}).exitCode, 0);
    writeText(file("huge.par"), replaceLine(readText(file("a.par")), "MaxInput", "99999"));
    const auto refused = runCli({"--port", port(), "write", file("huge.par")});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(has(refused.err, "MaxInput 99999 -> 850")) << refused.err;
    EXPECT_FALSE(sawWriteCommand(sim));
    const auto accepted = runCli({"--port", port(), "write", "--accept-repairs", file("huge.par")});
    ASSERT_EQ(accepted.exitCode, 0) << accepted.err;
    EXPECT_TRUE(has(accepted.err, "MaxInput 99999 -> 850")) << "still listed";
    EXPECT_NEAR(decodeMemory(sim.memory()).Parametry.MaxInput, 850.0, 1e-3);
    EXPECT_EQ(runCli({"--port", port(), "verify", file("huge.par")}).exitCode, 1) << "the file does not say 850";

    // A changed file is programmed and verifies; the old one no longer does, and says what differs.
    writeText(file("b.par"), replaceLine(replaceLine(readText(file("a.par")), "MaxInput", "250"), "kod", "LINE-7"));
    ASSERT_EQ(runCli({"--port", port(), "write", file("b.par")}).exitCode, 0);
    const auto onDevice = decodeMemory(sim.memory());
    EXPECT_TRUE(std::fabs(onDevice.Parametry.MaxInput - 250.0) < 1e-4 && onDevice.Informacje.kod == "LINE-7");
    const auto verified = runCli({"--port", port(), "verify", file("b.par")});
    EXPECT_EQ(verified.exitCode, 0) << "the date the write stamped is information: " << verified.out;
    EXPECT_TRUE(has(verified.out, "not compared")) << verified.out;
    EXPECT_EQ(runCli({"--port", port(), "verify", "--compare-date", file("b.par")}).exitCode, 1);
    const auto stale = runCli({"--port", port(), "--verbose", "verify", file("a.par")});
    EXPECT_EQ(stale.exitCode, 1);
    EXPECT_TRUE(has(stale.out, "Input range: 0.00 .. 100.00 -> 0.00 .. 250.00")) << "named: " << stale.out;
    EXPECT_TRUE(has(stale.out, "0x18")) << "the span float differs: " << stale.out;
}

// Counts the emulator's received block writes by reading only what its log gained since the last
// call, so a test can act within a block or two of a given point of a write.
class BlockCounter {
public:
    explicit BlockCounter(const fs::path& log) : m_in(log) {}
    int count() {
        std::string line;
        for (;;) {
            const auto at = m_in.tellg();
            if (!std::getline(m_in, line) || m_in.eof()) {   // nothing more, or a line still being written
                m_in.clear();
                m_in.seekg(at);
                return m_count;
            }
            m_count += line.find("\trx\tcommand\t") != std::string::npos && line.find("\tC4 ") != std::string::npos;
        }
    }

private:
    std::ifstream m_in;
    int m_count = 0;
};

TEST_F(CliAgainstSim, AnInterruptedWriteIsNamedAndAFullWriteRepairsIt) {
    ASSERT_EQ(runCli({"--port", port(), "read", "--par", file("a.par")}).exitCode, 0);
    writeText(file("b.par"), replaceLine(readText(file("a.par")), "MaxInput", "250"));
    writeText(file("c.par"), replaceLine(readText(file("a.par")), "MaxInput", "180"));
    const struct {
        const char* why;
        std::function<void()> act;
        std::vector<int> signals;
        int exitCode;
        bool incomplete;
    } cases[] = {
        {"acknowledgements lost", [this] { sim.control("drop-acks 1"); }, {}, 1, true},
        {"the line falls silent", [this] { sim.control("silence on"); }, {}, 1, true},
        {"one Ctrl-C: the write is finished", {}, {SIGINT}, 130, false},
        {"two Ctrl-C: the write is aborted", {}, {SIGINT, SIGINT}, 130, true},
    };
    BlockCounter blocks(sim.logPath());
    for (const auto& c : cases) {
        const int before = blocks.count();
        RunHow how;
        how.until = [&] { return blocks.count() >= before + 6; };
        how.onTrigger = c.act;
        how.signals = c.signals;
        const auto run = runCli({"--port", port(), "write", file("b.par")}, how);
        sim.control("drop-acks 0");
        sim.control("silence off");
        EXPECT_EQ(run.exitCode, c.exitCode) << c.why << "\n" << run.err;
        EXPECT_EQ(has(run.err, "incomplete configuration"), c.incomplete) << c.why << "\n" << run.err;
        if (c.signals.size() == 1 && c.signals[0] == SIGINT) {
            EXPECT_NEAR(decodeMemory(sim.memory()).Parametry.MaxInput, 250.0, 1e-3) << c.why << ": finished";
        }
        const auto repaired = runCli({"--port", port(), "write", file("c.par")});
        EXPECT_EQ(repaired.exitCode, 0) << c.why << ": the repairing write\n" << repaired.err;
        EXPECT_EQ(runCli({"--port", port(), "verify", file("c.par")}).exitCode, 0) << c.why;
    }
    // A transducer whose sums are wrong reports an EEPROM error; a complete write still repairs it.
    const auto factory = sim.memory();
    ASSERT_TRUE(has(sim.control("poke 0x05 77"), "ok"));
    const auto repaired = runCli({"--port", port(), "write", file("b.par")});
    EXPECT_EQ(repaired.exitCode, 0) << repaired.err;
    const auto after = sim.memory();
    EXPECT_TRUE(std::equal(factory.begin() + 28, factory.begin() + 35, after.begin() + 28))
        << "model, calibration date and serial number are never touched";
}

TEST_F(CliAgainstSim, StopsSignalsAndClosedOutputsEndCommandsPromptly) {
    ASSERT_EQ(runCli({"--port", port(), "read", "--par", file("a.par")}).exitCode, 0);
    const struct {
        const char* why;
        std::vector<std::string> args;
        std::vector<int> signals;
        bool closeAfterFirstLine;
        int exitCode;
    } cases[] = {
        {"Ctrl-C in monitor", {"monitor"}, {SIGINT}, false, 130},
        {"SIGTERM during a read", {"read"}, {SIGTERM}, false, 143},
        {"Ctrl-C during a verification", {"verify", file("a.par").string()}, {SIGINT}, false, 130},
        {"monitor | head -1", {"monitor"}, {}, true, 0},
        {"--seconds wins over a longer --interval", {"monitor", "--seconds", "1", "--interval", "30"}, {}, false, 0},
    };
    for (const auto& c : cases) {
        const int before = commandsWithCode(sim, 's');
        RunHow how;
        how.until = [&] { return commandsWithCode(sim, 's') >= before + 3 || c.args[0] == "monitor"; };
        how.signals = c.signals;
        how.closeAfterFirstLine = c.closeAfterFirstLine;
        std::vector<std::string> args{"--port", port()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto run = runCli(args, how);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.why << "\n" << run.err;
        EXPECT_LT(run.seconds, 8.0) << c.why;
    }
}

TEST_F(CliAgainstSim, PortProblemsSayWhatToCheckAndReleaseThePort) {
    writeText(file("plain.txt"), "x");
    const struct {
        const char* why;
        std::string portName;
        int exitCode;
        const char* says;
    } cases[] = {
        {"a word that names no port", "COMX", 2, "not a port name"},
        {"COM0 does not exist", "COM0", 2, "no such port number"},
        {"a regular file", file("plain.txt").string(), 2, "not a serial device"},
        {"an adapter not plugged in", "COM96", 1, "COM96 (/dev/ttyACM31): the device does not exist; is the adapter plugged in?"},
    };
    for (const auto& c : cases) {
        const auto run = runCli({"--port", c.portName, "info"});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.why << "\n" << run.err;
        EXPECT_TRUE(has(run.err, c.says)) << c.why << "\n" << run.err;
    }
    // A port held exclusively is released completely: another user's command finds it free,
    // although the emulator keeps its own side open.
    fs::permissions(sim.slavePath(), fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
    ASSERT_EQ(runCli({"--port", sim.slavePath(), "info"}).exitCode, 0);
    RunHow asNobody;
    asNobody.user = 65534;
    const auto second = runCli({"--port", sim.slavePath(), "info"}, asNobody);
    EXPECT_EQ(second.exitCode, 0) << second.err;
    // A port that is there but this user may not open: which group gives access.
    fs::permissions(sim.slavePath(), fs::perms::owner_read | fs::perms::owner_write);
    const auto refused = runCli({"--port", sim.slavePath(), "info"}, asNobody);
    EXPECT_TRUE(refused.exitCode == 1 && has(refused.err, "this user may not open it; members of the group"))
        << refused.err;
}

// The sensor settings of `set` against a current/voltage model: written, then the emulator's
// signal set and the result the transducer reports compared with what the conversion gives.
class CliSetAgainstSim : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.ok()) << sim.startError(); }
    fs::path file(const std::string& name) const { return sim.dir() / name; }

    // The result of the last row `monitor` prints once the emulator's input is `signal`.
    double resultAt(double signal) {
        EXPECT_EQ(sim.control("signal " + std::to_string(signal)), "ok");
        EXPECT_TRUE(sim.waitFrames(2));
        const auto run = runCli({"--port", sim.linkPath().string(), "monitor", "--seconds", "1", "--interval", "0.2"});
        std::istringstream rows(run.out);
        double last = NAN;
        for (std::string row; std::getline(rows, row);) {
            double time = 0, result = 0;
            if (std::sscanf(row.c_str(), "%lf %lf", &time, &result) == 2) last = result;
        }
        return last;
    }

    static SimOptions model39() {
        SimOptions o;
        o.modelCode = 39;
        return o;
    }
    SimOnPty sim{model39()};
};

TEST_F(CliSetAgainstSim, ACurrentInputFollowsItsLinearConversion) {
    const auto set = runCli({"set", file("flow.par").string(), "--model", "R4739", "--sensor", "ma", "--linear",
                             "4:20=0:100", "--unit", "%"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    const auto written = runCli({"--port", sim.linkPath().string(), "write", file("flow.par").string()});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    for (const double mA : {4.0, 10.4, 17.0, 20.0})
        EXPECT_NEAR(resultAt(mA), (mA - 4.0) * 6.25, 0.001) << mA << " mA";
}

TEST_F(CliSetAgainstSim, AVoltInputFollowsItsTableFromTheExamples) {
    const fs::path table = file("volt-horizontal-tank.dat");
    fs::copy_file(fs::path(R4860_TABLES_DIR) / table.filename(), table);
    const auto set = runCli({"set", file("tank.par").string(), "--model", "R4739", "--sensor", "v", "--table",
                             table.string(), "--unit", "%"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_TRUE(has(readText(file("tank.par")), "File=volt-horizontal-tank.dat"));
    const auto written = runCli({"--port", sim.linkPath().string(), "write", file("tank.par").string()});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    model::ConfigRecord rec;
    rec.TableInputType = 18;
    ASSERT_TRUE(files::LoadTableFile(table, rec)->outcome.ok);
    for (const double volts : {0.6, 2.55, 5.0, 8.8})  // between the table's points, where it bends most
        EXPECT_NEAR(resultAt(volts), model::TableResult(rec.Table, volts), 0.1) << volts << " V: 0.1 % of the span";
}

TEST(CliSet, RefusesWhatTheWindowsRefuseAndLeavesTheFileAlone) {
    TempDir dir;
    const std::string par = (dir / "flow.par").string();
    ASSERT_EQ(runCli({"set", par, "--model", "R4720", "--sensor", "ma", "--linear", "4:20=0:100"}).exitCode, 0);
    // Read back, the conversion keeps its result range: OK of the selection keeps 0 .. 100.
    const auto again = runCli({"set", par, "--input", "double"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_TRUE(has(again.out, "Range:               0 .. 100")) << again.out;
    const std::string before = readText(par);
    const struct { std::vector<std::string> args; const char* says; } cases[] = {
        {{"--linear", "4:25=0:100"}, "Maximum out of range!"},
        {{"--linear", "4:4.5=0:100"}, "Input range too small!"},
        {{"--sensor", "tc-k"}, "R4720 has no thermocouple input"},
        {{"--sensor", "ma", "--series", "0,0"}, "Transfer function is not monotonic"},
        {{"--range", "0:150"}, "Maximum out of range!"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"set", par};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto run = runCli(args);
        EXPECT_EQ(run.exitCode, 2) << c.says;
        EXPECT_TRUE(has(run.err, c.says)) << run.err;
        EXPECT_EQ(readText(par), before) << c.says;
    }
}

}  // namespace
}  // namespace r4860::testing
