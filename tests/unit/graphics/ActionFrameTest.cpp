// What layer actions draw: each type's frame against the same quads drawn here through the
// renderer's quad blits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <span>
#include <vector>

#include "graphics/CDIBCamera.h"
#include "graphics/CDIBFireEx.h"
#include "graphics/PixelKernels.h"
#include "graphics/PixelRules.h"
#include "unit/graphics/ActionFixture.h"

namespace qw {
namespace {

using test::MakeDef;
using test::MakePage;
using test::MakeParam;

// The common blit choice of a layer quad.
void RefBlit(CDIBImage& picture, CDIBImage& dst, const VertexQuad& q, bool blend, bool anti) {
    if (blend)
        picture.StretchBltBlend(&dst, q, anti);
    else if (q.colour == 0xFFFFFFFFu)
        picture.StretchBltCopy(&dst, q, false);
    else
        picture.StretchBltFast(&dst, q, false);
}

VertexQuad Corners(const CDIBImage& picture, std::initializer_list<std::pair<int, int>> pts,
                   uint32_t colour) {
    VertexQuad q;
    int i = 0;
    for (auto [x, y] : pts)
        q.corner[i++] = {static_cast<int16_t>(x), static_cast<int16_t>(y), 0};
    const auto w = static_cast<int16_t>(picture.GetWidth() - 1);
    const auto h = static_cast<int16_t>(picture.GetHeight() - 1);
    q.source[0] = {0, 0};
    q.source[1] = {w, 0};
    q.source[2] = {w, h};
    q.source[3] = {0, h};
    q.colour = colour;
    return q;
}

VertexQuad Rect(const CDIBImage& picture, int x, int y, uint32_t colour) {
    const int w = picture.GetWidth(), h = picture.GetHeight();
    return Corners(picture, {{x, y}, {x + w - 1, y}, {x + w - 1, y + h - 1}, {x, y + h - 1}},
                   colour);
}

TEST(ActionFrame, RotationCorners) {
    CDIBImage pic;
    pic.Create(64, 32);
    test::FillPattern(pic, 3, false);
    // A quarter turn of a 64 × 32 picture at (100, 50) about its centre (32, 16).
    const VertexQuad quarter = Corners(pic, {{116, 98}, {116, 35}, {147, 35}, {147, 98}}, 0);
    const struct {
        const char* what;
        int32_t period, turns, direction;
        int ms;
        bool turned;
    } cases[] = {
        {"a quarter turn", 1000, 0, 0, 250, true},
        {"three quarters backwards", 1000, 0, 1, 750, true},
        {"another direction does not turn", 1000, 0, 2, 250, false},
        {"two turns done: angle 0", 100, 2, 0, 250, false},
        {"a tiny angle lands as angle 0", 1000000, 0, 0, 1, false},
        {"backwards at time 0 is a whole turn", 1000, 0, 1, 0, false},
    };
    const struct {
        uint32_t colour;
        bool blend, anti;
    } blits[] = {{0xFFFFFFFFu, true, false},
                 {0xC0FF8040u, true, true},
                 {0xFFFFFFFFu, false, false},
                 {0xFF808080u, false, false}};
    for (const auto& c : cases) {
        for (const auto& b : blits) {
            CDIBSnrAction a;
            a.Initialize();
            ASSERT_TRUE(a.Setup(MakeDef(ActionType::Rot2D, c.period, c.turns, c.direction)));
            a.Play();
            a.Move(false, c.ms, 1);
            auto got = MakePage(), want = MakePage();
            ActionDrawParam p = MakeParam(*got, pic, 100, 50, 0, b.colour, b.blend);
            p.anti = b.anti;
            a.Draw(p);
            VertexQuad q = c.turned ? quarter : Rect(pic, 100, 50, 0);
            q.colour = b.colour;
            RefBlit(pic, *want, q, b.blend, b.anti);
            EXPECT_TRUE(test::SameFrame(*got, *want))
                << c.what << " colour " << std::hex << b.colour << " blend " << b.blend;
        }
    }
}

TEST(ActionFrame, ScrollAlongAPolyline) {
    CDIBImage pic;
    pic.Create(10, 10);
    test::FillPattern(pic, 4);
    // (0, 0) → (100, 0) → (100, 100): 200 pixels in 1000 ms.
    const ActionDefinition path =
        MakeDef(ActionType::Scroll, 1000, 0, 3,
                {0, 100, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100});
    const struct {
        int ms;
        int x, y;
    } cases[] = {
        {0, 0, 0},        {250, 50, 0},     {500, 100, 0}, {750, 100, 50},
        {1000, 100, 100}, {5000, 100, 100}, // without loop it stays at its last point
    };
    for (const auto& c : cases) {
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(path));
        a.Play();
        for (int left = c.ms; left > 0; left -= 250)
            a.Move(false, std::min(left, 250), 1);
        auto got = MakePage(), want = MakePage();
        // The layer's own position is not used.
        a.Draw(MakeParam(*got, pic, 33, 44, 0, 0xFFFFFFFFu, false));
        RefBlit(pic, *want, Rect(pic, c.x, c.y, 0xFFFFFFFFu), false, false);
        EXPECT_TRUE(test::SameFrame(*got, *want)) << c.ms;
    }
}

// The same points with the curve byte: a natural spline through them, at f = 0, 0.25, 0.5, 1.
TEST(ActionFrame, ScrollAlongASpline) {
    CDIBImage pic;
    pic.Create(10, 10);
    test::FillPattern(pic, 4);
    const ActionDefinition path =
        MakeDef(ActionType::Scroll, 1000, 0x0100, 3,
                {0, 100, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100});
    // x through 0, 100, 100 and y through 0, 0, 100: at a quarter, 59.375 and −9.375.
    const struct {
        int ms;
        int x, y;
    } cases[] = {{0, 0, 0}, {250, 59, -9}, {500, 100, 0}, {1000, 100, 100}};
    for (const auto& c : cases) {
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(path));
        a.Play();
        for (int left = c.ms; left > 0; left -= 250)
            a.Move(false, std::min(left, 250), 1);
        auto got = MakePage(), want = MakePage();
        a.Draw(MakeParam(*got, pic, 33, 44, 0, 0xFFFFFFFFu, false));
        RefBlit(pic, *want, Rect(pic, c.x, c.y, 0xFFFFFFFFu), false, false);
        EXPECT_TRUE(test::SameFrame(*got, *want)) << c.ms;
    }
}

