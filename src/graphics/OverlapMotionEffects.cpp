// CDIBOverlap: the effects that move pictures — Rotate (the new page spins in), LensFlare (a
// fade crossed by a flash and a row of flare sprites), Twist (the old page twists into the
// centre), Bound (the new page bounces in), Kacchin (two halves meet and shake) and Blur (the
// old page smears away).

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/ExecLog.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/CDIBSprite.h"
#include "graphics/DIBFade.h"
#include "graphics/PixelRules.h"
#include "graphics/TransitionKernels.h"

namespace qw {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

int16_t Trunc16(double v) {
    return static_cast<int16_t>(std::clamp(std::trunc(v), -32768.0, 32767.0));
}
int16_t Round16(double v) {
    return static_cast<int16_t>(std::clamp(std::round(v), -32768.0, 32767.0));
}

// The whole of `src` onto the four corners.
void WholeSurface(VertexQuad& quad, const CDIBImage& src) {
    const int16_t w1 = static_cast<int16_t>(src.GetWidth() - 1);
    const int16_t h1 = static_cast<int16_t>(src.GetHeight() - 1);
    quad.source[0] = {0, 0};
    quad.source[1] = {w1, 0};
    quad.source[2] = {w1, h1};
    quad.source[3] = {0, h1};
}

} // namespace

// --- Rotate ---------------------------------------------------------------------------------

void CDIBOverlap::SetupRotate(int mode) {
    AddExecLog("CDIBOverlap::SetupRotate");
    state_.mode = mode == 1 ? 1 : 0;
    // The angle each corner of the full page has seen from its centre, in 0..2π.
    const double cx = state_.width / 2, cy = state_.height / 2;
    const double xs[4] = {0, state_.width - 1.0, state_.width - 1.0, 0};
    const double ys[4] = {0, 0, state_.height - 1.0, state_.height - 1.0};
    for (int i = 0; i < 4; ++i) {
        double a = std::atan2(-(ys[i] - cy), xs[i] - cx);
        if (a < 0) a += kTwoPi;
        state_.angle[static_cast<size_t>(i)] = a;
    }
}

void CDIBOverlap::DrawRotate(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawRotate");
    CopyFrom(frame);
    const int64_t c = Level(to_->GetWidth()), d = Level(to_->GetHeight());
    if (c <= 0 || d <= 0) return;
    const double p = Progress();
    const double g = (state_.mode == 0 ? p : 1 - p) * kTwoPi;
    // Each corner of the c × d box keeps its own distance from the box's centre, so at the end
    // the box is the page and the corners land on the page's corners.
    const double hc = c / 2.0, hd = d / 2.0;
    const double xs[4] = {0, c - 1.0, c - 1.0, 0}, ys[4] = {0, 0, d - 1.0, d - 1.0};
    const double ox = (frame.GetWidth() - c) / 2.0, oy = (frame.GetHeight() - d) / 2.0;
    VertexQuad& q = state_.quad;
    for (int i = 0; i < 4; ++i) {
        double a = state_.angle[static_cast<size_t>(i)] + g;
        if (a > kTwoPi) a -= kTwoPi;
        const double dist = std::hypot(xs[i] - hc, ys[i] - hd);
        q.corner[i].x = Round16(hc + std::cos(a) * dist + ox);
        q.corner[i].y = Round16(hd + oy - std::sin(a) * dist);
        q.corner[i].shade = 0;
    }
    WholeSurface(q, *to_);
    q.colour = pixel::kWhite;
    to_->StretchBltCopy(&frame, q, false);
}

// --- LensFlare ------------------------------------------------------------------------------

