// A thin RAII layer over SQLite's C API: one connection, its prepared statements and its
// transactions, with SQLite's result codes turned into the core's errors once, here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

struct sqlite3;
struct sqlite3_stmt;

namespace r4860::files::sql {

// Errc by what the caller does next: Timeout for a database another connection keeps locked
// (try again later), Corrupt for a damaged file or one that is no database, Io for the rest
// (full disk, read-only folder, a file that cannot be opened), with the system's reason.
[[nodiscard]] Error ErrorOf(int resultCode, std::string message);

class Database {
public:
    enum class Mode { ReadWrite, ReadOnly };  // ReadWrite creates a missing file

    // Opening is lazy in SQLite: a damaged file shows itself at the first statement.
    [[nodiscard]] static Result<Database> Open(const std::filesystem::path& file, Mode mode);
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    ~Database();

    // Statements without results, separated by ';'.
    Status exec(std::string_view sql);
    void setBusyTimeout(int milliseconds);
    [[nodiscard]] std::int64_t lastInsertRowId() const;
    [[nodiscard]] int changes() const;
    // The connection's last failure as an error naming the file.
    [[nodiscard]] Error lastError(int resultCode) const;
    [[nodiscard]] const std::filesystem::path& file() const noexcept { return m_file; }
    [[nodiscard]] sqlite3* handle() const noexcept { return m_db; }

private:
    Database(sqlite3* db, std::filesystem::path file) : m_db(db), m_file(std::move(file)) {}
    sqlite3* m_db = nullptr;
    std::filesystem::path m_file;
};

// Parameters are bound by index from 1, columns read by index from 0, as in SQLite itself.
class Statement {
public:
    [[nodiscard]] static Result<Statement> Prepare(Database& db, std::string_view sql);
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    ~Statement();

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view text);
    Statement& bindBlob(int index, std::span<const std::uint8_t> bytes);
    Statement& bindNull(int index);

    // True with a row to read, false when done; a failed bind shows up here.
    [[nodiscard]] Result<bool> step();
    // Runs to the end, for statements without rows.
    [[nodiscard]] Status run();
    // Ready to run again with new bindings.
    void reset();

    [[nodiscard]] bool isNull(int column) const;
    [[nodiscard]] std::int64_t int64(int column) const;
    [[nodiscard]] std::string text(int column) const;
    [[nodiscard]] std::vector<std::uint8_t> blob(int column) const;

private:
    Statement(Database& db, sqlite3_stmt* stmt) : m_db(&db), m_stmt(stmt) {}
    void noteBind(int resultCode);
    Database* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    int m_bindError = 0;
};

// Begun in the constructor, rolled back unless committed: a failure half-way through a record
// leaves nothing of it behind.
class Transaction {
public:
    // Immediate takes the write lock at once, so a busy database waits here (busy timeout)
    // rather than failing later when a reader would have to turn writer.
    enum class Kind { Deferred, Immediate };
    [[nodiscard]] static Result<Transaction> Begin(Database& db, Kind kind);
    Transaction(Transaction&& other) noexcept;
    Transaction& operator=(Transaction&&) = delete;
    ~Transaction();
    [[nodiscard]] Status commit();

private:
    explicit Transaction(Database& db) : m_db(&db) {}
    Database* m_db;
    bool m_open = true;
};

}  // namespace r4860::files::sql
