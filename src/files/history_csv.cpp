#include "files/history_csv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "files/history_time.h"

namespace r4860::files {
namespace {

constexpr std::array<std::string_view, 15> kSummary = {
    "id", "time", "operation", "outcome", "model", "serial", "id_tag", "code_version", "config_date",
    "operator", "host", "port", "par_file", "message", "differences"};
constexpr std::array<std::string_view, 23> kFull = {
    "uid", "time_utc", "operator", "host", "port", "device_path", "operation", "outcome", "message",
    "differences", "verified", "model", "serial", "code_version", "id_tag", "cal_date", "config_date",
    "par_file", "par_hash", "tool_version", "restore_of", "image_before", "image"};

std::string quoted(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string out = "\"";
    for (const char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + '"';
}

// A spreadsheet takes a cell starting with one of these as a formula (a tag "=HYPERLINK(...)"
// would run when the summary is opened); the apostrophe makes it text. The Full export is read
// back by the tool itself and keeps its fields as they are.
std::string inert(std::string text) {
    if (!text.empty() && std::string_view("=+-@").find(text.front()) != std::string_view::npos) text.insert(0, 1, '\'');
    return text;
}

std::string hex(const std::optional<model::ConfigImage>& image) {
    if (!image) return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const std::uint8_t b : PackImage(*image)) {
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
    }
    return out;
}

Result<std::optional<model::ConfigImage>> imageOfHex(std::string_view text) {
    if (text.empty()) return std::optional<model::ConfigImage>{};
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        std::uint8_t b = 0;
        const auto [end, ec] = std::from_chars(text.data() + i, text.data() + i + 2, b, 16);
        if (ec != std::errc() || end != text.data() + i + 2)
            return makeError(Errc::Corrupt, "an image that is not hex");
        bytes.push_back(b);
    }
    auto image = UnpackImage(bytes);
    if (!image || text.size() % 2 != 0) return makeError(Errc::Corrupt, "an image of the wrong size");
    return std::optional<model::ConfigImage>{*image};
}

std::string differencesText(const std::vector<model::ItemDifference>& items) {
    std::string text;
    for (const auto& d : items) {
        if (!text.empty()) text += "; ";
        text += d.item;
        if (!d.expected.empty() || !d.actual.empty()) text += ": " + d.expected + " -> " + d.actual;
    }
    return text;
}

std::vector<std::string> fullFields(const HistoryRecord& r) {
    return {r.uid, UtcStamp(r.timeMs), r.operatorName, r.host, r.port, r.devicePath,
            std::string(OperationWord(r.operation)), std::string(OutcomeWord(r.outcome)), r.message,
            DifferencesField(r.differences), r.verified ? "1" : "0", r.model, r.serial, r.codeVersion, r.idTag,
            r.calDate, r.configDate, r.parFileName, r.parFileHash, r.toolVersion, r.restoreOf, hex(r.imageBefore),
            hex(r.image)};
}

std::vector<std::string> summaryFields(const HistoryRecord& r) {
    std::vector<std::string> fields = {std::to_string(r.id), LocalTimeText(r.timeMs), std::string(OperationWord(r.operation)),
            std::string(OutcomeWord(r.outcome)), r.model, r.serial, r.idTag, r.codeVersion, r.configDate,
            r.operatorName, r.host, r.port, r.parFileName, r.message, differencesText(r.differences)};
    for (auto& f : fields) f = inert(std::move(f));
    return fields;
}

template <class Names>
std::string joined(const Names& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + quoted(fields[i]);
    return line + "\r\n";
}

}  // namespace

std::string HistoryCsvHeader(CsvColumns columns) {
    return columns == CsvColumns::Full ? joined(kFull) : joined(kSummary);
}

std::string HistoryCsvRow(const HistoryRecord& record, CsvColumns columns) {
    return joined(columns == CsvColumns::Full ? fullFields(record) : summaryFields(record));
}

bool HistoryCsvReader::readRow(std::vector<std::string>& fields) {
    fields.assign(1, {});
    m_line = m_nextLine;
    bool inQuotes = false, any = false;
    for (int c; (c = m_in.get()) != std::char_traits<char>::eof();) {
        any = true;
        if (c == '\n') ++m_nextLine;
        if (inQuotes) {
            if (c != '"') fields.back() += static_cast<char>(c);
            else if (m_in.peek() == '"') fields.back() += static_cast<char>(m_in.get());
            else inQuotes = false;
        } else if (c == '"') {
            inQuotes = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            if (!fields.back().empty() && fields.back().back() == '\r') fields.back().pop_back();
            return true;
        } else {
            fields.back() += static_cast<char>(c);
        }
    }
    return any;
}

const std::string* HistoryCsvReader::field(const std::vector<std::string>& row, std::string_view name) const {
    const auto at = std::find(m_header.begin(), m_header.end(), name);
    if (at == m_header.end()) return nullptr;
    const auto index = static_cast<std::size_t>(at - m_header.begin());
    return index < row.size() ? &row[index] : nullptr;
}

Status HistoryCsvReader::readHeader() {
    if (!readRow(m_header)) return makeError(Errc::Corrupt, "an empty file, not a history export");
    for (const char* required : {"uid", "time_utc", "operation", "outcome"})
        if (std::find(m_header.begin(), m_header.end(), required) == m_header.end())
            return makeError(Errc::Corrupt, std::string("not a history export (no column ") + required + ")");
    return {};
}

Result<std::optional<HistoryRecord>> HistoryCsvReader::next() {
    std::vector<std::string> row;
    do {
        if (!readRow(row)) return std::optional<HistoryRecord>{};
    } while (row.size() == 1 && row.front().empty());   // blank lines
    const auto bad = [this](const std::string& why) {
        return makeError(Errc::Corrupt, "line " + std::to_string(m_line) + ": " + why);
    };
    const auto text = [&](std::string_view name) {
        const std::string* f = field(row, name);
        return f ? *f : std::string();
    };
    HistoryRecord r;
    r.uid = text("uid");
    const auto time = ParseUtcStamp(text("time_utc"));
    const auto operation = OperationOfWord(text("operation"));
    const auto outcome = OutcomeOfWord(text("outcome"));
    if (r.uid.empty() || !time || !operation || !outcome) return bad("not a history record");
    r.timeMs = *time;
    r.operation = *operation;
    r.outcome = *outcome;
    r.operatorName = text("operator"), r.host = text("host"), r.port = text("port");
    r.devicePath = text("device_path"), r.message = text("message");
    r.differences = DifferencesOfField(text("differences"));
    r.verified = text("verified") == "1";
    r.model = text("model"), r.serial = text("serial"), r.codeVersion = text("code_version");
    r.idTag = text("id_tag"), r.calDate = text("cal_date"), r.configDate = text("config_date");
    r.parFileName = text("par_file"), r.parFileHash = text("par_hash"), r.toolVersion = text("tool_version");
    r.restoreOf = text("restore_of");
    auto before = imageOfHex(text("image_before"));
    auto image = imageOfHex(text("image"));
    if (!before || !image) return bad((before ? image : before).error().message);
    r.imageBefore = *before;
    r.image = *image;
    return std::optional<HistoryRecord>{std::move(r)};
}

}  // namespace r4860::files
