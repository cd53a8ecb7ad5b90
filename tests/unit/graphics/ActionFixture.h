#pragma once
// Shared pieces of the layer-action tests: definitions, pictures, pages and a drop picture held
// by a picture cache.

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

#include "common/Random.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CSpriteCache.h"
#include "unit/graphics/SpriteFixtures.h"

namespace qw::test {

inline ActionDefinition MakeDef(ActionType type, int32_t a, int32_t b, int32_t c,
                                std::initializer_list<int32_t> extra = {}) {
    ActionDefinition d;
    d.SetType(type);
    d.SetA(a);
    d.SetB(b);
    d.SetC(c);
    int i = 0;
    for (int32_t v : extra)
        d.SetExtra(i++, v);
    return d;
}

// Every pixel different, so a misplaced source shows; opaque or with random alpha.
inline void FillPattern(CDIBImage& img, uint32_t seed, bool opaque = true) {
    Lcg lcg(seed);
    uint32_t* p = img.GetPixels();
    for (size_t i = 0; i < img.GetByteSize() / 4; ++i) {
        const uint32_t v = static_cast<uint32_t>(lcg.Next()) << 17 ^
                           static_cast<uint32_t>(lcg.Next()) << 2 ^ static_cast<uint32_t>(i);
        p[i] = opaque ? (v | 0xFF000000u) : v;
    }
}

inline bool SameFrame(const CDIBImage& a, const CDIBImage& b) {
    return a.GetWidth() == b.GetWidth() && a.GetHeight() == b.GetHeight() &&
           std::memcmp(a.GetPixels(), b.GetPixels(), a.GetByteSize()) == 0;
}

// The first pixel (row by row) that differs from `ground`, or (−1, −1).
inline std::pair<int, int> FirstChanged(const CDIBImage& img, uint32_t ground = 0) {
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = 0; x < img.GetWidth(); ++x)
            if (img.Row(y)[x] != ground) return {x, y};
    return {-1, -1};
}

constexpr uint32_t kGround = 0xFF102030u;

// A page-sized surface filled with the ground colour.
inline std::unique_ptr<CDIBImage> MakePage(int w = 320, int h = 240, uint32_t ground = kGround) {
    auto page = std::make_unique<CDIBImage>();
    page->Create(w, h);
    page->FillFull(ground);
    return page;
}

inline ActionDrawParam MakeParam(CDIBImage& dst, CDIBImage& picture, int x, int y, int z = 0,
                                 uint32_t colour = 0xFFFFFFFFu, bool blend = true) {
    ActionDrawParam p;
    p.dst = &dst;
    p.picture = &picture;
    p.x = x;
    p.y = y;
    p.z = z;
    p.width = picture.GetWidth();
    p.height = picture.GetHeight();
    p.colour = colour;
    p.blend = blend;
    return p;
}

// A picture cache holding the drop picture "DROP" (6 × 12, random alpha) and nothing else.
struct DropCache {
    DropCache() {
        cache.Initialize(&source);
        auto sprite = std::make_unique<CDIBSprite>();
        sprite->Create(6, 12);
        FillPattern(*sprite, 99, false);
        sprite->SetName("DROP");
        drop = sprite.get();
        cache.RegisterSprite(sprite);
    }
    ~DropCache() { cache.Free(drop); }
    MapSource source;
    CSpriteCache cache;
    CDIBSprite* drop = nullptr;
};

inline ActionDefinition RainDef(int32_t period, int32_t drops, int32_t swing, int32_t wind,
                                std::string_view name = "DROP") {
    ActionDefinition d = MakeDef(ActionType::Rain, period, drops, swing, {wind});
    d.SetRainDropName(name);
    return d;
}

} // namespace qw::test
