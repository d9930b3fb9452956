#include "common/lang_table.h"

#include <algorithm>

namespace r4860 {
namespace {

// ASCII only on purpose: the keys are English, and a locale-dependent fold could make a key
// match on one machine and not on another.
char foldAscii(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameIgnoringCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return foldAscii(x) == foldAscii(y); });
}

}  // namespace

std::vector<std::string> EnglishTable() {
    std::vector<std::string> table;
    table.reserve(kLangKeyCount + ToolLangKeys().size());
    for (const auto keys : {LangKeys(), ToolLangKeys()})
        for (const auto key : keys) {
            std::string line;
            line.reserve(2 * key.size() + 1);
            line.append(key).append("=").append(key);
            table.push_back(std::move(line));
        }
    return table;
}

std::vector<std::string>& LangTable() {
    static std::vector<std::string> table = EnglishTable();
    return table;
}

void UseEnglishTable() { LangTable() = EnglishTable(); }

std::string FindLangText(std::span<const std::string> table, std::string_view key) {
    for (const auto& line : table) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (sameIgnoringCase(std::string_view(line).substr(0, eq), key)) return line.substr(eq + 1);
    }
    return {};
}

std::string LangText(std::string_view key) {
    std::string text = FindLangText(LangTable(), key);
    if (text.empty() && std::ranges::find(ToolLangKeys(), key) != ToolLangKeys().end()) text = key;
    return text;
}

}  // namespace r4860
