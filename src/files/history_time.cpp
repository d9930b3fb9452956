#include "files/history_time.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "common/date_text.h"

namespace r4860::files {
namespace {

namespace chr = std::chrono;

bool digits(std::string_view text, std::size_t at, std::size_t n, int& out) {
    if (at + n > text.size()) return false;
    const char* first = text.data() + at;
    const auto [end, ec] = std::from_chars(first, first + n, out);
    return ec == std::errc() && end == first + n;
}

// yyyy-mm-dd at the start of `text`, checked against the calendar.
std::optional<chr::year_month_day> isoDate(std::string_view text) {
    int y = 0, m = 0, d = 0;
    if (text.size() < 10 || text[4] != '-' || text[7] != '-' || !digits(text, 0, 4, y) || !digits(text, 5, 2, m) ||
        !digits(text, 8, 2, d))
        return std::nullopt;
    const chr::year_month_day date{chr::year{y}, chr::month{static_cast<unsigned>(m)}, chr::day{static_cast<unsigned>(d)}};
    if (!date.ok()) return std::nullopt;
    return date;
}

}  // namespace

std::int64_t NowUtcMs() {
    return chr::duration_cast<chr::milliseconds>(chr::system_clock::now().time_since_epoch()).count();
}

std::string UtcStamp(std::int64_t ms) {
    const chr::sys_time<chr::milliseconds> t{chr::milliseconds{ms}};
    const auto day = chr::floor<chr::days>(t);
    const chr::year_month_day date{day};
    const chr::hh_mm_ss clock{t - day};
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()), static_cast<int>(clock.subseconds().count()));
    return buf;
}

std::optional<std::int64_t> ParseUtcStamp(std::string_view text) {
    int h = 0, mi = 0, s = 0, milli = 0;
    const auto date = isoDate(text);
    if (!date || text.size() != 24 || text[10] != 'T' || text[13] != ':' || text[16] != ':' || text[19] != '.' ||
        text[23] != 'Z' || !digits(text, 11, 2, h) || !digits(text, 14, 2, mi) || !digits(text, 17, 2, s) ||
        !digits(text, 20, 3, milli) || h > 23 || mi > 59 || s > 60)
        return std::nullopt;
    const auto t = chr::sys_days{*date} + chr::hours{h} + chr::minutes{mi} + chr::seconds{s} + chr::milliseconds{milli};
    return chr::duration_cast<chr::milliseconds>(t.time_since_epoch()).count();
}

std::string LocalTimeText(std::int64_t ms) {
    const std::time_t seconds = chr::system_clock::to_time_t(
        chr::floor<chr::seconds>(chr::sys_time<chr::milliseconds>{chr::milliseconds{ms}}));
    std::tm local{};
    localtime_r(&seconds, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%d.%m.%Y %H:%M:%S", &local);
    return buf;
}

namespace {

std::optional<chr::year_month_day> typedDate(std::string_view text) {
    if (const auto days = ParseDateText(text))
        return chr::year_month_day{chr::sys_days{chr::days{*days - DaysFromCivil(1970, 1, 1)}}};
    if (text.size() == 10) return isoDate(text);
    return std::nullopt;
}

std::optional<std::int64_t> localMidnight(const std::optional<chr::year_month_day>& date) {
    if (!date) return std::nullopt;
    std::tm local{};
    local.tm_year = static_cast<int>(date->year()) - 1900;
    local.tm_mon = static_cast<int>(static_cast<unsigned>(date->month())) - 1;
    local.tm_mday = static_cast<int>(static_cast<unsigned>(date->day()));
    local.tm_isdst = -1;   // whatever daylight saving time says for that day
    const std::time_t start = std::mktime(&local);
    if (start == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<std::int64_t>(start) * 1000;
}

}  // namespace

std::optional<std::int64_t> LocalDayStartMs(std::string_view text) { return localMidnight(typedDate(text)); }

std::optional<std::int64_t> LocalDayEndMs(std::string_view text) {
    const auto date = typedDate(text);
    if (!date) return std::nullopt;
    return localMidnight(chr::year_month_day{chr::sys_days{*date} + chr::days{1}});
}

}  // namespace r4860::files
