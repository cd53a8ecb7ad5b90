// CDIBSnrAction: the raster, a wave through the layer (a = fade-in time, b = fade-out time,
// c = wave period in ms, doubled at set-up; extra: amplitude and direction, 0 horizontal,
// 1 vertical, 2 both). The layer is cut into a grid of 50 × 50 quads whose corners sway; the
// quads are drawn through a mask so that where they overlap each pixel is blended once: the whole
// grid at once (BltMaskedQuads), or row by row when the wave only sways sideways
// (CDIBSnrActionRasterRows.cpp).

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "common/ExecLog.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/WaterBlit.h"

namespace qw {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kGridStep = 0.02;               // one fiftieth of the layer per grid cell
constexpr double kAngleStepFactor = 0.019607844; // 1 / 51
// The page a raster is usually drawn on; a larger one makes the first draw grow the scratch.
constexpr int kPageWidth = 800, kPageHeight = 600;
constexpr size_t kRasterQuads = (CDIBSnrAction::kGrid - 1) * (CDIBSnrAction::kGrid - 1);

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// An angle above one turn loses its whole turns.
double ReduceTurns(double a) {
    return a > kTwoPi ? std::fmod(a, kTwoPi) : a;
}

// Integer part of a product, saturated (sin × A' with an amplitude from saved data).
double Trunc(double v) {
    return std::trunc(std::clamp(v, -1e9, 1e9));
}

} // namespace

bool CDIBSnrAction::SetupRaster() {
    AddExecLog("CDIBSnrAction::SetupRaster");
    time_ = fadeIn_ = fadeOut_ = 0;
    rasterPeriod_ = Saturate(int64_t{def_.C()} * 2);
    grid_.assign(static_cast<size_t>(kGrid) * kGrid, GridPoint{});
    rasterQuads_.assign(kRasterQuads, VertexQuad{});
    rasterQuadCount_ = 0;
    ReserveMaskedQuads(kPageWidth, kPageHeight, kRasterQuads);
    rowFirst_.assign(kPageWidth, -1);
    rowNext_.assign(kPageWidth, -1);
    rowSamples_.assign(kPageWidth + 4, 0); // run copies may write three columns past a row
    rowSpecial_.clear();
    rowSpecial_.reserve(kPageWidth);
    rowRuns_.clear();
    rowRuns_.reserve(kPageWidth);
    return true;
}

void CDIBSnrAction::ReleaseRaster() {
    AddExecLog("CDIBSnrAction::ReleaseRaster");
    grid_.clear();
    grid_.shrink_to_fit();
    rasterQuads_.clear();
    rasterQuads_.shrink_to_fit();
    rasterQuadCount_ = 0;
    for (std::vector<int32_t>* v : {&rowFirst_, &rowNext_, &rowSpecial_}) {
        v->clear();
        v->shrink_to_fit();
    }
    rowSamples_.clear();
    rowSamples_.shrink_to_fit();
    rowRuns_.clear();
    rowRuns_.shrink_to_fit();
}

void CDIBSnrAction::SaveRaster(ByteWriter& out) const {
    AddExecLog("CDIBSnrAction::SaveRaster");
    out.Put<int32_t>(time_);
    out.Put<int32_t>(fadeIn_);
    out.Put<int32_t>(fadeOut_);
}

void CDIBSnrAction::LoadRaster(ByteSpan body) {
    AddExecLog("CDIBSnrAction::LoadRaster");
    SetupRaster();
    time_ = LoadLEUnchecked<int32_t>(body.data());
    fadeIn_ = LoadLEUnchecked<int32_t>(body.data() + 4);
    fadeOut_ = LoadLEUnchecked<int32_t>(body.data() + 8);
}

void CDIBSnrAction::MoveRaster(int ms) {
    AddExecLog("CDIBSnrAction::MoveRaster");
    drawn_ = 0;
    const int32_t in = def_.A(), out = def_.B();
    double speed = 1;
    // Hurried, the fades complete at once; the wave runs on.
    if (playing_) {
        const int32_t end = std::max(in, 0);
        fadeIn_ = fast_ ? end : Saturate(std::min<int64_t>(int64_t{fadeIn_} + ms, end));
        if (fadeIn_ >= in) playedIn_ = 1;
        if (in > 0) speed = 1 + static_cast<double>(fadeIn_) / in;
    } else {
        const int32_t end = std::max(out, 0);
        fadeOut_ = fast_ ? end : Saturate(std::min<int64_t>(int64_t{fadeOut_} + ms, end));
        if (out > 0) speed = (1 - static_cast<double>(fadeOut_) / out) + 1;
        if (fadeOut_ >= out) {
            stopped_ = 1;
            active_ = 0;
        }
    }
    // The phase goes faster while the wave swells (up to twice) and slows as it calms.
    const int32_t period = rasterPeriod_;
    if (period <= 0) {
        time_ = 0;
    } else {
        const auto step = static_cast<int64_t>(std::clamp(ms * speed, 0.0, 4e9));
        time_ = static_cast<int32_t>((int64_t{time_} + step) % period);
    }
    drawn_ = 1;
}

