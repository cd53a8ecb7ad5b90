#pragma once
// The four quarter notifications of a streamed sound buffer and the idle state of the thread
// that refills it (music and voice). A quarter's bit stays set until the thread has dealt with
// it, refilled or not, so a signal that arrives while nothing plays is consumed instead of
// waking the thread again at once.

#include <bit>
#include <condition_variable>
#include <mutex>

#include "platform/SoundMixer.h"

namespace qw {

class QuarterSignals final : public platform::SoundNotify {
public:
    // How long the mixer's headless hand-over waits for the thread.
    explicit QuarterSignals(int handoverWaitMs) : handoverWaitMs_(handoverWaitMs) {}

    void Signal(int index) override {
        std::lock_guard lock(mutex_);
        pending_ |= 1u << index;
        cv_.notify_all();
    }
    void WaitHandled() override { WaitIdle(handoverWaitMs_); }
    // True once the thread is idle with nothing pending (or leaving); false after `ms`.
    bool WaitIdle(int ms) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::milliseconds(ms),
                            [this] { return exit_ || (idle_ && pending_ == 0); });
    }
    // The same without a time limit.
    void WaitIdle() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return exit_ || (idle_ && pending_ == 0); });
    }
    // The thread: the next quarter event, or -1 to leave.
    int Next() {
        std::unique_lock lock(mutex_);
        idle_ = true;
        cv_.notify_all();
        cv_.wait(lock, [this] { return exit_ || pending_ != 0; });
        if (exit_) return -1;
        idle_ = false;
        return std::countr_zero(pending_);
    }
    void Done(int index) {
        std::lock_guard lock(mutex_);
        pending_ &= ~(1u << index);
    }
    void Exit() {
        std::lock_guard lock(mutex_);
        exit_ = true;
        cv_.notify_all();
    }

private:
    const int handoverWaitMs_;
    std::mutex mutex_;
    std::condition_variable cv_;
    unsigned pending_ = 0;
    bool idle_ = false;
    bool exit_ = false;
};

} // namespace qw
