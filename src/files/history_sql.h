// The records table seen from SQL: its column list, a record bound to an insert and read back
// from a row, and the WHERE clause of a filter. Shared by the store's writes and queries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

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

// " WHERE ..." (or "") for the filter and the page position, with its parameters in order.
struct Where {
    std::string sql;
    std::vector<std::variant<std::int64_t, std::string>> values;
    // Binds the values to parameters first, first + 1, ...
    void bind(sql::Statement& stmt, int first = 1) const;
};
// `withTag` false leaves the ID tag out, for a query that applies it on its own.
[[nodiscard]] Where WhereOf(const HistoryFilter& filter, const std::optional<HistoryPageKey>& after = {},
                            bool withTag = true);
// The ID tag's term, " id_tag LIKE ? ESCAPE ...", and its one value.
[[nodiscard]] Where TagTerm(const HistoryFilter& filter);

}  // namespace r4860::files::history_sql
