// The camera's math: matrices against values worked out by hand, and the spline.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "graphics/CMatrix.h"
#include "graphics/CSpline.h"
#include "graphics/CVector.h"

namespace qw {
namespace {

constexpr float kHalfPi = std::numbers::pi_v<float> / 2;

void ExpectVector(const CVector& v, float x, float y, float z, float w) {
    EXPECT_NEAR(v.x, x, 1e-6f);
    EXPECT_NEAR(v.y, y, 1e-6f);
    EXPECT_NEAR(v.z, z, 1e-6f);
    EXPECT_NEAR(v.w, w, 1e-6f);
}

TEST(CameraMath, NormalizeKeepsZeroAndW) {
    CVector zero;
    zero.Normalize3();
    ExpectVector(zero, 0, 0, 0, 0);
    CVector v(3, 0, 4, 7);
    EXPECT_FLOAT_EQ(v.Length(), 5);
    v.Normalize3();
    ExpectVector(v, 0.6f, 0, 0.8f, 7);
}

// Each rotation by π/2 of the unit axes, as row vectors: X turns y into z, Y turns z into x,
// Z turns x into y.
TEST(CameraMath, RotationsTurnTheUnitAxes) {
    const CVector ex(1, 0, 0, 1), ey(0, 1, 0, 1), ez(0, 0, 1, 1);
    CMatrix r;
    r.CreateRotX(kHalfPi);
    ExpectVector(ex * r, 1, 0, 0, 1);
    ExpectVector(ey * r, 0, 0, 1, 1);
    ExpectVector(ez * r, 0, -1, 0, 1);
    r.CreateRotY(kHalfPi);
    ExpectVector(ex * r, 0, 0, -1, 1);
    ExpectVector(ey * r, 0, 1, 0, 1);
    ExpectVector(ez * r, 1, 0, 0, 1);
    r.CreateRotZ(kHalfPi);
    ExpectVector(ex * r, 0, 1, 0, 1);
    ExpectVector(ey * r, -1, 0, 0, 1);
    ExpectVector(ez * r, 0, 0, 1, 1);
}

TEST(CameraMath, ProjectionAndResetViewByHand) {
    CMatrix p;
    p.CreateProjectionMat(1.5707964f, 1000, 0.1f, 2);
    const float f = 1000.0f / 999.9f;
    const float expected[4][4] = {{1, 0, 0, 0}, {0, 2, 0, 0}, {0, 0, f, 1}, {0, 0, -0.1f * f, 0}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(p.m[r][c], expected[r][c], 1e-6f) << r << "," << c;

    // From (0, 0, −1000) towards the origin: the axes are the unit ones and the eye is 1000 away.
    CMatrix v;
    v.CreateViewMat({0, 0, -1000, 0}, {0, 0, 0, 0}, {0, 1, 0, 0});
    const float view[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 1000, 1}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(v.m[r][c], view[r][c]) << r << "," << c;

    // Looking along +x from the origin: the camera's z axis is x, its x axis is −z.
    v.CreateViewMat({0, 0, 0, 0}, {5, 0, 0, 0}, {0, 1, 0, 0});
    ExpectVector(CVector(1, 0, 0, 1) * v, 0, 0, 1, 1);
    ExpectVector(CVector(0, 0, 1, 1) * v, -1, 0, 0, 1);
}

TEST(CameraMath, MulMatrixMayWriteItsOperand) {
    CMatrix a, b;
    a.CreateRotZ(kHalfPi);
    b.CreateRotZ(kHalfPi);
    a.MulMatrix(a, b); // a half turn
    ExpectVector(CVector(1, 0, 0, 1) * a, -1, 0, 0, 1);
    ExpectVector(CVector(0, 1, 0, 1) * a, 0, -1, 0, 1);
}

TEST(CameraMath, SplineValues) {
    CSpline s;
    EXPECT_EQ(s.GetValue(0, 0.5f), 0); // no values

    s.Add(7, -2, 0.5f);
    s.MakeSpline();
    for (float t : {0.0f, 0.3f, 1.0f, -5.0f}) {
        EXPECT_EQ(s.GetValue(0, t), 7);
        EXPECT_EQ(s.GetValue(1, t), -2);
    }

    s.Clear();
    s.Add(0, 10, 0);
    s.Add(1, 20, 0);
    s.Add(0, 40, 0);
    s.MakeSpline();
    EXPECT_FLOAT_EQ(s.GetValue(0, 0.25f), 0.6875f);
    EXPECT_FLOAT_EQ(s.GetValue(0, 0.5f), 1);
    EXPECT_EQ(s.GetValue(0, 1), 0);
    EXPECT_EQ(s.GetValue(1, 1), 40); // exactly the last value
    EXPECT_EQ(s.GetValue(1, 0), 10);
    EXPECT_EQ(s.GetValue(1, NAN), 40);
}

TEST(CameraMath, SplineTakesAtMostAHundredValues) {
    CSpline s;
    for (int i = 0; i < 150; ++i)
        s.Add(static_cast<float>(i), 0, 0);
    s.MakeSpline();
    EXPECT_EQ(s.GetCount(), CSpline::kMaxValues);
    EXPECT_EQ(s.GetValue(0, 1), 99);
    // A straight line stays straight: natural end conditions add no curvature.
    EXPECT_NEAR(s.GetValue(0, 0.5f), 49.5f, 1e-3f);
}

} // namespace
} // namespace qw
