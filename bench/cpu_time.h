// This process's CPU time (user and system, every thread), for the idle-load figures.
#pragma once

#include <sys/resource.h>

namespace r4860::bench {

inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto secs = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return secs(usage.ru_utime) + secs(usage.ru_stime);
}

}  // namespace r4860::bench
