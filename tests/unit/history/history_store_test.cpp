// The programming history's store: its layout and migrations, a record's round trip, the
// queries behind the history window's filters, and what it does with a file it cannot trust.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "common/sha256.h"
#include "files/history_csv.h"
#include "files/history_place.h"
#include "files/history_schema.h"
#include "files/history_time.h"
#include "files/sqlite_db.h"
#include "files/sqlite_history_store.h"
#include "support/temp_dir.h"
#include "workflow/history_recorder.h"

namespace r4860::testing {
namespace {

namespace fs = std::filesystem;
using files::HistoryFilter;
using files::HistoryOperation;
using files::HistoryOutcome;
using files::HistoryRecord;
using Purpose = files::SqliteHistoryOptions::Purpose;

std::unique_ptr<files::HistoryStore> open(const fs::path& file, Purpose purpose = Purpose::Record) {
    auto store = files::OpenSqliteHistory(file, {purpose, 5000});
    EXPECT_TRUE(store.ok()) << (store.ok() ? "" : store.error().message);
    return store.ok() ? std::move(*store) : nullptr;
}

std::string bytesOf(const fs::path& file) {
    std::ostringstream s;
    s << std::ifstream(file, std::ios::binary).rdbuf();
    return s.str();
}

HistoryRecord record(std::int64_t timeMs, std::string serial, std::string tag, std::string model,
                     HistoryOutcome outcome = HistoryOutcome::Success) {
    HistoryRecord r;
    r.uid = files::NewRecordUid();
    r.timeMs = timeMs;
    r.operation = HistoryOperation::Write;
    r.outcome = outcome;
    r.serial = std::move(serial), r.idTag = std::move(tag), r.model = std::move(model);
    return r;
}

// Every field set, texts that need quoting and escaping, one image in each stored form.
HistoryRecord everyField() {
    HistoryRecord r = record(1'769'940'030'123, "1234", "TT-101", "R4747", HistoryOutcome::Differences);
    r.operatorName = "jan", r.host = "bench-2", r.port = "COM7", r.devicePath = "/dev/ttyUSB0";
    r.message = "Verification ended with errors\nsecond line";
    r.differences = {{"Input range", "0 .. 100", "0 .. 250", {24, 25}}, {"ID Tag", "\"A\tB\"", "\"A\\B\"", {108}}};
    r.verified = true;
    r.codeVersion = "V2.1", r.calDate = "01.02.2026", r.configDate = "07.12.2026";
    r.parFileName = "b.par", r.parFileHash = Sha256Hex("par"), r.toolVersion = "0.1", r.restoreOf = "ab12";
    model::ConfigImage before{}, after{};
    before[1000] = 7;   // beyond the transferred bytes: kept whole
    after[0] = 'U', after[252] = 9, after[2051] = '1';
    r.imageBefore = before, r.image = after;
    return r;
}

// Runs `body` in a child process; its exit code.
int inChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(HistoryStore, ARecordComesBackAsStoredExportedAndImportedOnce) {
    TempDir dir;
    auto store = open(dir / "h.sqlite3");
    HistoryRecord r = everyField();
    const auto id = store->add(r);
    ASSERT_TRUE(id.ok());
    r.id = *id;
    EXPECT_EQ(*store->get(*id), r);

    std::stringstream csv(files::HistoryCsvHeader(files::CsvColumns::Full) + files::HistoryCsvRow(r, files::CsvColumns::Full));
    files::HistoryCsvReader reader(csv);
    ASSERT_TRUE(reader.readHeader().ok());
    auto back = reader.next();
    ASSERT_TRUE(back.ok() && back->has_value());
    (*back)->id = r.id;
    EXPECT_EQ(**back, r);

    auto other = open(dir / "other.sqlite3");
    EXPECT_EQ(other->import(std::vector{r})->added, 1u);
    EXPECT_EQ(other->import(std::vector{r, everyField()})->alreadyPresent, 1u) << "the same uid is kept once";
    EXPECT_EQ(*other->count({}), 2);
}

TEST(HistoryStore, TheSummaryCsvNeverStartsACellAsAFormulaTheFullExportKeepsTheText) {
    HistoryRecord r = everyField();
    const std::pair<const char*, const char*> cases[] = {
        {"=1+2", "'=1+2"}, {"+1", "'+1"}, {"-2", "'-2"}, {"@SUM(A1)", "'@SUM(A1)"},
        {"TAG=1", "TAG=1"}};
    for (const auto& [tag, shown] : cases) {
        r.idTag = tag;
        const std::string summary = files::HistoryCsvRow(r, files::CsvColumns::Summary);
        EXPECT_NE(summary.find(std::string(",") + shown + ","), std::string::npos) << tag << " in " << summary;
        std::stringstream full(files::HistoryCsvHeader(files::CsvColumns::Full) + files::HistoryCsvRow(r, files::CsvColumns::Full));
        files::HistoryCsvReader reader(full);
        ASSERT_TRUE(reader.readHeader().ok());
        EXPECT_EQ((*reader.next())->idTag, tag);
    }
}

TEST(HistoryStore, EachFilterFindsItsRecordsNewestFirstPageByPage) {
    TempDir dir;
    // A tag filter looks at the two newest rows first, so both of its ways are taken here.
    auto opened = files::OpenSqliteHistory(dir / "h.sqlite3", {Purpose::Record, 5000, 2});
    ASSERT_TRUE(opened.ok());
    auto& store = *opened;
    const std::int64_t day = 86'400'000, t0 = *files::LocalDayStartMs("01.02.2026") + 10 * 3'600'000;
    const std::vector<HistoryRecord> rows = {
        record(t0, "1234", "TT-101", "R4747"),
        record(t0 + day, "1234", "tt-102", "R4747", HistoryOutcome::Failure),
        record(t0 + 2 * day, "77", "LINE-7", "R4737", HistoryOutcome::Differences),
        record(t0 + 3 * day, "1234", "TT-101", "R4747"),
        record(t0 + 3 * day, "12345", "TT_1", "R4747"),   // the same millisecond as the one before
    };
    for (const auto& r : rows) ASSERT_TRUE(store->add(r).ok());
    const auto with = [](auto set) {
        HistoryFilter f;
        set(f);
        return f;
    };
    const auto window = [](const char* since, const char* until) {
        HistoryFilter f;
        f.sinceMs = files::LocalDayStartMs(since), f.untilMs = files::LocalDayEndMs(until);
        return f;
    };
    const struct {
        const char* why;
        HistoryFilter filter;
        std::vector<std::int64_t> ids;   // newest first
    } cases[] = {
        {"no filter", {}, {5, 4, 3, 2, 1}},
        {"a serial number, typed with a leading zero; 12345 is another", with([](HistoryFilter& f) { f.serial = "01234"; }), {4, 2, 1}},
        {"the start of an ID tag, letter case ignored", with([](HistoryFilter& f) { f.idTag = "tt-10"; }), {4, 2, 1}},
        {"an underscore in the tag is a character, not a wildcard", with([](HistoryFilter& f) { f.idTag = "TT_"; }), {5}},
        {"a tag start most records share", with([](HistoryFilter& f) { f.idTag = "t"; }), {5, 4, 2, 1}},
        {"a model", with([](HistoryFilter& f) { f.model = "R4737"; }), {3}},
        {"a date range, the last day included", window("02.02.2026", "2026-02-03"), {3, 2}},
        {"failures and differences", with([](HistoryFilter& f) { f.outcomes = HistoryFilter::Outcomes::Failed; }), {3, 2}},
        {"successes", with([](HistoryFilter& f) { f.outcomes = HistoryFilter::Outcomes::Succeeded; }), {5, 4, 1}},
    };
    for (const auto& c : cases) {
        // Pages of one and of two: a page may end between two records of the same millisecond.
        for (const std::size_t perPage : {1u, 2u}) {
            std::vector<std::int64_t> ids;
            std::optional<files::HistoryPageKey> after;
            do {
                auto page = store->page(c.filter, after, perPage);
                ASSERT_TRUE(page.ok()) << c.why;
                for (const auto& r : page->rows) ids.push_back(r.id);
                EXPECT_FALSE(page->rows.empty() && page->next) << c.why;
                after = page->next;
            } while (after && ids.size() <= rows.size());   // a page that comes again ends it
            EXPECT_EQ(ids, c.ids) << c.why << ", pages of " << perPage;
        }
        EXPECT_EQ(*store->count(c.filter), static_cast<std::int64_t>(c.ids.size())) << c.why;
    }
}

TEST(HistorySchema, AFreshFileIsAHistoryInWalModeWithTheFiltersIndexed) {
    TempDir dir;
    ASSERT_TRUE(open(dir / "h.sqlite3"));
    auto db = files::sql::Database::Open(dir / "h.sqlite3", files::sql::Database::Mode::ReadOnly);
    ASSERT_TRUE(db.ok());
    const auto column = [&](const char* query, int at = 0) {
        auto stmt = files::sql::Statement::Prepare(*db, query);
        std::vector<std::string> out;
        while (stmt && *stmt->step()) out.push_back(stmt->text(at));
        return out;
    };
    EXPECT_EQ(column("PRAGMA journal_mode"), std::vector<std::string>{"wal"});
    EXPECT_EQ(column("SELECT value FROM meta WHERE key = 'version'"), std::vector<std::string>{"2"});
    const auto plan = column("EXPLAIN QUERY PLAN SELECT id FROM records WHERE serial = '1' ORDER BY time_ms DESC", 3);
    ASSERT_EQ(plan.size(), 1u) << "no sort step: the index gives the order";
    EXPECT_NE(plan[0].find("records_serial"), std::string::npos) << plan[0];
    EXPECT_EQ(column("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name IN "
                     "('records_serial', 'records_tag', 'records_model', 'records_failed')"),
              std::vector<std::string>{"4"});
}

TEST(HistorySchema, AFileOfTheFirstLayoutIsMigratedWithItsRecords) {
    TempDir dir;
    {
        auto db = files::sql::Database::Open(dir / "h.sqlite3", files::sql::Database::Mode::ReadWrite);
        ASSERT_TRUE(db.ok() && files::history_schema::MigrateTo(*db, 1).ok());
        ASSERT_TRUE(db->exec("INSERT INTO records(uid, time_ms, operation, outcome, serial, id_tag) "
                             "VALUES ('u1', 1000, 'write', 'success', '55', 'OLD')").ok());
    }
    auto store = open(dir / "h.sqlite3");
    HistoryFilter serial55;
    serial55.serial = "55";
    const auto found = store->page(serial55, {}, 10);
    ASSERT_TRUE(found.ok());
    ASSERT_EQ(found->rows.size(), 1u);
    const auto r = *store->get(found->rows[0].id);
    EXPECT_EQ(std::tuple(r.uid, r.idTag, r.verified, r.restoreOf, r.image.has_value()),
              std::tuple("u1", "OLD", false, "", false));
    EXPECT_TRUE(store->add(record(2000, "56", "NEW", "R4747")).ok()) << "and records go on";
}

TEST(HistorySchema, AFileOfANewerToolIsUsedOnlyWhenItSaysItCanBe) {
    const struct {
        const char* why;
        int version, compatible;
        bool opens;
    } cases[] = {
        {"a layout this tool cannot use: refused, not migrated back", 3, 3, false},
        {"a newer layout that keeps to this one: used as it is", 3, 2, true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path file = dir / "h.sqlite3";
        ASSERT_TRUE(open(file));
        {
            auto db = files::sql::Database::Open(file, files::sql::Database::Mode::ReadWrite);
            ASSERT_TRUE(db->exec("UPDATE meta SET value = " + std::to_string(c.version) + " WHERE key = 'version';"
                                 "UPDATE meta SET value = " + std::to_string(c.compatible) + " WHERE key = 'compatible'").ok());
        }
        const std::string before = bytesOf(file);
        auto store = files::OpenSqliteHistory(file);
        EXPECT_EQ(store.ok(), c.opens) << c.why;
        if (!c.opens) {
            EXPECT_EQ(store.error().code, Errc::Refused) << c.why;
            EXPECT_NE(store.error().message.find("newer version"), std::string::npos) << store.error().message;
            EXPECT_EQ(bytesOf(file), before) << c.why;
        }
    }
}

TEST(HistoryStore, ADamagedFileIsSetAsideNeverOverwrittenAndANewOneStarted) {
    const struct {
        const char* why;
        std::function<void(const fs::path&)> damage;
    } cases[] = {
        {"not a database at all", [](const fs::path& f) { std::ofstream(f, std::ios::binary) << std::string(8192, 'x'); }},
        {"its layout page overwritten", [](const fs::path& f) {
             std::fstream io(f, std::ios::in | std::ios::out | std::ios::binary);
             io.seekp(100);
             io << std::string(3900, '\x5A');
         }},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path file = dir / "h.sqlite3";
        open(file)->add(record(1000, "1", "A", "R4747")).value();
        c.damage(file);
        const std::string damaged = bytesOf(file);
        auto query = files::OpenSqliteHistory(file, {Purpose::Query, 5000});
        ASSERT_FALSE(query.ok()) << c.why;
        EXPECT_EQ(query.error().code, Errc::Corrupt) << c.why;
        EXPECT_EQ(bytesOf(file), damaged) << c.why << ": a query leaves it alone";

        auto store = open(file);
        ASSERT_TRUE(store) << c.why;
        const auto notices = store->takeNotices();
        ASSERT_EQ(notices.size(), 1u) << c.why;
        EXPECT_NE(notices[0].find("set aside as " + file.string() + ".damaged-"), std::string::npos) << notices[0];
        std::vector<fs::path> aside;
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (e.path().filename().string().find(".damaged-") != std::string::npos) aside.push_back(e.path());
        ASSERT_EQ(aside.size(), 1u) << c.why;
        EXPECT_EQ(bytesOf(aside[0]), damaged) << c.why;
        EXPECT_TRUE(store->add(record(2000, "2", "B", "R4747")).ok()) << c.why;
        EXPECT_EQ(*store->count({}), 1) << c.why;
    }
}

TEST(HistoryStore, TwoProcessesRecordingAtTheSameMomentBothLand) {
    TempDir dir;
    const fs::path file = dir / "h.sqlite3";
    ASSERT_TRUE(open(file));
    constexpr int kEach = 40;
    const auto writer = [&file] {
        auto store = files::OpenSqliteHistory(file);
        if (!store) return 2;
        for (int i = 0; i < kEach; ++i)
            if (!(*store)->add(record(1000 + i, "9", "P", "R4747")).ok()) return 1;
        return 0;
    };
    std::vector<pid_t> children;
    for (int n = 0; n < 2; ++n) {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(writer());
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(*open(file)->count({}), 2 * kEach);
}

TEST(HistoryStore, AFullDiskOrAReadOnlyFolderIsReportedToTheCaller) {
    TempDir dir;
    const fs::path file = dir / "h.sqlite3";
    ASSERT_TRUE(open(file)->add(record(1000, "1", "A", "R4747")).ok());
    const int full = inChild([&file] {
        ::signal(SIGXFSZ, SIG_IGN);
        auto recorder = workflow::HistoryRecorder::Open(file, {"op", "host", "0"});
        if (!recorder.available()) return 3;
        const rlimit noGrowth{1, 1};   // not one byte more in any file: a full disk
        ::setrlimit(RLIMIT_FSIZE, &noGrowth);
        const auto stored = recorder.record(record(0, "2", "B", "R4747"), {"COM1", "/dev/ttyS0"});
        return !stored && stored.error().code == Errc::Io ? 0 : 1;
    });
    EXPECT_EQ(full, 0) << "the failed record is reported as an I/O error";
    EXPECT_EQ(*open(file)->count({}), 1) << "what was recorded before is intact";

    const fs::path readOnly = dir / "ro";
    fs::create_directory(readOnly);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const int denied = inChild([&readOnly] {
        // The super-user may write anywhere; an ordinary account may not.
        if (::geteuid() == 0 && (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0))
            return 4;
        auto recorder = workflow::HistoryRecorder::Open(readOnly / "h.sqlite3", {"op", "host", "0"});
        const auto stored = recorder.record(record(0, "2", "B", "R4747"), {"COM1", "/dev/ttyS0"});
        return !recorder.available() && !stored && stored.error().code == Errc::Io ? 0 : 1;
    });
    EXPECT_EQ(denied, 0);
}

TEST(HistoryPlace, OnlyTheStationsOwnDiskIsUsed) {
    const struct {
        unsigned long magic;
        std::optional<std::string_view> network;
    } cases[] = {{0x6969, "NFS"}, {0x517B, "SMB"}, {0xFF534D42, "CIFS"}, {0xFE534D42, "SMB2"},
                 {0xEF53, std::nullopt}, {0x01021994, std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(files::NetworkFileSystemName(c.magic), c.network) << std::hex << c.magic;
    TempDir dir;
    EXPECT_TRUE(files::CheckLocalFolder(dir.path()).ok());
    auto folder = files::OpenSqliteHistory(dir.path());
    ASSERT_FALSE(folder.ok());
    EXPECT_EQ(folder.error().code, Errc::Refused) << "a folder is not a history file";
}

TEST(Sha256, MatchesTheStandardsVectors) {
    const struct {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",   // 56 bytes: the length needs a block of its own
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000, 'a'), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
    };
    for (const auto& c : cases) EXPECT_EQ(Sha256Hex(c.input), c.digest) << c.input.size() << " bytes";
}

}  // namespace
}  // namespace r4860::testing
