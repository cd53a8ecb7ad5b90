// The per-pixel transitions (Blt, Fade, Alpha 0/1/2, Wipe 0/1) against a model written from
// their rules, at the start, in the middle and at the end, with every kernel table.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "graphics/CDIBOverlap.h"
#include "graphics/PixelKernels.h"
#include "unit/graphics/OverlapFixtures.h"

namespace qw {
namespace {

constexpr int kW = 40, kH = 30, kTime = 300;

uint32_t Ch(uint32_t p, int sh) {
    return (p >> sh) & 0xFF;
}

// Per channel (a × (255 − k) + b × k) >> 8, or / 255.
uint32_t Mix(uint32_t a, uint32_t b, int64_t k, bool shift8) {
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8) {
        const int64_t v = Ch(a, sh) * (255 - k) + Ch(b, sh) * k;
        out |= static_cast<uint32_t>(shift8 ? v >> 8 : v / 255) << sh;
    }
    return out;
}
uint32_t Opaque(uint32_t p) {
    return p | 0xFF000000u;
}

struct Case {
    const char* name;
    int effect;
    int mode;
    int level;
    bool smallRule; // the rule or shape picture at half the frame's size
    bool zeroRule;  // a rule all 0
};

struct Pictures {
    const CDIBImage& from;
    const CDIBImage& to;
    const CDIBSprite* rule;
};

// The rule's blue byte for frame pixel (x, y), the rule scaled to the frame.
uint32_t RuleAt(const CDIBSprite& rule, int x, int y) {
    return Ch(rule.Row(y * rule.GetHeight() / kH)[x * rule.GetWidth() / kW], 0);
}

std::vector<uint32_t> Model(const Case& c, const Pictures& pic, int64_t e, int64_t d) {
    std::vector<uint32_t> out(static_cast<size_t>(kW * kH));
    const bool end = e >= d;
    // Wipe: a frame-sized picture, zero, with the shape stretched (nearest) into the centred box.
    std::vector<uint32_t> temp(out.size(), 0);
    if (c.effect == kEffectWipe) {
        const int64_t t = c.mode == 1 ? d - e : e;
        const int64_t bw = (kW + kW / 2) * t / d, bh = (kH + kH / 2) * t / d;
        const int64_t bx = (kW - bw) / 2, by = (kH - bh) / 2;
        for (int64_t y = 0; y < bh; ++y)
            for (int64_t x = 0; x < bw; ++x) {
                const int64_t fx = bx + x, fy = by + y;
                if (fx < 0 || fy < 0 || fx >= kW || fy >= kH) continue;
                const CDIBSprite& s = *pic.rule;
                temp[static_cast<size_t>(fy * kW + fx)] =
                    s.Row(static_cast<int>(y * s.GetHeight() / bh))[x * s.GetWidth() / bw];
            }
    }
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t f = pic.from.Row(y)[x], t = pic.to.Row(y)[x];
            uint32_t& o = out[static_cast<size_t>(y * kW + x)];
            switch (c.effect) {
            case kEffectBlt:
                o = t;
                break;
            case kEffectFade: {
                const int64_t k = e * 255 / d;
                o = k < 255 ? Mix(f, t, k, true) : t;
                break;
            }
            case kEffectAlpha: {
                const int64_t r = RuleAt(*pic.rule, x, y);
                if (c.mode != 1 && c.mode != 2) { // an unlisted mode is mode 0
                    const uint32_t w = Opaque(Mix(f, t, r, false));
                    const int64_t k = e * 510 / d;
                    o = end ? t : k <= 254 ? Mix(f, w, k, true) : Mix(w, t, k - 255, true);
                } else if (c.mode == 1) {
                    o = r < 255 - e * 255 / d ? f : t;
                } else {
                    const int64_t l = std::clamp(c.level, 0, 255), b = (l + 255) * e / d;
                    int64_t k = l > 0 ? (r + b - 255) * 255 / l : (r + b > 255 ? 255 : 0);
                    o = k <= 0 ? f : Opaque(Mix(f, t, std::min<int64_t>(k, 255), false));
                }
                break;
            }
            case kEffectWipe: {
                const bool set = Ch(temp[static_cast<size_t>(y * kW + x)], 0) != 0;
                o = (set == (c.mode != 1)) ? t : f; // an unlisted mode is mode 0
                break;
            }
            }
        }
    return out;
}

