#include "files/history_sql.h"

#include <initializer_list>

namespace r4860::files::history_sql {

const std::string_view kColumns =
    "uid, time_ms, operator, host, port, device_path, operation, outcome, message, differences, verified, "
    "model, serial, code_version, id_tag, cal_date, config_date, par_file, par_hash, tool_version, restore_of, "
    "image_before, image";
const std::string_view kSummaryColumns = kColumns.substr(0, kColumns.find(", image_before"));

namespace {

void bindImage(sql::Statement& stmt, int index, const std::optional<model::ConfigImage>& image) {
    if (!image) {
        stmt.bindNull(index);
        return;
    }
    stmt.bindBlob(index, PackImage(*image));
}

std::optional<model::ConfigImage> imageAt(const sql::Statement& stmt, int column) {
    if (stmt.isNull(column)) return std::nullopt;
    return UnpackImage(stmt.blob(column));
}

// "7" for "007": the device counts serial numbers, the operator may type them padded.
std::string serialKey(const std::string& serial) {
    const auto first = serial.find_first_not_of('0');
    if (serial.empty() || serial.find_first_not_of("0123456789") != std::string::npos) return serial;
    return first == std::string::npos ? "0" : serial.substr(first);
}

std::string likePrefix(const std::string& text) {
    std::string pattern;
    for (const char c : text) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern + '%';
}

}  // namespace

void BindRecord(sql::Statement& stmt, const HistoryRecord& r) {
    int i = 0;
    const auto text = [&](std::string_view v) { stmt.bind(++i, v); };
    text(r.uid);
    stmt.bind(++i, r.timeMs);
    for (const std::string* v : {&r.operatorName, &r.host, &r.port, &r.devicePath}) text(*v);
    text(OperationWord(r.operation));
    text(OutcomeWord(r.outcome));
    text(r.message);
    text(DifferencesField(r.differences));
    stmt.bind(++i, std::int64_t{r.verified});
    for (const std::string* v : {&r.model, &r.serial, &r.codeVersion, &r.idTag, &r.calDate, &r.configDate,
                                 &r.parFileName, &r.parFileHash, &r.toolVersion, &r.restoreOf})
        text(*v);
    bindImage(stmt, ++i, r.imageBefore);
    bindImage(stmt, ++i, r.image);
}

HistoryRecord ReadRecord(const sql::Statement& stmt, bool withImages) {
    HistoryRecord r;
    int c = 0;
    r.id = stmt.int64(c++);
    r.uid = stmt.text(c++);
    r.timeMs = stmt.int64(c++);
    r.operatorName = stmt.text(c++);
    r.host = stmt.text(c++);
    r.port = stmt.text(c++);
    r.devicePath = stmt.text(c++);
    // A word a newer tool added reads as the nearest this one knows rather than losing the row.
    r.operation = OperationOfWord(stmt.text(c++)).value_or(HistoryOperation::Write);
    r.outcome = OutcomeOfWord(stmt.text(c++)).value_or(HistoryOutcome::Failure);
    r.message = stmt.text(c++);
    r.differences = DifferencesOfField(stmt.text(c++));
    r.verified = stmt.int64(c++) != 0;
    for (std::string* field : {&r.model, &r.serial, &r.codeVersion, &r.idTag, &r.calDate, &r.configDate,
                               &r.parFileName, &r.parFileHash, &r.toolVersion, &r.restoreOf})
        *field = stmt.text(c++);
    if (withImages) {
        r.imageBefore = imageAt(stmt, c++);
        r.image = imageAt(stmt, c++);
    }
    return r;
}

void Where::bind(sql::Statement& stmt, int first) const {
    int index = first;
    for (const auto& v : values) std::visit([&](const auto& x) { stmt.bind(index++, x); }, v);
}

Where WhereOf(const HistoryFilter& f, const std::optional<HistoryPageKey>& after, bool withTag) {
    using Value = std::variant<std::int64_t, std::string>;
    std::vector<std::string> terms;
    Where w;
    const auto term = [&](std::string sql, std::initializer_list<Value> bound) {
        terms.push_back(std::move(sql));
        w.values.insert(w.values.end(), bound);
    };
    if (!f.serial.empty()) term("serial = ?", {serialKey(f.serial)});
    if (withTag && !f.idTag.empty()) term("id_tag LIKE ? ESCAPE '\\'", {likePrefix(f.idTag)});
    if (!f.model.empty()) term("model = ?", {f.model});
    if (f.sinceMs) term("time_ms >= ?", {*f.sinceMs});
    if (f.untilMs) term("time_ms < ?", {*f.untilMs});
    if (f.outcomes == HistoryFilter::Outcomes::Succeeded) term("outcome = 'success'", {});
    if (f.outcomes == HistoryFilter::Outcomes::Failed) term("outcome <> 'success'", {});
    if (after) term("(time_ms < ? OR (time_ms = ? AND id < ?))", {after->timeMs, after->timeMs, after->id});
    for (std::size_t i = 0; i < terms.size(); ++i) w.sql += (i == 0 ? " WHERE " : " AND ") + terms[i];
    return w;
}

Where TagTerm(const HistoryFilter& f) {
    Where w;
    w.sql = " WHERE id_tag LIKE ? ESCAPE '\\'";
    w.values.emplace_back(likePrefix(f.idTag));
    return w;
}

}  // namespace r4860::files::history_sql
