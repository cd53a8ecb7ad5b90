// The fast transition kernels against the scalar reference on random data, for every length up
// to a few vectors and at unaligned starts; the rule bytes include the edge values.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/TransitionKernels.h"

namespace qw {
namespace {

std::vector<const TransitionKernels*> FastTables() {
    std::vector<const TransitionKernels*> tables;
    if (Sse2TransitionKernels()) tables.push_back(Sse2TransitionKernels());
    if (Avx2TransitionKernels()) tables.push_back(Avx2TransitionKernels());
    return tables;
}

TEST(TransitionKernelsTest, FastTablesGiveTheReferenceBytes) {
    const std::vector<const TransitionKernels*> tables = FastTables();
    if (tables.empty()) GTEST_SKIP() << "no fast table on this processor";
    std::mt19937 rng(11);
    constexpr size_t kMax = 70;
    std::vector<uint32_t> from(kMax + 3), to(kMax + 3), want(kMax + 3), got(kMax + 3);
    std::vector<uint8_t> rule(kMax + 3), levels(256);
    // Shape bytes for the mask rows: columns reach 2 × kMax, and 15 bytes more are readable.
    std::vector<uint8_t> shape(2 * kMax + 3 + 15);
    const TransitionKernels& ref = ScalarTransitionKernels();
    for (int round = 0; round < 40; ++round) {
        for (auto& v : from)
            v = static_cast<uint32_t>(rng());
        for (auto& v : to)
            v = static_cast<uint32_t>(rng());
        for (auto& v : shape)
            v = static_cast<uint8_t>(rng());
        for (auto& v : rule) {
            const uint32_t r = rng() % 8;
            v = static_cast<uint8_t>(r == 0 ? 0 : r == 1 ? 255 : rng());
        }
        for (size_t i = 0; i < levels.size(); ++i) // levels with runs of 0 and 255 as a sweep makes
            levels[i] = static_cast<uint8_t>(
                round % 3 == 0 ? rng()
                               : std::clamp<int>(static_cast<int>(i) * 3 - 200 + round, 0, 255));
        const uint32_t threshold = rng() % 257;
        for (const TransitionKernels* k : tables) {
            for (size_t off : {0u, 1u, 3u})
                for (size_t n = 0; n + off <= kMax; ++n) {
                    SCOPED_TRACE(testing::Message() << k->name << " n " << n << " off " << off);
                    ref.ruleStep(want.data(), from.data() + off, to.data() + off, rule.data() + off,
                                 n, threshold);
                    k->ruleStep(got.data(), from.data() + off, to.data() + off, rule.data() + off,
                                n, threshold);
                    ASSERT_TRUE(std::equal(want.begin(), want.begin() + n, got.begin()))
                        << "ruleStep";
                    ref.ruleSoft(want.data(), from.data() + off, to.data() + off, rule.data() + off,
                                 n, levels.data());
                    k->ruleSoft(got.data(), from.data() + off, to.data() + off, rule.data() + off,
                                n, levels.data());
                    ASSERT_TRUE(std::equal(want.begin(), want.begin() + n, got.begin()))
                        << "ruleSoft";
                    ref.maskSelect(want.data(), from.data() + off, to.data() + off,
                                   rule.data() + off, n);
                    k->maskSelect(got.data(), from.data() + off, to.data() + off, rule.data() + off,
                                  n);
                    ASSERT_TRUE(std::equal(want.begin(), want.begin() + n, got.begin()))
                        << "maskSelect";
                    // In place over the from pixels, the flash being the to pixels.
                    const uint32_t level = threshold % 256;
                    std::copy(from.begin() + off, from.begin() + off + n, want.begin());
                    std::copy(from.begin() + off, from.begin() + off + n, got.begin());
                    ref.flashMix(want.data(), to.data() + off, n, level);
                    k->flashMix(got.data(), to.data() + off, n, level);
                    ASSERT_TRUE(std::equal(want.begin(), want.begin() + n, got.begin()))
                        << "flashMix level " << level;
                    // The fade of from and to with the flash (the rule bytes' pixels as a
                    // stand-in picture: from again) over it.
                    const uint32_t fade = (threshold * 7) % 256;
                    ref.fadeFlash(want.data(), from.data() + off, to.data() + off,
                                  from.data() + kMax + 3 - n, n, fade, level);
                    k->fadeFlash(got.data(), from.data() + off, to.data() + off,
                                 from.data() + kMax + 3 - n, n, fade, level);
                    ASSERT_TRUE(std::equal(want.begin(), want.begin() + n, got.begin()))
                        << "fadeFlash fade " << fade << " level " << level;
                    // Columns into the rule bytes: stretched (repeating, steps of 0 and 1),
                    // squeezed (jumps) or out of order, as wide and narrow boxes give them.
                    std::vector<int> columns(n);
                    for (size_t i = 0; i < n; ++i)
                        columns[i] =
                            static_cast<int>(round % 3 == 0   ? i * 3 / 7
                                             : round % 3 == 1 ? (i * 7 + threshold) % 23
                                                              : i * (threshold % 4 + 1) / 2);
                    std::vector<uint8_t> bytesWant(n + 1, 0xAA), bytesGot(n + 1, 0xAA);
                    ref.maskStretch(bytesWant.data(), shape.data() + off, columns.data(), n);
                    k->maskStretch(bytesGot.data(), shape.data() + off, columns.data(), n);
                    ASSERT_EQ(bytesWant, bytesGot) << "maskStretch";
                }
        }
    }
}

TEST(TransitionKernelsTest, ReferenceRules) {
    const TransitionKernels& k = ScalarTransitionKernels();
    const uint32_t from[3] = {0x80102030u, 0x80102030u, 0x80102030u};
    const uint32_t to[3] = {0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu};
    const uint8_t rule[3] = {0, 128, 255};
    uint32_t out[3];
    k.ruleStep(out, from, to, rule, 3, 128); // below the threshold: from
    EXPECT_EQ(out[0], from[0]);
    EXPECT_EQ(out[1], to[1]);
    EXPECT_EQ(out[2], to[2]);
    uint8_t levels[256] = {};
    levels[128] = 255;
    levels[255] = 51; // red (0x10 × 204 + 0xFF × 51) / 255 = 0x3F, and so on
    k.ruleSoft(out, from, to, rule, 3, levels);
    EXPECT_EQ(out[0], from[0]);     // level 0 keeps the from pixel, alpha and all
    EXPECT_EQ(out[1], 0xFFFFFFFFu); // full level: the to colour, opaque
    EXPECT_EQ(out[2], 0xFF3F4C59u);
    k.maskSelect(out, from, to, rule, 3);
    EXPECT_EQ(out[0], from[0]);
    EXPECT_EQ(out[1], to[1]);
    // The flash keeps the frame's alpha; a = (flash alpha + level) >> 1.
    const uint32_t flash[3] = {0x00FFFFFFu, 0xFFFFFFFFu, 0x66000000u};
    uint32_t mixed[3] = {0x80102030u, 0x80102030u, 0x80102030u};
    k.flashMix(mixed, flash, 3, 255);
    EXPECT_EQ(mixed[0], 0x80878F97u); // a = 127: (0x10 × 128 + 255 × 127) / 255 = 0x87, ...
    EXPECT_EQ(mixed[1], 0x80FFFFFFu); // a = 255: the flash's colour
    EXPECT_EQ(mixed[2], 0x8004090Eu); // a = 178: darkened towards black
}

} // namespace
} // namespace qw
