// The fifteen transitions on 800 × 600 pages: one Move and one Draw of each at p = 0.5 (RotDoor
// at 0.25, where the old page still turns), with the set-up outside the timing, once per
// span-kernel table. Beside them, in the same run: memcpy of one frame (the floor) and pixman's
// solid-mask OVER, affine SRC (a turned quad, as Rotate draws), projective SRC (a door, as
// RotDoor draws) and bilinear OVER (a scaled flame picture, as Fire draws).
//
//   bench_transitions --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/Random.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CSpriteCache.h"
#include "graphics/PixelKernels.h"

namespace {

using namespace qw;

constexpr int kW = 800, kH = 600;

void FillRandom(CDIBImage& img, uint32_t seed) {
    Lcg lcg(seed);
    uint32_t* p = img.GetPixels();
    for (size_t i = 0; i < img.GetByteSize() / 4; ++i)
        p[i] = static_cast<uint32_t>(lcg.Next()) << 17 ^ static_cast<uint32_t>(lcg.Next()) << 2 ^
               0xFF000000u;
}

struct World {
    CSpriteCache cache;
    CDIBImage from, to, frame;
    World() {
        cache.Initialize(nullptr);
        from.Create(kW, kH);
        to.Create(kW, kH);
        frame.Create(kW, kH);
        FillRandom(from, 1);
        FillRandom(to, 2);
        // A rule of smooth thresholds, a star-like shape, a flare with its flash and sprites.
        Add("RULE", kW, kH, 0,
            [](int x, int y) { return ((x + y) * 255 / (kW + kH)) | 0xFF000000u; });
        Add("SHAPE", 256, 256, 0, [](int x, int y) {
            const int dx = x - 128, dy = y - 128;
            return dx * dx + dy * dy < 100 * 100 || std::abs(dx) < 20 || std::abs(dy) < 20
                       ? 0xFFFFFFFFu
                       : 0u;
        });
        Add("FLARE", 512, 128, 12,
            [](int x, int y) { return static_cast<uint32_t>((x ^ y) & 0xFF) << 24 | 0xFFE0C0u; });
        Add("SCRATCH", 96, 64, 3, [](int x, int) { return x % 7 == 0 ? 0xFFFFFFFFu : 0u; });
    }
    template <typename F>
    void Add(const char* name, int w, int h, int elements, F pixel) {
        auto s = std::make_unique<CDIBSprite>();
        s->Create(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                s->Row(y)[x] = pixel(x, y);
        if (elements > 0) {
            s->InitSprtInfo(elements, 4);
            *s->GetElementForWrite(0) = {0, 0, static_cast<int16_t>(w / 4),
                                         static_cast<int16_t>(h)};
            for (int e = 1; e < elements; ++e)
                *s->GetElementForWrite(e) = {static_cast<int16_t>(w / 4 + (e % 6) * 40), 0, 40, 40};
        }
        s->SetName(name);
        cache.RegisterSprite(s);
    }
};

World& Data() {
    static World world;
    return world;
}

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kW * kH * 4);
}

void Memcpy(benchmark::State& state) {
    std::vector<uint32_t> src(size_t{kW} * kH, 1), dst(size_t{kW} * kH, 2);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    SetBytes(state);
}

