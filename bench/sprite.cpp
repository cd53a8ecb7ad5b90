// Decoding an 800 × 600 picture from an ".MGD" file in each encoding, beside libpng decoding the
// same PNG stream on its own (into a B, G, R, A buffer, as the engine needs it).
#include <benchmark/benchmark.h>
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include "graphics/CDIBSprite.h"
#include "graphics/MgdFormat.h"
#include "graphics/MgdRunLength.h"
#include "graphics/PngCodec.h"

namespace {

using namespace qw;

constexpr int kWidth = 800, kHeight = 600;

// A game-like picture: a smooth sky, a textured ground, and a soft-edged opaque figure over a
// transparent band, so every run kind turns up.
const std::vector<uint32_t>& Picture() {
    static const std::vector<uint32_t> pixels = [] {
        std::vector<uint32_t> px(size_t{kWidth} * kHeight);
        uint32_t seed = 1;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                uint32_t& p = px[size_t(y) * kWidth + size_t(x)];
                if (y < 360) { // sky
                    p = 0xFF000000u | uint32_t(60 + y / 3) << 16 | uint32_t(110 + y / 4) << 8 |
                        uint32_t(230 - x / 8);
                } else { // ground texture
                    seed = seed * 214013 + 2531011;
                    const uint32_t n = (seed >> 16) & 15;
                    p = 0xFF000000u | (70 + n) << 16 | (90 + n + uint32_t(y - 360) / 8) << 8 |
                        (40 + n);
                }
                const int dx = x - 400, dy = y - 330;
                const int d = dx * dx / 4 + dy * dy;
                if (d < 40000)
                    p = 0xFF000000u | uint32_t(200 - d / 400) * 0x10101u; // figure
                else if (d < 42000 && y >= 300)
                    p = uint32_t(255 - (d - 40000) / 8) << 24 | (p & 0xFFFFFF);
                if (y >= 500 && y < 540 && (x < 200 || x >= 600)) p = 0; // transparent band
            }
        }
        return px;
    }();
    return pixels;
}

const Bytes& PngStream() {
    static const Bytes png = EncodePng(Picture().data(), kWidth, kHeight, true);
    return png;
}

Bytes MgdFile(MgdEncoding encoding) {
    Bytes data;
    const auto& px = Picture();
    if (encoding == MgdEncoding::Raw)
        data.assign(reinterpret_cast<const uint8_t*>(px.data()),
                    reinterpret_cast<const uint8_t*>(px.data()) + px.size() * 4);
    if (encoding == MgdEncoding::RunLength) data = EncodeRunLengthPlanes(px.data(), px.size());
    if (encoding == MgdEncoding::Png) data = PngStream();
    const SpriteElement whole{0, 0, kWidth, kHeight};
    return BuildMgdFile(kWidth, kHeight, encoding, data, {&whole, 1}, 4);
}

void DecodeMgd(benchmark::State& state, MgdEncoding encoding) {
    const Bytes file = MgdFile(encoding);
    for (auto _ : state) {
        CDIBSprite sprite;
        if (!sprite.Decode(file)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(sprite.GetPixels());
    }
    state.counters["file_bytes"] = double(file.size());
}

void BM_MgdRaw(benchmark::State& s) {
    DecodeMgd(s, MgdEncoding::Raw);
}
void BM_MgdRunLength(benchmark::State& s) {
    DecodeMgd(s, MgdEncoding::RunLength);
}
void BM_MgdPng(benchmark::State& s) {
    DecodeMgd(s, MgdEncoding::Png);
}

// ---- Peer: libpng alone, the customary memory-read setup --------------------------------------

struct Cursor {
    const uint8_t* data;
    size_t size, at;
};

void PeerRead(png_structp png, png_bytep out, size_t n) {
    auto* c = static_cast<Cursor*>(png_get_io_ptr(png));
    if (n > c->size - c->at) png_error(png, "short");
    std::memcpy(out, c->data + c->at, n);
    c->at += n;
}

bool PeerDecode(Cursor* c, uint32_t* pixels, png_bytep* rows) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, c, PeerRead);
    png_read_info(png, info);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const png_uint_32 h = png_get_image_height(png, info), w = png_get_image_width(png, info);
    for (png_uint_32 y = 0; y < h; ++y)
        rows[y] = reinterpret_cast<png_bytep>(pixels + size_t{y} * w);
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

void BM_LibpngAlone(benchmark::State& state) {
    const Bytes& png = PngStream();
    for (auto _ : state) {
        std::unique_ptr<uint32_t[]> pixels(new uint32_t[size_t{kWidth} * kHeight]);
        std::unique_ptr<png_bytep[]> rows(new png_bytep[kHeight]);
        Cursor c{png.data(), png.size(), 0};
        if (!PeerDecode(&c, pixels.get(), rows.get())) state.SkipWithError("libpng failed");
        benchmark::DoNotOptimize(pixels.get());
    }
    state.counters["file_bytes"] = double(png.size());
}

void BM_RunLengthEncode(benchmark::State& state) {
    const auto& px = Picture();
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeRunLengthPlanes(px.data(), px.size()));
}

BENCHMARK(BM_MgdRaw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MgdRunLength)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MgdPng)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LibpngAlone)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunLengthEncode)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
