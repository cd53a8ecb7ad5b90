#pragma once
// A 4 × 4 single-precision matrix, row-major, used with row vectors (v × M): the camera's
// projection, view and rotations.

#include "graphics/CVector.h"

namespace qw {

class CMatrix {
public:
    float m[4][4] = {};

    // The identity.
    CMatrix& Identity();
    // this = a × b (either may be this matrix).
    CMatrix& MulMatrix(const CMatrix& a, const CMatrix& b);
    // Perspective projection: [0][0] = 1 / tan(fov / 2), [1][1] = [0][0] × aspect,
    // [2][2] = far / (far − near), [3][2] = −near × [2][2], [2][3] = 1, all else 0.
    CMatrix& CreateProjectionMat(float fov, float farZ, float nearZ, float aspect);
    // The view from `eye` towards `target` with `up`: the camera's axes in the columns, the
    // eye's position taken away in the last row.
    CMatrix& CreateViewMat(const CVector& eye, const CVector& target, const CVector& up);
    // Rotations by `angle` radians about the x, y and z axes, in the row-vector form.
    CMatrix& CreateRotX(float angle);
    CMatrix& CreateRotY(float angle);
    CMatrix& CreateRotZ(float angle);
};

// The row vector v times m (all four components).
constexpr CVector operator*(const CVector& v, const CMatrix& m) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + v.w * m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + v.w * m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + v.w * m.m[3][2],
            v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + v.w * m.m[3][3]};
}

} // namespace qw