// Every quad goes through the layer's camera; a camera that cannot see the layer draws nothing.
TEST(ActionFrame, QuadsGoThroughTheCamera) {
    CDIBImage pic;
    pic.Create(64, 32);
    test::FillPattern(pic, 8, false);
    CDIBCamera camera;
    camera.Initialize();
    camera.SetEye(CVector(40, -30, -700, 0));
    for (int z : {0, 300, -950}) {
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(MakeDef(ActionType::Rot2D, 1000, 0, 0)));
        a.Play();
        a.Move(false, 250, 1);
        auto got = MakePage(), want = MakePage();
        ActionDrawParam p = MakeParam(*got, pic, 100, 50, z);
        p.camera = &camera;
        a.Draw(p);
        VertexQuad q = Corners(pic, {{116, 98}, {116, 35}, {147, 35}, {147, 98}}, 0xFFFFFFFFu);
        for (QuadCorner& c : q.corner)
            c.shade = static_cast<int16_t>(z);
        float depth = 0;
        camera.Transform(&q, 1, &depth);
        if (depth > 0.1f) RefBlit(pic, *want, q, true, false);
        EXPECT_TRUE(test::SameFrame(*got, *want)) << z;
        EXPECT_EQ(z == -950, test::SameFrame(*got, *MakePage())) << z;
    }
}

