#include "files/history_schema.h"

#include <array>
#include <string>
#include <string_view>

namespace r4860::files::history_schema {
namespace {

using sql::Database;
using sql::Statement;
using sql::Transaction;

// Step n takes a file from version n to n + 1. Never edit a step once released: add one.
constexpr std::array<std::string_view, kVersion> kSteps = {
    // 1: the records, ordered by time.
    R"(CREATE TABLE meta(key TEXT PRIMARY KEY, value INTEGER NOT NULL);
       CREATE TABLE records(
           id INTEGER PRIMARY KEY,
           uid TEXT NOT NULL UNIQUE,
           time_ms INTEGER NOT NULL,
           operator TEXT NOT NULL DEFAULT '',
           host TEXT NOT NULL DEFAULT '',
           port TEXT NOT NULL DEFAULT '',
           device_path TEXT NOT NULL DEFAULT '',
           operation TEXT NOT NULL,
           outcome TEXT NOT NULL,
           message TEXT NOT NULL DEFAULT '',
           differences TEXT NOT NULL DEFAULT '',
           model TEXT NOT NULL DEFAULT '',
           serial TEXT NOT NULL DEFAULT '',
           code_version TEXT NOT NULL DEFAULT '',
           id_tag TEXT NOT NULL DEFAULT '',
           cal_date TEXT NOT NULL DEFAULT '',
           config_date TEXT NOT NULL DEFAULT '',
           par_file TEXT NOT NULL DEFAULT '',
           par_hash TEXT NOT NULL DEFAULT '',
           image_before BLOB,
           image BLOB,
           tool_version TEXT NOT NULL DEFAULT '');
       CREATE INDEX records_time ON records(time_ms);)",
    // 2: series programming and restores; the indexes behind the history window's filters.
    R"(ALTER TABLE records ADD COLUMN verified INTEGER NOT NULL DEFAULT 0;
       ALTER TABLE records ADD COLUMN restore_of TEXT NOT NULL DEFAULT '';
       CREATE INDEX records_serial ON records(serial, time_ms);
       CREATE INDEX records_tag ON records(id_tag COLLATE NOCASE, time_ms);
       CREATE INDEX records_model ON records(model, time_ms);
       CREATE INDEX records_failed ON records(time_ms) WHERE outcome <> 'success';)",
};

Result<std::int64_t> scalar(Database& db, std::string_view query) {
    auto stmt = Statement::Prepare(db, query);
    if (!stmt) return stmt.error();
    auto row = stmt->step();
    if (!row) return row.error();
    return *row ? stmt->int64(0) : 0;
}

Result<std::int64_t> metaValue(Database& db, std::string_view key) {
    return scalar(db, "SELECT value FROM meta WHERE key = '" + std::string(key) + "'");
}

struct Layout {
    bool empty = true;       // no tables at all
    bool history = false;    // has our meta table
    std::int64_t version = 0;
    std::int64_t compatible = 0;
};

Result<Layout> layoutOf(Database& db) {
    Layout l;
    auto tables = scalar(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table'");
    if (!tables) return tables.error();
    l.empty = *tables == 0;
    auto meta = scalar(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'meta'");
    if (!meta) return meta.error();
    l.history = *meta != 0;
    if (!l.history) return l;
    auto version = metaValue(db, "version");
    if (!version) return version.error();
    auto compatible = metaValue(db, "compatible");
    if (!compatible) return compatible.error();
    l.version = *version;
    l.compatible = *compatible;
    return l;
}

Status refuseIfForeign(Database& db, const Layout& l) {
    if (l.empty || l.history) return {};
    return makeError(Errc::BadArgument,
                     db.file().string() + ": an SQLite database of something else, not a programming history");
}

Status refuseIfNewer(Database& db, const Layout& l) {
    if (l.compatible <= kVersion) return {};
    return makeError(Errc::Refused, db.file().string() + " was written by a newer version of the tool (history format " +
                                        std::to_string(l.version) + "); this version knows format " +
                                        std::to_string(kVersion) +
                                        " and older. Use the newer version, or another history file.");
}

Status applySteps(Database& db, std::int64_t from, int to) {
    for (auto v = from; v < to; ++v)
        if (auto done = db.exec(kSteps[static_cast<std::size_t>(v)]); !done) return done;
    if (from == 0 && to > 0) {
        if (auto id = db.exec("PRAGMA application_id = " + std::to_string(kApplicationId)); !id) return id;
    }
    const int compatible = to == kVersion ? kCompatibleVersion : to;
    return db.exec("INSERT OR REPLACE INTO meta(key, value) VALUES ('version', " + std::to_string(to) +
                   "), ('compatible', " + std::to_string(compatible) + ")");
}

Status migrate(Database& db, int to) {
    auto before = layoutOf(db);
    if (!before) return before.error();
    if (auto foreign = refuseIfForeign(db, *before); !foreign) return foreign;
    if (auto newer = refuseIfNewer(db, *before); !newer) return newer;
    if (before->history && before->version >= to) return {};
    // Another process may be migrating the same file: decide again under the write lock.
    auto tx = Transaction::Begin(db, Transaction::Kind::Immediate);
    if (!tx) return tx.error();
    auto now = layoutOf(db);
    if (!now) return now.error();
    if (now->history && now->version >= to) return {};
    if (auto applied = applySteps(db, now->history ? now->version : 0, to); !applied) return applied;
    return tx->commit();
}

}  // namespace

Status Prepare(Database& db) { return migrate(db, kVersion); }

Status MigrateTo(Database& db, int version) { return migrate(db, version); }

}  // namespace r4860::files::history_schema
