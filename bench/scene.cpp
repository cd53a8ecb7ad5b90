// A typical scene tick: the demo's first picture scene (the town at dusk: a background, three
// people and the translucent message panel, pictures read from the built demo game's picture
// archive), one tick as the main loop runs it — the frame's dirty areas flipped, the pages moved
// and recomposed, the rectangle list built and the shown page drawn into the frame:
//   ours/idle_tick           nothing changes (the scene waits for a click)
//   ours/character_changes   one person's picture is swapped on the shown page every tick
//                            (the page recomposed over that person, the frame copied there)
//   ours/character_moves     one person steps 4 pixels to the side every tick
//   ours/recompose_full      the whole page composed again (a camera move, a transition's end)
// and its peers in the same run:
//   memcpy/frame             one 800 × 600 frame copied
//   pixman/scene_full        pixman compositing the same stack (the background copied, the
//                            people and the panel OVER it; pictures premultiplied outside the
//                            timing) and copying the page into a frame
//   pixman/character_area    pixman recomposing the one person's rectangle and copying it out
// Run from a release build; CPU time is what counts:
//   bench_scene --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <pixman.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/CScreenBuffer.h"
#include "files/CFileJoin.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CSpriteCache.h"
#include "graphics/CallEffectParam.h"
#include "graphics/VVramHost.h"

namespace {

using namespace qw;

constexpr int kW = 800, kH = 600;

// The first scene's layers, as the town chapter builds them.
struct Placed {
    int layer;
    const char* picture;
    int x, y;
};
constexpr Placed kScene[] = {{0, "BG_TOWN", 0, 0},
                             {1, "CHR_AOI", 60, 130},
                             {2, "CHR_BEN", 280, 130},
                             {3, "CHR_CORA", 500, 130},
                             {8, "WINDOW", 0, 450}};
constexpr int kChanging = 2; // Ben's layer

struct Host : VVramHost {
    FrameDirtyArea* GetFrame() const override { return frame; }
    CSpriteCache* GetSpriteCache() const override { return cache; }
    CScreenBuffer* frame = nullptr;
    CSpriteCache* cache = nullptr;
};

// The demo's pictures, the frame and the VVram with the scene shown on its front page.
struct Scene {
    bool Open(benchmark::State& state) {
        if (!archive.Initialize(QW_DEMO_GAME_DIR, "MGD", ".MGD") || !cache.Initialize(&archive) ||
            !frame.Initialize()) {
            state.SkipWithError("the demo game's pictures are missing (build demo_game)");
            return false;
        }
        host.frame = &frame;
        host.cache = &cache;
        if (!vvram.Initialize(&host)) return false;
        // Held as the image slots hold them, so swapping a picture never decodes it again.
        for (const char* name : {"BG_TOWN", "CHR_AOI", "CHR_BEN", "CHR_CORA", "WINDOW"}) {
            CDIBSprite* picture = cache.Read(name);
            if (!picture) {
                state.SkipWithError((std::string("cannot read ") + name).c_str());
                return false;
            }
            held.push_back(picture);
        }
        for (const Placed& p : kScene) {
            CDIBSnrLayer* layer = vvram.GetBackLayer(p.layer);
            layer->SetImage(p.picture);
            layer->SetPos(p.x, p.y, 0);
        }
        // A cut shows the back page; a few ticks finish it and settle the frame.
        vvram.StartTransition(CallEffectParam::Make(kEffectBlt, 1));
        for (int i = 0; i < 6; ++i)
            Tick();
        if (vvram.IsTransitionRunning() || !vvram.GetLayer(kChanging)->GetProp().picture) {
            state.SkipWithError("the scene did not come up");
            return false;
        }
        // The page a transition drew on is composed whole the first time it changes; the ticks
        // measured are the ones after that.
        vvram.ComposeFull(vvram.GetFrontPage());
        return true;
    }
    ~Scene() {
        vvram.Release();
        for (CDIBSprite* p : held)
            cache.Free(p);
    }
    // One tick of the main loop's picture work.
    void Tick() {
        frame.FlipDirty();
        vvram.Move(false);
        frame.BuildRectList();
        vvram.Draw(*frame.GetImage());
    }

