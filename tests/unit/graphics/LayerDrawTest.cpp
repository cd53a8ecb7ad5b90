// A layer's drawing: which blit its properties choose, the quad it hands the camera, and the
// movie branch of its tick.

#include <gtest/gtest.h>

#include "graphics/CDIBSnrAction.h"
#include "graphics/CDIBSnrLayer.h"
#include "unit/graphics/VVramFixture.h"

namespace qw::test {
namespace {

enum class Blit { Blend, Copy, Fast };

struct RuleCase {
    const char* name;
    bool blend;
    uint32_t colour;
    bool scaled; // drawn at 48 × 30 instead of the picture's 32 × 20
    bool anti;
    Blit expected;
    bool smooth; // the blit is asked for bilinear sampling
};

class LayerRule : public ::testing::TestWithParam<RuleCase> {};

// Each combination draws exactly what its blit draws with the layer's quad: the whole picture
// onto (x, y)–(x + w − 1, y + h − 1), z in the shades. Anti smooths blends only.
TEST_P(LayerRule, PicksTheBlitAndItsQuad) {
    const RuleCase& c = GetParam();
    TestHost host;
    CDIBSprite* picture = host.AddPicture("P", 32, 20, 7);
    LayerActionTable actions;
    CDIBSnrLayer layer;
    layer.Initialize(&actions, &host.cache);
    ASSERT_TRUE(layer.SetImage("P"));
    layer.SetPos(17, 9, 0);
    if (c.scaled) layer.SetBaseSize(48, 30);
    layer.SetBlend(c.blend);
    layer.SetAnti(c.anti);
    layer.SetColor(c.colour >> 24, c.colour >> 16 & 0xFF, c.colour >> 8 & 0xFF, c.colour & 0xFF);
    EXPECT_TRUE(layer.IsUpdated());

    auto page = MakePage(120, 80);
    layer.Draw(page.get(), nullptr);

    auto expected = MakePage(120, 80);
    VertexQuad q;
    picture->SetStretchVertex(q, 17, 9, c.scaled ? 48 : 32, c.scaled ? 30 : 20, c.colour);
    switch (c.expected) {
    case Blit::Blend:
        picture->StretchBltBlend(expected.get(), q, c.smooth);
        break;
    case Blit::Copy:
        picture->StretchBltCopy(expected.get(), q, false);
        break;
    case Blit::Fast:
        picture->StretchBltFast(expected.get(), q, false);
        break;
    }
    EXPECT_TRUE(SameFrame(*page, *expected));
    EXPECT_NE(FirstChanged(*page), std::make_pair(-1, -1));
}

constexpr uint32_t kWhite = 0xFFFFFFFFu, kTint = 0xC080FF40u;

INSTANTIATE_TEST_SUITE_P(
    Table, LayerRule,
    ::testing::Values(RuleCase{"BlendWhiteOwn", true, kWhite, false, false, Blit::Blend, false},
                      RuleCase{"BlendWhiteOwnAnti", true, kWhite, false, true, Blit::Blend, true},
                      RuleCase{"BlendTintScaled", true, kTint, true, false, Blit::Blend, false},
                      RuleCase{"BlendTintScaledAnti", true, kTint, true, true, Blit::Blend, true},
                      RuleCase{"CopyWhiteOwn", false, kWhite, false, false, Blit::Copy, false},
                      RuleCase{"CopyWhiteScaledAnti", false, kWhite, true, true, Blit::Copy, false},
                      RuleCase{"FastTintOwn", false, kTint, false, false, Blit::Fast, false},
                      RuleCase{"FastTintScaledAnti", false, kTint, true, true, Blit::Fast, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The facts behind the table, on pixels: an own-size blend is exact (the rectangle blit), an
// unblended white layer copies the picture's alpha, and an own-size tinted copy leaves the page
// under transparent pixels while a scaled one writes them.
TEST(LayerDraw, OwnSizeTakesTheRectangleBlits) {
    TestHost host;
    CDIBSprite* picture = host.AddPicture("P", 4, 2, 1);
    uint32_t* px = picture->GetPixels();
    px[0] = 0xFFFFFFFFu; // opaque white
    px[1] = 0x00123456u; // transparent
    px[2] = 0x80402010u;
    LayerActionTable actions;
    CDIBSnrLayer layer;
    layer.Initialize(&actions, &host.cache);
    layer.SetImage("P");
    layer.SetPos(1, 1, 0);

    struct Case {
        bool blend;
        uint32_t colour;
        int width; // 0: own
        uint32_t at0, at1;
    } cases[] = {
        {true, kWhite, 0, 0xFFFFFFFFu, kGround},           // exact: 255 stays 255
        {false, kWhite, 0, 0xFFFFFFFFu, 0x00123456u},      // copied with its alpha
        {false, 0xFF808080u, 0, 0xFF808080u, kGround},     // transparent pixel skipped
        {false, 0xFF808080u, 8, 0xFF808080u, 0xFF808080u}, // scaled: every pixel written
    };
    for (const Case& c : cases) {
        layer.SetBlend(c.blend);
        layer.SetColor(c.colour >> 24, c.colour >> 16 & 0xFF, c.colour >> 8 & 0xFF,
                       c.colour & 0xFF);
        layer.SetBaseSize(c.width, 0);
        auto page = MakePage(16, 8);
        layer.Draw(page.get(), nullptr);
        EXPECT_EQ(page->Row(1)[1], c.at0) << c.blend << " " << c.width;
        EXPECT_EQ(page->Row(1)[c.width ? 3 : 2], c.at1) << c.blend << " " << c.width;
    }
}

// Width and height resolve each on its own: 64 × 0 is 64 wide at the picture's own height.
TEST(LayerDraw, SizesResolveEachOnItsOwn) {
    TestHost host;
    host.AddPicture("P", 10, 6, 3, true);
    LayerActionTable actions;
    CDIBSnrLayer layer;
    layer.Initialize(&actions, &host.cache);
    layer.SetImage("P");
    layer.SetBaseSize(64, 0);
    EXPECT_EQ(layer.DrawWidth(), 64);
    EXPECT_EQ(layer.DrawHeight(), 6);
    layer.SetBaseSize(0, 9);
    EXPECT_EQ(layer.DrawWidth(), 10);
    EXPECT_EQ(layer.DrawHeight(), 9);
}

// Through the reset camera a corner on the page stays put, and one left of or above it moves
// in by one pixel: an own-size layer at x = −13 becomes a quad one pixel narrower, drawn scaled
// (so not by the rectangle blit), and its plan covers what that quad covers.
TEST(LayerDraw, ALayerLeftOfThePageThroughTheResetCamera) {
    TestHost host;
    CDIBSprite* picture = host.AddPicture("P", 40, 24, 11);
    LayerActionTable actions;
    CDIBSnrLayer layer;
    layer.Initialize(&actions, &host.cache);
    layer.SetImage("P");
    layer.SetPos(-13, -5, 0);
    CDIBCamera camera;
    camera.Initialize();

    auto page = MakePage(64, 48);
    const CDIBSnrLayer::Plan plan = layer.PlanDraw(*page, &camera);
    EXPECT_EQ(plan.quad.corner[0].x, -12);
    EXPECT_EQ(plan.quad.corner[0].y, -4);
    EXPECT_EQ(plan.quad.corner[1].x, 26);
    EXPECT_EQ(plan.quad.corner[2].y, 18);
    EXPECT_EQ(plan.bounds, (RegionRect{0, 0, 27, 19}));
    layer.Draw(page.get(), &camera);

    auto expected = MakePage(64, 48);
    VertexQuad q;
    picture->SetStretchVertex(q, -12, -4, 39, 23, kWhite);
    q.corner[1].x = q.corner[2].x = 26; // the right and bottom edges stay where they were
    q.corner[2].y = q.corner[3].y = 18;
    picture->StretchBltBlend(expected.get(), q, false);
    EXPECT_TRUE(SameFrame(*page, *expected));

    auto unprojected = MakePage(64, 48);
    layer.Draw(unprojected.get(), nullptr);
    EXPECT_FALSE(SameFrame(*page, *unprojected));
}

// The camera takes the layer's own values before it projects, and keeps them afterwards.
TEST(LayerDraw, CopiesItsCameraValuesIntoTheCamera) {
    TestHost host;
    host.AddPicture("P", 8, 8, 1);
    LayerActionTable actions;
    CDIBSnrLayer layer;
    layer.Initialize(&actions, &host.cache);
    layer.SetCameraState(false, true, 0.5f, 2.0f);
    CDIBCamera camera;
    camera.Initialize();
    auto page = MakePage(32, 32);
    layer.Draw(page.get(), &camera); // no picture: the camera is left alone
    EXPECT_TRUE(camera.IsOn());
    layer.SetImage("P");
    layer.Draw(page.get(), &camera);
    EXPECT_FALSE(camera.IsOn());
    EXPECT_TRUE(camera.IsBillboard());
}

// Corners that do not fit 16 bits draw nothing rather than wrap round onto the page.
TEST(LayerDraw, CoordinatesBeyondSixteenBitsDrawNothing) {
    TestHost host;
    host.AddPicture("P", 8, 8, 1, true);
    LayerActionTable actions;
    CDIBSnrLayer layer;
    layer.Initialize(&actions, &host.cache);
    layer.SetImage("P");
    struct Case {
        int x, y, z, w;
    } cases[] = {{65536 + 4, 4, 0, 0}, {4, -65536 + 4, 0, 0}, {4, 4, 70000, 0}, {4, 4, 0, 40000}};
    for (const Case& c : cases) {
        layer.SetPos(c.x, c.y, c.z);
        layer.SetBaseSize(c.w, 0);
        auto page = MakePage(32, 32);
        layer.Draw(page.get(), nullptr);
        EXPECT_EQ(FirstChanged(*page, kGround), std::make_pair(-1, -1)) << c.x << " " << c.y;
    }
}

// With an action the layer draws only through it; with a number naming none, or without a
// picture, it draws nothing.
TEST(LayerDraw, AnActionDrawsInsteadOfTheLayer) {
    TestHost host;
    CDIBSprite* picture = host.AddPicture("P", 20, 10, 5, true);
    LayerActionTable actions;
    for (auto& a : actions) {
        a = std::make_unique<CDIBSnrAction>();
        a->Initialize(&host.cache);
    }
    // A scroll through one point: the layer drawn at (30, 12) whatever its own position.
    ASSERT_TRUE(actions[4]->Setup(MakeDef(ActionType::Scroll, 1000, 0, 1,
                                          {30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 12})));
    CDIBSnrLayer layer;
    layer.Initialize(&actions, &host.cache);
    layer.SetImage("P");
    layer.SetPos(2, 2, 0);
    layer.SetAction(5);
    auto page = MakePage(64, 40);
    layer.Draw(page.get(), nullptr);
    EXPECT_EQ(page->Row(12)[30], picture->Row(0)[0]);
    EXPECT_EQ(page->Row(2)[2], kGround);

    for (int number : {3, 300, -1}) { // undefined, outside the table
        layer.SetAction(number);
        auto empty = MakePage(64, 40);
        layer.Draw(empty.get(), nullptr);
        EXPECT_EQ(FirstChanged(*empty, kGround), std::make_pair(-1, -1)) << number;
    }
    layer.SetAction(5);
    layer.SetImage("");
    auto none = MakePage(64, 40);
    layer.Draw(none.get(), nullptr);
    EXPECT_EQ(FirstChanged(*none, kGround), std::make_pair(-1, -1));
}

// SetImage gives the old picture back; an empty or unknown name leaves none and fails.
TEST(LayerDraw, SetImageHoldsOnePictureAtATime) {
    TestHost host;
    CDIBSprite* a = host.AddPicture("A", 4, 4, 1);
    host.AddPicture("B", 4, 4, 2);
    LayerActionTable actions;
    CDIBSnrLayer layer;
    layer.Initialize(&actions, &host.cache);
    EXPECT_FALSE(layer.IsUpdated());
    ASSERT_TRUE(layer.SetImage("A"));
    EXPECT_EQ(host.cache.GetDataID(a)->count, 2);
    ASSERT_TRUE(layer.SetImage("B"));
    EXPECT_EQ(host.cache.GetDataID(a)->count, 1);
    EXPECT_FALSE(layer.SetImage(""));
    EXPECT_EQ(layer.GetProp().picture, nullptr);
    EXPECT_FALSE(layer.SetImage("MISSING"));
    EXPECT_EQ(layer.GetProp().picture, nullptr);
    layer.SetColor(300, -5, 128, 255);
    EXPECT_EQ(layer.GetProp().colour, 0xFF0080FFu);
}

} // namespace
} // namespace qw::test
