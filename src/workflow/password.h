// Who a typed password lets in: the operator's password opens the corrections, the fixed
// service code the diagnostics. Kept out of the windows so the CLI and tests share the rule.
#pragma once

#include <string_view>

#include "files/settings.h"

namespace r4860::workflow {

enum class PasswordKind { Refused, Operator, Service };

// Exact, case-sensitive comparison; an empty entry is refused (the prompt treats it as Cancel).
// The service code wins should the operator ever choose it as the password, so the diagnostics
// stay reachable.
[[nodiscard]] PasswordKind CheckPassword(std::string_view typed, const files::Settings& settings);

}  // namespace r4860::workflow
