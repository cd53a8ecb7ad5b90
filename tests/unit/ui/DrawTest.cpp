// Drawing: the cell of each state, blending and copying, cells missing from the parts image,
// the dirty areas a change adds (old and new), captions, and a screen's redraw of what changed.

#include <vector>

#include "graphics/CDIBSprite.h"
#include "graphics/PixelRules.h"
#include "scenario/CDIBBaseScreen.h"
#include "unit/ui/CtrlFixture.h"

namespace qw::test {
namespace {

constexpr uint32_t kBlack = 0xFF000000;

class ControlDraw : public CtrlFixture {
protected:
    void SetUp() override {
        CtrlFixture::SetUp();
        target_.Create(800, 600);
        target_.FillFull(kBlack);
    }
    uint32_t At(int x, int y) { return target_.Row(y)[x]; }
    // What `src` blended over `dst` gives through an unscaled quad (the rectangle rule; over
    // black: what a cell drawn on the target gives).
    static uint32_t Blended(uint32_t src, uint32_t dst = kBlack) {
        return pixel::BltBlend(dst, src, 0xFFFFFFFF);
    }
    // … and through a stretched one.
    static uint32_t Stretched(uint32_t src, uint32_t dst) {
        return pixel::Blend(dst, src, 0xFFFFFFFF);
    }
    std::vector<RegionRect> Region(CDIBImage& image) {
        image.UpdateRegionData();
        return *image.GetRegionData();
    }
    CDIBImage target_;
};

TEST_F(ControlDraw, EachStateDrawsItsOwnCell) {
    CDIBButtonCtrl* button = MakeButton(1, 100, 200);
    auto* box = Make<CDIBCheckCtrl>(kCtrlCheck, Param(2, 200, 200));
    CtrlParam sp = SliderParam(3, 100, 300);
    sp.scroll.value = 255;
    auto* slider = Make<CDIBScrollCtrl>(kCtrlScroll, sp);
    struct Case {
        CDIBBaseCtrl* control;
        bool enabled, focused, checked;
        int x, y;        // a pixel of the drawn cell
        uint32_t colour; // the cell's own colour there
    };
    const Case cases[] = {
        {button, true, false, false, 105, 205, CellColour(0)},
        {button, true, true, false, 105, 205, CellColour(1)},
        {button, false, false, false, 105, 205, CellColour(3)},
        {button, false, true, false, 105, 205, CellColour(4)},
        {box, true, false, true, 205, 205, CellColour(5)},
        {box, true, true, true, 205, 205, CellColour(6)},
        {box, false, true, true, 205, 205, CellColour(9)},
        {box, true, true, false, 205, 205, CellColour(1)},
        {slider, true, false, false, 110, 305, CellColour(0)},  // track, normal
        {slider, true, true, false, 110, 305, CellColour(1)},   // track, focused
        {slider, true, true, false, 355, 313, CellColour(6)},   // knob, focused, at the end
        {slider, false, false, false, 355, 313, CellColour(8)}, // knob, disabled
    };
    for (const Case& c : cases) {
        c.control->OnKillForcus();
        c.control->SetEnable(c.enabled);
        if (auto* b = dynamic_cast<CDIBCheckCtrl*>(c.control)) b->SetCheck(c.checked);
        if (c.focused) c.control->OnGetForcus();
        c.control->UpdateVertex();
        target_.FillFull(kBlack);
        c.control->Draw(target_, true);
        EXPECT_EQ(At(c.x, c.y), Blended(c.colour)) << c.x << "," << c.y;
    }
}

TEST_F(ControlDraw, WithoutBlendTheCellIsCopied) {
    CtrlParam p = Param(1);
    p.button.blend = 0;
    CDIBBaseCtrl* b = owner_.MakeControl(kCtrlButton, &p);
    b->Draw(target_, false); // marked for redrawing by the set-up
    EXPECT_EQ(At(100, 200), CellColour(0));
    EXPECT_EQ(At(119, 209), CellColour(0));
    EXPECT_EQ(At(120, 209), kBlack);
    EXPECT_FALSE(b->IsUpdate());
    target_.FillFull(kBlack);
    b->Draw(target_, false); // not marked, not forced: nothing
    EXPECT_EQ(At(100, 200), kBlack);
}

TEST_F(ControlDraw, ACellMissingFromThePartsImageDrawsNothingAndIsNeverHit) {
    CtrlParam p = Param(1);
    p.button.cells = {0, 1, 2, 3, 99};
    p.enable = 0;
    CDIBBaseCtrl* b = owner_.MakeControl(kCtrlButton, &p);
    b->OnGetForcus(); // state 4: cell 99
    CDIBImage image;
    image.Create(800, 600);
    image.CreateRGN();
    b->UpdateRGN(&image);
    EXPECT_EQ(Region(image), (std::vector<RegionRect>{{100, 200, 120, 210}})); // the old area
    b->Draw(target_, true);
    for (int y = 0; y < 600; y += 7)
        for (int x = 0; x < 800; x += 7)
            ASSERT_EQ(At(x, y), kBlack) << x << "," << y;
    window_->cursor = {110, 205};
    Input().Poll();
    EXPECT_FALSE(b->IsHit());
}

TEST_F(ControlDraw, UpdateRgnAddsTheOldAndTheNewArea) {
    CDIBButtonCtrl* b = MakeButton(1, 100, 200);
    CDIBImage image;
    image.Create(800, 600);
    image.CreateRGN();
    b->UpdateRGN(&image);
    EXPECT_EQ(Region(image), (std::vector<RegionRect>{{100, 200, 120, 210}}));
    b->Draw(image, false);
    image.ClearRGN();
    b->UpdateRGN(&image); // drawn: nothing to add
    EXPECT_TRUE(Region(image).empty());
    b->SetPos(300, 400);
    b->UpdateRGN(&image);
    EXPECT_EQ(Region(image), (std::vector<RegionRect>{{100, 200, 120, 210}, {300, 400, 320, 410}}));
    b->Draw(image, false);
    image.ClearRGN();
    b->SetShow(false);
    b->UpdateRGN(&image); // hidden: only the area it leaves
    EXPECT_EQ(Region(image), (std::vector<RegionRect>{{300, 400, 320, 410}}));
    CDIBImage fresh;
    fresh.Create(800, 600);
    fresh.CreateRGN();
    b->SetPos(790, 595); // partly off the image: the part on it
    b->SetShow(true);
    b->UpdateRGN(&fresh);
    EXPECT_EQ(Region(fresh), (std::vector<RegionRect>{{300, 400, 320, 410}, {790, 595, 800, 600}}));
}

TEST_F(ControlDraw, CaptionsAreDrawnIntoTheirOwnStateAndErasedAgain) {
    CDIBButtonCtrl* b = MakeButton(1, 100, 200);
    CDIBButtonCtrl* other = MakeButton(2, 100, 300);
    ASSERT_TRUE(b->InitCaption());
    ASSERT_TRUE(other->InitCaption());
    CDIBSprite* caption = b->GetCaption();
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->GetWidth(), 20);
    EXPECT_EQ(caption->GetHeight(), 50); // the five cells stacked
    CSpriteCache* cache = main_->GetSpriteCache();
    ASSERT_NE(cache->GetDataID(caption), nullptr);
    EXPECT_EQ(cache->GetDataID(caption)->flag, 1); // registered, not read
    EXPECT_NE(caption->GetName(), other->GetCaption()->GetName());

