#include "graphics/CDIBCamera.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"
#include "graphics/CSpline.h"
#include "graphics/CameraProjection.h"

namespace qw {

namespace {

constexpr float kFieldOfView = 1.5707964f; // π / 2
constexpr float kFar = 1000.0f, kNear = 0.1f;
constexpr float kPageHalfWidth = 400.0f, kPageHalfHeight = 300.0f;

// w × 10 as stored per point: truncated, a value that is not a number counts as 0 and the rest
// saturate, so no input can make the conversion undefined.
int32_t TenfoldW(float w) {
    const float v = w * 10.0f;
    if (!(v == v)) return 0;
    if (v >= 2147483648.0f) return INT32_MAX;
    if (v <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(v);
}

} // namespace

CDIBCamera::CDIBCamera() = default;
CDIBCamera::~CDIBCamera() = default;

void CDIBCamera::Initialize() {
    AddExecLog("CDIBCamera::Initialize");
    Reset();
}

void CDIBCamera::Reset() {
    AddExecLog("CDIBCamera::Reset");
    *this = CDIBCamera();
}

void CDIBCamera::ResetMove() {
    AddExecLog("CDIBCamera::ResetMove");
    points_ = 0;
    std::fill(std::begin(path_), std::end(path_), CVector{});
    std::fill(std::begin(wValues_), std::end(wValues_), 0);
}

void CDIBCamera::AddMove(float x, float y, float z, float w) {
    AddExecLog("CDIBCamera::AddMove");
    if (points_ < 0 || points_ >= kMaxPoints) return;
    path_[points_] = {x, y, z, 0};
    wValues_[points_] = TenfoldW(w);
    ++points_;
}

void CDIBCamera::StartMove(int time) {
    AddExecLog("CDIBCamera::StartMove");
    duration_ = time;
    elapsed_ = 0;
    moving_ = true;
}

void CDIBCamera::Move(bool fast, int frameMs) {
    AddExecLog("CDIBCamera::Move");
    if (!moving_) {
        changed_ = false;
        return;
    }
    if (fast)
        elapsed_ = duration_;
    else if (elapsed_ < duration_)
        elapsed_ = static_cast<int32_t>(
            std::clamp<int64_t>(int64_t{elapsed_} + frameMs, INT32_MIN, INT32_MAX));
    if (elapsed_ >= duration_) {
        elapsed_ = duration_;
        moving_ = false;
    }
    changed_ = true;
    const float f =
        duration_ == 0 ? 1.0f : static_cast<float>(elapsed_) / static_cast<float>(duration_);
    if (points_ <= 0) return;

    CSpline path, w;
    const int n = std::min<int>(points_, kMaxPoints);
    for (int i = 0; i < (n == 1 ? 2 : n); ++i) {
        const CVector& p = path_[std::min(i, n - 1)];
        path.Add(p.x - kPageHalfWidth, p.y - kPageHalfHeight, p.z);
        w.Add(static_cast<float>(wValues_[std::min(i, n - 1)]), 0, 0);
    }
    path.MakeSpline();
    w.MakeSpline();
    target_ = {path.GetValue(0, f), path.GetValue(1, f), path.GetValue(2, f), target_.w};
    roll_ = w.GetValue(0, f) * 0.001f;
}

void CDIBCamera::Transform(VertexQuad* quads, int count, float* depth) const {
    AddExecLog("CDIBCamera::Transform");
    if (!on_ || !quads) return;
    CMatrix projection, view, m;
    projection.CreateProjectionMat(kFieldOfView, kFar, kNear, 1.0f);
    view.CreateViewMat(eye_, target_, up_);
    m.MulMatrix(view, projection);
    m.m[3][0] *= xyRate_;
    m.m[3][1] *= xyRate_;
    m.m[3][2] *= 1 - roll_ * wRate_;
    // The billboard turns a quad back by the view's rotation about its corner 0.
    CMatrix facing;
    if (billboard_) {
        facing.Identity();
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                facing.m[r][c] = view.m[c][r];
    }

    for (int q = 0; q < count; ++q) {
        VertexQuad& quad = quads[q];
        const QuadCorner& c0 = quad.corner[0];
        const CVector origin(c0.x, c0.y, c0.shade, 0);
        QuadCorner projected[4];
        float g0 = 0;
        bool seen = true;
        for (int i = 0; i < 4 && seen; ++i) {
            const QuadCorner& c = quad.corner[i];
            CVector v(c.x, c.y, c.shade, 0);
            if (billboard_) v = (v - origin) * facing + origin;
            v = CVector(v.x - kPageHalfWidth, v.y - kPageHalfHeight, v.z, 1) * m;
            seen = ProjectToPixels(v, projected[i], i == 0 ? &g0 : nullptr);
        }
        if (seen)
            std::copy(std::begin(projected), std::end(projected), quad.corner);
        else
            ClearProjectedQuad(quad);
        if (depth) depth[q] = seen ? g0 : 0;
    }
}

bool CDIBCamera::Save(ByteWriter& out) const {
    AddExecLog("CDIBCamera::Save");
    const auto f = [&](float v) { out.Put(std::bit_cast<uint32_t>(v)); };
    out.Put<uint8_t>(on_);
    out.Put<uint8_t>(billboard_);
    f(xyRate_);
    f(wRate_);
    for (const CVector* v : {&eye_, &target_, &up_}) {
        f(v->x), f(v->y), f(v->z), f(v->w);
    }
    f(roll_);
    out.Put<uint8_t>(spare_);
    out.Put<uint8_t>(moving_);
    out.Put<int32_t>(duration_);
    out.Put<int32_t>(elapsed_);
    for (int32_t w : wValues_)
        out.Put<int32_t>(w);
    for (int i = 0; i < 2; ++i) {
        f(path_[i].x), f(path_[i].y), f(path_[i].z), f(path_[i].w);
    }
    return true;
}

std::optional<size_t> CDIBCamera::Load(ByteSpan record) {
    AddExecLog("CDIBCamera::Load");
    if (record.size() < kRecordSize) return std::nullopt;
    const uint8_t* p = record.data();
    const auto f = [&] {
        const float v = std::bit_cast<float>(LoadLEUnchecked<uint32_t>(p));
        p += 4;
        return v;
    };
    const auto i32 = [&] {
        const int32_t v = LoadLEUnchecked<int32_t>(p);
        p += 4;
        return v;
    };
    on_ = p[0] != 0;
    billboard_ = p[1] != 0;
    p += 2;
    xyRate_ = f();
    wRate_ = f();
    for (CVector* v : {&eye_, &target_, &up_}) {
        v->x = f(), v->y = f(), v->z = f(), v->w = f();
    }
    roll_ = f();
    spare_ = p[0];
    moving_ = p[1] != 0;
    p += 2;
    duration_ = i32();
    elapsed_ = i32();
    for (int32_t& w : wValues_)
        w = i32();
    for (int i = 0; i < 2; ++i) {
        path_[i].x = f(), path_[i].y = f(), path_[i].z = f(), path_[i].w = f();
    }
    // The record has no point count: a move running when it was saved runs out its time at the
    // saved target.
    points_ = 0;
    changed_ = false;
    return kRecordSize;
}

void CDIBCamera::SetLayerParam(bool on, bool billboard, float xyRate, float wRate) {
    AddExecLog("CDIBCamera::SetLayerParam");
    on_ = on;
    billboard_ = billboard;
    xyRate_ = xyRate;
    wRate_ = wRate;
}

} // namespace qw