TEST(ActionFrame, ScrollWithOneOrNoPoint) {
    CDIBImage pic;
    pic.Create(10, 10);
    test::FillPattern(pic, 5);
    CDIBSnrAction one;
    one.Initialize();
    ASSERT_TRUE(one.Setup(MakeDef(ActionType::Scroll, 100, 1, 1,
                                  {70, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20})));
    one.Play();
    for (int i = 0; i < 50; ++i)
        one.Move(false, 30, 1);
    auto got = MakePage(), want = MakePage();
    one.Draw(MakeParam(*got, pic, 0, 0));
    RefBlit(pic, *want, Rect(pic, 70, 20, 0xFFFFFFFFu), true, false);
    EXPECT_TRUE(test::SameFrame(*got, *want));

    CDIBSnrAction none;
    none.Initialize();
    ASSERT_TRUE(none.Setup(MakeDef(ActionType::Scroll, 100, 1, 0)));
    none.Play();
    none.Move(false, 30, 1);
    auto blank = MakePage(), untouched = MakePage();
    none.Draw(MakeParam(*blank, pic, 0, 0));
    EXPECT_TRUE(test::SameFrame(*blank, *untouched));
}

// A translucent raster blends every pixel it covers exactly once, however its quads overlap, and
// draws the same again the next frame.
TEST(ActionFrame, TranslucentRasterBlendsEachPixelOnce) {
    CDIBImage pic;
    pic.Create(120, 90);
    pic.FillFull(0xFF8040C0u);
    const uint32_t colour = 0x80FFFFFFu;
    const uint32_t once = pixel::Blend(test::kGround, 0xFF8040C0u, colour);
    for (int direction : {0, 1, 2}) {
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(MakeDef(ActionType::Raster, 0, 0, 300, {9, direction})));
        a.Play();
        a.Move(false, 130, 1);
        auto first = MakePage();
        a.Draw(MakeParam(*first, pic, 20, 10, 0, colour));
        size_t blended = 0;
        for (int y = 0; y < first->GetHeight(); ++y) {
            for (int x = 0; x < first->GetWidth(); ++x) {
                const uint32_t p = first->Row(y)[x];
                ASSERT_TRUE(p == test::kGround || p == once)
                    << "direction " << direction << " at " << x << "," << y << std::hex << " " << p;
                blended += p == once;
            }
        }
        EXPECT_GT(blended, 100u * 80u) << direction;
        auto second = MakePage();
        a.Draw(MakeParam(*second, pic, 20, 10, 0, colour));
        EXPECT_TRUE(test::SameFrame(*first, *second)) << direction;
    }
}

