// The software renderer on 800 × 600 frames, beside its peers in the same run: pixman's
// compositor (OVER, unscaled with and without a solid mask, and bilinear scaled), SDL2's software
// blitter (alpha blit and scaled blit), and memcpy of one frame as the memory-bandwidth floor.
//
// Our operations run once per span-kernel table the processor offers (scalar, sse2, avx2); the
// scalar rows show what the plain rules cost. Run from a release build; compare medians:
//   bench_renderer --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <SDL.h>
#include <pixman.h>

#include <cstring>
#include <string>
#include <vector>

#include "PixmanImage.h"
#include "common/Random.h"
#include "graphics/CDIBImage.h"
#include "graphics/DIBFade.h"
#include "graphics/PixelKernels.h"

namespace {

using namespace qw;

constexpr int kW = 800, kH = 600, kSmallW = 640, kSmallH = 480;

// Random colours with random alpha.
void FillRandom(CDIBImage& img, uint32_t seed) {
    Lcg lcg(seed);
    uint32_t* p = img.GetPixels();
    for (size_t i = 0; i < img.GetByteSize() / 4; ++i)
        p[i] = static_cast<uint32_t>(lcg.Next()) << 17 ^ static_cast<uint32_t>(lcg.Next()) << 2 ^
               static_cast<uint32_t>(lcg.Next()) >> 7;
}

// A sprite-like picture: opaque discs on a transparent ground, soft only at their rims.
void FillSprite(CDIBImage& img, uint32_t seed) {
    FillRandom(img, seed);
    const struct { int x, y, r; } discs[] = {{250, 300, 220}, {560, 220, 160}, {620, 480, 110}};
    for (int y = 0; y < img.GetHeight(); ++y) {
        uint32_t* row = img.Row(y);
        for (int x = 0; x < img.GetWidth(); ++x) {
            uint32_t alpha = 0;
            for (const auto& d : discs) {
                const int dx = x - d.x, dy = y - d.y, q = dx * dx + dy * dy;
                if (q <= (d.r - 1) * (d.r - 1))
                    alpha = 255;
                else if (q <= (d.r + 1) * (d.r + 1) && alpha == 0)
                    alpha = 128;
            }
            row[x] = (row[x] & 0x00FFFFFFu) | alpha << 24;
        }
    }
}

struct Frames {
    CDIBImage random, sprite, small, dst, to;
    Frames() {
        random.Create(kW, kH);
        sprite.Create(kW, kH);
        small.Create(kSmallW, kSmallH);
        dst.Create(kW, kH);
        to.Create(kW, kH);
        FillRandom(random, 1);
        FillSprite(sprite, 2);
        FillRandom(small, 3);
        FillRandom(dst, 4);
        FillRandom(to, 5);
    }
};

Frames& Data() {
    static Frames frames;
    return frames;
}

void SetBytes(benchmark::State& state, size_t framesTouched) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(framesTouched) * kW * kH * 4);
}

// ---- memcpy floor ----

void Memcpy(benchmark::State& state, bool cold) {
    // Cold: cycle through 24 frame pairs (about 90 MB), far more than the caches hold.
    const size_t frame = size_t{kW} * kH;
    const int buffers = cold ? 24 : 1;
    std::vector<std::vector<uint32_t>> src(buffers, std::vector<uint32_t>(frame, 1));
    std::vector<std::vector<uint32_t>> dst(buffers, std::vector<uint32_t>(frame, 2));
    int i = 0;
    for (auto _ : state) {
        std::memcpy(dst[i].data(), src[i].data(), frame * 4);
        benchmark::DoNotOptimize(dst[i].data());
        benchmark::ClobberMemory();
        i = (i + 1) % buffers;
    }
    SetBytes(state, 1);
}

// ---- ours ----

enum class Op {
    Copy,
    BltBlendWhite,
    BltBlendWhiteSprite,
    BltBlendTint,
    StretchNearest,
    StretchSmooth,
    CrossFade,
    CrossFadeShift8,
    Mozaiku,
    Befog
};

void Ours(benchmark::State& state, Op op, SimdLevel level) {
    Frames& f = Data();
    const SimdLevel saved = GetSimdLevel();
    if (!SetSimdLevel(level)) {
        state.SkipWithError("instruction set not available");
        return;
    }
    VertexQuad stretch;
    f.small.SetStretchVertex(stretch, 0, 0, kW, kH, 0xFFFFFFFF);
    FillRandom(f.dst, 4);
    for (auto _ : state) {
        switch (op) {
        case Op::Copy:
            f.random.Copy(&f.dst, 0, 0, 0, 0, kW, kH);
            break;
        case Op::BltBlendWhite:
            f.random.BltBlend(&f.dst, 0, 0, 0, 0, kW, kH, 0xFFFFFFFF);
            break;
        case Op::BltBlendWhiteSprite:
            f.sprite.BltBlend(&f.dst, 0, 0, 0, 0, kW, kH, 0xFFFFFFFF);
            break;
        case Op::BltBlendTint:
            f.random.BltBlend(&f.dst, 0, 0, 0, 0, kW, kH, 0xC0FF8040);
            break;
        case Op::StretchNearest:
            f.small.StretchBltBlend(&f.dst, stretch, false);
            break;
        case Op::StretchSmooth:
            f.small.StretchBltBlend(&f.dst, stretch, true);
            break;
        case Op::CrossFade:
            CrossFade(f.dst, f.random, f.to, 100);
            break;
        case Op::CrossFadeShift8:
            CrossFadeShift8(f.dst, f.random, f.to, 100);
            break;
        case Op::Mozaiku:
            f.dst.Mozaiku(16, false, true);
            break;
        case Op::Befog:
            f.dst.Befog(1);
            break;
        }
        benchmark::DoNotOptimize(f.dst.GetPixels());
        benchmark::ClobberMemory();
    }
    SetSimdLevel(saved);
    SetBytes(state, 1);
}

