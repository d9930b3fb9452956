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

enum class Decimal { None, Point, Comma };

Decimal decimalOf(std::string_view number) {
    if (number.find('.') != std::string_view::npos) return Decimal::Point;
    if (number.find(',') != std::string_view::npos) return Decimal::Comma;
    return Decimal::None;
}

struct DataLine {
    model::TablePoint point{};
    Decimal decimal = Decimal::None;  // the separator its numbers use, None when they are whole
    bool mixed = false;               // one number with a point, the other with a comma
};

// "A B" or "A;B"; a ";" separates only directly after the first number, so "A ;B" has no second one.
std::optional<DataLine> parseDataLine(std::string_view line) {
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
    DataLine d;
    if (!TextToNum(first, d.point.A) || !TextToNum(second, d.point.B)) return std::nullopt;
    const Decimal a = decimalOf(first), b = decimalOf(second);
    d.decimal = a != Decimal::None ? a : b;
    d.mixed = a != Decimal::None && b != Decimal::None && a != b;
    return d;
}

// Tabs are the one control character a table has a use for.
bool hasControl(std::string_view line) {
    return std::ranges::any_of(line, [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b < 0x20 && c != '\t') || b == 0x7F;
    });
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
        // One signal with two results: the transducer could read only one of them.
        if (prev.B == pt.B) {
            message = kValuesShouldRise;
            return false;
        }
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
    model::ConfigRecord work = rec;  // the checks look at the points taken so far
    work.Table.clear();
    if (lines.size() < 2) return out;
    Decimal fileDecimal = Decimal::None;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out.failedLine = i;
        const std::string_view line = lines[i];
        if (hasControl(line)) {
            out.message = kNotText;
            return out;
        }
        if (isComment(line)) continue;
        if (i >= kMaxTableLines) {
            out.message = kTooManyLines;
            return out;
        }
        const auto data = Utf8Length(line) < 3 ? std::nullopt : parseDataLine(line);
        if (!data) {
            out.message.clear();
            return out;
        }
        if (data->mixed || (fileDecimal != Decimal::None && data->decimal != Decimal::None &&
                            data->decimal != fileDecimal)) {
            out.message = kMixedSeparators;
            return out;
        }
        if (fileDecimal == Decimal::None) fileDecimal = data->decimal;
        if (!checkPoint(work, data->point, out.message)) return out;
        work.Table.points.push_back(data->point);
    }
    out.message = kNotEnoughPoints;
    out.ok = work.Table.count() >= 2;
    if (!out.ok) return out;
    out.message.clear();
    rec.Table = std::move(work.Table);
    return out;
}

Result<LoadedTable> LoadTableFile(const std::filesystem::path& file, model::ConfigRecord& rec) {
    LoadedTable loaded;
    std::error_code ec;
    if (std::filesystem::is_regular_file(file, ec) && std::filesystem::file_size(file, ec) > kMaxTableFileBytes) {
        loaded.outcome.message = kFileTooLarge;
        return loaded;
    }
    auto bytes = ReadWholeFile(file, kMaxTableFileBytes);
    if (!bytes) return bytes.error();
    // The end-of-file mark old editors leave is not part of the text.
    if (!bytes->empty() && bytes->back() == '\x1A') bytes->pop_back();
    loaded.lines = SplitLines(DecodeFileText(*bytes));
    loaded.outcome = ParseTable(loaded.lines, rec);
    // The window shows what a table may hold; a longer file was refused at its 3001st line.
    if (loaded.lines.size() > kMaxTableLines) loaded.lines.resize(kMaxTableLines);
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
