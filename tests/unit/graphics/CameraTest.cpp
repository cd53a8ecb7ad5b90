// The page camera: projection of quads, path moves and the saved record.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "graphics/CDIBCamera.h"
#include "graphics/CDIBImage.h"

namespace qw {
namespace {

VertexQuad Quad(int x0, int y0, int x1, int y1, int z) {
    VertexQuad q;
    const int xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
    for (int i = 0; i < 4; ++i)
        q.corner[i] = {static_cast<int16_t>(xs[i]), static_cast<int16_t>(ys[i]),
                       static_cast<int16_t>(z)};
    q.colour = 0xFFFFFFFF;
    return q;
}

VertexQuad Corner2At(VertexQuad q, int z) {
    q.corner[2].shade = static_cast<int16_t>(z);
    return q;
}

// A one-point path with w, run to its end: roll = w × 0.01.
void Zoom(CDIBCamera& c, float w) {
    c.AddMove(400, 300, 0, w);
    c.StartMove(0);
    c.Move(false, 30);
}

bool IsDropped(const VertexQuad& q) {
    for (const QuadCorner& c : q.corner)
        if (c.x != INT16_MIN || c.y != INT16_MIN) return false;
    return true;
}

TEST(Camera, ResetCameraKeepsThePagePlane) {
    CDIBCamera cam;
    std::vector<VertexQuad> quads;
    for (int x = 0; x < 800; x += 7)
        quads.push_back(Quad(x, x % 600, 799 - x, 599 - x % 600, 0));
    std::vector<VertexQuad> before = quads;
    cam.Transform(quads.data(), static_cast<int>(quads.size()));
    for (size_t i = 0; i < quads.size(); ++i)
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(quads[i].corner[c].x, before[i].corner[c].x);
            EXPECT_EQ(quads[i].corner[c].y, before[i].corner[c].y);
            EXPECT_EQ(quads[i].corner[c].shade, 1); // depth 1
        }
}

// One quad through a camera set up per row: the expected corner 0 and 2, or dropped.
TEST(Camera, TransformCases) {
    struct Case {
        const char* what;
        VertexQuad quad;
        void (*setup)(CDIBCamera&);
        bool dropped;
        int x0, y0, x2, y2, shade;
    } cases[] = {
        // Truncation toward zero: −10 + 0.5 becomes −9.
        {"left of the page", Quad(-10, -20, 10, 20, 0), nullptr, false, -9, -19, 10, 20, 1},
        {"twice as far", Quad(0, 0, 800, 600, 1000), nullptr, false, 200, 150, 600, 450, 2},
        {"behind the near plane", Quad(0, 0, 800, 600, -950), nullptr, true, 0, 0, 0, 0, 0},
        {"one corner behind", Corner2At(Quad(0, 0, 800, 600, 0), -999), nullptr, true, 0, 0, 0, 0,
         0},
        // The camera turned towards page point (500, 300): that point lands in the centre, and
        // without the view's translation (XY rate 0) only the turn is left.
        {"XY rate 1 centres the target", Quad(500, 300, 500, 300, 0),
         [](CDIBCamera& c) {
             c.SetTarget({100, 0, 0, 0});
         },
         false, 400, 300, 400, 300, 1},
        {"XY rate 0 keeps only the turn", Quad(500, 300, 500, 300, 0),
         [](CDIBCamera& c) {
             c.SetTarget({100, 0, 0, 0});
             c.SetLayerParam(true, false, 0, 1);
         },
         false, 499, 300, 499, 300, 1},
        // Roll 0.5 at W rate 1 halves the eye's distance: everything twice as large.
        {"roll zooms", Quad(300, 200, 500, 400, 0), [](CDIBCamera& c) { Zoom(c, 50); }, false, 200,
         100, 600, 500, 0},
        {"W rate 0 ignores roll", Quad(300, 200, 500, 400, 0),
         [](CDIBCamera& c) {
             Zoom(c, 50);
             c.SetLayerParam(true, false, 1, 0);
         },
         false, 300, 200, 500, 400, 1},
        {"camera off", Quad(0, 0, 800, 600, -950),
         [](CDIBCamera& c) { c.SetLayerParam(false, false, 1, 1); }, false, 0, 0, 800, 600, -950},
        {"eye at 1e30", Quad(0, 0, 10, 10, 0),
         [](CDIBCamera& c) {
             c.SetEye({0, 0, -1e30f, 0});
         },
         true, 0, 0, 0, 0, 0},
        {"eye not a number", Quad(0, 0, 10, 10, 0),
         [](CDIBCamera& c) {
             c.SetEye({NAN, 0, -1000, 0});
         },
         true, 0, 0, 0, 0, 0},
        {"infinite target", Quad(0, 0, 10, 10, 0),
         [](CDIBCamera& c) {
             c.SetTarget({std::numeric_limits<float>::infinity(), 0, 0, 0});
         },
         true, 0, 0, 0, 0, 0},
        // Roll 0.89 leaves the eye 110 away: ten times the size, and x 4000 lands past 16 bits
        // while x 3000 still fits.
        {"corner past 16 bits", Quad(0, 0, 4000, 10, 0), [](CDIBCamera& c) { Zoom(c, 89); }, true,
         0, 0, 0, 0, 0},
        {"corner just inside 16 bits", Quad(0, 0, 3000, 10, 0), [](CDIBCamera& c) { Zoom(c, 89); },
         false, -3235, -2426, 24036, -2335, 0},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.what);
        CDIBCamera cam;
        if (tc.setup) tc.setup(cam);
        VertexQuad q = tc.quad;
        float depth = -1;
        cam.Transform(&q, 1, &depth);
        EXPECT_EQ(IsDropped(q), tc.dropped);
        EXPECT_EQ(q.colour, 0xFFFFFFFFu);
        if (tc.dropped) {
            EXPECT_EQ(depth, 0);
            continue;
        }
        EXPECT_EQ(q.corner[0].x, tc.x0);
        EXPECT_EQ(q.corner[0].y, tc.y0);
        EXPECT_EQ(q.corner[2].x, tc.x2);
        EXPECT_EQ(q.corner[2].y, tc.y2);
        EXPECT_EQ(q.corner[0].shade, tc.shade);
    }
}