double CDIBSnrAction::RasterAmplitude() const {
    const double a = def_.Extra(0);
    if (!active_) return 0;
    if (playing_) {
        const int32_t in = def_.A();
        return in > 0 ? a * fadeIn_ / in : a;
    }
    const int32_t out = def_.B();
    return out > 0 ? a * (1 - static_cast<double>(fadeOut_) / out) : a;
}

void CDIBSnrAction::DrawRaster(const ActionDrawParam& param) {
    AddExecLog("CDIBSnrAction::DrawRaster");
    CDIBImage& dst = *param.dst;
    CDIBImage& pic = *param.picture;
    const double amp = def_.Extra(0);
    const double ampNow = RasterAmplitude();
    const int direction = def_.Extra(1);
    const int32_t period = rasterPeriod_;
    const double f = period > 0 ? static_cast<double>(time_) / period : 0;
    // An amplitude of 0 displaces nothing whatever the step; keep the step finite.
    const double ratio = amp != 0 ? ampNow / amp : 1;
    const double step = ((1 - ratio) + 1) * kTwoPi * kAngleStepFactor;
    const double start = (1 - f) * kTwoPi;

    constexpr int n = kGrid;
    double shift[n]; // integer part of sin(angle) × A' for row or column i
    for (int i = 0; i < n; ++i)
        shift[i] = Trunc(std::sin(ReduceTurns(step * i + start)) * ampNow);
    const double w = param.width, h = param.height;
    const double pw = pic.GetWidth(), ph = pic.GetHeight();
    const bool sway_x = direction == 0 || direction == 2, sway_y = direction == 1 || direction == 2;

    // The 51 × 51 points, each worked out once: quads share their corners with their neighbours.
    double baseX[n], baseY[n], srcX[n], srcY[n];
    for (int i = 0; i < n; ++i) {
        baseX[i] = std::trunc(i * (w - 1) * kGridStep);
        baseY[i] = std::trunc(i * (h - 1) * kGridStep);
        srcX[i] = std::trunc(i * pw * kGridStep);
        srcY[i] = std::trunc(i * ph * kGridStep);
    }
    const auto source = [](double v) { return static_cast<int16_t>(std::clamp(v, 0.0, 32767.0)); };
    for (int r = 0; r < n; ++r) {
        for (int k = 0; k < n; ++k) {
            double x = baseX[k], y = baseY[r], sx = srcX[k], sy = srcY[r];
            if (sway_x) x += shift[r];
            if (sway_y) y += shift[k];
            if (k == n - 1) x -= 1, sx -= 1;
            if (r == n - 1) y -= 1, sy -= 1;
            GridPoint& p = grid_[static_cast<size_t>(r * n + k)];
            p.source = {source(sx), source(sy)};
            p.ok = SetCorner(p.corner, x + param.x, y + param.y, param.z);
        }
    }
    size_t count = 0;
    for (int r = 0; r + 1 < n; ++r) {
        for (int k = 0; k + 1 < n; ++k) {
            const GridPoint* pts[4] = {&grid_[static_cast<size_t>(r * n + k)],
                                       &grid_[static_cast<size_t>(r * n + k + 1)],
                                       &grid_[static_cast<size_t>((r + 1) * n + k + 1)],
                                       &grid_[static_cast<size_t>((r + 1) * n + k)]};
            if (!pts[0]->ok || !pts[1]->ok || !pts[2]->ok || !pts[3]->ok) continue;
            VertexQuad& q = rasterQuads_[count];
            for (int i = 0; i < 4; ++i) {
                q.corner[i] = pts[i]->corner;
                q.source[i] = pts[i]->source;
            }
            q.colour = param.colour;
            if (CameraTransform(param, q, nullptr)) ++count;
        }
    }
    rasterQuadCount_ = count;
    // The quads one by one through BltRaster and a cleared mask give these bytes: each frame
    // blends every pixel once.
    if (!BlendRasterRows(param, rasterQuads_.data(), count))
        BltMaskedQuads(pic, dst, rasterQuads_.data(), count, param.colour, MaskedSpanEnd::AtMaxX);
}

// The raster's quads are the masked blend's, with spans that reach their max x as the quad
// blend's do.
void CDIBSnrAction::BltRaster(CDIBImage& src, CDIBImage& dst, const VertexQuad& quad,
                              uint8_t* mask) {
    BltMaskedQuad(src, dst, quad, mask, MaskedSpanEnd::AtMaxX);
}

} // namespace qw
