#pragma once
// The engine's own random generator: the classic C library linear congruential generator
// (seed × 214013 + 2531011, result bits 16–30, maximum 32767), so a seed gives the same
// sequence on every platform and a headless run is repeatable.

#include <cstdint>

namespace qw {

constexpr int kRandMax = 32767;

void SeedRandom(uint32_t seed);
int NextRandom(); // 0 … kRandMax

// The generator as a value, for code that wants its own sequence.
class Lcg {
public:
    explicit Lcg(uint32_t seed = 1) : state_(seed) {}
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }
    uint32_t State() const { return state_; }

private:
    uint32_t state_;
};

} // namespace qw
