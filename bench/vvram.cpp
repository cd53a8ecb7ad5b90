// The virtual VRAM's page composition on 800 × 600 pages, beside its peers in the same run:
//   ours/full_*         a page of 16 layers of 800 × 600 pictures recomposed in full
//   ours/dirty_256      the same page after one 256 × 256 layer on it moved (a whole tick: the
//                       cameras, actions and layers move, and the damaged area is recomposed)
//   ours/idle_tick      a tick where nothing changed, and the frame copy that follows it
//   ours/scaled_1.5x    16 layers of 534 × 400 pictures drawn 1.5× larger with smoothing
//   memcpy/16_frames    memcpy of the bytes a full composition reads (16 pictures into a page)
//   pixman/OVER_*       pixman compositing the same stack OVER a cleared page (its pictures
//                       premultiplied outside the timing); pixman/bilinear_1.5x likewise scaled
// Two kinds of pictures: every pixel of random alpha, and sprite-like runs (opaque and
// transparent areas with soft rims). Run from a release build; compare medians:
//   bench_vvram --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <pixman.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "PixmanImage.h"
#include "common/Random.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CSpriteCache.h"
#include "graphics/VVramHost.h"

namespace {

using namespace qw;

constexpr int kW = 800, kH = 600, kLayers = 16;
constexpr int kScaledW = 534, kScaledH = 400; // 1.5× is 801 × 600

enum class Kind { Random, Runs };

void Fill(CDIBImage& img, uint32_t seed, Kind kind) {
    Lcg lcg(seed);
    for (int y = 0; y < img.GetHeight(); ++y) {
        uint32_t* row = img.Row(y);
        for (int x = 0; x < img.GetWidth(); ++x) {
            uint32_t p = static_cast<uint32_t>(lcg.Next()) << 17 ^
                         static_cast<uint32_t>(lcg.Next()) << 2 ^
                         static_cast<uint32_t>(lcg.Next()) >> 7;
            if (kind == Kind::Runs) {
                // Discs of opaque pixels on a transparent ground, 2 pixels of soft rim.
                const int cx = static_cast<int>((seed * 97 + 211) % 600) + 100;
                const int cy = static_cast<int>((seed * 61 + 137) % 400) + 100;
                const int r = 120 + static_cast<int>(seed % 5) * 30;
                const int dx = x - cx, dy = y - cy, q = dx * dx + dy * dy;
                const uint32_t alpha = q <= (r - 1) * (r - 1)   ? 255
                                       : q <= (r + 1) * (r + 1) ? 128
                                                                : 0;
                p = (p & 0x00FFFFFFu) | alpha << 24;
            }
            row[x] = p;
        }
    }
}

struct Host : VVramHost {
    CSpriteCache* GetSpriteCache() const override { return &cache; }
    mutable CSpriteCache cache;
};

// A VVram whose back page holds 16 layers: layer i shows picture "Pi" at (0, 0), own size
// unless `scale` is set; with `small`, layer 7 shows a 256 × 256 picture instead.
struct Stack {
    Stack(Kind kind, bool small, bool scaled) {
        host.cache.Initialize(nullptr);
        vvram.Initialize(&host);
        for (int i = 0; i < kLayers; ++i) {
            const bool tiny = small && i == 7;
            auto sprite = std::make_unique<CDIBSprite>();
            sprite->Create(tiny     ? 256
                           : scaled ? kScaledW
                                    : kW,
                           tiny     ? 256
                           : scaled ? kScaledH
                                    : kH);
            Fill(*sprite, static_cast<uint32_t>(i + 1), kind);
            const std::string name = "P" + std::to_string(i);
            sprite->SetName(name);
            pictures.push_back(sprite.get());
            host.cache.RegisterSprite(sprite);
            CDIBSnrLayer* layer = vvram.GetBackLayer(i);
            layer->SetImage(name);
            if (tiny) layer->SetPos(100, 100, 0);
            if (scaled) {
                layer->SetBaseSize(kW, kH);
                layer->SetAnti(true);
            }
        }
        vvram.Move(false);
    }
    int BackPage() const { return vvram.GetFrontPage() ^ 1; }

    Host host;
    CDIBSnrVVram vvram;
    std::vector<CDIBSprite*> pictures;
};

void SetFrames(benchmark::State& state, int frames) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * frames * kW * kH * 4);
}

void OursFull(benchmark::State& state, Kind kind) {
    Stack s(kind, false, false);
    for (auto _ : state) {
        s.vvram.ComposeFull(s.BackPage());
        benchmark::DoNotOptimize(s.vvram.GetBackScreen()->GetPixels());
        benchmark::ClobberMemory();
    }
    SetFrames(state, kLayers);
}

