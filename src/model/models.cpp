#include "model/models.h"

#include <algorithm>

namespace r4860::model {

std::vector<ModelListRow> DefaultModelList() {
    return {{"R4747", "R4747"}, {"R4748", "?"}, {"R4749", "?"}, {"R4737", "?"},     {"R4738", "?"},
            {"R4739", "?"},     {"R4760", "?"}, {"R4795", "?"}, {"R4720", "R4720"}};
}

std::optional<std::string> ModelListValue(std::span<const ModelListRow> modelList, std::string_view device) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (const ModelListRow& row : modelList) {
        if (row.name.size() != device.size()) continue;
        if (std::equal(row.name.begin(), row.name.end(), device.begin(),
                       [&](char a, char b) { return lower(a) == lower(b); }))
            return row.value;
    }
    return std::nullopt;
}

std::string ModelName(int code) {
    if (code > 100) return "Q47" + std::to_string(code - 100);
    std::string digits = std::to_string(code);
    if (digits.size() < 2) digits.insert(0, "0");
    return "R47" + digits;
}

std::optional<int> ModelCodeOfName(std::string_view name) {
    if (name.size() < 5) return std::nullopt;
    const char a = name[3], b = name[4];
    if (a < '0' || a > '9' || b < '0' || b > '9') return std::nullopt;
    return (a - '0') * 10 + (b - '0');
}

int ModelCodeOfIndex(int typeIndex) noexcept {
    if (typeIndex < 0 || typeIndex >= static_cast<int>(ModelCodes.size())) return 0;
    return ModelCodes[static_cast<std::size_t>(typeIndex)];
}

}  // namespace r4860::model
