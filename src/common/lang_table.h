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

// The texts of the tool's own: optional in a language file, English where it has none.
[[nodiscard]] std::span<const std::string_view> ToolLangKeys() noexcept;

// The active table: lines "key=value", unsorted, duplicates allowed, first match wins.
// Holds the English lines until a language is loaded. Process-wide, UI thread only.
[[nodiscard]] std::vector<std::string>& LangTable();
// The English lines key=key, one per key of LangKeys and then of ToolLangKeys, in order.
[[nodiscard]] std::vector<std::string> EnglishTable();
// Puts the English lines in force.
void UseEnglishTable();

// The value of the first line of `table` whose name part (before its first "=") equals `key`
// ignoring ASCII letter case; empty if there is none. Lines without "=" never match.
[[nodiscard]] std::string FindLangText(std::span<const std::string> table, std::string_view key);
// FindLangText in the active table; for a text of the tool's own that the active language
// leaves out (or leaves empty), its English text.
[[nodiscard]] std::string LangText(std::string_view key);

}  // namespace r4860
