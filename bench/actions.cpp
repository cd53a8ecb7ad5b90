// Layer actions drawing one frame, beside memcpy of an 800 × 600 frame and pixman doing the
// comparable compositing: a raster of an opaque 800 × 600 layer against pixman OVER of the
// frame (the wave swaying rows and columns, or rows only); a 400 × 400 picture turning against
// pixman's affine OVER (nearest and bilinear); 200 rain drops against pixman compositing the same
// number of scaled sprites; the fire action against the flame's tick plus one blend of its layer.
//
// The action benchmarks also count the allocations their moves and draws make (`allocs`, per
// iteration; 0 expected), through this program's own operator new.
//
// Run from a release build: bench_actions --benchmark_repetitions=5
//   --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <pixman.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "PixmanImage.h"
#include "common/Random.h"
#include "files/MemberSource.h"
#include "graphics/CDIBFireEx.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CSpriteCache.h"

namespace {
std::atomic<long> g_allocations{0};
} // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using namespace qw;

// The allocations since `start`, per iteration of the benchmark's loop.
void ReportAllocations(benchmark::State& state, long start) {
    const long made = g_allocations.load() - start;
    state.counters["allocs"] =
        static_cast<double>(made) / static_cast<double>(std::max<int64_t>(state.iterations(), 1));
}

constexpr int kW = 800, kH = 600;

void FillRandom(CDIBImage& img, uint32_t seed, bool opaque) {
    Lcg lcg(seed);
    uint32_t* p = img.GetPixels();
    for (size_t i = 0; i < img.GetByteSize() / 4; ++i) {
        const uint32_t v = static_cast<uint32_t>(lcg.Next()) << 17 ^
                           static_cast<uint32_t>(lcg.Next()) << 2 ^
                           static_cast<uint32_t>(lcg.Next()) >> 7;
        p[i] = opaque ? v | 0xFF000000u : v;
    }
}

class NoFiles : public IMemberSource {
public:
    std::optional<Bytes> ReadMember(std::string_view) override { return std::nullopt; }
};

struct World {
    CDIBImage frame, layer, square;
    NoFiles files;
    CSpriteCache cache;
    CDIBSprite* drop = nullptr;
    World() {
        frame.Create(kW, kH);
        layer.Create(kW, kH);
        square.Create(400, 400);
        FillRandom(frame, 1, true);
        FillRandom(layer, 2, true);
        FillRandom(square, 3, false);
        cache.Initialize(&files);
        auto sprite = std::make_unique<CDIBSprite>();
        sprite->Create(16, 48);
        FillRandom(*sprite, 4, false);
        sprite->SetName("DROP");
        drop = sprite.get();
        cache.RegisterSprite(sprite);
    }
};

World& W() {
    static World world;
    return world;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kW * kH * 4);
}

void Memcpy(benchmark::State& state) {
    World& w = W();
    std::vector<uint32_t> out(kW * kH);
    for (auto _ : state) {
        std::memcpy(out.data(), w.frame.GetPixels(), w.frame.GetByteSize());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}

ActionDrawParam Param(CDIBImage& dst, CDIBImage& pic, int x, int y, bool blend) {
    ActionDrawParam p;
    p.dst = &dst;
    p.picture = &pic;
    p.x = x;
    p.y = y;
    p.width = pic.GetWidth();
    p.height = pic.GetHeight();
    p.blend = blend;
    return p;
}

// The wave sways rows sideways (direction 0) or rows and columns (2).
void Raster(benchmark::State& state, int direction) {
    World& w = W();
    CDIBSnrAction a;
    a.Initialize();
    ActionDefinition d;
    d.SetType(ActionType::Raster);
    d.SetC(1000);
    d.SetExtra(0, 12);
    d.SetExtra(1, direction);
    a.Setup(d);
    a.Play();
    const ActionDrawParam p = Param(w.frame, w.layer, 0, 0, false);
    const long allocations = g_allocations.load();
    for (auto _ : state) {
        a.Move(false, 30, 1);
        a.Draw(p);
        benchmark::ClobberMemory();
    }
    ReportAllocations(state, allocations);
    SetBytes(state);
}

void Rotation(benchmark::State& state) {
    World& w = W();
    CDIBSnrAction a;
    a.Initialize();
    ActionDefinition d;
    d.SetType(ActionType::Rot2D);
    d.SetA(3000);
    a.Setup(d);
    a.Play();
    a.Move(false, 370, 1); // a visibly turned picture
    const ActionDrawParam p = Param(w.frame, w.square, 200, 100, true);
    const long allocations = g_allocations.load();
    for (auto _ : state) {
        a.Draw(p);
        benchmark::ClobberMemory();
    }
    ReportAllocations(state, allocations);
}

void Rain(benchmark::State& state) {
    World& w = W();
    SeedRandom(1);
    CDIBSnrAction a;
    a.Initialize(&w.cache);
    ActionDefinition d;
    d.SetType(ActionType::Rain);
    d.SetA(1500);
    d.SetB(200);
    d.SetC(20);
    d.SetRainDropName("DROP");
    a.Setup(d);
    a.Play();
    for (int i = 0; i < 40; ++i)
        a.Move(false, 30, 1);
    CDIBImage tiny;
    tiny.Create(1, 1); // the layer itself is not what is measured
    const ActionDrawParam p = Param(w.frame, tiny, 0, 0, true);
    const long allocations = g_allocations.load();
    for (auto _ : state) {
        a.Move(false, 30, 1);
        a.Draw(p);
        benchmark::ClobberMemory();
    }
    ReportAllocations(state, allocations);
}

// A fire over a 400 × 200 layer at the foot of the page: the action's move and draw, beside what
// it is made of, the flame's own tick and draw and one blend of the layer.
constexpr int kFireX = 200, kFireY = 400, kFireW = 400, kFireH = 200;

CDIBImage& FireLayer() {
    static CDIBImage* layer = [] {
        auto* img = new CDIBImage; // lives as long as the program
        img->Create(kFireW, kFireH);
        FillRandom(*img, 6, false);
        return img;
    }();
    return *layer;
}

void FireAction(benchmark::State& state) {
    World& w = W();
    SeedRandom(1);
    CDIBSnrAction a;
    a.Initialize();
    ActionDefinition d;
    d.SetType(ActionType::Fire);
    d.SetA(10000);
    d.SetB(400);
    d.SetC(800);
    d.SetExtra(0, 1);
    a.Setup(d);
    a.Play();
    const ActionDrawParam p = Param(w.frame, FireLayer(), kFireX, kFireY, true);
    const long allocations = g_allocations.load();
    for (auto _ : state) {
        a.Move(false, 30, 1);
        a.Draw(p);
        benchmark::ClobberMemory();
    }
    ReportAllocations(state, allocations);
}

void FireTickAndBlend(benchmark::State& state) {
    World& w = W();
    SeedRandom(1);
    CDIBFireEx fire;
    fire.Initialize();
    fire.SetMove(true, true);
    fire.Move(1000);
    fire.SetDrawParam(kFireX, kFireY, kFireW, kFireH, 0xFFFFFFFFu, 0, 0, 0);
    CDIBImage& layer = FireLayer();
    VertexQuad q;
    layer.SetStretchVertex(q, kFireX, kFireY, kFireW, kFireH, 0xFFFFFFFFu);
    const long allocations = g_allocations.load();
    for (auto _ : state) {
        fire.Move(30);
        layer.StretchBltBlend(&w.frame, q, false);
        fire.Draw(&w.frame);
        benchmark::ClobberMemory();
    }
    ReportAllocations(state, allocations);
}

// ---- pixman ----

void PixmanOver(benchmark::State& state) {
    World& w = W();
    PixmanImage src(w.layer), dst(w.frame);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0,
                                 kW, kH);
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}

