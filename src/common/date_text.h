// Dates as the device keeps them (days since 30 December 1899) and as the tool shows them (dd.mm.yyyy).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace r4860 {

[[nodiscard]] std::string DateText(long days);
// Accepts d.m.yyyy with one or two digits for day and month; checks the calendar.
[[nodiscard]] std::optional<long> ParseDateText(std::string_view text);
[[nodiscard]] long DaysFromCivil(int year, int month, int day) noexcept;

// Today's calendar date in local time (never rounded up to tomorrow).
[[nodiscard]] long TodayDays();

// Where "today" comes from: the system clock unless a test or a caller sets another.
using TodaySource = std::function<long()>;
[[nodiscard]] TodaySource SystemToday();

}  // namespace r4860
