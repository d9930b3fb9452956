// Developer trace with a module tag: off unless a sink is installed (--verbose, or a test).
#pragma once

#include <functional>
#include <string_view>

namespace r4860 {

using TraceSink = std::function<void(std::string_view tag, std::string_view message)>;

// Not thread-safe against itself: install once at start-up, before threads run.
void SetTraceSink(TraceSink sink);
[[nodiscard]] bool TraceEnabled() noexcept;
void Trace(std::string_view tag, std::string_view message);

}  // namespace r4860
