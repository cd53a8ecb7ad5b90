// Fuzz target: any transition record with a frame time and frame-speed setting, run from its
// start to its end with a Draw after every Move. A few pictures are cached (a rule, a shape, a
// flare with its sprite elements, two film pictures); the first input byte may write one of
// their names, or a missing one, into the record's name fields.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "common/Random.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CSpriteCache.h"

namespace {

constexpr int kW = 200, kH = 150;

struct World {
    qw::CSpriteCache cache;
    qw::CDIBImage from, to, frame;
    World() {
        cache.Initialize(nullptr);
        from.Create(kW, kH);
        to.Create(kW, kH);
        frame.Create(kW, kH);
        qw::Lcg lcg(7);
        for (qw::CDIBImage* img : {&from, &to})
            for (size_t i = 0; i < img->GetByteSize() / 4; ++i)
                img->GetPixels()[i] = static_cast<uint32_t>(lcg.Next()) << 17 ^
                                      static_cast<uint32_t>(lcg.Next()) << 2;
        Add("RULE", kW, kH, 1, lcg);
        Add("SHAPE", 33, 17, 1, lcg);
        Add("FLARE", 64, 64, 12, lcg);
        Add("FILM1", 90, 30, 3, lcg);
        Add("FILM2", 50, 40, 1, lcg);
    }
    void Add(const char* name, int w, int h, int elements, qw::Lcg& lcg) {
        auto s = std::make_unique<qw::CDIBSprite>();
        s->Create(w, h);
        for (size_t i = 0; i < s->GetByteSize() / 4; ++i)
            s->GetPixels()[i] =
                static_cast<uint32_t>(lcg.Next()) << 16 ^ static_cast<uint32_t>(lcg.Next());
        if (elements > 1) {
            s->InitSprtInfo(elements, 4);
            for (int e = 0; e < elements; ++e)
                *s->GetElementForWrite(e) = {static_cast<int16_t>(e % 4 * (w / 4)), 0,
                                             static_cast<int16_t>(w / 4), static_cast<int16_t>(h)};
        }
        s->SetName(name);
        cache.RegisterSprite(s); // the world keeps the one reference for the whole run
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    if (size < 3) return 0;
    const uint8_t names = data[0];
    const int frameMs = data[1];
    const int frameSpeed = static_cast<int8_t>(data[2]) % 6;
    data += 3;
    size -= 3;
    qw::CallEffectParam param;
    std::memcpy(param.bytes.data(), data, std::min(size, param.bytes.size()));
    static const char* const kNames[] = {"RULE", "SHAPE", "FLARE", "FILM1", "FILM2", "MISSING"};
    if (names & 0x80) {
        const char* name = kNames[names % 6];
        param.SetName(qw::CallEffectParam::kImage, name);
        param.SetName(qw::CallEffectParam::kFlareImage, name);
        param.SetName(qw::CallEffectParam::kFilmFirst, name);
        param.SetName(qw::CallEffectParam::kFilmSecond, kNames[(names >> 3) % 6]);
    }
    qw::SeedRandom(names);
    qw::CDIBOverlap overlap;
    overlap.SetServices(&world.cache, [](const char*, const char*) {});
    // The effect may change the pages' alpha (Blur, RotDoor); what it does to them is its own.
    overlap.InitEffect(&world.from, &world.to, param);
    overlap.Draw(world.frame);
    // Long effects are cut short after a while, the way skipping ends them.
    for (int tick = 0; overlap.IsActive() && tick < 1000; ++tick) {
        if (tick == 60) overlap.SetFinishNow();
        overlap.Move(frameMs, frameSpeed);
        overlap.Draw(world.frame);
    }
    // Every picture went back: only the world's own references remain.
    for (int i = 0; i < qw::CSpriteCache::kEntries; ++i)
        if (world.cache.GetEntry(i).picture && world.cache.GetEntry(i).count != 1) __builtin_trap();
    return 0;
}
