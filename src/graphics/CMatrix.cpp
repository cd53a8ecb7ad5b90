#include "graphics/CMatrix.h"

#include <cmath>

#include "common/ExecLog.h"

namespace qw {

namespace {

void Zero(CMatrix& a) {
    for (auto& row : a.m)
        for (float& v : row)
            v = 0;
}

} // namespace

CMatrix& CMatrix::Identity() {
    AddExecLog("CMatrix::Identity");
    Zero(*this);
    for (int i = 0; i < 4; ++i)
        m[i][i] = 1;
    return *this;
}

CMatrix& CMatrix::MulMatrix(const CMatrix& a, const CMatrix& b) {
    AddExecLog("CMatrix::MulMatrix");
    CMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] +
                          a.m[r][3] * b.m[3][c];
    *this = out;
    return *this;
}

CMatrix& CMatrix::CreateProjectionMat(float fov, float farZ, float nearZ, float aspect) {
    AddExecLog("CMatrix::CreateProjectionMat");
    Zero(*this);
    m[0][0] = 1.0f / std::tan(fov / 2);
    m[1][1] = m[0][0] * aspect;
    m[2][2] = farZ / (farZ - nearZ);
    m[3][2] = -nearZ * m[2][2];
    m[2][3] = 1;
    return *this;
}

CMatrix& CMatrix::CreateViewMat(const CVector& eye, const CVector& target, const CVector& up) {
    AddExecLog("CMatrix::CreateViewMat");
    CVector zAxis = target - eye;
    zAxis.Normalize3();
    CVector xAxis = Cross3(up, zAxis);
    xAxis.Normalize3();
    const CVector yAxis = Cross3(zAxis, xAxis);
    const CVector* axes[3] = {&xAxis, &yAxis, &zAxis};
    for (int c = 0; c < 3; ++c) {
        m[0][c] = axes[c]->x;
        m[1][c] = axes[c]->y;
        m[2][c] = axes[c]->z;
        m[3][c] = -Dot3(*axes[c], eye);
    }
    m[0][3] = m[1][3] = m[2][3] = 0;
    m[3][3] = 1;
    return *this;
}

CMatrix& CMatrix::CreateRotX(float angle) {
    AddExecLog("CMatrix::CreateRotX");
    const float c = std::cos(angle), s = std::sin(angle);
    Identity();
    m[1][1] = c, m[1][2] = s;
    m[2][1] = -s, m[2][2] = c;
    return *this;
}

CMatrix& CMatrix::CreateRotY(float angle) {
    AddExecLog("CMatrix::CreateRotY");
    const float c = std::cos(angle), s = std::sin(angle);
    Identity();
    m[0][0] = c, m[0][2] = -s;
    m[2][0] = s, m[2][2] = c;
    return *this;
}

CMatrix& CMatrix::CreateRotZ(float angle) {
    AddExecLog("CMatrix::CreateRotZ");
    const float c = std::cos(angle), s = std::sin(angle);
    Identity();
    m[0][0] = c, m[0][1] = s;
    m[1][0] = -s, m[1][1] = c;
    return *this;
}

} // namespace qw