void Effect(benchmark::State& state, CallEffectParam param, SimdLevel level) {
    World& w = Data();
    const SimdLevel saved = GetSimdLevel();
    if (!SetSimdLevel(level)) {
        state.SkipWithError("instruction set not available");
        return;
    }
    CDIBOverlap overlap;
    overlap.SetServices(&w.cache, nullptr);
    if (param.Type() != kEffectWater) overlap.InitEffect(&w.from, &w.to, param);
    // Half way (a quarter for the door), then Move by nothing: each iteration is one frame's
    // move step and drawing at the same point of the effect.
    const int film = param.Type() == kEffectFilm;
    const int duration =
        film ? param.FilmFadeIn() + param.FilmHold() + param.FilmFinal() : param.Time();
    const int point = param.Type() == kEffectRotDoor ? duration / 4 : duration / 2;
    // The water's move adds a drop every other tick and the ripples it makes stay where they
    // are while the time stands still: repeated in place it would pile up drops no run ever
    // sees. It starts again for each frame, reaching the point by ticks of 30 ms as a game does.
    const bool restart = param.Type() == kEffectWater;
    const auto reach = [&] {
        overlap.InitEffect(&w.from, &w.to, param);
        for (int t = 0; t < point; t += 30)
            overlap.Move(std::min(30, point - t), 1);
    };
    if (!restart) overlap.Move(point, 1);
    for (auto _ : state) {
        if (restart) {
            state.PauseTiming();
            reach();
            state.ResumeTiming();
        }
        overlap.Move(0, 1);
        overlap.Draw(w.frame);
        benchmark::DoNotOptimize(w.frame.GetPixels());
        benchmark::ClobberMemory();
    }
    SetSimdLevel(saved);
    SetBytes(state);
}

// ---- pixman ----

struct PixmanImage {
    std::vector<uint32_t> bits;
    pixman_image_t* image = nullptr;
    explicit PixmanImage(const CDIBImage& from)
        : bits(from.GetPixels(), from.GetPixels() + from.GetByteSize() / 4) {
        image = pixman_image_create_bits(PIXMAN_a8r8g8b8, from.GetWidth(), from.GetHeight(),
                                         bits.data(), from.GetWidth() * 4);
    }
    ~PixmanImage() { pixman_image_unref(image); }
};

enum class PixmanOp { OverSolidMask, AffineSrc, ProjectiveSrc, BilinearOver };

