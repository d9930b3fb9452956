// Language files (<name>.lan, lines "English key=translated text"): loading one into the
// translation table, all or nothing, and listing the languages the operator may choose.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace r4860::files {

// The built-in language: never read from a file.
inline constexpr std::string_view kEnglishLanguage = "English";
inline constexpr std::string_view kLanguageExtension = ".lan";
// A complete translation is a few tens of kilobytes; anything far larger is not a language file,
// and reading it whole would only cost memory.
inline constexpr std::size_t kMaxLanguageFileBytes = 1024 * 1024;
// Only the first this many language files (in sorted order) are offered.
inline constexpr std::size_t kMaxListedLanguageFiles = 10;

// The table lines of a language file's bytes: UTF-8 when they are valid UTF-8, else
// Windows-1250; CR LF, LF or a lone CR ends a line. Control characters are dropped, so no
// value can carry a line break or a tab into a display or another file.
[[nodiscard]] std::vector<std::string> SplitLanguageText(std::string_view bytes);

// True when every key of LangKeys has an entry with a non-empty value (by the LangText rule).
[[nodiscard]] bool IsCompleteLanguageTable(std::span<const std::string> table);

// Puts the table of `language` in force. "English" (exactly) selects the built-in table and
// returns true. Any other name is looked up as <language>.lan in `dirs`, first folder first,
// exact file name first, then ignoring case. If that file is missing, unreadable, too large
// or lacks a non-empty text for any key, the English table is put in force, `language`
// becomes "English" and the result is false: a language file is never partly used.
bool LoadLanguage(std::string& language, std::span<const std::filesystem::path> dirs);
bool LoadLanguage(std::string& language, const std::filesystem::path& dir);

// Fills `names` with "English" and the languages whose .lan files (any letter case) lie in
// `dirs`: the file names are sorted ignoring case, only the first ten are taken, and names
// equal ignoring case appear once. Returns false and leaves `names` untouched when there is
// no usable language file at all.
bool ListLanguages(std::vector<std::string>& names, std::span<const std::filesystem::path> dirs);
bool ListLanguages(std::vector<std::string>& names, const std::filesystem::path& dir);

}  // namespace r4860::files