class OverlapPixelTest : public ::testing::TestWithParam<Case> {};

TEST_P(OverlapPixelTest, FramesMatchTheModel) {
    const Case& c = GetParam();
    std::mt19937 rng(77 + c.effect * 10 + c.mode);
    auto from = test::RandomSurface(kW, kH, rng), to = test::RandomSurface(kW, kH, rng);
    test::PictureShelf shelf;
    const int rw = c.smallRule ? kW / 2 : kW, rh = c.smallRule ? kH / 2 : kH;
    CDIBSprite* rule = c.zeroRule ? shelf.Add("RULE", rw, rh, nullptr, 0xFF000000u)
                                  : shelf.Add("RULE", rw, rh, &rng);
    ASSERT_NE(rule, nullptr);
    if (c.effect == kEffectWipe) // a shape with holes: blue 0 on about a third of it
        for (int y = 0; y < rh; ++y)
            for (int x = 0; x < rw; ++x)
                if ((x * 7 + y * 3) % 3 == 0) rule->Row(y)[x] &= 0xFFFFFF00u;
    CallEffectParam param =
        c.effect == kEffectAlpha  ? CallEffectParam::MakeAlpha(kTime, c.mode, "RULE", c.level)
        : c.effect == kEffectWipe ? CallEffectParam::MakeWipe(kTime, c.mode, "RULE")
                                  : CallEffectParam::Make(c.effect, kTime);
    const SimdLevel saved = GetSimdLevel();
    for (SimdLevel level : {SimdLevel::Scalar, SimdLevel::Sse2, SimdLevel::Avx2}) {
        if (!SetSimdLevel(level)) continue;
        for (int elapsed : {0, 1, 137, 150, 299, kTime}) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(elapsed) + " with " +
                         ActivePixelKernels().name);
            CDIBOverlap overlap;
            overlap.SetServices(&shelf.cache, nullptr);
            overlap.InitEffect(from.get(), to.get(), param);
            ASSERT_TRUE(overlap.IsActive());
            overlap.Move(elapsed, 1);
            ASSERT_EQ(overlap.GetElapsed(), elapsed);
            CDIBImage frame;
            frame.Create(kW, kH);
            frame.FillFull(0x12345678u);
            overlap.Draw(frame);
            const std::vector<uint32_t> want = Model(c, {*from, *to, rule}, elapsed, kTime);
            int wrong = 0;
            for (int i = 0; i < kW * kH && wrong < 3; ++i)
                if (frame.GetPixels()[i] != want[static_cast<size_t>(i)]) {
                    ++wrong;
                    ADD_FAILURE() << "pixel " << i % kW << "," << i / kW << ": " << std::hex
                                  << frame.GetPixels()[i] << " want "
                                  << want[static_cast<size_t>(i)];
                }
        }
    }
    SetSimdLevel(saved);
}

INSTANTIATE_TEST_SUITE_P(
    Effects, OverlapPixelTest,
    ::testing::Values(Case{"Blt", kEffectBlt, 0, 0, false, false},
                      Case{"Fade", kEffectFade, 0, 0, false, false},
                      Case{"Alpha0", kEffectAlpha, 0, 255, false, false},
                      Case{"Alpha0SmallRule", kEffectAlpha, 0, 255, true, false},
                      Case{"Alpha1", kEffectAlpha, 1, 255, false, false},
                      Case{"Alpha1ZeroRule", kEffectAlpha, 1, 255, false, true},
                      Case{"Alpha2Level0", kEffectAlpha, 2, 0, false, false},
                      Case{"Alpha2Level1", kEffectAlpha, 2, 1, false, false},
                      Case{"Alpha2Level64", kEffectAlpha, 2, 64, true, false},
                      Case{"Alpha2Level255", kEffectAlpha, 2, 255, false, false},
                      Case{"Alpha2LevelAbove255", kEffectAlpha, 2, 900, false, false},
                      Case{"AlphaUnlistedMode", kEffectAlpha, 7, 255, false, false},
                      Case{"Wipe0", kEffectWipe, 0, 0, false, false},
                      Case{"Wipe1", kEffectWipe, 1, 0, true, false},
                      Case{"WipeUnlistedMode", kEffectWipe, 5, 0, false, false}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
} // namespace qw
