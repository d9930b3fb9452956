// The translation lookup every visible text goes through: an English key in, the text of the
// active language out. Loading language files lives with the other files (files/language_file.h).
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace r4860 {

inline constexpr std::size_t kLangKeyCount = 239;

// The built-in English key list, in order.
[[nodiscard]] std::span<const std::string_view> LangKeys() noexcept;

// The active table: lines "key=value", unsorted, first match wins. Process-wide, UI thread only.
[[nodiscard]] std::vector<std::string>& LangTable();
// Fills the table with the English lines key=key.
void UseEnglishTable();

// The value of the first line whose name part equals `key` ignoring letter case; empty if none.
[[nodiscard]] std::string LangText(std::string_view key);

}  // namespace r4860