    CDIBSprite* white = cache->Read("CAPTION.MGD");
    VertexQuad quad;
    white->SetVertex(quad, 0, 2, 3, 0xFFFFFFFF);
    b->SetCaption(1, *white, quad);           // the focused look only
    quad.corner[1].x = quad.corner[2].x = 40; // wider than the cell: kept inside it
    b->SetCaption(1, *white, quad);
    cache->Free(white);

    const auto drawnAt = [&](bool focused, int x, int y) {
        focused ? b->OnGetForcus() : b->OnKillForcus();
        b->UpdateVertex();
        target_.FillFull(kBlack);
        b->Draw(target_, true);
        return At(x, y);
    };
    const uint32_t captioned = Blended(Stretched(0xFFFFFFFF, Blended(0xFFFFFFFF, CellColour(1))));
    EXPECT_EQ(drawnAt(true, 104, 205), captioned);
    EXPECT_EQ(drawnAt(true, 101, 205), Blended(CellColour(1)));
    EXPECT_EQ(drawnAt(true, 119, 205), Blended(Stretched(0xFFFFFFFF, CellColour(1))))
        << "the wide caption, cut at the cell";
    EXPECT_EQ(drawnAt(false, 104, 205), Blended(CellColour(0)));
    b->ResCaption();
    EXPECT_EQ(drawnAt(true, 104, 205), Blended(CellColour(1)));