// The raster's frame is its quads blended one by one through BltRaster and a cleared mask, for
// each direction, opaque and translucent pictures (transparent pixels let a later quad through),
// tints, layers cut by the page's edges or its clip rectangle, a drawn size other than the
// picture's, a picture narrower than the grid and a camera.
TEST(ActionFrame, RasterFrameIsItsQuadsThroughBltRaster) {
    const struct {
        const char* what;
        int pw, ph, x, y, width, height;
        int32_t amplitude, direction;
        bool translucent;
        uint32_t colour;
        bool clip, camera;
    } cases[] = {
        {"horizontal, opaque", 200, 150, 40, 30, 200, 150, 9, 0, false, 0xFFFFFFFFu, false, false},
        {"vertical, opaque", 200, 150, 40, 30, 200, 150, 9, 1, false, 0xFFFFFFFFu, false, false},
        {"both ways, opaque", 200, 150, 40, 30, 200, 150, 9, 2, false, 0xFFFFFFFFu, false, false},
        {"horizontal, translucent", 200, 150, 40, 30, 200, 150, 9, 0, true, 0xFFFFFFFFu, false,
         false},
        {"both ways, translucent and tinted", 200, 150, 40, 30, 200, 150, 12, 2, true, 0x90C0FF80u,
         false, false},
        {"horizontal, past the left and top edges", 200, 150, -60, -45, 200, 150, 20, 0, true,
         0xFFFFFFFFu, false, false},
        {"horizontal, past the right and bottom edges", 200, 150, 180, 140, 200, 150, 20, 0, false,
         0xC0FFFFFFu, false, false},
        {"both ways, wider than the page", 400, 300, -40, -30, 400, 300, 30, 2, true, 0xFFFFFFFFu,
         false, false},
        {"horizontal, in a clip rectangle", 200, 150, 40, 30, 200, 150, 9, 0, true, 0xFFFFFFFFu,
         true, false},
        {"horizontal, drawn larger than the picture", 120, 90, 10, 20, 290, 200, 7, 0, false,
         0xFFFFFFFFu, false, false},
        {"horizontal, translucent, drawn larger than the picture", 120, 90, 10, 20, 290, 200, 7, 0,
         true, 0xFFFFFFFFu, false, false},
        {"horizontal, translucent, drawn taller, steep slants", 200, 100, 40, 30, 200, 151, 20, 0,
         true, 0xFFFFFFFFu, false, false},
        {"horizontal, drawn smaller than the picture", 300, 200, 30, 20, 150, 100, 7, 0, true,
         0xFFFFFFFFu, false, false},
        {"horizontal, narrower than the grid", 30, 20, 50, 50, 30, 20, 5, 0, false, 0xFFFFFFFFu,
         false, false},
        {"horizontal, a huge amplitude", 200, 150, 40, 30, 200, 150, 300, 0, true, 0xFFFFFFFFu,
         false, false},
        {"horizontal, through a camera", 200, 150, 40, 30, 200, 150, 9, 0, true, 0xFFFFFFFFu, false,
         true},
    };
    CDIBCamera camera;
    camera.Initialize();
    camera.SetEye(CVector(40, -30, -700, 0));
    for (const auto& c : cases) {
        CDIBImage pic;
        pic.Create(c.pw, c.ph);
        test::FillPattern(pic, 21, !c.translucent);
        if (c.translucent) // about a third transparent, in no pattern the grid could follow
            for (size_t i = 0; i < pic.GetByteSize() / 4; ++i)
                if ((pic.GetPixels()[i] >> 5) % 3 == 0) pic.GetPixels()[i] &= 0x00FFFFFFu;
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(MakeDef(ActionType::Raster, 0, 0, 700, {c.amplitude, c.direction})));
        a.Play();
        auto got = MakePage(), want = MakePage();
        test::FillPattern(*got, 5, false);
        std::memcpy(want->GetPixels(), got->GetPixels(), got->GetByteSize());
        if (c.clip) {
            got->SetClipRect(60, 45, 200, 150);
            want->SetClipRect(60, 45, 200, 150);
        }
        for (int frame = 0; frame < 3; ++frame) {
            a.Move(false, 170, 1);
            ActionDrawParam p = MakeParam(*got, pic, c.x, c.y, 0, c.colour);
            p.width = c.width, p.height = c.height;
            if (c.camera) p.camera = &camera;
            a.Draw(p);
            const std::span<const VertexQuad> quads = a.GetRasterQuads();
            if (!c.camera) {
                EXPECT_EQ(quads.size(), 2500u) << c.what;
            }
            std::vector<uint8_t> mask(static_cast<size_t>(want->GetWidth()) * want->GetHeight());
            for (const VertexQuad& q : quads)
                CDIBSnrAction::BltRaster(pic, *want, q, mask.data());
            ASSERT_TRUE(test::SameFrame(*got, *want)) << c.what << ", frame " << frame;
        }
        EXPECT_FALSE(test::SameFrame(*got, *MakePage())) << c.what;
    }
}

// Still (inactive or A = 0) the raster covers the layer's rectangle and nothing else.
TEST(ActionFrame, StillRasterCoversTheLayer) {
    CDIBImage pic;
    pic.Create(120, 90);
    pic.FillFull(0xFF8040C0u);
    for (bool playing : {false, true}) {
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(MakeDef(ActionType::Raster, 0, 0, 300, {playing ? 0 : 9, 2})));
        if (playing) a.Play();
        a.Move(false, 130, 1);
        auto got = MakePage(), want = MakePage();
        a.Draw(MakeParam(*got, pic, 20, 10, 0, 0xFFFFFFFFu, false));
        // Opaque white through the quad blend: 255 comes out as 254.
        // The last grid column and row are pulled in by a pixel: the layer loses its last column
        // and row.
        want->FillBox(pixel::Blend(test::kGround, 0xFF8040C0u, 0xFFFFFFFFu), 20, 10, 119, 89);
        EXPECT_TRUE(test::SameFrame(*got, *want)) << playing;
    }
}

