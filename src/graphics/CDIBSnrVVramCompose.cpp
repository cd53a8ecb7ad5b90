// CDIBSnrVVram: composing a page from its layers, in full or over the damaged area only.
//
// A page's surface always holds the composition of its layers as they were last drawn: every
// pixel outside the rectangles the layers' last draws covered is transparent black. So when some
// layers change, only the union of their old and new rectangles can differ from a full
// recomposition; each such rectangle is filled with 0 and the layers that meet it are drawn
// again in order, clipped to it. The quad blits give every pixel the same value whatever the
// clip rectangle, so the result is the full recomposition's, byte for byte.

#include <algorithm>

#include "common/ExecLog.h"
#include "graphics/CDIBCamera.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CDIBSnrVVram.h"

namespace qw {

namespace {

bool Meets(const RegionRect& a, const RegionRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

int64_t Area(const RegionRect& r) {
    return r.IsEmpty() ? 0 : int64_t{r.right - r.left} * (r.bottom - r.top);
}

RegionRect Union(const RegionRect& a, const RegionRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// Up to `Max` rectangles, without allocating: a rectangle that meets another, or whose union
// with it is no larger than the two apart, is merged into it. Rectangles may still overlap;
// recomposing an area twice gives the same pixels.
template <int Max>
class DamageList {
public:
    void Add(RegionRect r) {
        if (r.IsEmpty()) return;
        for (bool merged = true; merged;) {
            merged = false;
            for (int i = 0; i < count_; ++i) {
                const RegionRect u = Union(rects_[i], r);
                if (Meets(rects_[i], r) || Area(u) <= Area(rects_[i]) + Area(r)) {
                    r = u;
                    rects_[i] = rects_[--count_];
                    merged = true;
                    break;
                }
            }
        }
        if (count_ < Max) {
            rects_[count_++] = r;
            return;
        }
        // Full: grow the rectangle that grows least.
        int best = 0;
        int64_t growth = INT64_MAX;
        for (int i = 0; i < count_; ++i) {
            const int64_t g = Area(Union(rects_[i], r)) - Area(rects_[i]);
            if (g < growth) growth = g, best = i;
        }
        rects_[best] = Union(rects_[best], r);
    }
    int Count() const { return count_; }
    const RegionRect& operator[](int i) const { return rects_[i]; }

private:
    RegionRect rects_[Max];
    int count_ = 0;
};

} // namespace

void CDIBSnrVVram::RecordVisible(Page& p, int index) {
    const CDIBSnrLayer::Plan& plan = p.plans[index];
    switch (plan.op) {
    case CDIBSnrLayer::PlanOp::None:
        p.visible[index] = false;
        return;
    case CDIBSnrLayer::PlanOp::Action: {
        const CDIBSnrAction* action = p.layers[index].GetActionObject();
        p.visible[index] = action && action->IsDefined();
        return;
    }
    default:
        p.visible[index] = !plan.bounds.IsEmpty();
        return;
    }
}

void CDIBSnrVVram::ComposeFull(int page) {
    AddExecLog("CDIBSnrVVram::ComposeFull");
    Page& p = pages_[page & 1];
    if (!p.surface) return;
    CDIBImage& surface = *p.surface;
    surface.FillFull(0);
    for (int i = 0; i < kLayers; ++i) {
        p.plans[i] = p.layers[i].PlanDraw(surface, p.camera.get());
        p.layers[i].DrawPlanned(p.plans[i], &surface, p.camera.get());
        RecordVisible(p, i);
    }
    p.unknown = false;
    ++p.stats.full;
}

void CDIBSnrVVram::Compose(int page, uint32_t updated) {
    Page& p = pages_[page];
    bool whole = p.unknown;
    // What an action draws is not known ahead: a page with one is recomposed in full.
    for (const CDIBSnrLayer& layer : p.layers)
        whole = whole || layer.GetProp().action != 0;
    if (whole)
        ComposeFull(page);
    else
        ComposePartial(page, updated);
}

void CDIBSnrVVram::ComposePartial(int page, uint32_t updated) {
    AddExecLog("CDIBSnrVVram::ComposePartial");
    Page& p = pages_[page];
    CDIBImage& surface = *p.surface;
    CDIBCamera* camera = p.camera.get();
    DamageList<kMaxDamage> damage;
    for (int i = 0; i < kLayers; ++i) {
        if (!(updated & (1u << i))) continue;
        damage.Add(p.plans[i].bounds);
        p.plans[i] = p.layers[i].PlanDraw(surface, camera);
        damage.Add(p.plans[i].bounds);
        RecordVisible(p, i);
    }
    for (int d = 0; d < damage.Count(); ++d) {
        const RegionRect& r = damage[d];
        surface.SetClipRect(r.left, r.top, r.right - 1, r.bottom - 1);
        surface.FillBox(0, r.left, r.top, r.right - r.left, r.bottom - r.top);
        for (int i = 0; i < kLayers; ++i)
            if (p.plans[i].op != CDIBSnrLayer::PlanOp::None && Meets(p.plans[i].bounds, r))
                p.layers[i].DrawPlanned(p.plans[i], &surface, camera);
    }
    surface.SetClipRect(0, 0, surface.GetWidth() - 1, surface.GetHeight() - 1);
    // Each layer with a picture leaves its camera values in the camera as it is drawn; a full
    // recomposition leaves those of the last one, and so does this.
    for (int i = kLayers - 1; i >= 0; --i) {
        const LayerProp& prop = p.layers[i].GetProp();
        if (!prop.picture) continue;
        if (camera)
            camera->SetLayerParam(prop.camera != 0, prop.billboard != 0, prop.xyRate, prop.wRate);
        break;
    }
    ++p.stats.partial;
}

} // namespace qw
