#include "graphics/CSpline.h"

#include <cmath>

#include "common/ExecLog.h"

namespace qw {

void CSpline::Clear() {
    AddExecLog("CSpline::Clear");
    count_ = 0;
}

void CSpline::Add(float x, float y, float z) {
    AddExecLog("CSpline::Add");
    if (count_ >= kMaxValues) return;
    channels_[0].y[count_] = x;
    channels_[1].y[count_] = y;
    channels_[2].y[count_] = z;
    ++count_;
}

void CSpline::MakeSpline() {
    AddExecLog("CSpline::MakeSpline");
    for (Channel& ch : channels_)
        MakeChannel(ch);
}

// c: the tridiagonal system (1, 4, 1) = 3 × (y[i−1] − 2 y[i] + y[i+1]) for the inner values with
// c = 0 at both ends, solved forward and backward; then b and d of the cubic through each pair.
void CSpline::MakeChannel(Channel& ch) {
    const int n = count_;
    for (int i = 0; i < n; ++i)
        ch.b[i] = ch.c[i] = ch.d[i] = 0;
    if (n < 2) return;
    float diag[kMaxValues] = {}, rhs[kMaxValues] = {};
    for (int i = 1; i < n - 1; ++i) {
        diag[i] = 4;
        rhs[i] = 3 * (ch.y[i - 1] - 2 * ch.y[i] + ch.y[i + 1]);
        if (i > 1) { // eliminate the sub-diagonal 1 with the row above
            const float k = 1 / diag[i - 1];
            diag[i] -= k;
            rhs[i] -= k * rhs[i - 1];
        }
    }
    ch.c[0] = ch.c[n - 1] = 0;
    for (int i = n - 2; i >= 1; --i)
        ch.c[i] = (rhs[i] - ch.c[i + 1]) / diag[i];
    for (int i = 0; i < n - 1; ++i) {
        ch.b[i] = (ch.y[i + 1] - ch.y[i]) - (2 * ch.c[i] + ch.c[i + 1]) / 3;
        ch.d[i] = (ch.c[i + 1] - ch.c[i]) / 3;
    }
}

float CSpline::GetValue(int channel, float t) const {
    AddExecLog("CSpline::GetValue");
    if (channel < 0 || channel > 2 || count_ == 0) return 0;
    const Channel& ch = channels_[channel];
    if (count_ == 1 || !(t < 1)) return ch.y[count_ - 1];
    float x = t * static_cast<float>(count_ - 1);
    // The segment, clamped before it becomes an integer (t may be far below 0).
    float seg = std::floor(x);
    if (!(seg >= 0)) seg = 0;
    if (seg > static_cast<float>(count_ - 2)) seg = static_cast<float>(count_ - 2);
    const int i = static_cast<int>(seg);
    x -= seg;
    return ((ch.d[i] * x + ch.c[i]) * x + ch.b[i]) * x + ch.y[i];
}

} // namespace qw