    b->Release(); // gives the caption back too, and the cache lets it go
    EXPECT_EQ(cache->GetDataID(caption), nullptr);
}

TEST_F(ControlDraw, CaptionsMadeAgainAndAgainDoNotFillTheCache) {
    // Screens make their captioned buttons on every visit: far more captions than the cache's
    // 256 entries over a session.
    CDIBButtonCtrl* b = MakeButton(1);
    for (int i = 0; i < 600; ++i)
        ASSERT_TRUE(b->InitCaption()) << i;
    CDIBButtonCtrl* other = MakeButton(2);
    EXPECT_NE(other->GetParts(), nullptr);
    EXPECT_NE(main_->GetSpriteCache()->Read("SLIDER.MGD"), nullptr);
}

// A screen that redraws a changed control must not blend the controls around it over
// themselves: a half-transparent picture under a button looks the same after the button is
// redrawn unchanged.
class GlassScreen : public CDIBBaseScreen {
public:
    bool Initialize() override {
        if (!CDIBBaseScreen::Initialize()) return false;
        backImage_->FillFull(0xFF336699);
        return true;
    }
};

TEST_F(ControlDraw, AScreenRedrawsOnlyInsideTheChangedArea) {
    pictures_.files["GLASS.MGD"] =
        RawPicture(40, 10, {{0, 0, 40, 10}}, [](int, int) { return 0x80FFFFFFu; });
    GlassScreen screen;
    ASSERT_TRUE(screen.Initialize());
    CtrlParam glass = Param(1, 100, 200);
    SetCtrlName(glass.parts, "GLASS.MGD");
    glass.image.cell = 0;
    ASSERT_NE(screen.MakeControl(kCtrlImage, &glass), nullptr);
    CtrlParam p = Param(2, 110, 200);
    p.button.cells = {3, 3, 3, 3, 3};
    CDIBBaseCtrl* button = screen.MakeControl(kCtrlButton, &p);
    screen.Move();
    screen.Update();
    CDIBImage* drawn = screen.GetDrawImage();
    const std::vector<uint32_t> first(drawn->GetPixels(), drawn->GetPixels() + 800 * 600);
    EXPECT_NE(first[200 * 800 + 102], 0xFF336699u); // the picture is there
    button->SetPos(110, 200);                       // unchanged, but marked for redrawing
    screen.Move();
    screen.Update();
    const std::vector<uint32_t> second(drawn->GetPixels(), drawn->GetPixels() + 800 * 600);
    EXPECT_EQ(first, second);
    screen.Release();
}

TEST_F(ControlDraw, SetPartsSwapsThePictureOrKeepsTheOldOne) {
    CtrlParam p = Param(1);
    p.button.cells = {5, 5, 5, 5, 5};
    CDIBBaseCtrl* b = owner_.MakeControl(kCtrlButton, &p);
    CSpriteCache* cache = main_->GetSpriteCache();
    CDIBSprite* old = b->GetParts();
    EXPECT_FALSE(b->SetParts("NOPE.MGD"));
    EXPECT_EQ(b->GetParts(), old);
    EXPECT_EQ(b->GetPartsName(), "PARTS.MGD");
    ASSERT_TRUE(b->SetParts("SLIDER.MGD"));
    EXPECT_EQ(cache->GetDataID(old)->count, 0); // the old picture given back
    EXPECT_EQ(b->GetPartsName(), "SLIDER.MGD");
    EXPECT_TRUE(b->IsUpdate());
    b->UpdateRGN(nullptr);
    b->Draw(target_, true);
    EXPECT_EQ(At(105, 215), CellColour(5)); // SLIDER.MGD's cell 5, a knob 9 × 20
}

TEST_F(ControlDraw, ACaptureForATransitionLeavesTheFirstDrawingToTheScreen) {
    GlassScreen screen;
    ASSERT_TRUE(screen.Initialize());
    CtrlParam p = Param(1, 100, 200);
    ASSERT_NE(screen.MakeControl(kCtrlButton, &p), nullptr);
    screen.CopyImage(target_); // what the screen flow captures before the screen runs
    EXPECT_EQ(At(105, 205), CellColour(0));
    screen.Move();
    screen.Update();
    EXPECT_EQ(screen.GetDrawImage()->Row(205)[105], CellColour(0));
    screen.Release();
}

} // namespace
} // namespace qw::test
