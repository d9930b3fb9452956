#include "files/language_file.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <system_error>

#include "common/lang_table.h"
#include "common/text_encoding.h"
#include "common/trace.h"
#include "files/app_paths.h"

namespace r4860::files {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kTraceTag = "lang";

char foldAscii(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return foldAscii(x) == foldAscii(y); });
}

// Case-blind order with a byte-wise tie break, so the listing does not depend on the order
// in which the folder happens to return its entries.
bool lessIgnoringCase(std::string_view a, std::string_view b) noexcept {
    const auto folded = [](char x, char y) { return foldAscii(x) < foldAscii(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded)) return false;
    return a < b;
}

bool endsWithIgnoringCase(std::string_view text, std::string_view tail) noexcept {
    return text.size() >= tail.size() && equalsIgnoringCase(text.substr(text.size() - tail.size()), tail);
}

// A name that becomes "Language=<name>" in the settings file and part of a file name: no
// folder separators and nothing that could break a line or fail to show.
bool isUsableLanguageName(std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) return false;
    if (!IsValidUtf8(name)) return false;
    return StripControls(name).size() == name.size();
}

std::optional<std::string> readWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(kMaxLanguageFileBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return std::nullopt;
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > kMaxLanguageFileBytes) return std::nullopt;
    bytes.resize(got);
    return bytes;
}

// The candidate table of `language`, or nothing when no complete file is found.
std::optional<std::vector<std::string>> readLanguageTable(std::string_view language,
                                                          std::span<const fs::path> dirs) {
    if (!isUsableLanguageName(language)) return std::nullopt;
    const std::vector<fs::path> folders(dirs.begin(), dirs.end());
    const auto path = FindFileIn(folders, std::string(language) + std::string(kLanguageExtension));
    if (!path) {
        Trace(kTraceTag, "no language file for " + std::string(language));
        return std::nullopt;
    }
    const auto bytes = readWholeFile(*path);
    if (!bytes) {
        Trace(kTraceTag, path->string() + ": unreadable or too large");
        return std::nullopt;
    }
    auto table = SplitLanguageText(*bytes);
    if (!IsCompleteLanguageTable(table)) {
        Trace(kTraceTag, path->string() + ": a key is missing or has no text");
        return std::nullopt;
    }
    return table;
}

}  // namespace

std::vector<std::string> SplitLanguageText(std::string_view bytes) {
    const std::string text = DecodeFileText(bytes);
    const std::string_view rest(text);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < rest.size()) {
        const std::size_t end = rest.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(StripControls(rest.substr(start)));
            break;
        }
        lines.push_back(StripControls(rest.substr(start, end - start)));
        // CR LF is one line end; a lone CR or a lone LF is one as well.
        start = end + ((rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n') ? 2 : 1);
    }
    return lines;
}

bool IsCompleteLanguageTable(std::span<const std::string> table) {
    return std::ranges::all_of(LangKeys(), [table](std::string_view key) { return !FindLangText(table, key).empty(); });
}

bool LoadLanguage(std::string& language, std::span<const fs::path> dirs) {
    if (language == kEnglishLanguage) {
        UseEnglishTable();
        return true;
    }
    if (auto table = readLanguageTable(language, dirs)) {
        LangTable() = std::move(*table);
        return true;
    }
    language = std::string(kEnglishLanguage);
    UseEnglishTable();
    return false;
}

bool LoadLanguage(std::string& language, const fs::path& dir) { return LoadLanguage(language, std::span(&dir, 1)); }

bool ListLanguages(std::vector<std::string>& names, std::span<const fs::path> dirs) {
    std::vector<std::string> found;
    for (const fs::path& dir : dirs) {
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string file = it->path().filename().string();
            if (!endsWithIgnoringCase(file, kLanguageExtension)) continue;
            std::error_code typeError;
            if (!it->is_regular_file(typeError)) continue;
            std::string name = file.substr(0, file.size() - kLanguageExtension.size());
            if (!isUsableLanguageName(name)) continue;
            // The first folder wins when two folders hold the same language.
            const bool known = std::ranges::any_of(found, [&](const std::string& n) { return equalsIgnoringCase(n, name); });
            if (!known) found.push_back(std::move(name));
        }
    }
    if (found.empty()) return false;

    std::ranges::sort(found, lessIgnoringCase);
    if (found.size() > kMaxListedLanguageFiles) found.resize(kMaxListedLanguageFiles);

    std::vector<std::string> list{std::string(kEnglishLanguage)};
    for (auto& name : found) {
        // A file "English.lan" would only repeat the built-in language, which never reads it.
        if (!equalsIgnoringCase(name, kEnglishLanguage)) list.push_back(std::move(name));
    }
    std::ranges::sort(list, lessIgnoringCase);
    names = std::move(list);
    return true;
}

bool ListLanguages(std::vector<std::string>& names, const fs::path& dir) {
    return ListLanguages(names, std::span(&dir, 1));
}

}  // namespace r4860::files
