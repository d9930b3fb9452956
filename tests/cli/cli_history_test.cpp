// The programming history as r4860-cli keeps it, against the emulator: what each operation
// records, a restore, series programming, and a history that cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli_process.h"
#include "common/sha256.h"
#include "files/sqlite_db.h"
#include "files/sqlite_history_store.h"
#include "model/config_image.h"
#include "support/sim_on_pty.h"

namespace r4860::testing {
namespace {

namespace fs = std::filesystem;
using files::HistoryOperation;
using files::HistoryOutcome;
using files::HistoryRecord;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The written ranges, their checksums and the factory's fields: what a write or a restore decides.
bool sameConfiguration(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() < 253 || b.size() < 253) return false;
    for (const auto& [first, last] : {std::pair{0, 35}, {64, 123}, {126, 127}, {192, 252}})
        if (!std::equal(a.begin() + first, a.begin() + last + 1, b.begin() + first)) return false;
    return true;
}

bool sameInReadRanges(const model::ConfigImage& image, const std::vector<std::uint8_t>& memory) {
    for (const auto& r : model::layout::kReadRanges)
        for (std::size_t o = r.first; o <= r.last; ++o)
            if (image[o] != memory[o]) return false;
    return true;
}

class CliHistory : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.ok()) << sim.startError();
        ASSERT_EQ(cli({"read", "--par", file("a.par").string()}).exitCode, 0);
        writeText(file("b.par"), replaceLine(replaceLine(readText(file("a.par")), "MaxInput", "250"), "kod", "LINE-7"));
        writeText(file("c.par"), replaceLine(readText(file("a.par")), "MaxInput", "180"));
    }
    fs::path file(const std::string& name) const { return sim.dir() / name; }
    fs::path history() const { return sim.dir() / "history.sqlite3"; }

    CliRun cli(std::vector<std::string> args, const RunHow& how = {}) {
        args.insert(args.begin(), {"--port", sim.linkPath().string(), "--history", history().string()});
        return runCli(args, how);
    }
    // Oldest first.
    std::vector<HistoryRecord> records() {
        std::vector<HistoryRecord> all;
        auto store = files::OpenSqliteHistory(history(), {files::SqliteHistoryOptions::Purpose::Query});
        EXPECT_TRUE(store.ok());
        if (!store) return all;
        EXPECT_TRUE((*store)->forEach({}, [&all](const HistoryRecord& r) {
            all.push_back(r);
            return true;
        }).ok());
        return all;
    }

    SimOnPty sim;
};