// The drops' quads as the rain draws them, from the drops' own values.
struct RefDrop {
    float g;
    int index;
    VertexQuad quad;
};

std::vector<RefDrop> RainQuads(const CDIBSnrAction& a, const CDIBImage& drop, int32_t period,
                               int32_t swing, int32_t wind, uint32_t rgb) {
    std::vector<RefDrop> out;
    const double tau = 2 * std::numbers::pi;
    for (int i = 0; i < a.GetDropCount(); ++i) {
        const CDIBSnrAction::Drop& d = a.GetDrop(i);
        if (d.time < 0) continue;
        const double e = static_cast<double>(d.time) / period;
        const double drift = wind > 0 ? e * 3000 : wind < 0 ? -e * 3000 : 0;
        const double w = drop.GetWidth() * d.size, h = drop.GetHeight() * d.size;
        const double slant = h * wind / 100;
        const double sway = std::sin(e * 2 * tau);
        const double sx = swing * std::sin(d.angle) * sway, sz = swing * std::cos(d.angle) * sway;
        const double fall = i < a.GetDropCount() / 2 ? e * 3000 : e * 5000;
        const double x = d.x + drift + sx, y = d.y + fall;
        const auto alpha = static_cast<uint32_t>(std::min(e * 10, 1.0) * (d.z + 100) * 0.005 * 128);
        const auto t = [](double v) { return static_cast<int>(std::trunc(v)); };
        VertexQuad q = Corners(drop,
                               {{t(x), t(y)},
                                {t(x + w - 1), t(y)},
                                {t(x + w - 1 + slant), t(y + h - 1)},
                                {t(x + slant), t(y + h - 1)}},
                               alpha << 24 | rgb);
        for (QuadCorner& c : q.corner)
            c.shade = static_cast<int16_t>(std::trunc(d.z + sz));
        out.push_back({static_cast<float>(d.z + sz), i, q});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const RefDrop& l, const RefDrop& r) { return l.g > r.g; });
    return out;
}

TEST(ActionFrame, RainDropsFarthestFirstAroundTheLayer) {
    test::DropCache drops;
    CDIBImage pic;
    pic.Create(200, 150);
    test::FillPattern(pic, 6, false);
    for (bool blend : {false, true}) {
        for (int32_t wind : {0, 3, -2}) {
            SeedRandom(42);
            CDIBSnrAction a;
            a.Initialize(&drops.cache);
            ASSERT_TRUE(a.Setup(test::RainDef(600, 60, 4, wind)));
            a.Play();
            for (int i = 0; i < 12; ++i)
                a.Move(false, 30, 1);
            auto got = MakePage(), want = MakePage();
            const uint32_t colour = 0xE0C0A080u;
            a.Draw(MakeParam(*got, pic, 40, 30, 0, colour, blend));

            const std::vector<RefDrop> ref =
                RainQuads(a, *drops.drop, 600, 4, wind, colour & 0xFFFFFF);
            ASSERT_GT(ref.size(), 4u);
            VertexQuad layer = Rect(pic, 40, 30, colour);
            const size_t firstHalf = blend ? ref.size() / 2 : 0;
            for (size_t i = 0; i < firstHalf; ++i)
                drops.drop->StretchBltBlend(want.get(), ref[i].quad, false);
            RefBlit(pic, *want, layer, blend, false);
            for (size_t i = firstHalf; i < ref.size(); ++i)
                drops.drop->StretchBltBlend(want.get(), ref[i].quad, false);
            EXPECT_TRUE(test::SameFrame(*got, *want)) << "blend " << blend << " wind " << wind;
        }
    }
}