void OursDirty(benchmark::State& state, Kind kind) {
    Stack s(kind, true, false);
    CDIBSnrLayer* layer = s.vvram.GetBackLayer(7);
    int x = 100;
    for (auto _ : state) {
        x = x == 100 ? 104 : 100;
        layer->SetPos(x, 100, 0);
        s.vvram.Move(false);
        benchmark::DoNotOptimize(s.vvram.GetBackScreen()->GetPixels());
        benchmark::ClobberMemory();
    }
    if (s.vvram.GetPageStats(s.BackPage()).partial == 0) state.SkipWithError("no partial pass");
}

void OursFullSmall(benchmark::State& state, Kind kind) {
    Stack s(kind, true, false);
    for (auto _ : state) {
        s.vvram.ComposeFull(s.BackPage());
        benchmark::DoNotOptimize(s.vvram.GetBackScreen()->GetPixels());
        benchmark::ClobberMemory();
    }
}

void OursIdle(benchmark::State& state) {
    Stack s(Kind::Random, false, false);
    CDIBImage frame;
    frame.Create(kW, kH);
    for (auto _ : state) {
        s.vvram.Move(false);
        s.vvram.Blt(frame);
        benchmark::DoNotOptimize(frame.GetPixels());
        benchmark::ClobberMemory();
    }
    SetFrames(state, 1);
}

void OursScaled(benchmark::State& state, Kind kind) {
    Stack s(kind, false, true);
    for (auto _ : state) {
        s.vvram.ComposeFull(s.BackPage());
        benchmark::DoNotOptimize(s.vvram.GetBackScreen()->GetPixels());
        benchmark::ClobberMemory();
    }
}

void Memcpy16(benchmark::State& state) {
    const size_t frame = size_t{kW} * kH;
    std::vector<std::vector<uint32_t>> src(kLayers, std::vector<uint32_t>(frame, 1));
    std::vector<uint32_t> dst(frame, 2);
    for (auto _ : state) {
        for (const auto& s : src)
            std::memcpy(dst.data(), s.data(), frame * 4);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetFrames(state, kLayers);
}

void PixmanStack(benchmark::State& state, Kind kind, bool scaled) {
    Stack s(kind, false, scaled);
    std::vector<std::unique_ptr<PixmanImage>> layers;
    for (CDIBSprite* p : s.pictures)
        layers.push_back(std::make_unique<PixmanImage>(*p));
    if (scaled) {
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(double{kScaledW} / kW),
                                    pixman_double_to_fixed(double{kScaledH} / kH));
        for (auto& l : layers) {
            pixman_image_set_transform(l->image, &t);
            pixman_image_set_filter(l->image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
        }
    }
    PixmanImage page(kW, kH);
    const pixman_color_t clear = {0, 0, 0, 0};
    pixman_image_t* solid = pixman_image_create_solid_fill(&clear);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, solid, nullptr, page.image, 0, 0, 0, 0, 0, 0, kW,
                                 kH);
        for (auto& l : layers)
            pixman_image_composite32(PIXMAN_OP_OVER, l->image, nullptr, page.image, 0, 0, 0, 0, 0,
                                     0, kW, kH);
        benchmark::DoNotOptimize(page.bits.data());
        benchmark::ClobberMemory();
    }
    pixman_image_unref(solid);
    if (!scaled) SetFrames(state, kLayers);
}

void Register() {
    const auto ms = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond); };
    const struct {
        const char* name;
        Kind kind;
    } kinds[] = {{"random", Kind::Random}, {"runs", Kind::Runs}};
    ms(benchmark::RegisterBenchmark("memcpy/16_frames", Memcpy16));
    for (const auto& k : kinds) {
        const std::string n = k.name;
        ms(benchmark::RegisterBenchmark(("ours/full_16x800x600_" + n).c_str(), OursFull, k.kind));
        ms(benchmark::RegisterBenchmark(("pixman/OVER_16x800x600_" + n).c_str(), PixmanStack,
                                        k.kind, false));
        ms(benchmark::RegisterBenchmark(("ours/full_15x800x600+256_" + n).c_str(), OursFullSmall,
                                        k.kind));
        ms(benchmark::RegisterBenchmark(("ours/dirty_256_" + n).c_str(), OursDirty, k.kind));
        ms(benchmark::RegisterBenchmark(("ours/scaled_1.5x_smooth_" + n).c_str(), OursScaled,
                                        k.kind));
        ms(benchmark::RegisterBenchmark(("pixman/bilinear_1.5x_OVER_" + n).c_str(), PixmanStack,
                                        k.kind, true));
    }
    ms(benchmark::RegisterBenchmark("ours/idle_tick_and_frame_copy", OursIdle));
}

} // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
