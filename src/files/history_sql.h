// The records table seen from SQL: its column list, a record bound to an insert and read back
// from a row, and the WHERE clause of a filter. Shared by the store's writes and queries.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "files/history_record.h"
#include "files/history_store.h"
#include "files/sqlite_db.h"

namespace r4860::files::history_sql {

// Every column but the id, in the order BindRecord binds them; the two images last.
extern const std::string_view kColumns;
// The same without the images, for the table's pages.
extern const std::string_view kSummaryColumns;
inline constexpr int kColumnCount = 23;

// Binds the record's fields to parameters 1..kColumnCount.
void BindRecord(sql::Statement& stmt, const HistoryRecord& record);
// Reads a row of "id, " + kColumns (withImages) or "id, " + kSummaryColumns.
[[nodiscard]] HistoryRecord ReadRecord(const sql::Statement& stmt, bool withImages);

// " WHERE ..." (or "") for the filter and the page position, and how to bind its parameters,
// which are numbered from 1.
struct Where {
    std::string sql;
    std::function<void(sql::Statement&)> bind;
};
[[nodiscard]] Where WhereOf(const HistoryFilter& filter, const std::optional<HistoryPageKey>& after = {});

}  // namespace r4860::files::history_sql
