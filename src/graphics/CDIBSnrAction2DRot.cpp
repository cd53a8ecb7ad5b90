// CDIBSnrAction: the 2D rotation (a = period in ms, b = turns, 0 for ever, c = direction 0 or 1).

#include <cmath>
#include <numbers>

#include "common/ExecLog.h"
#include "graphics/CDIBSnrAction.h"

namespace qw {

bool CDIBSnrAction::Setup2DRot() {
    AddExecLog("CDIBSnrAction::Setup2DRot");
    time_ = 0;
    turns_ = 0;
    return true;
}

void CDIBSnrAction::Release2DRot() {
    AddExecLog("CDIBSnrAction::Release2DRot");
}

void CDIBSnrAction::Save2DRot(ByteWriter& out) const {
    AddExecLog("CDIBSnrAction::Save2DRot");
    out.Put<int32_t>(time_);
    out.Put<int32_t>(turns_);
}

void CDIBSnrAction::Load2DRot(ByteSpan body) {
    AddExecLog("CDIBSnrAction::Load2DRot");
    time_ = LoadLEUnchecked<int32_t>(body.data());
    turns_ = LoadLEUnchecked<int32_t>(body.data() + 4);
}

void CDIBSnrAction::Move2DRot(int ms) {
    AddExecLog("CDIBSnrAction::Move2DRot");
    if (!CommonMove()) return;
    const int32_t period = def_.A(), count = def_.B();
    const bool counted = count > 0;
    drawn_ = 1;
    if (counted && turns_ >= count) return;
    // Hurried, a counted rotation ends at once; an endless one turns on.
    if (fast_ && counted) {
        turns_ = count;
        time_ = 0;
        return;
    }
    if (period <= 0) return; // no period: it does not turn
    int64_t t = int64_t{time_} + ms;
    if (t >= period) {
        // A period shorter than the frame wraps as often as it fits.
        const int64_t wraps = t / period;
        t %= period;
        const int64_t turns = int64_t{turns_} + wraps;
        if (counted && turns >= count) {
            turns_ = count;
            t = 0;
        } else {
            turns_ = static_cast<int32_t>(static_cast<uint32_t>(turns)); // endless: wraps
        }
    }
    time_ = static_cast<int32_t>(t);
}

void CDIBSnrAction::Draw2DRot(const ActionDrawParam& param) {
    AddExecLog("CDIBSnrAction::Draw2DRot");
    constexpr double kTwoPi = 2 * std::numbers::pi;
    const int32_t period = def_.A();
    double angle = 0;
    if (period > 0) {
        const double f = static_cast<double>(time_) / period;
        if (def_.C() == 0)
            angle = f * kTwoPi;
        else if (def_.C() == 1)
            angle = (1 - f) * kTwoPi;
    }
    if (angle == 0) {
        DrawLayerQuad(param, param.x, param.y, param.z);
        return;
    }
    // The corners of the w × h rectangle keep their angle about its centre, turned by `angle`,
    // at their distance from it; rounded to the nearest pixel, so that a tiny angle lands where
    // angle 0 does.
    const double w = param.width, h = param.height, cx = w / 2, cy = h / 2;
    const double px[4] = {0, w - 1, w - 1, 0}, py[4] = {0, 0, h - 1, h - 1};
    VertexQuad quad;
    if (!RectQuad(quad, *param.picture, 0, 0, param.width, param.height, param.z, param.colour))
        return;
    for (int i = 0; i < 4; ++i) {
        const double dx = px[i] - cx, dy = py[i] - cy;
        double a = std::atan2(-dy, dx);
        if (a < 0) a += kTwoPi;
        a += angle;
        if (a > kTwoPi) a -= kTwoPi;
        const double dist = std::sqrt(dx * dx + dy * dy);
        if (!SetCorner(quad.corner[i], cx + std::cos(a) * dist + param.x,
                       cy - std::sin(a) * dist + param.y, param.z, true))
            return;
    }
    BlitQuad(param, *param.picture, quad);
}

} // namespace qw
