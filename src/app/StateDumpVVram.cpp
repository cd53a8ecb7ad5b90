// The dumped state's "vvram" field: the scenario screen's two pages, their cameras and layers,
// and its defined actions.
// null without a scenario screen (the current one, else the nearest suspended one).

#include <cstdio>

#include "app/CMainWindow.h"
#include "app/JsonText.h"
#include "app/StateDump.h"
#include "graphics/CDIBCamera.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/CDIBSprite.h"
#include "scenario/CDIBSnrBaseScreen.h"
#include "scenario/CRootFlow.h"

namespace qw {

namespace {

const CDIBSnrVVram* FindVVram(const CMainWindow& main) {
    const CRootFlow* flow = main.GetRootFlow();
    if (!flow) return nullptr;
    const auto of = [](const CDIBBaseScreen* screen) -> const CDIBSnrVVram* {
        const auto* snr = dynamic_cast<const CDIBSnrBaseScreen*>(screen);
        return snr ? snr->GetVVram() : nullptr;
    };
    if (const CDIBSnrVVram* v = of(flow->GetCurrentScreen())) return v;
    for (int i = flow->GetStackCount() - 1; i >= 0; --i)
        if (const CDIBSnrVVram* v = of(flow->GetStackedScreen(i))) return v;
    return nullptr;
}

std::string LayerJson(const CDIBSnrVVram& v, int page, int index) {
    const CDIBSnrLayer* layer = v.GetPageLayer(page, index);
    const LayerProp& p = layer->GetProp();
    char colour[16];
    std::snprintf(colour, sizeof colour, "0x%08X", p.colour);
    std::string out = "{\"picture\": ";
    out += p.picture ? GameText(layer->GetImageName()) : std::string("null");
    out += ", \"x\": " + std::to_string(p.x) + ", \"y\": " + std::to_string(p.y) +
           ", \"z\": " + std::to_string(p.z) + ", \"width\": " + std::to_string(p.width) +
           ", \"height\": " + std::to_string(p.height) + ", \"colour\": \"" + colour +
           "\", \"blend\": " + JsonBool(p.blend) + ", \"anti\": " + JsonBool(p.anti) +
           ", \"action\": " + std::to_string(p.action) + ", \"camera\": " + JsonBool(p.camera) +
           ", \"billboard\": " + JsonBool(p.billboard) + ", \"xy_rate\": " + JsonFloat(p.xyRate) +
           ", \"w_rate\": " + JsonFloat(p.wRate) +
           ", \"visible\": " + JsonBool(v.IsLayerVisible(page, index)) + ", \"bounds\": ";
    const RegionRect b = v.GetLayerBounds(page, index);
    if (p.action != 0 || b.IsEmpty())
        out += "null";
    else // inclusive corners
        out += "[" + std::to_string(b.left) + "," + std::to_string(b.top) + "," +
               std::to_string(b.right - 1) + "," + std::to_string(b.bottom - 1) + "]";
    return out + "}";
}

std::string PageJson(const CDIBSnrVVram& v, int page) {
    const CDIBSnrVVram::PageStats& s = v.GetPageStats(page);
    const CDIBCamera* camera = v.GetPageCamera(page);
    std::string out = "{\"shown\": " + std::string(JsonBool(v.GetFrontPage() == page)) +
                      ", \"compositions\": {\"full\": " + std::to_string(s.full) +
                      ", \"partial\": " + std::to_string(s.partial) + "}, \"camera\": ";
    if (camera) {
        const CVector& t = camera->GetTarget();
        out += "{\"target\": [" + JsonFloat(t.x) + "," + JsonFloat(t.y) + "," + JsonFloat(t.z) +
               "], \"roll\": " + JsonFloat(camera->GetRoll()) +
               ", \"moving\": " + JsonBool(camera->IsMoving()) + "}";
    } else {
        out += "null";
    }
    out += ", \"layers\": [";
    for (int i = 0; i < CDIBSnrVVram::kLayers; ++i) {
        if (i) out += ",\n      ";
        out += LayerJson(v, page, i);
    }
    return out + "]}";
}

// The defined actions, numbered 1–256 as layers and the screen name them.
std::string ActionsJson(const CDIBSnrVVram& v) {
    std::string out = "[";
    for (int n = 1; n <= CDIBSnrVVram::kActions; ++n) {
        const CDIBSnrAction* a = v.GetAction(n);
        if (!a || !a->IsDefined()) continue;
        if (out.size() > 1) out += ",\n      ";
        // Appended piece by piece: gcc 12 at -O3 warns (-Wrestrict) on some prepends to
        // temporaries.
        out += "{\"number\": ";
        out += std::to_string(n);
        out += ", \"type\": ";
        out += std::to_string(static_cast<int>(a->Type()));
        out += ", \"active\": ";
        out += JsonBool(a->IsActive());
        out += ", \"playing\": ";
        out += JsonBool(a->IsPlaying());
        out += ", \"played_in\": ";
        out += JsonBool(a->IsPlayedIn());
        out += ", \"stopped\": ";
        out += JsonBool(a->IsStopped());
        out += "}";
    }
    return out + "]";
}

} // namespace

std::string DumpVVramJson(const CMainWindow& main) {
    const CDIBSnrVVram* v = FindVVram(main);
    if (!v || !v->GetOverlap()) return "null";
    const CDIBOverlap* o = v->GetOverlap();
    std::string out = "{\"front_page\": " + std::to_string(v->GetFrontPage()) +
                      ", \"screen_action\": " + std::to_string(v->GetScreenAct()) +
                      ",\n    \"actions\": " + ActionsJson(*v) +
                      ", \"transition\": " + DumpTransitionJson(o) + ",\n    \"pages\": [";
    for (int page = 0; page < 2; ++page) {
        if (page) out += ",\n    ";
        out += PageJson(*v, page);
    }
    return out + "]}";
}

} // namespace qw
