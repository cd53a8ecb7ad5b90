// CDIBSnrAction: the scroll (a = time of the whole path in ms, b = loop and curve bytes, c = the
// number of points, at most 16, whose x, y and z fill the extra block). The layer is drawn at its
// own size at the path's position; its own x and y are not used.

#include <cmath>

#include "common/ExecLog.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CSpline.h"

namespace qw {

namespace {

struct Point3 {
    double x, y, z;
};

Point3 ScrollPoint(const ActionDefinition& def, int i) {
    return {static_cast<double>(def.ScrollX(i)), static_cast<double>(def.ScrollY(i)),
            static_cast<double>(def.ScrollZ(i))};
}

double Distance(const Point3& a, const Point3& b) {
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The point at fraction f of the polyline's length: on the segment where the running length
// first exceeds the target distance, at the rest of it along the segment; the last point when
// none does.
Point3 PolylinePoint(const ActionDefinition& def, int n, double f) {
    double total = 0;
    for (int i = 0; i + 1 < n; ++i)
        total += Distance(ScrollPoint(def, i), ScrollPoint(def, i + 1));
    const double target = f * total;
    double run = 0;
    for (int i = 0; i + 1 < n; ++i) {
        const Point3 a = ScrollPoint(def, i), b = ScrollPoint(def, i + 1);
        const double len = Distance(a, b);
        if (run + len > target) {
            const double along = (target - run) / len; // len > 0 here
            return {a.x + (b.x - a.x) * along, a.y + (b.y - a.y) * along,
                    a.z + (b.z - a.z) * along};
        }
        run += len;
    }
    return ScrollPoint(def, n - 1);
}

// The natural spline through the points, at f for x, y and z (single precision, as the spline
// keeps its values).
Point3 SplinePoint(const ActionDefinition& def, int n, double f) {
    CSpline spline;
    for (int i = 0; i < n; ++i)
        spline.Add(static_cast<float>(def.ScrollX(i)), static_cast<float>(def.ScrollY(i)),
                   static_cast<float>(def.ScrollZ(i)));
    spline.MakeSpline();
    const auto t = static_cast<float>(f);
    return {spline.GetValue(0, t), spline.GetValue(1, t), spline.GetValue(2, t)};
}

} // namespace

bool CDIBSnrAction::SetupScroll() {
    AddExecLog("CDIBSnrAction::SetupScroll");
    time_ = 0;
    const int32_t n = def_.C();
    return n >= 0 && n <= ActionDefinition::kScrollPoints;
}

void CDIBSnrAction::ReleaseScroll() {
    AddExecLog("CDIBSnrAction::ReleaseScroll");
}

void CDIBSnrAction::SaveScroll(ByteWriter& out) const {
    AddExecLog("CDIBSnrAction::SaveScroll");
    out.Put<int32_t>(time_);
}

void CDIBSnrAction::LoadScroll(ByteSpan body) {
    AddExecLog("CDIBSnrAction::LoadScroll");
    time_ = LoadLEUnchecked<int32_t>(body.data());
}

void CDIBSnrAction::MoveScroll(int ms) {
    AddExecLog("CDIBSnrAction::MoveScroll");
    if (!CommonMove()) return;
    drawn_ = 1;
    const int32_t period = def_.A();
    const bool loop = def_.ScrollLoop();
    if (period <= 0) return; // the position stays at the path's end
    if (!loop && time_ >= period) return;
    // Hurried, a path that ends reaches its end; a looping one runs on.
    if (fast_ && !loop) {
        time_ = period;
        return;
    }
    int64_t t = int64_t{time_} + ms;
    if (t >= period) t = loop ? t % period : period;
    time_ = static_cast<int32_t>(t);
}

void CDIBSnrAction::DrawScroll(const ActionDrawParam& param) {
    AddExecLog("CDIBSnrAction::DrawScroll");
    const int n = def_.C();
    if (n <= 0 || n > ActionDefinition::kScrollPoints) return;
    const int32_t period = def_.A();
    const double f = period > 0 ? static_cast<double>(time_) / period : 1.0;
    Point3 at;
    if (n == 1)
        at = ScrollPoint(def_, 0);
    else if (def_.ScrollCurve())
        at = SplinePoint(def_, n, f);
    else
        at = PolylinePoint(def_, n, f);
    VertexQuad quad;
    if (RectQuad(quad, *param.picture, at.x, at.y, param.width, param.height, at.z, param.colour))
        BlitQuad(param, *param.picture, quad);
}

} // namespace qw
