// CDIBOverlap: the effects that look at a page through a camera — Glass (the old page breaks
// into shards that fly towards the viewer and away, spinning) and RotDoor (a revolving door: the
// old page turns away and the new one turns in, darkening as it faces away).

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/ExecLog.h"
#include "common/Random.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/CMatrix.h"
#include "graphics/CameraProjection.h"
#include "graphics/PixelRules.h"

namespace qw {

namespace {

constexpr double kPi = std::numbers::pi;

// Glass: 9 × 9 shards over a 10 × 10 grid of points across the page.
constexpr int kShards = 9;
constexpr double kStepX = 88.77778, kStepY = 66.55556;

int16_t Trunc16(double v) {
    return static_cast<int16_t>(std::clamp(std::trunc(v), -32768.0, 32767.0));
}

// View × projection of a camera at (0, 0, −distance) looking at the origin with up (0, 1, 0)
// and a field of view of π / 2.
CMatrix LookFromFront(float distance, float farZ, float nearZ) {
    CMatrix view, projection, m;
    view.CreateViewMat(CVector(0, 0, -distance, 0), CVector(0, 0, 0, 0), CVector(0, 1, 0, 0));
    projection.CreateProjectionMat(1.5707964f, farZ, nearZ, 1.0f);
    return m.MulMatrix(view, projection);
}

} // namespace

// --- Glass ----------------------------------------------------------------------------------

void CDIBOverlap::SetupGlass(int mode) {
    AddExecLog("CDIBOverlap::SetupGlass");
    state_.mode = mode >= 1 && mode <= 4 ? mode : 0;
    state_.quads.assign(kShards * kShards, VertexQuad{});
    state_.shards.assign(kShards * kShards, {});
    for (int r = 0; r < kShards; ++r)
        for (int c = 0; c < kShards; ++c) {
            std::array<double, 6>& s = state_.shards[static_cast<size_t>(r * kShards + c)];
            const double cx = (c + 0.5) * kStepX, cy = (r + 0.5) * kStepY;
            // The direction the shard flies: mode 0 away from (320, 240) and towards the viewer;
            // 1 and 2 left and right, 3 and 4 up and down, each spread a little by its place and
            // pushed slightly away from the viewer.
            CVector d;
            switch (state_.mode) {
            case 1:
            case 2:
                d = CVector(state_.mode == 1 ? -1.0f : 1.0f, static_cast<float>(0.001 * (cy - 300)),
                            0.1f);
                break;
            case 3:
            case 4:
                d = CVector(static_cast<float>(0.001 * (cx - 400)), state_.mode == 3 ? -1.0f : 1.0f,
                            0.1f);
                break;
            default:
                d = CVector(static_cast<float>(cx - 320), static_cast<float>(cy - 240), -5.0f);
                d.Normalize3();
                break;
            }
            s[0] = d.x, s[1] = d.y, s[2] = d.z;
            // Spin rates about z, x and y, drawn in that order, each in [−2π, 2π).
            for (int i = 3; i < 6; ++i)
                s[static_cast<size_t>(i)] = (NextRandom() % 1000) * 0.001 * 4 * kPi - 2 * kPi;
        }
    MoveGlass(); // the shards at rest, for a frame drawn before the first tick
}

void CDIBOverlap::MoveGlass() {
    AddExecLog("CDIBOverlap::MoveGlass");
    if (state_.quads.size() != static_cast<size_t>(kShards * kShards)) return;
    const double k = std::sin(Progress() * kPi / 2);
    const CMatrix camera = LookFromFront(1000.0f, 1000.0f, 0.0001f);
    for (int r = 0; r < kShards; ++r)
        for (int c = 0; c < kShards; ++c) {
            const size_t index = static_cast<size_t>(r * kShards + c);
            const std::array<double, 6>& s = state_.shards[index];
            VertexQuad& q = state_.quads[index];
            const double cx = (c + 0.5) * kStepX, cy = (r + 0.5) * kStepY;
            CMatrix rz, rx, ry, turn;
            rz.CreateRotZ(static_cast<float>(k * s[3]));
            rx.CreateRotX(static_cast<float>(k * s[4]));
            ry.CreateRotY(static_cast<float>(k * s[5]));
            turn.MulMatrix(turn.MulMatrix(rz, rx), ry);
            const double ox = cx + s[0] * 800 * k, oy = cy + s[1] * 800 * k, oz = s[2] * 800 * k;
            const int di[4] = {0, 0, 1, 1}, dj[4] = {0, 1, 1, 0};
            bool seen = true;
            for (int i = 0; i < 4; ++i) {
                const double gx = (c + dj[i]) * kStepX, gy = (r + di[i]) * kStepY;
                q.source[i] = {Trunc16(gx), Trunc16(gy)};
                const CVector local =
                    CVector(static_cast<float>(gx - cx), static_cast<float>(gy - cy), 0, 0) * turn;
                const CVector world(static_cast<float>(local.x + ox - 400),
                                    static_cast<float>(local.y + oy - 300),
                                    static_cast<float>(local.z + oz), 1.0f);
                if (!ProjectToPixels(world * camera, q.corner[i])) seen = false;
            }
            q.colour = pixel::kWhite;
            if (!seen) ClearProjectedQuad(q);
        }
}

void CDIBOverlap::DrawGlass(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawGlass");
    CopyTo(frame);
    for (const VertexQuad& q : state_.quads)
        from_->StretchBltFast(&frame, q, false);
}

// --- RotDoor --------------------------------------------------------------------------------

void CDIBOverlap::SetupRotDoor(int mode) {
    AddExecLog("CDIBOverlap::SetupRotDoor");
    state_.mode = mode == 1 || mode == 2 ? mode : 0;
    from_->FillAlpha(255);
    to_->FillAlpha(255);
}

void CDIBOverlap::MoveRotDoor() {
    AddExecLog("CDIBOverlap::MoveRotDoor");
    // The old page turns by a until it stands edge on; from there the new page turns by a + π,
    // so it arrives facing the viewer at a = π.
    const double a = Progress() * kPi;
    const bool first = a < kPi / 2;
    const float angle = static_cast<float>(first ? a : a + kPi);
    CMatrix turn;
    if (state_.mode == 1)
        turn.CreateRotX(angle);
    else if (state_.mode == 2)
        turn.CreateRotZ(angle);
    else
        turn.CreateRotY(angle);
    const CMatrix camera = LookFromFront(2500.0f, 2500.0f, 0.1f);
    CMatrix m;
    m.MulMatrix(turn, camera);
    const double xs[4] = {0, 799, 799, 0}, ys[4] = {0, 0, 599, 599};
    VertexQuad& q = state_.quad;
    for (int i = 0; i < 4; ++i) {
        const CVector v =
            CVector(static_cast<float>(xs[i] - 400), static_cast<float>(ys[i] - 300), 0.0f, 1.0f) *
            m;
        const double w = v.z, scale = w * 0.0004;
        if (scale > 0.1) {
            q.corner[i] = {Trunc16(400 + v.x / scale), Trunc16(300 + v.y / scale),
                           static_cast<int16_t>(std::clamp((w - 2500) * 0.51, 0.0, 255.0))};
        } else {
            q.corner[i] = {0, 0, 0};
        }
    }
    const CDIBImage& page = first ? *from_ : *to_;
    const int16_t w1 = static_cast<int16_t>(page.GetWidth() - 1);
    const int16_t h1 = static_cast<int16_t>(page.GetHeight() - 1);
    q.source[0] = {0, 0};
    q.source[1] = {w1, 0};
    q.source[2] = {w1, h1};
    q.source[3] = {0, h1};
    q.colour = pixel::kWhite;
    state_.current = first ? 0 : 1;
}

void CDIBOverlap::DrawRotDoor(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawRotDoor");
    if (elapsed_ < 1) return;
    frame.FillFull(0);
    CDIBImage* page = state_.current == 0 ? from_ : to_;
    page->StretchBltBlendShadow(&frame, state_.quad, false);
}

} // namespace qw