void Pixman(benchmark::State& state, PixmanOp op) {
    World& w = Data();
    PixmanImage src(w.to), dst(w.frame);
    CDIBImage flame;
    flame.Create(640, 120);
    FillRandom(flame, 3);
    PixmanImage small(flame);
    const pixman_color_t half = {0x8000, 0x8000, 0x8000, 0x8000};
    pixman_image_t* mask = pixman_image_create_solid_fill(&half);
    pixman_transform_t t;
    switch (op) {
    case PixmanOp::AffineSrc: {
        // The to page at half size turned by 180° about the frame's centre (Rotate at p = 0.5).
        pixman_transform_init_identity(&t);
        pixman_transform_translate(&t, nullptr, pixman_int_to_fixed(-400),
                                   pixman_int_to_fixed(-300));
        pixman_transform_rotate(&t, nullptr, pixman_double_to_fixed(-1), 0);
        pixman_transform_scale(&t, nullptr, pixman_double_to_fixed(2), pixman_double_to_fixed(2));
        pixman_transform_translate(&t, nullptr, pixman_int_to_fixed(400), pixman_int_to_fixed(300));
        pixman_image_set_transform(src.image, &t);
        pixman_image_set_filter(src.image, PIXMAN_FILTER_NEAREST, nullptr, 0);
        break;
    }
    case PixmanOp::ProjectiveSrc: {
        // A page turned 45° about its vertical axis in perspective (RotDoor at p = 0.25).
        pixman_f_transform_t f;
        pixman_f_transform_init_identity(&f);
        f.m[2][0] = 0.0008;
        f.m[0][0] = 1.4;
        f.m[0][2] = -200;
        pixman_transform_from_pixman_f_transform(&t, &f);
        pixman_image_set_transform(src.image, &t);
        pixman_image_set_filter(src.image, PIXMAN_FILTER_NEAREST, nullptr, 0);
        break;
    }
    case PixmanOp::BilinearOver:
        pixman_transform_init_scale(&t, pixman_double_to_fixed(640.0 / kW),
                                    pixman_double_to_fixed(120.0 / kH));
        pixman_image_set_transform(small.image, &t);
        pixman_image_set_filter(small.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
        break;
    case PixmanOp::OverSolidMask:
        break;
    }
    for (auto _ : state) {
        switch (op) {
        case PixmanOp::OverSolidMask:
            pixman_image_composite32(PIXMAN_OP_OVER, src.image, mask, dst.image, 0, 0, 0, 0, 0, 0,
                                     kW, kH);
            break;
        case PixmanOp::AffineSrc:
        case PixmanOp::ProjectiveSrc:
            pixman_image_composite32(PIXMAN_OP_SRC, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0,
                                     kW, kH);
            break;
        case PixmanOp::BilinearOver:
            pixman_image_composite32(PIXMAN_OP_OVER, small.image, nullptr, dst.image, 0, 0, 0, 0, 0,
                                     0, kW, kH);
            break;
        }
        benchmark::DoNotOptimize(dst.bits.data());
        benchmark::ClobberMemory();
    }
    pixman_image_unref(mask);
    SetBytes(state);
}

void Register() {
    const auto ms = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond); };
    ms(benchmark::RegisterBenchmark("memcpy/frame", Memcpy));
    using P = CallEffectParam;
    const struct {
        const char* name;
        CallEffectParam param;
    } effects[] = {
        {"Blt", P::Make(kEffectBlt, 1000)},
        {"Fade", P::Make(kEffectFade, 1000)},
        {"Alpha0", P::MakeAlpha(1000, 0, "RULE", 255)},
        {"Alpha1", P::MakeAlpha(1000, 1, "RULE", 255)},
        {"Alpha2", P::MakeAlpha(1000, 2, "RULE", 64)},
        {"Wipe0", P::MakeWipe(1000, 0, "SHAPE")},
        {"Rotate0", P::MakeMode(kEffectRotate, 1000, 0)},
        {"LensFlare", P::MakeLensFlare(1000, "FLARE", 100, 900, 0)},
        {"Twist0", P::MakeMode(kEffectTwist, 1000, 0)},
        {"Bound1", P::MakeBound(1000, 1, 2, 40, 30)},
        {"Kacchin0", P::MakeMode(kEffectKacchin, 1000, 0)},
        {"Glass0", P::MakeMode(kEffectGlass, 1000, 0)},
        {"Fire", P::Make(kEffectFire, 1000)},
        {"Water", P::Make(kEffectWater, 1000)},
        {"Film", P::MakeFilm("SCRATCH", "", 300, 400, 300)},
        {"RotDoor0", P::MakeMode(kEffectRotDoor, 1000, 0)},
        {"Blur0", P::MakeMode(kEffectBlur, 1000, 0)},
    };
    const struct {
        const char* name;
        SimdLevel level;
    } levels[] = {
        {"scalar", SimdLevel::Scalar}, {"sse2", SimdLevel::Sse2}, {"avx2", SimdLevel::Avx2}};
    const SimdLevel saved = GetSimdLevel();
    for (const auto& e : effects)
        for (const auto& l : levels) {
            if (!SetSimdLevel(l.level)) continue;
            const std::string name = std::string("ours/") + e.name + "/" + l.name;
            ms(benchmark::RegisterBenchmark(name.c_str(), Effect, e.param, l.level));
        }
    SetSimdLevel(saved);
    ms(benchmark::RegisterBenchmark("pixman/OVER_solid_mask", Pixman, PixmanOp::OverSolidMask));
    ms(benchmark::RegisterBenchmark("pixman/SRC_affine_nearest", Pixman, PixmanOp::AffineSrc));
    ms(benchmark::RegisterBenchmark("pixman/SRC_projective_nearest", Pixman,
                                    PixmanOp::ProjectiveSrc));
    ms(benchmark::RegisterBenchmark("pixman/OVER_bilinear_640x120", Pixman,
                                    PixmanOp::BilinearOver));
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
