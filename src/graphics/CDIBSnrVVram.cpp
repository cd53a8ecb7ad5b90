// CDIBSnrVVram: life cycle, the tick, drawing into the frame and the development module's
// reports.

#include "graphics/CDIBSnrVVram.h"

#include "common/ExecLog.h"
#include "graphics/CDIBCamera.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CDIBSprite.h"
#include "graphics/FrameDirtyArea.h"
#include "graphics/LayerMovie.h"
#include "graphics/VVramHost.h"

namespace qw {

namespace {

// The host of a VVram that was handed none: no frame, no cache, 30 ms ticks.
VVramHost& NoHost() {
    static struct : VVramHost {
    } host;
    return host;
}

} // namespace

CDIBSnrVVram::CDIBSnrVVram() = default;

CDIBSnrVVram::~CDIBSnrVVram() {
    CDIBSnrVVram::Release();
}

bool CDIBSnrVVram::Initialize(VVramHost* host) {
    AddExecLog("CDIBSnrVVram::Initialize");
    Release();
    host_ = host ? host : &NoHost();
    overlap_ = std::make_unique<CDIBOverlap>();
    overlap_->SetServices(host_->GetSpriteCache(),
                          [host = host_](const char* object, const char* file) {
                              host->ReportReadError(object, file);
                          });
    for (Page& p : pages_) {
        p.surface = std::make_unique<CDIBImage>();
        if (!p.surface->Create(kPageWidth, kPageHeight)) return false;
    }
    front_ = 0;
    screenAct_ = 0;
    for (auto& action : actions_) {
        action = std::make_unique<CDIBSnrAction>();
        if (!action->Initialize(host_->GetSpriteCache())) return false;
    }
    for (Page& p : pages_) {
        for (int i = 0; i < kLayers; ++i) {
            if (!p.layers[i].Initialize(&actions_, host_->GetSpriteCache())) return false;
            p.plans[i] = {};
            p.visible[i] = false;
        }
        p.unknown = false;
        p.stats = {};
    }
    for (Page& p : pages_) {
        p.camera = std::make_unique<CDIBCamera>();
        p.camera->Initialize();
    }
    shownOnce_ = false;
    for (int page = 0; page < 2; ++page)
        for (int i = 0; i < kLayers; ++i)
            SendToDebug_LayerInfo(page, i);
    return true;
}

void CDIBSnrVVram::Release() {
    AddExecLog("CDIBSnrVVram::Release");
    // The transition reads the pages: it goes first. The layers give their pictures back before
    // the actions they may draw through go.
    overlap_.reset();
    for (Page& p : pages_) {
        p.surface.reset();
        for (CDIBSnrLayer& layer : p.layers)
            layer.Release();
        p.camera.reset();
    }
    for (auto& action : actions_)
        action.reset();
    shownOnce_ = false;
}

CDIBSnrAction* CDIBSnrVVram::GetAction(int number) const {
    if (number < 1 || number > kActions) return nullptr;
    return actions_[static_cast<size_t>(number - 1)].get();
}

CDIBImage* CDIBSnrVVram::GetPage(int page) const {
    return pages_[page & 1].surface.get();
}
CDIBImage* CDIBSnrVVram::GetScreen() const {
    return GetPage(front_);
}
CDIBImage* CDIBSnrVVram::GetBackScreen() const {
    return GetPage(front_ ^ 1);
}

CDIBSnrLayer* CDIBSnrVVram::GetPageLayer(int page, int index) const {
    if (index < 0 || index >= kLayers || !pages_[page & 1].surface) return nullptr;
    return const_cast<CDIBSnrLayer*>(&pages_[page & 1].layers[index]);
}
CDIBSnrLayer* CDIBSnrVVram::GetLayer(int index) const {
    return GetPageLayer(front_, index);
}
CDIBSnrLayer* CDIBSnrVVram::GetBackLayer(int index) const {
    return GetPageLayer(front_ ^ 1, index);
}

CDIBCamera* CDIBSnrVVram::GetPageCamera(int page) const {
    return pages_[page & 1].camera.get();
}
CDIBCamera* CDIBSnrVVram::GetCamera() const {
    return GetPageCamera(front_);
}
CDIBCamera* CDIBSnrVVram::GetBackCamera() const {
    return GetPageCamera(front_ ^ 1);
}

bool CDIBSnrVVram::IsLayerVisible(int page, int index) const {
    return index >= 0 && index < kLayers && pages_[page & 1].visible[index];
}

RegionRect CDIBSnrVVram::GetLayerBounds(int page, int index) const {
    if (index < 0 || index >= kLayers) return {};
    const CDIBSnrLayer::Plan& plan = pages_[page & 1].plans[index];
    return plan.op == CDIBSnrLayer::PlanOp::Action ? RegionRect{} : plan.bounds;
}

void CDIBSnrVVram::StartTransition(const CallEffectParam& param) {
    AddExecLog("CDIBSnrVVram::StartTransition");
    if (!overlap_) return;
    overlap_->InitEffect(GetScreen(), GetBackScreen(), param);
    // Some effects write into the surfaces they blend (their alpha bytes).
    pages_[0].unknown = pages_[1].unknown = true;
}

bool CDIBSnrVVram::IsTransitionRunning() const {
    return overlap_ && overlap_->IsActive();
}

void CDIBSnrVVram::Move(bool skip) {
    AddExecLog("CDIBSnrVVram::Move");
    if (!overlap_) return;
    VVramHost& host = *host_;
    FrameDirtyArea* frame = host.GetFrame();
    if (!shownOnce_) {
        // The first picture: the whole frame has to show it.
        shownOnce_ = true;
        if (frame) frame->InvalidateAll();
    }
    const bool fast = skip || host.IsSkipKeyHeld() || host.IsNoEffects();
    const int frameMs = host.GetFrameTime();
    const int frameSpeed = host.GetFrameSpeed();

    bool compose[2] = {false, false};
    for (int page : {front_, front_ ^ 1}) {
        CDIBCamera& camera = *pages_[page].camera;
        camera.Move(fast, frameMs);
        if (camera.IsChanged()) {
            compose[page] = true;
            pages_[page].unknown = true; // every quad moves: the whole page
        }
    }
    for (auto& action : actions_)
        action->Move(fast, frameMs, frameSpeed);
    // The flag is read before the layer moves: what an action changed in this tick reaches the
    // page in the next one.
    uint32_t updated[2] = {0, 0};
    for (int page = 0; page < 2; ++page) {
        for (int i = 0; i < kLayers; ++i) {
            CDIBSnrLayer& layer = pages_[page].layers[i];
            if (layer.IsUpdated()) {
                compose[page] = true;
                updated[page] |= 1u << i;
            }
            layer.Move(frameMs);
        }
    }
    for (int page = 0; page < 2; ++page)
        if (compose[page]) Compose(page, updated[page]);

    if (overlap_->IsActive()) {
        if (fast) overlap_->SetFinishNow();
        overlap_->Move(frameMs, frameSpeed);
        // The effect may have written into either surface.
        pages_[0].unknown = pages_[1].unknown = true;
        if (!overlap_->IsActive()) FinishTransition();
        if (frame) frame->InvalidateAll();
    } else if (compose[front_]) {
        if (frame) frame->InvalidateAll();
    } else if (const CDIBSnrAction* act = GetAction(screenAct_); act && act->IsDrawn()) {
        if (frame) frame->InvalidateAll();
    }

    for (Page& p : pages_)
        for (CDIBSnrLayer& layer : p.layers)
            if (LayerMovie* movie = AsLayerMovie(layer.GetProp().picture)) movie->ClearMoved();
}

void CDIBSnrVVram::FinishTransition() {
    AddExecLog("CDIBSnrVVram::FinishTransition");
    LayerDebugHook* hook = host_->GetLayerDebugHook();
    if (hook) hook->OnLayOverlap();
    for (CDIBSnrLayer& layer : pages_[front_].layers)
        layer.SetDefaultProp();
    front_ ^= 1;
    pages_[front_ ^ 1].camera->Reset();
    for (int i = 0; i < kLayers; ++i)
        SendToDebug_LayerInfo(1, i);
}

void CDIBSnrVVram::DrawShown(CDIBImage& frame, bool useRectList) {
    if (!overlap_) return;
    if (overlap_->IsActive()) {
        overlap_->Draw(frame);
        return;
    }
    CDIBImage* page = GetScreen();
    if (CDIBSnrAction* act = GetAction(screenAct_)) {
        frame.FillFull(0);
        ActionDrawParam param;
        param.dst = &frame;
        param.picture = page;
        param.width = kPageWidth, param.height = kPageHeight;
        param.colour = 0xFFFFFFFF;
        param.blend = false;
        param.anti = false;
        param.camera = nullptr;
        act->Draw(param);
        return;
    }
    FrameDirtyArea* dirty = host_->GetFrame();
    if (const std::vector<RegionRect>* list =
            useRectList && dirty ? dirty->GetRectList() : nullptr) {
        // Region rectangles exclude their right and bottom edges.
        for (const RegionRect& r : *list)
            page->Copy(&frame, r.left, r.top, r.left, r.top, r.right - r.left, r.bottom - r.top);
        return;
    }
    page->Copy(&frame, 0, 0, 0, 0, kPageWidth, kPageHeight);
}

void CDIBSnrVVram::Draw(CDIBImage& frame) {
    AddExecLog("CDIBSnrVVram::Draw");
    DrawShown(frame, true);
}

void CDIBSnrVVram::Blt(CDIBImage& frame) {
    AddExecLog("CDIBSnrVVram::Blt");
    DrawShown(frame, false);
}

void CDIBSnrVVram::SendToDebug_LayerInfo(int page, int layer) {
    AddExecLog("CDIBSnrVVram::SendToDebug_LayerInfo");
    LayerDebugHook* hook = host_ ? host_->GetLayerDebugHook() : nullptr;
    const CDIBSnrLayer* l = page ? GetBackLayer(layer) : GetLayer(layer);
    if (!hook || !l) return;
    const LayerProp& p = l->GetProp();
    if (p.picture)
        hook->OnUpdateLayImage(page, layer, l->GetImageName().c_str(), p.picture->GetWidth(),
                               p.picture->GetHeight(), p.picture->GetPixels());
    else
        hook->OnUpdateLayImage(page, layer, "", 0, 0, nullptr);
    hook->OnUpdateLayDrawPos(page, layer, p.x, p.y, p.z);
    hook->OnUpdateLayDrawSize(page, layer, p.width, p.height);
    hook->OnUpdateLayColor(page, layer, p.colour);
    hook->OnUpdateLayBlend(page, layer, p.blend);
    hook->OnUpdateLayAnti(page, layer, p.anti);
    hook->OnUpdateLayActListNo(page, layer, p.action);
    hook->OnUpdateLayCamera(page, layer, p.camera);
    hook->OnUpdateLayCamBill(page, layer, p.billboard);
    hook->OnUpdateLayCamXYRate(page, layer, p.xyRate);
    hook->OnUpdateLayCamWRate(page, layer, p.wRate);
}

} // namespace qw
