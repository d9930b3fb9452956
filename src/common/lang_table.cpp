#include "common/lang_table.h"

#include <algorithm>
#include <cctype>

namespace r4860 {

std::vector<std::string>& LangTable() {
    static std::vector<std::string> table = [] {
        std::vector<std::string> t;
        for (const auto key : LangKeys()) t.push_back(std::string(key) + "=" + std::string(key));
        return t;
    }();
    return table;
}

void UseEnglishTable() {
    auto& t = LangTable();
    t.clear();
    for (const auto key : LangKeys()) t.push_back(std::string(key) + "=" + std::string(key));
}

std::string LangText(std::string_view key) {
    const auto sameIgnoringCase = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
               });
    };
    for (const auto& line : LangTable()) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (sameIgnoringCase(std::string_view(line).substr(0, eq), key)) return line.substr(eq + 1);
    }
    return {};
}

}  // namespace r4860
