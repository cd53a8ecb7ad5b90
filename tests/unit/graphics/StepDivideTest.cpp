// The scans' step division against the built-in one: every small count, numerators at and
// beside its multiples, at the ends of the range the table covers and past them, both signs.
#include <gtest/gtest.h>

#include <random>

#include "graphics/StepDivide.h"

namespace qw {
namespace {

TEST(StepDivide, EqualsTheBuiltInDivision) {
    std::mt19937_64 rng(3);
    const int64_t limit = step_divide::kNumeratorLimit;
    for (int64_t d = 1; d <= step_divide::kTableSize + 20; ++d) {
        const int64_t near[] = {
            0,         1,         d - 1, d,         d + 1,     65535 * d,          65536 * d,
            limit - 1, limit - d, limit, limit + 1, INT32_MAX, (limit / d) * d - 1};
        for (int64_t n : near) {
            ASSERT_EQ(StepDivide(n, d), n / d) << n << " / " << d;
            ASSERT_EQ(StepDivide(-n, d), -n / d) << -n << " / " << d;
        }
        for (int i = 0; i < 200; ++i) {
            const auto n = static_cast<int64_t>(rng() % static_cast<uint64_t>(limit));
            ASSERT_EQ(StepDivide(n, d), n / d) << n << " / " << d;
            ASSERT_EQ(StepDivide(-n, d), -n / d) << -n << " / " << d;
        }
    }
}

} // namespace
} // namespace qw
