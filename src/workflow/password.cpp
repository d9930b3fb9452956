#include "workflow/password.h"

namespace r4860::workflow {

PasswordKind CheckPassword(std::string_view typed, const files::Settings& settings) {
    if (typed.empty()) return PasswordKind::Refused;
    if (typed == files::kServiceCode) return PasswordKind::Service;
    if (typed == settings.Pass) return PasswordKind::Operator;
    return PasswordKind::Refused;
}

}  // namespace r4860::workflow