TEST(ActionFrame, StoppedRainDrawsOnlyTheLayer) {
    test::DropCache drops;
    CDIBImage pic;
    pic.Create(50, 40);
    test::FillPattern(pic, 7, false);
    CDIBSnrAction a;
    a.Initialize(&drops.cache);
    ASSERT_TRUE(a.Setup(test::RainDef(600, 30, 0, 0)));
    a.Play();
    for (int i = 0; i < 12; ++i)
        a.Move(false, 30, 1);
    a.Stop();
    a.Move(false, 30, 1);
    EXPECT_TRUE(a.IsDrawn()); // once more, to take the drops off the page
    auto got = MakePage(), want = MakePage();
    a.Draw(MakeParam(*got, pic, 5, 6));
    RefBlit(pic, *want, Rect(pic, 5, 6, 0xFFFFFFFFu), true, false);
    EXPECT_TRUE(test::SameFrame(*got, *want));
}

// The fire burns over the layer's rectangle, behind the picture for order 0 and in front of it
// otherwise; the layer goes through the camera, the flame does not. Stopped, only the layer.
TEST(ActionFrame, FireBehindOrInFrontOfTheLayer) {
    CDIBImage pic;
    pic.Create(200, 120);
    test::FillPattern(pic, 9, false);
    CDIBCamera camera;
    camera.Initialize();
    camera.SetEye(CVector(30, -20, -800, 0));
    const struct {
        const char* what;
        int32_t order;
        bool camera, playing;
        uint32_t colour;
    } cases[] = {
        {"behind", 0, false, true, 0xFFFFFFFFu},
        {"in front", 1, false, true, 0xFFFFFFFFu},
        {"any other order is in front", 5, false, true, 0xC080FF40u},
        {"behind, with a camera", 0, true, true, 0xFFFFFFFFu},
        {"stopped: only the layer", 1, false, false, 0xFFFFFFFFu},
    };
    for (const auto& c : cases) {
        // The flame by hand: a second of warm-up, then three frames. Both draw from the same
        // generator, so each is built whole under the seed.
        SeedRandom(31);
        CDIBFireEx ref;
        ASSERT_TRUE(ref.Initialize());
        ref.SetMove(true, true);
        ref.SetShape(300, 600);
        ref.Move(1000);
        for (int i = 0; i < 3; ++i)
            ref.Move(30);
        SeedRandom(31);
        CDIBSnrAction a;
        a.Initialize();
        ASSERT_TRUE(a.Setup(MakeDef(ActionType::Fire, 10000, 300, 600, {c.order})));
        a.Play();
        for (int i = 0; i < 3; ++i)
            a.Move(false, 30, 1);
        if (!c.playing) {
            a.Stop();
            a.Move(false, 30, 1);
        }
        auto got = MakePage(), want = MakePage();
        ActionDrawParam p = MakeParam(*got, pic, 60, 70, 0, c.colour, true);
        if (c.camera) p.camera = &camera;
        a.Draw(p);

        VertexQuad layer = Rect(pic, 60, 70, c.colour);
        ref.SetDrawParam(60, 70, 200, 120, c.colour, 0, 0, 0);
        if (c.camera) {
            float depth = 0;
            camera.Transform(&layer, 1, &depth);
        }
        if (c.playing && c.order == 0) ref.Draw(want.get());
        RefBlit(pic, *want, layer, true, false);
        if (c.playing && c.order != 0) ref.Draw(want.get());
        EXPECT_TRUE(test::SameFrame(*got, *want)) << c.what;
        if (c.playing) {
            EXPECT_FALSE(test::SameFrame(*got, *MakePage())) << c.what;
        }
    }
    // The order shows: behind and in front are different frames.
    const auto frameOf = [&](int32_t order) {
        SeedRandom(31);
        CDIBSnrAction a;
        a.Initialize();
        a.Setup(MakeDef(ActionType::Fire, 10000, 300, 600, {order}));
        a.Play();
        a.Move(false, 30, 1);
        auto page = MakePage();
        a.Draw(MakeParam(*page, pic, 60, 70));
        return page;
    };
    EXPECT_FALSE(test::SameFrame(*frameOf(0), *frameOf(1)));
}

} // namespace
} // namespace qw

