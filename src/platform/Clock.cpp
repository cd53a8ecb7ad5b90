#include "platform/Clock.h"

#include <time.h>

namespace qw::platform {
namespace {
int64_t MonotonicNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}
Clock* g_clock = nullptr;
} // namespace

SystemClock::SystemClock() : startNs_(MonotonicNs()) {}

uint32_t SystemClock::NowMs() const {
    // Start at a positive value like the system's tick counter does.
    return static_cast<uint32_t>((MonotonicNs() - startNs_) / 1000000) + 1000u;
}

void SystemClock::SleepMs(uint32_t ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0) {}
}

Clock& GetClock() {
    static SystemClock systemClock;
    return g_clock ? *g_clock : systemClock;
}

void SetClock(Clock* clock) {
    g_clock = clock;
}

} // namespace qw::platform
