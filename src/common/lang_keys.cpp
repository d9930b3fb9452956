// The built-in English keys. Placeholder until the full list of 239 is filled in.
#include "common/lang_table.h"

#include <array>

namespace r4860 {
namespace {
constexpr std::array<std::string_view, 11> kKeys = {
    "R4860 Transmitters", "language", "R4860EN", "Thermocouple", "CJ temp.", "Information complete",
    "Information incomplete", "No_name", "Transmission unsuccessful", "No communication with transducer",
    "Command failed"};
}  // namespace

std::span<const std::string_view> LangKeys() noexcept { return kKeys; }

}  // namespace r4860
