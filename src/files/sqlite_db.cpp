#include "files/sqlite_db.h"

#include <sqlite3.h>

#include <cstring>
#include <utility>

namespace r4860::files::sql {

Error ErrorOf(int resultCode, std::string message) {
    switch (resultCode & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return makeError(Errc::Timeout, std::move(message));
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return makeError(Errc::Corrupt, std::move(message));
    default: return makeError(Errc::Io, std::move(message));
    }
}

Result<Database> Database::Open(const std::filesystem::path& file, Mode mode) {
    sqlite3* db = nullptr;
    const int flags = (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                      SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        if (db && sqlite3_system_errno(db) != 0) why += " (" + std::string(std::strerror(sqlite3_system_errno(db))) + ")";
        sqlite3_close_v2(db);
        return ErrorOf(rc, file.string() + ": " + why);
    }
    sqlite3_extended_result_codes(db, 1);
    return Database(db, file);
}

Database::Database(Database&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_file(std::move(other.m_file)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        sqlite3_close_v2(m_db);
        m_db = std::exchange(other.m_db, nullptr);
        m_file = std::move(other.m_file);
    }
    return *this;
}

Database::~Database() { sqlite3_close_v2(m_db); }

Status Database::exec(std::string_view sql) {
    const std::string text(sql);
    const int rc = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return lastError(rc);
    return {};
}

void Database::setBusyTimeout(int milliseconds) { sqlite3_busy_timeout(m_db, milliseconds); }

std::int64_t Database::lastInsertRowId() const { return sqlite3_last_insert_rowid(m_db); }

int Database::changes() const { return sqlite3_changes(m_db); }

Error Database::lastError(int resultCode) const {
    std::string why = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(resultCode);
    // A full disk or a file size limit reaches SQLite as a failed write: say which.
    const int primary = resultCode & 0xFF;
    const bool systemCall = primary == SQLITE_IOERR || primary == SQLITE_FULL || primary == SQLITE_CANTOPEN;
    if (m_db && systemCall && sqlite3_system_errno(m_db) != 0)
        why += " (" + std::string(std::strerror(sqlite3_system_errno(m_db))) + ")";
    return ErrorOf(resultCode, m_file.string() + ": " + why);
}

Result<Statement> Statement::Prepare(Database& db, std::string_view sql) {
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) return db.lastError(rc);
    return Statement(db, stmt);
}

Statement::Statement(Statement&& other) noexcept
    : m_db(other.m_db), m_stmt(std::exchange(other.m_stmt, nullptr)), m_bindError(other.m_bindError) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_bindError = other.m_bindError;
    }
    return *this;
}

Statement::~Statement() { sqlite3_finalize(m_stmt); }

void Statement::noteBind(int resultCode) {
    if (resultCode != SQLITE_OK && m_bindError == 0) m_bindError = resultCode;
}

Statement& Statement::bind(int index, std::int64_t value) {
    noteBind(sqlite3_bind_int64(m_stmt, index, value));
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    noteBind(sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
}

Statement& Statement::bindBlob(int index, std::span<const std::uint8_t> bytes) {
    noteBind(sqlite3_bind_blob(m_stmt, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT));
    return *this;
}

Statement& Statement::bindNull(int index) {
    noteBind(sqlite3_bind_null(m_stmt, index));
    return *this;
}

Result<bool> Statement::step() {
    if (m_bindError != 0) return m_db->lastError(m_bindError);
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    return m_db->lastError(rc);
}

Status Statement::run() {
    for (;;) {
        auto row = step();
        if (!row) return row.error();
        if (!*row) return {};
    }
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    m_bindError = 0;
}

bool Statement::isNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }

std::int64_t Statement::int64(int column) const { return sqlite3_column_int64(m_stmt, column); }

std::string Statement::text(int column) const {
    const auto* p = sqlite3_column_text(m_stmt, column);
    const int n = sqlite3_column_bytes(m_stmt, column);
    return p ? std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n)) : std::string();
}

std::vector<std::uint8_t> Statement::blob(int column) const {
    const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_stmt, column));
    const int n = sqlite3_column_bytes(m_stmt, column);
    return p ? std::vector<std::uint8_t>(p, p + n) : std::vector<std::uint8_t>();
}

Result<Transaction> Transaction::Begin(Database& db, Kind kind) {
    if (auto begun = db.exec(kind == Kind::Immediate ? "BEGIN IMMEDIATE" : "BEGIN"); !begun) return begun.error();
    return Transaction(db);
}

Transaction::Transaction(Transaction&& other) noexcept : m_db(other.m_db), m_open(std::exchange(other.m_open, false)) {}

Transaction::~Transaction() {
    // A failed COMMIT may already have rolled back; ROLLBACK then fails harmlessly.
    if (m_open) (void)m_db->exec("ROLLBACK");
}

Status Transaction::commit() {
    auto done = m_db->exec("COMMIT");
    if (done) m_open = false;
    return done;
}

}  // namespace r4860::files::sql
