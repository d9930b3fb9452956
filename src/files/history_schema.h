// The history database's layout and its forward migrations. The meta table keeps the layout's
// version and the oldest version a tool must know to use the file: a tool refuses a file
// written for a layout it cannot use, and never migrates one backwards.
#pragma once

#include "common/result.h"
#include "files/sqlite_db.h"

namespace r4860::files::history_schema {

inline constexpr int kVersion = 2;
// Version 2 only added columns with defaults and indexes: a version-1 tool can still use it.
inline constexpr int kCompatibleVersion = 1;
// "R486" in the database header: the file is a history, not some other SQLite database.
inline constexpr int kApplicationId = 0x52343836;

// Brings the file to kVersion in one transaction, creating the layout in an empty file. Refused
// for a file of a newer tool that this one cannot use; BadArgument for a database of something
// else; Corrupt for a damaged file.
[[nodiscard]] Status Prepare(sql::Database& db);
// The migrations up to `version` only: how a test makes the file an older tool left.
[[nodiscard]] Status MigrateTo(sql::Database& db, int version);

}  // namespace r4860::files::history_schema
