// Transducer models: the model index a measurement reports, the model codes and their names.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace r4860::model {

// Model index `TypeIndex` (0..16) to model code; 16 is "no fresh sample".
inline constexpr std::array<int, 17> ModelCodes = {47, 48, 49, 37, 38, 39, 60, 95, 20, 0, 0, 0, 0, 0, 0, 0, 0};

// The model codes in the order of the model selection (and of the default model list).
inline constexpr std::array<int, 9> ModelSelectionCodes = {47, 48, 49, 37, 38, 39, 60, 95, 20};

struct ModelListRow {
    std::string name;   // as stored in `Device`, at most 5 characters
    std::string value;  // what the operator is offered, "?" when not offered
};
[[nodiscard]] std::vector<ModelListRow> DefaultModelList();
// The value of the row named `device`, names compared ignoring ASCII letter case like the keys of
// the settings file; nothing when no row has that name.
[[nodiscard]] std::optional<std::string> ModelListValue(std::span<const ModelListRow> modelList,
                                                        std::string_view device);

// "R47" + code for codes up to 100, "Q47" + (code - 100) above.
[[nodiscard]] std::string ModelName(int code);
// Characters 4-5 of a model name as a decimal number; nothing when they are not two digits.
[[nodiscard]] std::optional<int> ModelCodeOfName(std::string_view name);
[[nodiscard]] int ModelCodeOfIndex(int typeIndex) noexcept;

}  // namespace r4860::model
