#include "files/sqlite_history_store.h"

#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <optional>
#include <system_error>

#include "files/history_place.h"
#include "files/history_schema.h"
#include "files/history_sql.h"
#include "files/sqlite_db.h"

namespace r4860::files {
namespace fs = std::filesystem;

namespace {

using Purpose = SqliteHistoryOptions::Purpose;
using sql::Database;
using sql::Statement;
using sql::Transaction;

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

std::optional<FileIdentity> identityOf(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
}

std::string insertSql(bool keepOnce) {
    std::string placeholders;
    for (int i = 0; i < history_sql::kColumnCount; ++i) placeholders += i ? ", ?" : "?";
    return "INSERT INTO records(" + std::string(history_sql::kColumns) + ") VALUES (" + placeholders + ")" +
           (keepOnce ? " ON CONFLICT(uid) DO NOTHING" : "");
}

class SqliteHistoryStore final : public HistoryStore {
public:
    SqliteHistoryStore(fs::path file, SqliteHistoryOptions options) : m_file(std::move(file)), m_options(options) {}

    Status connect();
    Status connectOrSetAside();

    Result<std::int64_t> add(const HistoryRecord& record) override;
    Result<HistoryPage> page(const HistoryFilter& filter, const std::optional<HistoryPageKey>& after,
                             std::size_t limit) override;
    Result<std::int64_t> count(const HistoryFilter& filter) override;
    Result<HistoryRecord> get(std::int64_t id) override;
    Status forEach(const HistoryFilter& filter, const std::function<bool(const HistoryRecord&)>& visit) override;
    Result<ImportSummary> import(std::span<const HistoryRecord> records) override;
    std::string location() const override { return m_file.string(); }
    std::vector<std::string> takeNotices() override { return std::exchange(m_notices, {}); }

private:
    Result<std::int64_t> insert(const HistoryRecord& record);
    Result<HistoryPage> pageQuery(const HistoryFilter& filter, const std::optional<HistoryPageKey>& after,
                                  std::size_t limit, std::size_t scanRows);
    Status setAside();

