#pragma once
// Millisecond time for frame pacing and waits. The system clock is monotonic; the virtual clock
// of headless runs moves only when told to, so runs are repeatable.

#include <cstdint>

namespace qw::platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start, wrapping like a 32-bit counter.
    virtual uint32_t NowMs() const = 0;
    virtual void SleepMs(uint32_t ms) = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock();
    uint32_t NowMs() const override;
    void SleepMs(uint32_t ms) override;

private:
    int64_t startNs_;
};

class VirtualClock final : public Clock {
public:
    uint32_t NowMs() const override { return now_; }
    // Sleeps return at once and leave the time alone: only the loop's passes move it, so what
    // a headless run shows and mixes depends on its passes alone.
    void SleepMs(uint32_t) override {}
    void Advance(uint32_t ms) { now_ += ms; }

private:
    uint32_t now_ = 1000;
};

// The process clock the engine reads (the system clock until a virtual one is installed).
Clock& GetClock();
void SetClock(Clock* clock); // null restores the system clock
inline uint32_t NowMs() {
    return GetClock().NowMs();
}

} // namespace qw::platform
