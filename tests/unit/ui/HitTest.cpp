// Hit tests: the drawn quad's four edge tests (edges included, a rotated quad, degenerate quads)
// and hit maps.

#include "ui/CtrlGeometry.h"
#include "unit/ui/CtrlFixture.h"

namespace qw::test {
namespace {

VertexQuad Quad(std::initializer_list<std::pair<int, int>> corners) {
    VertexQuad q{};
    int i = 0;
    for (auto [x, y] : corners)
        q.corner[i++] = {static_cast<int16_t>(x), static_cast<int16_t>(y), 0};
    return q;
}

TEST(QuadHit, EdgesAreInsideAndDegenerateQuadsAreNeverHit) {
    const VertexQuad cell = Quad({{100, 200}, {119, 200}, {119, 209}, {100, 209}});
    // A diamond: the cell's corners turned by 45 degrees about (50, 50).
    const VertexQuad diamond = Quad({{50, 0}, {100, 50}, {50, 100}, {0, 50}});
    const VertexQuad point = Quad({{10, 10}, {10, 10}, {10, 10}, {10, 10}});
    const VertexQuad line = Quad({{10, 10}, {10, 10}, {10, 40}, {10, 40}}); // one pixel wide
    struct Case {
        const VertexQuad* quad;
        int x, y;
        bool hit;
    };
    const Case cases[] = {
        {&cell, 110, 205, true},   {&cell, 100, 200, true},   {&cell, 119, 209, true},
        {&cell, 119, 200, true},   {&cell, 100, 209, true},   {&cell, 99, 205, false},
        {&cell, 120, 205, false},  {&cell, 110, 199, false},  {&cell, 110, 210, false},
        {&diamond, 50, 50, true},  {&diamond, 75, 25, true},  {&diamond, 25, 75, true},
        {&diamond, 50, 0, true},   {&diamond, 76, 24, false}, {&diamond, 10, 10, false},
        {&diamond, 90, 90, false}, {&point, 10, 10, false},   {&line, 10, 20, false},
        {&line, 500, 300, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QuadContains(*c.quad, c.x, c.y), c.hit) << c.x << "," << c.y;
}

class ControlHit : public CtrlFixture {
protected:
    bool HitAt(CDIBBaseCtrl* c, int x, int y) {
        window_->cursor = {x, y};
        Input().Poll();
        return c->IsHit();
    }
};

TEST_F(ControlHit, ThroughTheDrawnQuadOrAHitMap) {
    CDIBButtonCtrl* quad = MakeButton(1, 100, 200);
    CtrlParam p = Param(2, 0, 0); // drawn elsewhere: the map decides
    SetCtrlName(p.hitName, "HIT.BMP");
    p.hitNo = 7;
    CDIBBaseCtrl* mapped = owner_.MakeControl(kCtrlButton, &p);
    struct Case {
        int x, y;
        bool byQuad, byMap;
    };
    for (Case c :
         {Case{100, 200, true, false}, Case{119, 209, true, false}, Case{120, 209, false, false},
          Case{300, 200, false, true}, Case{349, 229, false, true}, Case{350, 229, false, false},
          Case{299, 215, false, false}, Case{5, 5, false, false}}) {
        EXPECT_EQ(HitAt(quad, c.x, c.y), c.byQuad) << c.x << "," << c.y;
        EXPECT_EQ(HitAt(mapped, c.x, c.y), c.byMap) << c.x << "," << c.y;
    }
}

TEST_F(ControlHit, AMapThatCannotBeReadHitsNothing) {
    // -1 is what the input answers for an unreadable map; a hit number of -1 does not match it.
    CtrlParam p = Param(2);
    SetCtrlName(p.hitName, "NOPE.BMP");
    p.hitNo = -1;
    CDIBBaseCtrl* c = owner_.MakeControl(kCtrlButton, &p);
    EXPECT_FALSE(HitAt(c, 110, 205));
    // SetHitFName checks the data archive; the empty name goes back to the drawn quad.
    EXPECT_FALSE(c->SetHitFName("NOPE.BMP"));
    EXPECT_TRUE(c->SetHitFName("HIT.BMP"));
    EXPECT_EQ(c->GetHitFName(), "HIT.BMP");
    EXPECT_TRUE(c->SetHitFName(""));
    EXPECT_TRUE(HitAt(c, 110, 205));
}

TEST_F(ControlHit, APictureIsNeverHitByTheMouse) {
    auto* picture = Make<CDIBImageCtrl>(kCtrlImage, Param(9));
    MoveTo(110, 205);
    Press(vk::kLButton);
    EXPECT_FALSE(picture->IsForcus());
    EXPECT_EQ(owner_.GetCtrlFlag(), 0);
}

} // namespace
} // namespace qw::test
