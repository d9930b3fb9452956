#include "common/date_text.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace r4860 {
namespace {
constexpr long kUnixEpochDays = 25569;  // 1970-01-01 counted from 1899-12-30

struct Civil {
    long year;
    unsigned month, day;
};

// The proleptic Gregorian calendar, after H. Hinnant's public-domain civil/days conversions.
Civil civilFromUnixDays(long z) noexcept {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long y = static_cast<long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {y + (m <= 2), m, d};
}

long unixDaysFromCivil(long y, unsigned m, unsigned d) noexcept {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

bool isLeap(long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
unsigned daysInMonth(long y, unsigned m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}
}  // namespace

long DaysFromCivil(int year, int month, int day) noexcept {
    return unixDaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kUnixEpochDays;
}

std::string DateText(long days) {
    const Civil c = civilFromUnixDays(days - kUnixEpochDays);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u.%02u.%04ld", c.day, c.month, c.year);
    return buf;
}

std::optional<long> ParseDateText(std::string_view text) {
    int parts[3] = {0, 0, 0};
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 3; ++i) {
        const auto [next, ec] = std::from_chars(p, end, parts[i]);
        if (ec != std::errc() || next == p) return std::nullopt;
        p = next;
        if (i < 2) {
            if (p == end || *p != '.') return std::nullopt;
            ++p;
        }
    }
    if (p != end) return std::nullopt;
    const int d = parts[0], m = parts[1], y = parts[2];
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || static_cast<unsigned>(d) > daysInMonth(y, m))
        return std::nullopt;
    return DaysFromCivil(y, m, d);
}

long TodayDays() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

TodaySource SystemToday() { return [] { return TodayDays(); }; }

}  // namespace r4860