namespace {

// The flash: element 0 of the flare (the whole picture when it has no elements), kept inside
// the picture.
struct FlashArea {
    int x, y, w, h;
};
FlashArea FlashOf(const CDIBSprite& flare) {
    FlashArea a{0, 0, flare.GetWidth(), flare.GetHeight()};
    if (const SpriteElement* e = flare.GetElement(0)) {
        a.x = std::clamp<int>(e->x, 0, flare.GetWidth() - 1);
        a.y = std::clamp<int>(e->y, 0, flare.GetHeight() - 1);
        a.w = std::clamp<int>(e->w, 1, flare.GetWidth() - a.x);
        a.h = std::clamp<int>(e->h, 1, flare.GetHeight() - a.y);
    }
    return a;
}

} // namespace

void CDIBOverlap::SetupLensFlare(const CallEffectParam& param) {
    AddExecLog("CDIBOverlap::SetupLensFlare");
    state_.start = param.FlareStart();
    state_.end = param.FlareEnd();
    state_.direction = param.FlareDirection();
    // Without its picture the effect is the plain fade (the read error has been reported).
    state_.picture = ReadPicture(param.FlareImage(), true);
    if (state_.picture && state_.width > 0 && state_.picture->GetWidth() > 0 &&
        state_.picture->GetHeight() > 0) {
        // The flash's rows stretched to the effect's width once, here: drawing then reads one
        // of them per frame row. Rows are state_.width apart, so a narrower frame's rows fit.
        state_.row.resize(static_cast<size_t>(FlashOf(*state_.picture).h) *
                          static_cast<size_t>(state_.width));
        StretchFlashRows(state_.width);
    }
}

void CDIBOverlap::StretchFlashRows(int w) {
    const FlashArea a = FlashOf(*state_.picture);
    uint32_t* out = state_.row.data();
    for (int y = 0; y < a.h; ++y, out += state_.width) {
        const uint32_t* src = state_.picture->Row(a.y + y) + a.x;
        for (int x = 0; x < w; ++x)
            out[x] = src[int64_t{x} * a.w / w];
    }
    state_.flashWidth = w;
}

void CDIBOverlap::DrawLensFlare(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawLensFlare");
    CDIBSprite* flare = state_.picture;
    // With end ≤ start there is no flare, only the fade.
    if (!flare || state_.end <= state_.start || elapsed_ < state_.start || elapsed_ > state_.end) {
        DrawFade(frame);
        return;
    }
    const double q = static_cast<double>(elapsed_ - state_.start) / (state_.end - state_.start);
    // The flash needs its stretched rows (none for an empty picture or page).
    if (q > 0.3 && q < 0.6 && !state_.row.empty()) {
        // The flash: element 0 scaled over the frame, mixed in by its alpha and a level that
        // rises to 255 in the middle of the window and falls again.
        const double qq = (q - 0.3) * 3.3333333;
        const int k = static_cast<int>(qq < 0.5 ? 510 * qq : 255 - (qq - 0.5) * 510);
        const int w = DrawWidth(frame), h = DrawHeight(frame), eh = FlashOf(*flare).h;
        if (w > 0 && w != state_.flashWidth) StretchFlashRows(w);
        const TransitionKernels& kernels = ActiveTransitionKernels();
        const uint32_t level = static_cast<uint32_t>(std::clamp(k, 0, 255));
        // The fade and the flash row by row while the row is in the cache when the pages and
        // the frame have one size (the flash then covers the whole frame); else the fade first.
        const int fade = static_cast<int>(Level(255));
        const bool byRow = fade < 255 && frame.GetWidth() == from_->GetWidth() &&
                           frame.GetWidth() == to_->GetWidth() &&
                           frame.GetHeight() == from_->GetHeight() &&
                           frame.GetHeight() == to_->GetHeight();
        if (!byRow) DrawFade(frame);
        for (int y = 0; y < h; ++y) {
            uint32_t* out = frame.Row(y);
            const uint32_t* flash =
                state_.row.data() + static_cast<size_t>(int64_t{y} * eh / h) * state_.width;
            if (byRow)
                kernels.fadeFlash(out, from_->Row(y), to_->Row(y), flash, static_cast<size_t>(w),
                                  static_cast<uint32_t>(std::max(fade, 0)), level);
            else
                kernels.flashMix(out, flash, static_cast<size_t>(w), level);
        }
    } else {
        DrawFade(frame);
    }
    if (q <= 0) return;
    // Eleven sprites along a line from the frame's centre that turns slowly with q; they grow
    // with q and fade out in the last fifth of the window.
    static constexpr int kDistance[11] = {0, 14, 25, 77, 125, 196, 231, 240, 246, 291, 297};
    double angle = q * 0.7853982 + 0.03141593;
    angle = state_.direction == 1 ? angle + std::numbers::pi : kTwoPi - angle;
    const double alpha = q > 0.8 ? std::max(0.0, 1 - (q - 0.8) * 5) * 255 : 255;
    const uint32_t colour = static_cast<uint32_t>(alpha) << 24 | 0xFFFFFFu;
    const double cx = frame.GetWidth() / 2.0, cy = frame.GetHeight() / 2.0;
    for (int i = 0; i < 11; ++i) {
        const SpriteElement* e = flare->GetElement(i + 1);
        if (!e || e->w <= 0 || e->h <= 0) continue;
        const double scale = (i * 0.03 + 0.5) * q + 1;
        const double sw = e->w * scale, sh = e->h * scale;
        const double px = cx + std::cos(angle) * kDistance[i];
        const double py = cy - std::sin(angle) * kDistance[i];
        VertexQuad& quad = state_.quad;
        flare->SetStretchVertex(quad, i + 1, Trunc16(px - sw / 2), Trunc16(py - sh / 2),
                                std::max(1, static_cast<int>(sw)),
                                std::max(1, static_cast<int>(sh)), colour);
        flare->StretchBltAddBlend(&frame, quad);
    }
}

