#pragma once
// Pictures and a cache for the transition tests: random surfaces, flat ones, and pictures
// registered in a sprite cache under a name so the effects can read them.

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "graphics/CDIBImage.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CSpriteCache.h"

namespace qw::test {

// Pixels of `img` equal to `colour`.
inline int CountOf(const CDIBImage& img, uint32_t colour) {
    int n = 0;
    for (size_t i = 0; i < img.GetByteSize() / 4; ++i)
        n += img.GetPixels()[i] == colour;
    return n;
}

inline void FillRandomPixels(CDIBImage& img, std::mt19937& rng) {
    uint32_t* p = img.GetPixels();
    for (size_t i = 0; i < img.GetByteSize() / 4; ++i)
        p[i] = static_cast<uint32_t>(rng());
}

inline std::unique_ptr<CDIBImage> RandomSurface(int w, int h, std::mt19937& rng) {
    auto img = std::make_unique<CDIBImage>();
    img->Create(w, h);
    FillRandomPixels(*img, rng);
    return img;
}

inline std::unique_ptr<CDIBImage> FlatSurface(int w, int h, uint32_t colour) {
    auto img = std::make_unique<CDIBImage>();
    img->Create(w, h);
    img->FillFull(colour);
    return img;
}

// A cache with no archive: only registered pictures can be read. Each registered picture keeps
// one reference held by the fixture, so the counts show what an effect holds.
class PictureShelf {
public:
    PictureShelf() { cache.Initialize(nullptr); }
    CDIBSprite* Add(const std::string& name, int w, int h, std::mt19937* rng = nullptr,
                    uint32_t colour = 0) {
        auto s = std::make_unique<CDIBSprite>();
        s->Create(w, h);
        if (rng)
            FillRandomPixels(*s, *rng);
        else
            s->FillFull(colour);
        s->SetName(name);
        CDIBSprite* raw = s.get();
        if (!cache.RegisterSprite(s)) return nullptr;
        return raw;
    }
    int Count(const CDIBSprite* p) const {
        const CSpriteCache::Entry* e = cache.GetDataID(p);
        return e ? e->count : -1;
    }
    CSpriteCache cache;
};

} // namespace qw::test