namespace qw {
namespace {

// BltRaster with a clear mask blends exactly as the quad blend (nearest) does, and leaves every
// pixel already marked alone; random pictures, destinations and quads.
TEST(ActionFrame, BltRasterIsTheQuadBlendThroughAMask) {
    CDIBImage src;
    src.Create(37, 29);
    test::FillPattern(src, 11, false);
    Lcg lcg(2024);
    for (int round = 0; round < 60; ++round) {
        auto plain = MakePage(90, 70), masked = MakePage(90, 70);
        test::FillPattern(*plain, 100 + round, false);
        std::memcpy(masked->GetPixels(), plain->GetPixels(), plain->GetByteSize());
        VertexQuad q;
        for (int i = 0; i < 4; ++i) {
            q.corner[i] = {static_cast<int16_t>(lcg.Next() % 130 - 20),
                           static_cast<int16_t>(lcg.Next() % 110 - 20), 0};
            q.source[i] = {static_cast<int16_t>(lcg.Next() % 37),
                           static_cast<int16_t>(lcg.Next() % 29)};
        }
        q.corner[0].x = static_cast<int16_t>(q.corner[3].x + 1); // never the unscaled shortcut
        q.colour = round % 3 == 0 ? 0xFFFFFFFFu
                                  : static_cast<uint32_t>(lcg.Next()) << 17 ^
                                        static_cast<uint32_t>(lcg.Next());
        std::vector<uint8_t> mask(90 * 70, 0);
        CDIBSnrAction::BltRaster(src, *masked, q, mask.data());
        src.StretchBltBlend(plain.get(), q, false);
        ASSERT_TRUE(test::SameFrame(*plain, *masked)) << round;

        // Drawn again over its own marks it changes nothing.
        auto before = MakePage(90, 70);
        std::memcpy(before->GetPixels(), masked->GetPixels(), masked->GetByteSize());
        CDIBSnrAction::BltRaster(src, *masked, q, mask.data());
        ASSERT_TRUE(test::SameFrame(*before, *masked)) << round;
    }
}

// Every span-kernel table gives the scalar table's bytes, with part of the mask already marked.
TEST(ActionFrame, BltRasterKernelsMatchTheScalarOnes) {
    CDIBImage src;
    src.Create(53, 41);
    test::FillPattern(src, 12, false);
    const SimdLevel saved = GetSimdLevel();
    Lcg lcg(77);
    for (int round = 0; round < 40; ++round) {
        VertexQuad q;
        for (int i = 0; i < 4; ++i) {
            q.corner[i] = {static_cast<int16_t>(lcg.Next() % 160 - 20),
                           static_cast<int16_t>(lcg.Next() % 120 - 20), 0};
            q.source[i] = {static_cast<int16_t>(lcg.Next() % 53),
                           static_cast<int16_t>(lcg.Next() % 41)};
        }
        q.colour = static_cast<uint32_t>(lcg.Next()) << 17 ^ static_cast<uint32_t>(lcg.Next());
        std::vector<uint8_t> marks(120 * 90);
        for (uint8_t& m : marks)
            m = lcg.Next() % 4 == 0;
        auto ref = MakePage(120, 90);
        test::FillPattern(*ref, 300 + round, false);
        std::vector<uint8_t> refMask = marks;
        ASSERT_TRUE(SetSimdLevel(SimdLevel::Scalar));
        CDIBSnrAction::BltRaster(src, *ref, q, refMask.data());
        for (SimdLevel level : {SimdLevel::Sse2, SimdLevel::Avx2}) {
            if (!SetSimdLevel(level)) continue;
            auto got = MakePage(120, 90);
            test::FillPattern(*got, 300 + round, false);
            std::vector<uint8_t> mask = marks;
            CDIBSnrAction::BltRaster(src, *got, q, mask.data());
            EXPECT_TRUE(test::SameFrame(*got, *ref)) << round << " level " << int(level);
            EXPECT_EQ(mask, refMask) << round;
        }
    }
    SetSimdLevel(saved);
}

} // namespace
} // namespace qw