// --- Twist ----------------------------------------------------------------------------------

namespace {

constexpr int kTwistPoints = 51;

// Each grid point's distance and angle from the middle point, and the turn per unit of p (its
// distance / 35.35534 × 2 turns): the same for every frame, so worked out once.
struct TwistPolar {
    double radius[kTwistPoints][kTwistPoints];
    double angle[kTwistPoints][kTwistPoints];
    double turn[kTwistPoints][kTwistPoints];
};

TwistPolar MakeTwistPolar() {
    constexpr double kMid = 25, kRadius = 35.35534;
    TwistPolar polar;
    for (int i = 0; i < kTwistPoints; ++i) {
        for (int j = 0; j < kTwistPoints; ++j) {
            const double dx = j - kMid, dy = i - kMid;
            const double r = std::hypot(dx, dy);
            polar.radius[i][j] = r;
            polar.angle[i][j] = std::atan2(dy, dx);
            polar.turn[i][j] = r / kRadius * 2 * kTwoPi;
        }
    }
    return polar;
}

} // namespace

void CDIBOverlap::DrawTwist(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawTwist");
    CopyTo(frame);
    if (elapsed_ >= duration_) return;
    // 51 × 51 points over the old page (steps of 1/50 of it), each turned about the centre by
    // an angle that grows with its distance and p, and drawn in towards the centre by 1 − p. At
    // p = 0 the outer points sit on the page's edges, so the old page covers the frame.
    constexpr int kPoints = kTwistPoints;
    const double p = Progress();
    const double sx = (from_->GetWidth() - 1) / 50.0, sy = (from_->GetHeight() - 1) / 50.0;
    const double cx = frame.GetWidth() / 2.0, cy = frame.GetHeight() / 2.0;
    static const TwistPolar polar = MakeTwistPolar();
    QuadCorner points[kPoints][kPoints];
    for (int i = 0; i < kPoints; ++i) {
        for (int j = 0; j < kPoints; ++j) {
            const double r = polar.radius[i][j];
            const double a = polar.angle[i][j] + polar.turn[i][j] * p;
            points[i][j] = {Trunc16(r * std::cos(a) * sx * (1 - p) + cx),
                            Trunc16(r * std::sin(a) * sy * (1 - p) + cy), 0};
        }
    }
    VertexQuad& q = state_.quad;
    q.colour = pixel::kWhite;
    for (int i = 0; i + 1 < kPoints; ++i) {
        for (int j = 0; j + 1 < kPoints; ++j) {
            q.corner[0] = points[i][j];
            q.corner[1] = points[i][j + 1];
            q.corner[2] = points[i + 1][j + 1];
            q.corner[3] = points[i + 1][j];
            const int16_t s0 = Trunc16(j * sx), s1 = Trunc16((j + 1) * sx);
            const int16_t t0 = Trunc16(i * sy), t1 = Trunc16((i + 1) * sy);
            q.source[0] = {s0, t0};
            q.source[1] = {s1, t0};
            q.source[2] = {s1, t1};
            q.source[3] = {s0, t1};
            from_->StretchBltCopy(&frame, q, false);
        }
    }
}