// A dropped quad draws nothing, not even pixel (0, 0).
TEST(Camera, DroppedQuadDrawsNothing) {
    CDIBImage src, dst;
    ASSERT_TRUE(src.Create(8, 8));
    src.FillFull(0xFFFFFFFF);
    ASSERT_TRUE(dst.Create(16, 16));
    VertexQuad q = Quad(0, 0, 7, 7, -950);
    for (int i = 0; i < 4; ++i)
        q.source[i] = {static_cast<int16_t>(i == 1 || i == 2 ? 7 : 0),
                       static_cast<int16_t>(i >= 2 ? 7 : 0)};
    CDIBCamera cam;
    cam.Transform(&q, 1);
    src.StretchBltBlend(&dst, q, false);
    src.StretchBltCopy(&dst, q, true);
    src.StretchBltFast(&dst, q, false);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(dst.Row(y)[x], 0u) << x << "," << y;
}

// A billboard layer turns to face the camera: with the camera looking at a point to the right,
// a flat layer gets foreshortened, a billboard one keeps its shape about corner 0.
TEST(Camera, BillboardFacesTheCamera) {
    const auto run = [](bool billboard) {
        CDIBCamera cam;
        cam.SetTarget({300, 0, 0, 0});
        cam.SetLayerParam(true, billboard, 1, 1);
        VertexQuad q = Quad(600, 200, 700, 400, 0);
        cam.Transform(&q, 1);
        return q;
    };
    const VertexQuad flat = run(false), board = run(true);
    ASSERT_FALSE(IsDropped(flat));
    ASSERT_FALSE(IsDropped(board));
    // Both share corner 0, which is the billboard's pivot.
    EXPECT_EQ(flat.corner[0].x, board.corner[0].x);
    EXPECT_EQ(flat.corner[0].y, board.corner[0].y);
    // Flat: the right edge is farther away, so shorter than the left. Billboard: both edges at
    // the same depth, the same height.
    const auto height = [](const VertexQuad& q, int top, int bottom) {
        return q.corner[bottom].y - q.corner[top].y;
    };
    EXPECT_LT(height(flat, 1, 2), height(flat, 0, 3));
    EXPECT_NEAR(height(board, 1, 2), height(board, 0, 3), 1);
    EXPECT_EQ(board.corner[1].shade, board.corner[0].shade);
}

