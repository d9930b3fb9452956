// User tables (.dat): (result, signal) pairs for a user sensor or a table-defined conversion,
// read into the record's point table with the checks that make it usable by the transducer.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"
#include "model/config_record.h"

namespace r4860::files {

inline constexpr std::size_t kMaxTableLines = 3000;

// Failure messages: translation keys, empty when there is nothing more to say than "corrupted".
inline constexpr const char* kValuesShouldRise = "Values should rise";
inline constexpr const char* kRiseOrFall = "1st column values should rise or fall";
inline constexpr const char* kValueOutOfRange = "Value out of range";
inline constexpr const char* kNotEnoughPoints = "Not enough points";
// Beyond those: a file that is not a table at all, or not all of it could be taken.
inline constexpr const char* kTooManyLines = "More than 3000 lines";
inline constexpr const char* kNotText = "Not a text file";
inline constexpr const char* kFileTooLarge = "File too large";
inline constexpr const char* kMixedSeparators = "Mixed decimal separators";

// A table file is at most 3000 lines; a megabyte leaves room for long comments.
inline constexpr std::size_t kMaxTableFileBytes = 1u << 20;

struct TableParseOutcome {
    bool ok = false;
    std::string message;         // one of the keys above, or empty
    std::size_t failedLine = 0;  // 0-based index of the line that failed (meaningful when !ok)
};

// Reads the lines into rec.Table, which is replaced only when the whole table is good: a table
// is taken whole or not at all. The checks depend on rec.TableInputType and the live range of
// that input; beyond the order and range rules, a data line after the 3000th, a control
// character, equal signals on two points and a file that writes decimals with a point in one
// place and a comma in another (where a comma might as well separate thousands) are refused.
[[nodiscard]] TableParseOutcome ParseTable(std::span<const std::string> lines, model::ConfigRecord& rec);

struct LoadedTable {
    std::vector<std::string> lines;  // what the table window shows, at most 3000 lines
    TableParseOutcome outcome;
};

// Reads `file` (UTF-8, else Windows-1250) and parses it into `rec`. Io when the file cannot be
// read; a file that reads but does not parse, or is larger than kMaxTableFileBytes, is a
// successful load with outcome.ok false.
[[nodiscard]] Result<LoadedTable> LoadTableFile(const std::filesystem::path& file, model::ConfigRecord& rec);

// The operator's warning for a failed parse: the translated "Corrupted or wrong data file" + "!",
// then CR + "(" + translated message + ".)" when there is a message.
[[nodiscard]] std::string TableFailureText(const std::string& message);

// The name part of a configuration's table file, whether the path was written here or on
// Windows ("C:\\Tablice\\pt.dat" gives "pt.dat"): the folder is where the file was then, not now.
[[nodiscard]] std::string TableFileName(std::string_view file);

// Live range row 15 = the table's result range in tenths, each end moved away from zero by
// 0.000001 and truncated toward zero. Does nothing for an empty table.
void SetTableRange(model::ConfigRecord& rec);

}  // namespace r4860::files