TEST_F(CliHistory, EachReadWriteAndVerificationIsRecordedAsItHappened) {
    const auto factory = sim.memory();
    ASSERT_EQ(cli({"write", file("b.par").string()}).exitCode, 0);
    const auto programmed = sim.memory();
    EXPECT_EQ(cli({"verify", file("a.par").string()}).exitCode, 1);
    // A worn cell in the input span: the write is acknowledged, its read-back differs there (the
    // wrong checksum would otherwise refuse the read-back as an EEPROM error, also a failure).
    sim.control("stuck 19");
    sim.control("checksum-check off");
    EXPECT_EQ(cli({"write", file("c.par").string()}).exitCode, 1);

    const auto all = records();
    ASSERT_EQ(all.size(), 4u);
    const auto& [read, write, verify, failed] = std::tie(all[0], all[1], all[2], all[3]);
    EXPECT_EQ(std::tuple(read.operation, read.outcome, read.serial, read.model, read.idTag),
              std::tuple(HistoryOperation::Read, HistoryOutcome::Success, "1234", "R4747", "TT-101"));
    ASSERT_TRUE(read.image && write.image && write.imageBefore);
    EXPECT_TRUE(sameInReadRanges(*read.image, factory));

    EXPECT_EQ(std::tuple(write.operation, write.outcome, write.verified, write.idTag, write.parFileName),
              std::tuple(HistoryOperation::Write, HistoryOutcome::Success, true, "LINE-7", "b.par"));
    EXPECT_EQ(write.parFileHash, Sha256Hex(readText(file("b.par"))));
    EXPECT_TRUE(sameInReadRanges(*write.imageBefore, factory)) << "what it held before";
    EXPECT_TRUE(sameConfiguration(std::vector<std::uint8_t>(write.image->begin(), write.image->end()), programmed));

    EXPECT_EQ(std::pair(verify.operation, verify.outcome), std::pair(HistoryOperation::Verify, HistoryOutcome::Differences));
    EXPECT_EQ(verify.serial, "1234") << "a verification names the transducer it read";
    ASSERT_FALSE(verify.differences.empty());
    EXPECT_EQ(verify.differences.front().item, "Input range");

    EXPECT_EQ(std::tuple(failed.operation, failed.outcome, failed.verified),
              std::tuple(HistoryOperation::Write, HistoryOutcome::Differences, true))
        << "a write whose read-back differs is never recorded as programmed";
    EXPECT_EQ(failed.message, "Verification ended with errors");

    const auto listed = cli({"history", "--failed"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(occurrences(listed.out, "differences"), 2) << listed.out;
    EXPECT_FALSE(has(listed.out, " success ")) << listed.out;
}

TEST_F(CliHistory, RestoreWritesBackWhatTheTransducerHeldBeforeTheWrite) {
    ASSERT_EQ(cli({"write", file("b.par").string()}).exitCode, 0);
    const auto earlier = sim.memory();
    ASSERT_EQ(cli({"write", file("c.par").string()}).exitCode, 0);
    const auto written = records().back();
    ASSERT_EQ(written.operation, HistoryOperation::Write);
    const std::string id = std::to_string(written.id);

    sim.control("serial 4321");   // another transducer on the line
    const auto refused = cli({"history", "restore", id});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(has(refused.err, "serial number 4321, the record 1234")) << refused.err;

    sim.control("serial 1234");
    const auto restored = cli({"history", "restore", id});
    ASSERT_EQ(restored.exitCode, 0) << restored.err;
    EXPECT_TRUE(sameConfiguration(sim.memory(), earlier)) << "back to its earlier image, its date included";
    const auto all = records();
    const auto& restore = all.back();
    EXPECT_EQ(std::tuple(restore.operation, restore.outcome, restore.verified, restore.restoreOf),
              std::tuple(HistoryOperation::Restore, HistoryOutcome::Success, true, written.uid));
    EXPECT_EQ(all[all.size() - 2].outcome, HistoryOutcome::Failure) << "the refused restore is on record too";
}

TEST_F(CliHistory, SeriesProgramsEachNewTransducerOnceAndRefusesAnotherModel) {
    writeText(file("s.par"), replaceLine(readText(file("a.par")), "kod", "SERIES"));
    // Each step waits for the tool to show it has finished a transducer or seen it go.
    struct Swap {
        const char* shown;      // on standard output
        int waits;              // "waiting for the next transducer" said this often
        std::vector<const char*> plug;
    };
    const std::vector<Swap> swaps = {
        {"   1  programmed", 2, {"model 37", "serial 2002"}},
        {"   2  refused", 3, {"model 47", "serial 1234"}},
        {"   3  skipped", 4, {"serial 3003"}},
    };
    std::size_t next = 0;
    bool unplugged = false;
    RunHow how;
    how.watch = [&](const std::string& out, const std::string& err) {
        if (next == swaps.size()) return;
        const Swap& s = swaps[next];
        if (!unplugged && has(out, s.shown)) unplugged = has(sim.control("silence on"), "ok");
        if (!unplugged || occurrences(err, "waiting for the next transducer") < s.waits) return;
        for (const char* line : s.plug) sim.control(line);
        sim.control("silence off");
        unplugged = false;
        ++next;
    };
    std::vector<std::string> args = {"program", file("s.par").string(), "--series", "--count", "3"};
    if (R4860_CLI_PDF) args.insert(args.end(), {"--report-dir", file("reports").string()});
    const auto run = cli(args, how);
    EXPECT_EQ(run.exitCode, 1) << "one was refused\n" << run.out << run.err;
    EXPECT_TRUE(has(run.out, "   2  refused     2002      R4737")) << run.out;
    EXPECT_TRUE(has(run.out, "Type of transducer inconsistency")) << run.out;
    EXPECT_TRUE(has(run.out, "   3  skipped     1234")) << run.out;
    EXPECT_TRUE(has(run.out, "   4  programmed  3003      R4747  SERIES")) << run.out;
    EXPECT_TRUE(has(run.out, "2 programmed, 1 failed, 1 skipped")) << run.out;

    const auto all = records();
    ASSERT_EQ(all.size(), 5u) << "the set-up read and one record per transducer";
    const std::vector<std::tuple<HistoryOperation, HistoryOutcome, std::string>> expected = {
        {HistoryOperation::Write, HistoryOutcome::Success, "1234"},
        {HistoryOperation::Write, HistoryOutcome::Failure, "2002"},
        {HistoryOperation::Read, HistoryOutcome::Success, "1234"},
        {HistoryOperation::Write, HistoryOutcome::Success, "3003"},
    };
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::tuple(all[i + 1].operation, all[i + 1].outcome, all[i + 1].serial), expected[i]) << i;
    EXPECT_FALSE(all[2].image) << "nothing was sent to the other model";
    if (R4860_CLI_PDF) {
        std::vector<std::string> reports;
        for (const auto& e : fs::directory_iterator(file("reports"))) reports.push_back(e.path().filename().string());
        std::sort(reports.begin(), reports.end());
        EXPECT_EQ(reports, (std::vector<std::string>{"1234-SERIES.pdf", "3003-SERIES.pdf"})) << "the programmed ones";
        EXPECT_TRUE(readText(file("reports") / "3003-SERIES.pdf").starts_with("%PDF-"));
    }
}

TEST_F(CliHistory, AHistoryThatCannotBeWrittenIsReportedAndNeverStopsTheWrite) {
    writeText(file("plain"), "x");
    const fs::path unusable = file("plain") / "history.sqlite3";   // its folder is a file
    const std::string b = file("b.par").string(), c = file("c.par").string();
    const struct {
        const char* why;
        std::vector<std::string> args;
        rlim_t fileSizeLimit;
        bool locked;   // another program keeps the history's write lock
        int exitCode;
        bool programmed;
    } cases[] = {
        {"no folder for it", {"--history", unusable.string(), "write", b}, 0, false, 0, true},
        {"no folder, --require-history: nothing done", {"--history", unusable.string(), "--require-history", "write", c},
         0, false, 1, false},
        {"a full disk", {"write", c}, 8192, false, 0, true},
        {"a full disk, --require-history", {"--require-history", "write", b}, 8192, false, 1, false},
        {"locked: the write goes on", {"write", b}, 0, true, 0, true},
        {"locked, --require-history: written, but an error", {"--require-history", "write", c}, 0, true, 1, true},
    };
    for (const auto& c : cases) {
        const auto before = sim.memory();
        auto holder = files::sql::Database::Open(history(), files::sql::Database::Mode::ReadWrite);
        ASSERT_TRUE(holder.ok());
        if (c.locked) {
            ASSERT_TRUE(holder->exec("BEGIN IMMEDIATE").ok());
        }
        RunHow how;
        how.fileSizeLimit = c.fileSizeLimit;
        const auto run = cli(c.args, how);
        if (c.locked) {
            ASSERT_TRUE(holder->exec("ROLLBACK").ok());
        }
        EXPECT_EQ(run.exitCode, c.exitCode) << c.why << "\n" << run.err;
        EXPECT_TRUE(has(run.err, "r4860-cli: history: ")) << c.why << "\n" << run.err;
        EXPECT_EQ(!sameConfiguration(sim.memory(), before), c.programmed) << c.why;
    }
}

}  // namespace
}  // namespace r4860::testing
