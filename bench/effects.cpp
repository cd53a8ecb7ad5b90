// The fire, water and film surfaces on an 800 × 600 frame, beside memcpy of one frame and
// pixman's OVER (unscaled, and bilinear scaled from the fire's 640 × 120 middle). Our rows run
// with each span-kernel table the processor offers. Run from a release build:
//   bench_effects --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <pixman.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/Random.h"
#include "graphics/CDIBFilm.h"
#include "graphics/CDIBFire.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBWater.h"
#include "graphics/PixelKernels.h"

namespace {

using namespace qw;

constexpr int kW = 800, kH = 600;

void FillRandom(CDIBImage& img, uint32_t seed) {
    Lcg lcg(seed);
    uint32_t* p = img.GetPixels();
    for (size_t i = 0; i < img.GetByteSize() / 4; ++i)
        p[i] = static_cast<uint32_t>(lcg.Next()) << 17 ^ static_cast<uint32_t>(lcg.Next()) << 2 ^
               static_cast<uint32_t>(lcg.Next()) >> 7;
}

struct Level {
    SimdLevel saved = GetSimdLevel();
    bool ok;
    explicit Level(SimdLevel l) : ok(SetSimdLevel(l)) {}
    ~Level() { SetSimdLevel(saved); }
};

void Memcpy(benchmark::State& state) {
    std::vector<uint32_t> src(size_t{kW} * kH, 1), dst(size_t{kW} * kH, 2);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
}

// A fire tick: 30 ms are three steps and a rendering.
void FireTick(benchmark::State& state, SimdLevel level) {
    Level l(level);
    if (!l.ok) return state.SkipWithError("instruction set not available");
    CDIBFire fire;
    fire.Initialize();
    fire.SetDrawParam(0, 0, kW, kH, 0xFFFFFFFF, 0, 0, 0);
    fire.SetMove(true, true);
    SeedRandom(1);
    for (int i = 0; i < 50; ++i)
        fire.Move(30); // a burning flame
    for (auto _ : state) {
        fire.Move(30);
        benchmark::ClobberMemory();
    }
}

void FireBlend(benchmark::State& state, SimdLevel level) {
    Level l(level);
    if (!l.ok) return state.SkipWithError("instruction set not available");
    CDIBFire fire;
    fire.Initialize();
    fire.SetDrawParam(0, 0, kW, kH, 0xFFFFFFFF, 0, 0, 0);
    fire.SetMove(true, true);
    SeedRandom(1);
    for (int i = 0; i < 50; ++i)
        fire.Move(30);
    CDIBImage dst;
    dst.Create(kW, kH);
    FillRandom(dst, 4);
    for (auto _ : state) {
        fire.Draw(&dst);
        benchmark::ClobberMemory();
    }
}

void WaterTick(benchmark::State& state, SimdLevel level) {
    Level l(level);
    if (!l.ok) return state.SkipWithError("instruction set not available");
    CDIBWater water;
    water.Initialize(kW, kH);
    FillRandom(water, 2);
    water.FillAlpha(255);
    water.SetDrawParam(0, 0, kW, kH, 0xFFFFFFFF);
    water.SetMove(true, true);
    water.Drop(400, 300, 3, 3, 200);
    CDIBImage dst;
    dst.Create(kW, kH);
    FillRandom(dst, 4);
    for (auto _ : state) {
        water.Move(33);
        water.Draw(&dst);
        benchmark::ClobberMemory();
    }
}

struct Film {
    CDIBImage source;
    CDIBFilm film;
    Film() {
        source.Create(kW, kH);
        FillRandom(source, 3);
        film.Initialize(kW, kH, 4, nullptr, nullptr);
    }
};

void FilmFrame(benchmark::State& state, SimdLevel level) {
    Level l(level);
    if (!l.ok) return state.SkipWithError("instruction set not available");
    Film f;
    SeedRandom(1);
    f.film.MakeAnmCell(&f.source);
    f.film.SetDrawParam(0, 0, kW, kH, 0xC0FFFFFF);
    f.film.SetMove(true, false);
    CDIBImage dst;
    dst.Create(kW, kH);
    FillRandom(dst, 4);
    for (auto _ : state) {
        f.film.Move();
        f.film.Draw(&dst);
        benchmark::ClobberMemory();
    }
}

void FilmSetup(benchmark::State& state) {
    Film f;
    SeedRandom(1);
    for (auto _ : state) {
        f.film.MakeAnmCell(&f.source);
        benchmark::ClobberMemory();
    }
}

// pixman's images over our pixels (premultiplied copies, as pixman expects).
struct PixmanImage {
    std::vector<uint32_t> bits;
    pixman_image_t* image;
    PixmanImage(int w, int h, uint32_t seed) : bits(size_t(w) * h) {
        Lcg lcg(seed);
        for (uint32_t& p : bits) {
            const uint32_t a = static_cast<uint32_t>(lcg.Next()) & 0xFF;
            const uint32_t c = static_cast<uint32_t>(lcg.Next()) & 0xFF;
            const uint32_t v = c * a / 255;
            p = a << 24 | v << 16 | v << 8 | v;
        }
        image = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, bits.data(), w * 4);
    }
    ~PixmanImage() { pixman_image_unref(image); }
};

void PixmanOver(benchmark::State& state, bool scaled) {
    PixmanImage src(scaled ? 640 : kW, scaled ? 120 : kH, 1), dst(kW, kH, 2);
    if (scaled) {
        pixman_transform_t scale;
        pixman_transform_init_scale(&scale, pixman_double_to_fixed(640.0 / kW),
                                    pixman_double_to_fixed(120.0 / kH));
        pixman_image_set_transform(src.image, &scale);
        pixman_image_set_filter(src.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    }
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0,
                                 kW, kH);
        benchmark::ClobberMemory();
    }
}

const struct {
    SimdLevel level;
    const char* name;
} kLevels[] = {{SimdLevel::Scalar, "scalar"}, {SimdLevel::Sse2, "sse2"}, {SimdLevel::Avx2, "avx2"}};

int Register() {
    const auto ms = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMicrosecond); };
    ms(benchmark::RegisterBenchmark("memcpy/frame", Memcpy));
    ms(benchmark::RegisterBenchmark("pixman/OVER_frame", PixmanOver, false));
    ms(benchmark::RegisterBenchmark("pixman/OVER_bilinear_640x120", PixmanOver, true));
    for (const auto& l : kLevels) {
        const std::string s = l.name;
        ms(benchmark::RegisterBenchmark(("fire/tick/" + s).c_str(), FireTick, l.level));
        ms(benchmark::RegisterBenchmark(("fire/blend/" + s).c_str(), FireBlend, l.level));
        ms(benchmark::RegisterBenchmark(("water/tick_draw/" + s).c_str(), WaterTick, l.level));
        ms(benchmark::RegisterBenchmark(("film/frame/" + s).c_str(), FilmFrame, l.level));
    }
    ms(benchmark::RegisterBenchmark("film/setup_4_cells", FilmSetup));
    return 0;
}

const int kRegistered = Register();

} // namespace

BENCHMARK_MAIN();
