// The comma-decimal locales the tests write and read numbers under. tools/install-deps.sh
// generates them; a test that needs them fails without them rather than passing untested.
#pragma once

namespace r4860::testing {

inline constexpr const char* kCommaLocales[] = {"de_DE.UTF-8", "pl_PL.UTF-8"};
inline constexpr const char* kNoCommaLocale = " is not installed: tools/install-deps.sh generates it";

}  // namespace r4860::testing
