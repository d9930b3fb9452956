#include "workflow/password.h"

#include <gtest/gtest.h>

namespace r4860::workflow {
namespace {

TEST(CheckPassword, LetsInOnlyTheExactPasswordOrServiceCode) {
    struct Case { const char* why; const char* pass; std::string_view typed; PasswordKind want; };
    for (const auto& c : {
             Case{"the default password", "mrol", "mrol", PasswordKind::Operator},
             Case{"the service code", "mrol", "@quilpa", PasswordKind::Service},
             Case{"letter case counts", "mrol", "MROL", PasswordKind::Refused},
             Case{"a prefix is not the password", "mrol", "mro", PasswordKind::Refused},
             Case{"a trailing blank is not stripped", "mrol", "mrol ", PasswordKind::Refused},
             Case{"a longer text that starts with the code", "mrol", "@quilpa1", PasswordKind::Refused},
             Case{"empty is Cancel, even against an empty password", "", "", PasswordKind::Refused},
             Case{"a changed password replaces the default", "secret", "mrol", PasswordKind::Refused},
             Case{"the changed password itself", "secret", "secret", PasswordKind::Operator},
             Case{"the code stays the code when chosen as password", "@quilpa", "@quilpa", PasswordKind::Service},
             Case{"an embedded NUL does not end the comparison", "mrol", std::string_view("mrol\0x", 6),
                  PasswordKind::Refused},
         }) {
        files::Settings settings;
        settings.Pass = c.pass;
        EXPECT_EQ(CheckPassword(c.typed, settings), c.want) << c.why;
    }
}

}  // namespace
}  // namespace r4860::workflow