    CFileJoin archive;
    CSpriteCache cache;
    CScreenBuffer frame;
    Host host;
    CDIBSnrVVram vvram;
    std::vector<CDIBSprite*> held;
};

void OursIdle(benchmark::State& state) {
    Scene s;
    if (!s.Open(state)) return;
    for (auto _ : state) {
        s.Tick();
        benchmark::DoNotOptimize(s.frame.GetImage()->GetPixels());
        benchmark::ClobberMemory();
    }
}

void OursCharacterChanges(benchmark::State& state) {
    Scene s;
    if (!s.Open(state)) return;
    CDIBSnrLayer* layer = s.vvram.GetLayer(kChanging);
    bool other = false;
    for (auto _ : state) {
        other = !other;
        layer->SetImage(other ? "CHR_AOI" : "CHR_BEN");
        s.Tick();
        benchmark::DoNotOptimize(s.frame.GetImage()->GetPixels());
        benchmark::ClobberMemory();
    }
    const int page = s.vvram.GetFrontPage();
    if (s.vvram.GetPageStats(page).partial == 0) state.SkipWithError("no partial composition");
}

void OursCharacterMoves(benchmark::State& state) {
    Scene s;
    if (!s.Open(state)) return;
    CDIBSnrLayer* layer = s.vvram.GetLayer(kChanging);
    int x = 280;
    for (auto _ : state) {
        x = x == 280 ? 284 : 280;
        layer->SetPos(x, 130, 0);
        s.Tick();
        benchmark::DoNotOptimize(s.frame.GetImage()->GetPixels());
        benchmark::ClobberMemory();
    }
}

void OursRecomposeFull(benchmark::State& state) {
    Scene s;
    if (!s.Open(state)) return;
    for (auto _ : state) {
        s.vvram.ComposeFull(s.vvram.GetFrontPage());
        s.vvram.Blt(*s.frame.GetImage());
        benchmark::DoNotOptimize(s.frame.GetImage()->GetPixels());
        benchmark::ClobberMemory();
    }
}

void MemcpyFrame(benchmark::State& state) {
    std::vector<uint32_t> src(size_t{kW} * kH, 1), dst(size_t{kW} * kH, 2);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kW * kH * 4);
}

// A picture premultiplied for pixman.
struct PixmanPicture {
    std::vector<uint32_t> bits;
    pixman_image_t* image = nullptr;
    explicit PixmanPicture(const CDIBImage& from)
        : bits(from.GetPixels(), from.GetPixels() + from.GetByteSize() / 4) {
        for (uint32_t& p : bits) {
            const uint32_t a = p >> 24;
            uint32_t out = a << 24;
            for (int sh = 0; sh < 24; sh += 8)
                out |= (((p >> sh) & 0xFF) * a / 255) << sh;
            p = out;
        }
        image = pixman_image_create_bits(PIXMAN_a8r8g8b8, from.GetWidth(), from.GetHeight(),
                                         bits.data(), from.GetWidth() * 4);
    }
    PixmanPicture(int w, int h) : bits(size_t(w) * h, 0) {
        image = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, bits.data(), w * 4);
    }
    ~PixmanPicture() { pixman_image_unref(image); }
    PixmanPicture(const PixmanPicture&) = delete;
    PixmanPicture& operator=(const PixmanPicture&) = delete;
};

// Composites the scene's stack over the rectangle (x, y, w, h) of the page, then copies that
// rectangle into the frame.
void PixmanCompose(const std::vector<std::unique_ptr<PixmanPicture>>& pictures, PixmanPicture& page,
                   PixmanPicture& frame, int x, int y, int w, int h) {
    pixman_image_composite32(PIXMAN_OP_CLEAR, page.image, nullptr, page.image, 0, 0, 0, 0, x, y, w,
                             h);
    for (size_t i = 0; i < pictures.size(); ++i) {
        const Placed& p = kScene[i];
        pixman_image_composite32(i == 0 ? PIXMAN_OP_SRC : PIXMAN_OP_OVER, pictures[i]->image,
                                 nullptr, page.image, x - p.x, y - p.y, 0, 0, x, y, w, h);
    }
    pixman_image_composite32(PIXMAN_OP_SRC, page.image, nullptr, frame.image, x, y, 0, 0, x, y, w,
                             h);
}

void PixmanScene(benchmark::State& state, bool characterOnly) {
    Scene s;
    if (!s.Open(state)) return;
    std::vector<std::unique_ptr<PixmanPicture>> pictures;
    for (CDIBSprite* p : s.held)
        pictures.push_back(std::make_unique<PixmanPicture>(*p));
    PixmanPicture page(kW, kH), frame(kW, kH);
    const CDIBSprite* ben = s.held[2];
    for (auto _ : state) {
        if (characterOnly)
            PixmanCompose(pictures, page, frame, kScene[kChanging].x, kScene[kChanging].y,
                          ben->GetWidth(), ben->GetHeight());
        else
            PixmanCompose(pictures, page, frame, 0, 0, kW, kH);
        benchmark::DoNotOptimize(frame.bits.data());
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(OursIdle)->Name("ours/idle_tick")->Unit(benchmark::kMicrosecond);
BENCHMARK(OursCharacterChanges)->Name("ours/character_changes")->Unit(benchmark::kMicrosecond);
BENCHMARK(OursCharacterMoves)->Name("ours/character_moves")->Unit(benchmark::kMicrosecond);
BENCHMARK(OursRecomposeFull)->Name("ours/recompose_full")->Unit(benchmark::kMicrosecond);
BENCHMARK(MemcpyFrame)->Name("memcpy/frame")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PixmanScene, full, false)
    ->Name("pixman/scene_full")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PixmanScene, character, true)
    ->Name("pixman/character_area")
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
