// History records as CSV (RFC 4180, UTF-8, CR LF): the shown records for a spreadsheet, and
// every field with the images for another station's import, which reads columns by name.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"
#include "files/history_record.h"

namespace r4860::files {

enum class CsvColumns {
    Summary,  // what the history table shows, times local
    Full,     // every field, times UTC, images in hex: the exchange between stations
};

[[nodiscard]] std::string HistoryCsvHeader(CsvColumns columns);
[[nodiscard]] std::string HistoryCsvRow(const HistoryRecord& record, CsvColumns columns);

// Reads a Full export row by row, so a large one never has to fit in memory.
class HistoryCsvReader {
public:
    explicit HistoryCsvReader(std::istream& in) : m_in(in) {}
    // Corrupt when the first row is not the header of a Full export.
    [[nodiscard]] Status readHeader();
    // The next record, nothing at the end; Corrupt naming the line of a row that is not one.
    [[nodiscard]] Result<std::optional<HistoryRecord>> next();

private:
    bool readRow(std::vector<std::string>& fields);
    [[nodiscard]] const std::string* field(const std::vector<std::string>& row, std::string_view name) const;

    std::istream& m_in;
    std::vector<std::string> m_header;
    std::size_t m_line = 0;   // of the row being read
    std::size_t m_nextLine = 1;
};

}  // namespace r4860::files