void PixmanAffine(benchmark::State& state, pixman_filter_t filter) {
    World& w = W();
    PixmanImage src(w.square), dst(w.frame);
    pixman_transform_t t;
    const double angle = 370.0 / 3000 * 2 * 3.141592653589793;
    pixman_transform_init_identity(&t);
    pixman_transform_translate(&t, nullptr, pixman_double_to_fixed(-200),
                               pixman_double_to_fixed(-200));
    pixman_transform_rotate(&t, nullptr, pixman_double_to_fixed(std::cos(angle)),
                            pixman_double_to_fixed(std::sin(angle)));
    pixman_transform_translate(&t, nullptr, pixman_double_to_fixed(200),
                               pixman_double_to_fixed(200));
    pixman_image_set_transform(src.image, &t);
    pixman_image_set_filter(src.image, filter, nullptr, 0);
    for (auto _ : state) {
        // The turned square's bounding box, about 540 × 540.
        pixman_image_composite32(PIXMAN_OP_OVER, src.image, nullptr, dst.image, -70, -70, 0, 0, 130,
                                 30, 540, 540);
        benchmark::ClobberMemory();
    }
}

void PixmanSprites(benchmark::State& state) {
    World& w = W();
    PixmanImage src(*w.drop), dst(w.frame);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(1 / 0.55),
                                pixman_double_to_fixed(1 / 0.55));
    pixman_image_set_transform(src.image, &t);
    Lcg lcg(5);
    int xs[200], ys[200];
    for (int i = 0; i < 200; ++i)
        xs[i] = lcg.Next() % kW, ys[i] = lcg.Next() % kH;
    for (auto _ : state) {
        for (int i = 0; i < 200; ++i)
            pixman_image_composite32(PIXMAN_OP_OVER, src.image, nullptr, dst.image, 0, 0, 0, 0,
                                     xs[i], ys[i], 9, 26);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(Memcpy)->Name("memcpy/frame");
BENCHMARK(PixmanOver)->Name("pixman/over_frame");
BENCHMARK_CAPTURE(Raster, both, 2)->Name("ours/raster_800x600_opaque");
BENCHMARK_CAPTURE(Raster, sideways, 0)->Name("ours/raster_800x600_opaque_sideways");
BENCHMARK_CAPTURE(PixmanAffine, nearest, PIXMAN_FILTER_NEAREST)->Name("pixman/affine_400_nearest");
BENCHMARK_CAPTURE(PixmanAffine, bilinear, PIXMAN_FILTER_BILINEAR)
    ->Name("pixman/affine_400_bilinear");
BENCHMARK(Rotation)->Name("ours/rotation_400");
BENCHMARK(PixmanSprites)->Name("pixman/200_scaled_sprites");
BENCHMARK(Rain)->Name("ours/rain_200_drops");
BENCHMARK(FireTickAndBlend)->Name("ours/fire_tick_and_one_blend");
BENCHMARK(FireAction)->Name("ours/fire_action");

} // namespace

BENCHMARK_MAIN();