// --- Bound ----------------------------------------------------------------------------------

void CDIBOverlap::SetupBound(const CallEffectParam& param) {
    AddExecLog("CDIBOverlap::SetupBound");
    state_.speed = param.BoundSpeed();
    state_.dirX = param.BoundDirX();
    state_.dirY = param.BoundDirY();
}

void CDIBOverlap::DrawBound(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawBound");
    const int mode = state_.mode;
    if (mode != 0 && mode != 1 && mode != 10 && mode != 11) return; // other modes draw nothing
    const double p = Progress();
    const double dx = state_.dirX, dy = state_.dirY;
    const double len = std::hypot(dx, dy);
    double ox = 0, oy = 0;
    if (len > 0) {
        // Travelled distance, folded into [0, L]: odd passes run back.
        const double t = 2.0 * state_.speed * len * p;
        const double n = std::floor(t / len);
        double dist = t - n * len;
        if (std::fmod(std::fabs(n), 2.0) == 1.0) dist = len - dist;
        if (mode >= 10) dist *= 1 - p / 2;
        ox = dx / len * dist;
        oy = dy / len * dist;
    }
    VertexQuad& q = state_.quad;
    if (mode == 0 || mode == 10) {
        to_->SetVertex(q, Trunc16(ox), Trunc16(oy), 0, 0, to_->GetWidth(), to_->GetHeight(),
                       pixel::kWhite);
    } else {
        const int x0 = Trunc16(-ox / 2), y0 = Trunc16(-oy / 2);
        const int x1 = Trunc16(frame.GetWidth() + ox / 2), y1 = Trunc16(frame.GetHeight() + oy / 2);
        to_->SetStretchVertex(q, x0, y0, x1 - x0, y1 - y0, pixel::kWhite);
    }
    to_->StretchBltCopy(&frame, q, false);
}

// --- Kacchin --------------------------------------------------------------------------------

void CDIBOverlap::DrawKacchin(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawKacchin");
    if (elapsed_ >= duration_) {
        CopyTo(frame);
        return;
    }
    CopyFrom(frame);
    const double p = Progress();
    // Mode 0: the top half comes down from above and the bottom half up from below; mode 1:
    // the left half from the left and the right half from the right. After they meet (30 % of
    // the time) they spring apart and close again, less each time.
    const bool vertical = state_.mode != 1;
    const int w = to_->GetWidth(), h = to_->GetHeight();
    const int half = vertical ? h / 2 : w / 2;
    double gap;
    if (p < 0.3) {
        gap = (1 - p / 0.3) * half;
    } else {
        const double e = 1 - (p - 0.3) * 1.4285715;
        const double a = std::fmod((1 - e) * kTwoPi, std::numbers::pi);
        gap = std::sin(a) * e * 100;
    }
    const int g = static_cast<int>(gap);
    if (vertical) {
        to_->Copy(&frame, 0, -g, 0, 0, w, half);
        to_->Copy(&frame, 0, half + g, 0, half, w, h - half);
    } else {
        to_->Copy(&frame, -g, 0, 0, 0, half, h);
        to_->Copy(&frame, half + g, 0, half, 0, w - half, h);
    }
}

