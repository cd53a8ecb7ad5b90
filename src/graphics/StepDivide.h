#pragma once
// The 16.16 steps of the quad scans, (delta << 16) / count truncated toward zero, without a
// hardware division for the short counts that nearly every edge and span has: a division by a
// small count is a multiplication by its rounded-up reciprocal, which gives the same quotient
// for every numerator the scans produce.

#include <array>
#include <cstdint>

namespace qw {

namespace step_divide {

inline constexpr int kTableSize = 1024;
inline constexpr int64_t kNumeratorLimit = int64_t{1} << 40;

// m[d] = ceil(2^64 / d) for 2 ≤ d < kTableSize (below 2^64).
constexpr std::array<uint64_t, kTableSize> MakeReciprocals() {
    std::array<uint64_t, kTableSize> m{};
    for (int d = 2; d < kTableSize; ++d)
        m[static_cast<size_t>(d)] = UINT64_MAX / static_cast<uint64_t>(d) + 1;
    return m;
}

inline constexpr std::array<uint64_t, kTableSize> kReciprocals = MakeReciprocals();

} // namespace step_divide

// num / den truncated toward zero, as the built-in division, for den > 0. With
// m = ceil(2^64 / d) = (2^64 + e) / d, 0 ≤ e < d, floor(n × m / 2^64) = floor(n / d) whenever
// n × d < 2^64; here n < 2^40 and d < 2^10. Other counts and numerators divide plainly.
inline int64_t StepDivide(int64_t num, int64_t den) {
    using namespace step_divide;
    if (den == 1) return num;
    if (den < 2 || den >= kTableSize || num <= -kNumeratorLimit || num >= kNumeratorLimit)
        return num / den;
    const uint64_t n = static_cast<uint64_t>(num < 0 ? -num : num);
    const auto q = static_cast<uint64_t>(
        (static_cast<unsigned __int128>(n) * kReciprocals[static_cast<size_t>(den)]) >> 64);
    return num < 0 ? -static_cast<int64_t>(q) : static_cast<int64_t>(q);
}

} // namespace qw