// ---- pixman ----

enum class PixmanOp { Over, OverSprite, OverSolidMask, BilinearOver };

void Pixman(benchmark::State& state, PixmanOp op) {
    Frames& f = Data();
    PixmanImage src(op == PixmanOp::OverSprite ? f.sprite : f.random), small(f.small), dst(f.dst);
    const pixman_color_t half = {0x8000, 0x8000, 0x8000, 0x8000};
    pixman_image_t* mask = pixman_image_create_solid_fill(&half);
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(double{kSmallW} / kW),
                                pixman_double_to_fixed(double{kSmallH} / kH));
    pixman_image_set_transform(small.image, &scale);
    pixman_image_set_filter(small.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    for (auto _ : state) {
        switch (op) {
        case PixmanOp::Over:
        case PixmanOp::OverSprite:
            pixman_image_composite32(PIXMAN_OP_OVER, src.image, nullptr, dst.image, 0, 0, 0, 0, 0,
                                     0, kW, kH);
            break;
        case PixmanOp::OverSolidMask:
            pixman_image_composite32(PIXMAN_OP_OVER, src.image, mask, dst.image, 0, 0, 0, 0, 0, 0,
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
    SetBytes(state, 1);
}

// ---- SDL2 ----

enum class SdlOp { Blend, BlendSprite, Scaled };

void Sdl(benchmark::State& state, SdlOp op) {
    Frames& f = Data();
    const auto wrap = [](CDIBImage& img) {
        return SDL_CreateRGBSurfaceWithFormatFrom(img.GetPixels(), img.GetWidth(), img.GetHeight(),
                                                  32, img.GetWidth() * 4, SDL_PIXELFORMAT_ARGB8888);
    };
    SDL_Surface* src = wrap(op == SdlOp::BlendSprite ? f.sprite
                            : op == SdlOp::Scaled    ? f.small
                                                     : f.random);
    SDL_Surface* dst = wrap(f.dst);
    SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_BLEND);
    SDL_Rect whole{0, 0, kW, kH};
    for (auto _ : state) {
        if (op == SdlOp::Scaled)
            SDL_BlitScaled(src, nullptr, dst, &whole);
        else
            SDL_BlitSurface(src, nullptr, dst, nullptr);
        benchmark::DoNotOptimize(dst->pixels);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(src);
    SDL_FreeSurface(dst);
    SetBytes(state, 1);
}

void Register() {
    const auto ms = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond); };
    ms(benchmark::RegisterBenchmark("memcpy/frame_hot", Memcpy, false));
    ms(benchmark::RegisterBenchmark("memcpy/frame_cold", Memcpy, true));

    const struct {
        const char* name;
        Op op;
    } ours[] = {
        {"Copy", Op::Copy},
        {"BltBlend_white_random", Op::BltBlendWhite},
        {"BltBlend_white_sprite", Op::BltBlendWhiteSprite},
        {"BltBlend_tint_random", Op::BltBlendTint},
        {"StretchBltBlend_640x480_nearest", Op::StretchNearest},
        {"StretchBltBlend_640x480_smooth", Op::StretchSmooth},
        {"CrossFade", Op::CrossFade},
        {"CrossFadeShift8", Op::CrossFadeShift8},
        {"Mozaiku_16_centre", Op::Mozaiku},
        {"Befog_1_pass", Op::Befog},
    };
    const struct {
        const char* name;
        SimdLevel level;
    } levels[] = {
        {"scalar", SimdLevel::Scalar}, {"sse2", SimdLevel::Sse2}, {"avx2", SimdLevel::Avx2}};
    const SimdLevel saved = GetSimdLevel();
    for (const auto& o : ours) {
        for (const auto& l : levels) {
            if (!SetSimdLevel(l.level)) continue;
            // Copy, Mozaiku and Befog do not use the span kernels: one row is enough.
            const bool kernelFree = o.op == Op::Copy || o.op == Op::Mozaiku || o.op == Op::Befog;
            if (kernelFree && l.level != saved) continue;
            const std::string name =
                std::string("ours/") + o.name + (kernelFree ? "" : std::string("/") + l.name);
            ms(benchmark::RegisterBenchmark(name.c_str(), Ours, o.op, l.level));
        }
    }
    SetSimdLevel(saved);

    ms(benchmark::RegisterBenchmark("pixman/OVER_random", Pixman, PixmanOp::Over));
    ms(benchmark::RegisterBenchmark("pixman/OVER_sprite", Pixman, PixmanOp::OverSprite));
    ms(benchmark::RegisterBenchmark("pixman/OVER_random_solid_mask", Pixman,
                                    PixmanOp::OverSolidMask));
    ms(benchmark::RegisterBenchmark("pixman/OVER_bilinear_640x480", Pixman,
                                    PixmanOp::BilinearOver));
    ms(benchmark::RegisterBenchmark("sdl2/BlitSurface_blend_random", Sdl, SdlOp::Blend));
    ms(benchmark::RegisterBenchmark("sdl2/BlitSurface_blend_sprite", Sdl, SdlOp::BlendSprite));
    ms(benchmark::RegisterBenchmark("sdl2/BlitScaled_640x480_blend", Sdl, SdlOp::Scaled));
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