TEST(Camera, MoveAlongThePath) {
    CDIBCamera cam;
    cam.Move(false, 30);
    EXPECT_FALSE(cam.IsChanged()); // nothing moving

    // Three points: halfway in time is the middle point.
    cam.AddMove(400, 300, 0, 0);
    cam.AddMove(500, 100, 200, 10);
    cam.AddMove(600, 300, 0, 0);
    cam.StartMove(100);
    cam.Move(false, 50);
    EXPECT_TRUE(cam.IsMoving());
    EXPECT_TRUE(cam.IsChanged());
    EXPECT_EQ(cam.GetElapsed(), 50);
    EXPECT_FLOAT_EQ(cam.GetTarget().x, 100);
    EXPECT_FLOAT_EQ(cam.GetTarget().y, -200);
    EXPECT_FLOAT_EQ(cam.GetTarget().z, 200);
    EXPECT_FLOAT_EQ(cam.GetRoll(), 0.1f); // w 10 stored as 100, times 0.001

    cam.Move(false, 80); // past the end: clamped, move over, still changed this tick
    EXPECT_EQ(cam.GetElapsed(), 100);
    EXPECT_FALSE(cam.IsMoving());
    EXPECT_TRUE(cam.IsChanged());
    EXPECT_FLOAT_EQ(cam.GetTarget().x, 200);
    EXPECT_FLOAT_EQ(cam.GetTarget().y, 0);
    cam.Move(false, 30);
    EXPECT_FALSE(cam.IsChanged());

    // fast ends at once; so does a zero duration.
    for (bool fast : {true, false}) {
        cam.StartMove(fast ? 5000 : 0);
        cam.Move(fast, 30);
        EXPECT_FALSE(cam.IsMoving());
        EXPECT_EQ(cam.GetElapsed(), fast ? 5000 : 0);
        EXPECT_FLOAT_EQ(cam.GetTarget().x, 200);
    }

    // One point: the target goes straight there.
    cam.ResetMove();
    EXPECT_EQ(cam.GetPointCount(), 0);
    cam.AddMove(450, 250, 30, 0);
    cam.StartMove(100);
    cam.Move(false, 10);
    EXPECT_FLOAT_EQ(cam.GetTarget().x, 50);
    EXPECT_FLOAT_EQ(cam.GetTarget().y, -50);
    EXPECT_FLOAT_EQ(cam.GetTarget().z, 30);

    // At most 16 points.
    cam.ResetMove();
    for (int i = 0; i < 20; ++i)
        cam.AddMove(static_cast<float>(i), 0, 0, NAN);
    EXPECT_EQ(cam.GetPointCount(), CDIBCamera::kMaxPoints);
    EXPECT_EQ(cam.GetWValue(0), 0); // w not a number is stored as 0
    EXPECT_EQ(cam.GetPoint(15).x, 15);
}

TEST(Camera, RecordBytes) {
    CDIBCamera cam;
    cam.SetLayerParam(false, true, 0.5f, 2);
    cam.AddMove(401, 302, 3, 1.5f);
    cam.AddMove(404, 305, 6, -2);
    cam.AddMove(407, 308, 9, 3);
    cam.StartMove(1000);
    cam.Move(false, 250);
    ByteWriter out;
    ASSERT_TRUE(cam.Save(out));
    const Bytes& b = out.Data();
    ASSERT_EQ(b.size(), 168u);
    const auto f32 = [&](size_t at) {
        return std::bit_cast<float>(LoadLEUnchecked<uint32_t>(&b[at]));
    };
    const auto i32 = [&](size_t at) { return LoadLEUnchecked<int32_t>(&b[at]); };
    EXPECT_EQ(b[0], 0);        // camera off
    EXPECT_EQ(b[1], 1);        // billboard
    EXPECT_EQ(f32(2), 0.5f);   // XY rate
    EXPECT_EQ(f32(6), 2.0f);   // W rate
    EXPECT_EQ(f32(18), -1000); // eye z
    EXPECT_EQ(f32(46), 1.0f);  // up y (eye at 10, target at 26, up at 42)
    EXPECT_EQ(b[62], 0);       // the spare byte
    EXPECT_EQ(b[63], 1);       // moving
    EXPECT_EQ(i32(64), 1000);  // duration
    EXPECT_EQ(i32(68), 250);   // elapsed
    EXPECT_EQ(i32(72), 15);    // w values × 10
    EXPECT_EQ(i32(76), -20);
    EXPECT_EQ(i32(80), 30);
    EXPECT_EQ(i32(84), 0);
    EXPECT_EQ(f32(136), 401); // path point 0
    EXPECT_EQ(f32(156), 305); // path point 1 y
    EXPECT_EQ(f32(58), cam.GetRoll());

    // Back into a fresh camera: the same bytes again, with no point count.
    CDIBCamera back;
    ASSERT_EQ(back.Load(b), 168u);
    EXPECT_EQ(back.GetPointCount(), 0);
    EXPECT_EQ(back.GetPoint(1).z, 6);
    ByteWriter again;
    back.Save(again);
    EXPECT_EQ(again.Data(), b);
    // The saved move runs out its time at the saved target.
    const CVector target = back.GetTarget();
    back.Move(false, 1000);
    EXPECT_FALSE(back.IsMoving());
    EXPECT_EQ(back.GetTarget().x, target.x);

    // A short record changes nothing.
    CDIBCamera fresh;
    EXPECT_FALSE(fresh.Load(ByteSpan(b).first(167)));
    EXPECT_TRUE(fresh.IsOn());
    EXPECT_EQ(fresh.GetEye().z, -1000);
}

} // namespace
} // namespace qw
