// Writing pictures: the run-length encoder (round trip and smallest size) and whole ".MGD" files
// in every encoding decoded back to the same pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "common/Random.h"
#include "graphics/CDIBSprite.h"
#include "graphics/MgdRunLength.h"
#include "graphics/PngCodec.h"
#include "unit/graphics/SpriteFixtures.h"

namespace qw {
namespace {

struct Picture {
    const char* what;
    int width, height;
    std::vector<uint32_t> pixels;
};

// Pictures that exercise every run kind and the run-length limits.
std::vector<Picture> SamplePictures() {
    uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 214013 + 2531011;
        return (seed >> 16) & 0x7FFF;
    };
    std::vector<Picture> out;
    auto add = [&](const char* what, int w, int h, auto f) {
        Picture p{what, w, h, {}};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                p.pixels.push_back(f(x, y));
        out.push_back(std::move(p));
    };
    add("one pixel", 1, 1, [](int, int) { return 0x80FF0000u; });
    add("flat, longer than one alpha run", 300, 200, [](int, int) { return 0xFF102030u; });
    add("gradient", 97, 31, [](int x, int y) {
        return 0xFF000000u | uint32_t(x * 2) << 16 | uint32_t(y * 3) << 8 | uint32_t(x + y);
    });
    add("falling gradient", 70, 3,
        [](int x, int) { return 0xFF000000u | uint32_t(255 - x) * 0x10101u; });
    add("noise", 33, 17, [&](int, int) { return uint32_t(next()) << 17 ^ uint32_t(next()); });
    add("soft noise", 40, 40, [&](int x, int) {
        return uint32_t((x * 4) & 0xFF) << 24 | uint32_t(100 + next() % 20) << 16 |
               uint32_t(50 + next() % 40) << 8 | uint32_t(200 + next() % 9);
    });
    add("stripes", 130, 5, [](int x, int) { return (x / 7) % 2 ? 0xFFFFFFFFu : 0x00000000u; });
    add("alpha edge", 64, 64, [](int x, int y) {
        const int d = (x - 32) * (x - 32) + (y - 32) * (y - 32);
        return uint32_t(d < 400 ? 255 : d < 500 ? 500 - d : 0) << 24 | 0x336699u;
    });
    return out;
}

// Independent reference: the smallest stream sizes by plain dynamic programming.
bool DeltaReachable(uint32_t from, uint32_t to) {
    bool small = true, signedSmall = true;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<uint8_t>((to >> shift) - (from >> shift));
        small = small && d <= 31;
        const int s = d > 127 ? d - 256 : d;
        signedSmall = signedSmall && s >= -15 && s <= 15;
    }
    return small || signedSmall;
}

size_t SmallestSize(const std::vector<uint32_t>& px) {
    const size_t n = px.size();
    const int64_t inf = std::numeric_limits<int64_t>::max() / 2;
    std::vector<int64_t> alpha(n + 1, inf), colour(n + 1, inf);
    alpha[0] = colour[0] = 0;
    for (size_t j = 1; j <= n; ++j) {
        for (size_t len = 1; len <= std::min<size_t>(j, 0x8000); ++len) {
            const size_t i = j - len;
            if (px[i] >> 24 != px[j - 1] >> 24) break;
            alpha[j] = std::min(alpha[j], alpha[i] + 3);
        }
        for (size_t len = 1; len <= std::min<size_t>(j, 0x7FFF); ++len)
            alpha[j] = std::min(alpha[j], alpha[j - len] + 2 + int64_t(len));
        for (size_t len = 1; len <= std::min<size_t>(j, 63); ++len)
            colour[j] = std::min(colour[j], colour[j - len] + 1 + 3 * int64_t(len));
        for (size_t len = 1; len <= std::min<size_t>(j, 64); ++len) {
            if ((px[j - len] ^ px[j - 1]) & 0xFFFFFF) break;
            colour[j] = std::min(colour[j], colour[j - len] + 4);
        }
        for (size_t len = 1; len <= std::min<size_t>(j - 1, 63); ++len) {
            if (!DeltaReachable(px[j - len - 1], px[j - len])) break;
            colour[j] = std::min(colour[j], colour[j - len] + 1 + 2 * int64_t(len));
        }
    }
    return static_cast<size_t>(8 + alpha[n] + colour[n]);
}

TEST(SpriteEncode, RunLengthRoundTripsAtTheSmallestSize) {
    for (const Picture& p : SamplePictures()) {
        const Bytes data = EncodeRunLengthPlanes(p.pixels.data(), p.pixels.size());
        std::vector<uint32_t> back(p.pixels.size(), 0);
        EXPECT_EQ(DecodeRunLengthPlanes(data, back.data(), back.size()), data.size()) << p.what;
        EXPECT_EQ(back, p.pixels) << p.what;
        if (p.pixels.size() <= 5000) {
            EXPECT_EQ(data.size(), SmallestSize(p.pixels)) << p.what;
        }
    }
}

TEST(SpriteEncode, GradientsShrinkThroughDeltaRuns) {
    const Picture p = SamplePictures()[2];
    const Bytes data = EncodeRunLengthPlanes(p.pixels.data(), p.pixels.size());
    // Each pixel's colour is reachable from the one before it: about 2 bytes a pixel, against
    // 4 raw or 3 as literals.
    EXPECT_LT(data.size(), p.pixels.size() * 22 / 10);
}

TEST(SpriteEncode, WholeFilesInEveryEncodingDecodeToTheSamePixels) {
    for (const Picture& p : SamplePictures()) {
        for (MgdEncoding encoding : {MgdEncoding::Raw, MgdEncoding::RunLength, MgdEncoding::Png}) {
            Bytes data;
            const ByteSpan bytes(reinterpret_cast<const uint8_t*>(p.pixels.data()),
                                 p.pixels.size() * 4);
            if (encoding == MgdEncoding::Raw) data.assign(bytes.begin(), bytes.end());
            if (encoding == MgdEncoding::RunLength)
                data = EncodeRunLengthPlanes(p.pixels.data(), p.pixels.size());
            if (encoding == MgdEncoding::Png)
                data = EncodePng(p.pixels.data(), p.width, p.height, true);
            CDIBSprite s;
            ASSERT_TRUE(s.Decode(test::MakeMgd(static_cast<uint16_t>(p.width),
                                               static_cast<uint16_t>(p.height), encoding, data)))
                << p.what << " " << int(encoding);
            EXPECT_TRUE(std::equal(p.pixels.begin(), p.pixels.end(), s.GetPixels()))
                << p.what << " " << int(encoding);
        }
    }
}

} // namespace
} // namespace qw
