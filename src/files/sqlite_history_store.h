// The programming history in one SQLite file on the station's own disk: WAL, every record in
// one transaction with a full sync, a busy timeout so a window and a command-line run recording
// at the same moment both land.
#pragma once

#include <filesystem>
#include <memory>

#include "common/result.h"
#include "files/history_store.h"

namespace r4860::files {

struct SqliteHistoryOptions {
    // Record: a missing file (and folder) is created, and a damaged file is set aside, renamed
    // with the time, and a new one started (takeNotices() says so). Query: neither; a missing
    // file is BadArgument ("no history at ...").
    enum class Purpose { Record, Query };
    Purpose purpose = Purpose::Record;
    int busyTimeoutMs = 5000;
    // A page filtered by ID tag looks at this many of the newest rows before it sorts the
    // matches themselves: fast for a tag prefix most records share and for a rare one alike.
    std::size_t tagScanRows = 5000;
};

// Refused on a network file system, for a file written by a newer tool this one cannot use, and
// for what is not a regular file; BadArgument for a database of something else.
[[nodiscard]] Result<std::unique_ptr<HistoryStore>> OpenSqliteHistory(const std::filesystem::path& file,
                                                                      const SqliteHistoryOptions& options = {});

// The name a damaged file is set aside under: "history.sqlite3.damaged-20260201T102030Z".
[[nodiscard]] std::filesystem::path SetAsideName(const std::filesystem::path& file, std::int64_t utcMs);

}  // namespace r4860::files
