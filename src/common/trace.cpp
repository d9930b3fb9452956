#include "common/trace.h"

#include <atomic>
#include <utility>

namespace r4860 {
namespace {
TraceSink& sink() {
    static TraceSink s;
    return s;
}
std::atomic<bool> g_enabled{false};
}  // namespace

void SetTraceSink(TraceSink s) {
    sink() = std::move(s);
    g_enabled.store(static_cast<bool>(sink()), std::memory_order_release);
}

bool TraceEnabled() noexcept { return g_enabled.load(std::memory_order_acquire); }

void Trace(std::string_view tag, std::string_view message) {
    if (TraceEnabled()) sink()(tag, message);
}

}  // namespace r4860