    fs::path m_file;
    SqliteHistoryOptions m_options;
    std::optional<Database> m_db;
    std::optional<FileIdentity> m_identity;   // of the file m_db has open
    std::vector<std::string> m_notices;
};

Status SqliteHistoryStore::connect() {
    m_db.reset();
    auto db = Database::Open(m_file, Database::Mode::ReadWrite);
    // A history on a read-only medium can still be searched.
    if (!db && m_options.purpose == Purpose::Query) db = Database::Open(m_file, Database::Mode::ReadOnly);
    if (!db) return db.error();
    m_identity = identityOf(m_file);
    db->setBusyTimeout(m_options.busyTimeoutMs);
    // journal_mode answers with a row; exec ignores it. A read-only connection keeps the file's mode.
    if (auto wal = db->exec("PRAGMA journal_mode = WAL"); !wal && wal.error().code == Errc::Corrupt) return wal;
    if (auto sync = db->exec("PRAGMA synchronous = FULL"); !sync) return sync;
    if (auto schema = history_schema::Prepare(*db); !schema) return schema;
    m_db = std::move(*db);
    return {};
}

Status SqliteHistoryStore::setAside() {
    m_db.reset();
    const auto aside = SetAsideName(m_file, nowMs());
    // Another process may have set it aside already: then the file here is a new, sound one.
    if (identityOf(m_file) == m_identity) {
        std::error_code ec;
        fs::rename(m_file, aside, ec);
        if (ec) return makeError(Errc::Io, m_file.string() + ": damaged, and cannot be set aside: " + ec.message());
        // Its journal files belong to it: left here, SQLite would apply them to the new file.
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            fs::path from = m_file, to = aside;
            from += suffix;
            to += suffix;
            if (fs::exists(from, ec)) fs::rename(from, to, ec);
        }
        m_notices.push_back("the history " + m_file.string() + " was damaged; it was set aside as " + aside.string() +
                            " and a new one started");
    }
    return connect();
}

Status SqliteHistoryStore::connectOrSetAside() {
    auto connected = connect();
    if (connected || connected.error().code != Errc::Corrupt || m_options.purpose != Purpose::Record)
        return connected;
    return setAside();
}

Result<std::int64_t> SqliteHistoryStore::insert(const HistoryRecord& record) {
    if (!m_db) return makeError(Errc::Io, m_file.string() + ": not open");
    auto tx = Transaction::Begin(*m_db, Transaction::Kind::Immediate);
    if (!tx) return tx.error();
    auto stmt = Statement::Prepare(*m_db, insertSql(false));
    if (!stmt) return stmt.error();
    history_sql::BindRecord(*stmt, record);
    if (auto ran = stmt->run(); !ran) return ran.error();
    const std::int64_t id = m_db->lastInsertRowId();
    if (auto committed = tx->commit(); !committed) return committed.error();
    return id;
}

Result<std::int64_t> SqliteHistoryStore::add(const HistoryRecord& record) {
    if (record.uid.empty() || record.timeMs == 0) return makeError(Errc::BadArgument, "a record without uid or time");
    auto id = insert(record);
    if (id || id.error().code != Errc::Corrupt || m_options.purpose != Purpose::Record) return id;
    if (auto fresh = setAside(); !fresh) return fresh.error();
    return insert(record);
}

Result<HistoryPage> SqliteHistoryStore::page(const HistoryFilter& filter, const std::optional<HistoryPageKey>& after,
                                             std::size_t limit) {
    // The tag index gives the matches grouped by tag, not by time: a short prefix would have
    // every row sorted for each page. The newest rows are looked at first instead; when they
    // hold a page of matches it is the right page, and when they do not, the matches are few
    // enough that sorting them is cheap.
    if (!filter.idTag.empty()) {
        auto newest = pageQuery(filter, after, limit, m_options.tagScanRows);
        if (!newest || newest->next) return newest;
    }
    return pageQuery(filter, after, limit, 0);
}

Result<HistoryPage> SqliteHistoryStore::pageQuery(const HistoryFilter& filter,
                                                  const std::optional<HistoryPageKey>& after, std::size_t limit,
                                                  std::size_t scanRows) {
    if (!m_db) return makeError(Errc::Io, m_file.string() + ": not open");
    const std::string columns = "id, " + std::string(history_sql::kSummaryColumns);
    const std::string order = " ORDER BY time_ms DESC, id DESC LIMIT ";
    const auto where = history_sql::WhereOf(filter, after, scanRows == 0);
    const auto tag = history_sql::TagTerm(filter);
    // One row more than asked tells whether another page follows.
    const std::string rows = "SELECT " + columns + " FROM records" + where.sql + order;
    const std::string sql = scanRows == 0 ? rows + std::to_string(limit + 1)
                                          : "SELECT * FROM (" + rows + std::to_string(scanRows) + ")" + tag.sql + order +
                                                std::to_string(limit + 1);
    auto stmt = Statement::Prepare(*m_db, sql);
    if (!stmt) return stmt.error();
    where.bind(*stmt);
    if (scanRows != 0) tag.bind(*stmt, static_cast<int>(where.values.size()) + 1);
    HistoryPage page;
    for (;;) {
        auto row = stmt->step();
        if (!row) return row.error();
        if (!*row) break;
        if (page.rows.size() == limit) {
            page.next = HistoryPageKey{page.rows.back().timeMs, page.rows.back().id};
            break;
        }
        page.rows.push_back(history_sql::ReadRecord(*stmt, false));
    }
    return page;
}

Result<std::int64_t> SqliteHistoryStore::count(const HistoryFilter& filter) {
    if (!m_db) return makeError(Errc::Io, m_file.string() + ": not open");
    const auto where = history_sql::WhereOf(filter);
    auto stmt = Statement::Prepare(*m_db, "SELECT count(*) FROM records" + where.sql);
    if (!stmt) return stmt.error();
    where.bind(*stmt);
    auto row = stmt->step();
    if (!row) return row.error();
    return stmt->int64(0);
}

Result<HistoryRecord> SqliteHistoryStore::get(std::int64_t id) {
    if (!m_db) return makeError(Errc::Io, m_file.string() + ": not open");
    auto stmt = Statement::Prepare(*m_db, "SELECT id, " + std::string(history_sql::kColumns) +
                                              " FROM records WHERE id = ?");
    if (!stmt) return stmt.error();
    stmt->bind(1, id);
    auto row = stmt->step();
    if (!row) return row.error();
    if (!*row) return makeError(Errc::BadArgument, "no record " + std::to_string(id) + " in " + m_file.string());
    return history_sql::ReadRecord(*stmt, true);
}

Status SqliteHistoryStore::forEach(const HistoryFilter& filter,
                                   const std::function<bool(const HistoryRecord&)>& visit) {
    if (!m_db) return makeError(Errc::Io, m_file.string() + ": not open");
    const auto where = history_sql::WhereOf(filter);
    auto stmt = Statement::Prepare(*m_db, "SELECT id, " + std::string(history_sql::kColumns) + " FROM records" +
                                              where.sql + " ORDER BY time_ms, id");
    if (!stmt) return stmt.error();
    where.bind(*stmt);
    for (;;) {
        auto row = stmt->step();
        if (!row) return row.error();
        if (!*row || !visit(history_sql::ReadRecord(*stmt, true))) return {};
    }
}

Result<ImportSummary> SqliteHistoryStore::import(std::span<const HistoryRecord> records) {
    if (!m_db) return makeError(Errc::Io, m_file.string() + ": not open");
    for (const auto& r : records)
        if (r.uid.empty()) return makeError(Errc::BadArgument, "a record without uid cannot be imported");
    auto tx = Transaction::Begin(*m_db, Transaction::Kind::Immediate);
    if (!tx) return tx.error();
    auto stmt = Statement::Prepare(*m_db, insertSql(true));
    if (!stmt) return stmt.error();
    ImportSummary summary;
    for (const auto& r : records) {
        stmt->reset();
        history_sql::BindRecord(*stmt, r);
        if (auto ran = stmt->run(); !ran) return ran.error();
        ++(m_db->changes() == 1 ? summary.added : summary.alreadyPresent);
    }
    if (auto committed = tx->commit(); !committed) return committed.error();
    return summary;
}

Result<fs::path> placeOf(const fs::path& given, Purpose purpose) {
    std::error_code ec;
    const auto status = fs::status(given, ec);
    if (!fs::exists(status)) {
        if (purpose == Purpose::Query) return makeError(Errc::BadArgument, "no history at " + given.string() + " yet");
        const fs::path folder = given.parent_path().empty() ? fs::path(".") : given.parent_path();
        fs::create_directories(folder, ec);
        if (ec) return makeError(Errc::Io, folder.string() + ": " + ec.message());
        return given;
    }
    if (!fs::is_regular_file(status))
        return makeError(Errc::Refused, given.string() + ": not a regular file; the history is kept in a file");
    // A link stays a link: the records go where it points, and a set-aside file is renamed there.
    const fs::path real = fs::canonical(given, ec);
    return ec ? given : real;
}

}  // namespace

fs::path SetAsideName(const fs::path& file, std::int64_t utcMs) {
    const std::time_t seconds = static_cast<std::time_t>(utcMs / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    fs::path aside = file;
    aside += std::string(".damaged-") + stamp;
    for (int n = 2; fs::exists(aside); ++n) {
        aside = file;
        aside += std::string(".damaged-") + stamp + "-" + std::to_string(n);
    }
    return aside;
}

Result<std::unique_ptr<HistoryStore>> OpenSqliteHistory(const fs::path& file, const SqliteHistoryOptions& options) {
    auto place = placeOf(file, options.purpose);
    if (!place) return place.error();
    const fs::path folder = place->parent_path().empty() ? fs::path(".") : place->parent_path();
    if (auto local = CheckLocalFolder(folder); !local) return local.error();
    auto store = std::make_unique<SqliteHistoryStore>(*place, options);
    if (auto connected = store->connectOrSetAside(); !connected) return connected.error();
    return std::unique_ptr<HistoryStore>(std::move(store));
}

}  // namespace r4860::files