// --- Blur -----------------------------------------------------------------------------------

bool CDIBOverlap::SetupBlur(int mode) {
    AddExecLog("CDIBOverlap::SetupBlur");
    const bool known = (mode >= 0 && mode <= 5) || (mode >= 10 && mode <= 13);
    state_.mode = known ? mode : 0;
    from_->FillAlpha(255);
    to_->FillAlpha(255);
    for (auto& work : state_.work) {
        work = std::make_unique<CDIBImage>();
        if (!work->Create(state_.width, state_.height)) {
            state_.work[0].reset();
            state_.work[1].reset();
            return false;
        }
        CopyFrom(*work);
    }
    state_.current = 0;
    return true;
}

void CDIBOverlap::MoveBlur() {
    AddExecLog("CDIBOverlap::MoveBlur");
    if (!state_.work[0] || !state_.work[1]) return;
    CDIBImage& cur = *state_.work[state_.current];
    CDIBImage& other = *state_.work[1 - state_.current];
    const int w = state_.width, h = state_.height;
    // The last picture at half strength over the one before: a trail that fades.
    cur.BltBlend(&other, 0, 0, 0, 0, w, h, 0x80FFFFFFu);
    const double p = Progress();
    const uint32_t fade = static_cast<uint32_t>(std::min<int64_t>(Level(128), 128));
    const uint32_t colour = 0x80FFFFFFu - (fade << 24);
    // Modes 0 and 1 shrink or grow the old page about the centre (slower for short effects),
    // 2 to 5 slide it left, right, up or down by a whole page over the time, 10 to 13 grow it
    // as mode 1 does while sliding it as 2 to 5 do.
    const int mode = state_.mode;
    const double zoom = p * std::min(duration_ * 0.001, 1.0);
    double x0 = 0, y0 = 0, x1 = w, y1 = h;
    if (mode == 0 || mode == 1 || mode >= 10) {
        const double sgn = mode == 0 ? -1 : 1;
        x0 -= sgn * zoom * w / 2;
        x1 += sgn * zoom * w / 2;
        y0 -= sgn * zoom * h / 2;
        y1 += sgn * zoom * h / 2;
    }
    const int slide = mode >= 10 ? mode - 8 : mode;
    double sx = 0, sy = 0;
    switch (slide) {
    case 2:
        sx = -p * w;
        break;
    case 3:
        sx = p * w;
        break;
    case 4:
        sy = -p * h;
        break;
    case 5:
        sy = p * h;
        break;
    default:
        break;
    }
    VertexQuad& q = state_.quad;
    const int ix0 = Trunc16(x0 + sx), iy0 = Trunc16(y0 + sy);
    from_->SetStretchVertex(q, ix0, iy0, std::max(1, Trunc16(x1 + sx) - ix0),
                            std::max(1, Trunc16(y1 + sy) - iy0), colour);
    if (fade < 128) from_->StretchBltBlend(&other, q, false);
    state_.current = 1 - state_.current;
}

void CDIBOverlap::DrawBlur(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawBlur");
    if (!state_.work[0]) {
        CopyTo(frame);
        return;
    }
    state_.work[state_.current]->Copy(&frame, 0, 0, 0, 0, state_.width, state_.height);
    // The new page comes up with the time, reaching full strength at the end.
    const uint32_t a = static_cast<uint32_t>(std::min<int64_t>(Level(255), 255));
    if (a > 0)
        to_->BltBlend(&frame, 0, 0, 0, 0, to_->GetWidth(), to_->GetHeight(), a << 24 | 0xFFFFFFu);
}

} // namespace qw
