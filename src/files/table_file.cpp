#include "files/table_file.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "common/lang_table.h"
#include "common/number_text.h"
#include "common/text_encoding.h"
#include "files/atomic_file.h"
#include "files/line_buffer.h"

namespace r4860::files {
namespace {

constexpr std::uint8_t kUserSensor = 15;
constexpr double kSlack = 0.000001;

bool isComment(std::string_view line) {
    return line.empty() || line.front() == '"' || line.front() == '*' || line.front() == '/' || line.front() == ';';
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// "A B" or "A;B"; a ";" separates only directly after the first number, so "A ;B" has no second one.
std::optional<model::TablePoint> parseDataLine(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    const std::size_t firstBegin = i;
    while (i < line.size() && !isBlank(line[i]) && line[i] != ';') ++i;
    const std::string_view first = line.substr(firstBegin, i - firstBegin);
    if (i < line.size() && line[i] == ';') ++i;
    while (i < line.size() && isBlank(line[i])) ++i;
    const std::size_t secondBegin = i;
    while (i < line.size() && !isBlank(line[i]) && line[i] != '/' && line[i] != ';') ++i;
    const std::string_view second = line.substr(secondBegin, i - secondBegin);
    if (first.empty() || second.empty()) return std::nullopt;
    model::TablePoint p{};
    if (!TextToNum(first, p.A) || !TextToNum(second, p.B)) return std::nullopt;
    return p;
}

bool within(double x, double lo, double hi) { return x >= lo && x <= hi; }

// Order and range of point p (1-based) against the points before it; fills the message on failure.
bool checkPoint(const model::ConfigRecord& rec, const model::TablePoint& pt, std::string& message) {
    const auto& pts = rec.Table.points;
    message = kValuesShouldRise;
    if (!pts.empty()) {
        const model::TablePoint& prev = pts.back();
        const double a1 = pts.front().A, a2 = pts.size() >= 2 ? pts[1].A : pt.A;
        if (rec.TableInputType == kUserSensor || a1 < a2) {
            if (!(prev.A < pt.A)) return false;
            message.clear();
        } else if (!(prev.A > pt.A)) {
            message = kRiseOrFall;
            return false;
        }
        if (!(prev.B <= pt.B)) return false;
    }
    message = kValueOutOfRange;
    if (rec.TableInputType == kUserSensor)
        return within(pt.A, -273.0 - kSlack, 9999.0 + kSlack) && within(pt.B, -5.0 - kSlack, 75.0 + kSlack);
    const double lo = model::SensorRangeLow(rec, rec.TableInputType) - kSlack;
    const double hi = model::SensorRangeHigh(rec, rec.TableInputType) + kSlack;
    return within(pt.A, -1999.0 - kSlack, 9999.0 + kSlack) && within(pt.B, lo, hi);
}

int truncTenths(double x) {
    const double moved = x < 0.0 ? x - kSlack : x + kSlack;
    const double t = std::trunc(moved * 10.0);
    constexpr double lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(t, lo, hi));
}

}  // namespace

TableParseOutcome ParseTable(std::span<const std::string> lines, model::ConfigRecord& rec) {
    TableParseOutcome out;
    rec.Table.clear();
    if (lines.size() < 2) return out;
    const std::size_t n = std::min(lines.size(), kMaxTableLines);
    for (std::size_t i = 0; i < n; ++i) {
        out.failedLine = i;
        const std::string_view line = lines[i];
        if (isComment(line)) continue;
        const auto point = Utf8Length(line) < 3 ? std::nullopt : parseDataLine(line);
        if (!point) {
            out.message.clear();
            return out;
        }
        if (!checkPoint(rec, *point, out.message)) return out;
        rec.Table.points.push_back(*point);
    }
    out.message = kNotEnoughPoints;
    out.ok = rec.Table.count() >= 2;
    if (out.ok) out.message.clear();
    return out;
}

Result<LoadedTable> LoadTableFile(const std::filesystem::path& file, model::ConfigRecord& rec) {
    auto bytes = ReadWholeFile(file);
    if (!bytes) return bytes.error();
    LoadedTable loaded;
    loaded.lines = SplitLines(DecodeFileText(*bytes));
    if (loaded.lines.size() > kMaxTableLines) loaded.lines.resize(kMaxTableLines);
    loaded.outcome = ParseTable(loaded.lines, rec);
    return loaded;
}

std::string TableFailureText(const std::string& message) {
    std::string text = LangText("Corrupted or wrong data file") + "!";
    if (!message.empty()) text += "\r(" + LangText(message) + ".)";
    return text;
}

std::string TableFileName(std::string_view file) {
    const auto slash = file.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? file : file.substr(slash + 1));
}

void SetTableRange(model::ConfigRecord& rec) {
    if (rec.Table.points.empty()) return;
    const int a = truncTenths(rec.Table.points.front().A), b = truncTenths(rec.Table.points.back().A);
    rec.LiveRanges[kUserSensor] = TenthRange{std::min(a, b), std::max(a, b)};
}

}  // namespace r4860::files
