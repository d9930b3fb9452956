// The history's times: kept as UTC milliseconds, exchanged as ISO 8601 UTC stamps, shown and
// typed in the station's local time the way the tool writes dates (dd.mm.yyyy).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace r4860::files {

[[nodiscard]] std::int64_t NowUtcMs();
// "2026-02-01T10:20:30.123Z"
[[nodiscard]] std::string UtcStamp(std::int64_t ms);
[[nodiscard]] std::optional<std::int64_t> ParseUtcStamp(std::string_view text);
// "01.02.2026 11:20:30" in local time.
[[nodiscard]] std::string LocalTimeText(std::int64_t ms);
// Local midnight at the start of a day typed as dd.mm.yyyy or yyyy-mm-dd.
[[nodiscard]] std::optional<std::int64_t> LocalDayStartMs(std::string_view date);
// Local midnight at the end of that day (the start of the next), so an "until" date includes it.
[[nodiscard]] std::optional<std::int64_t> LocalDayEndMs(std::string_view date);

}  // namespace r4860::files
