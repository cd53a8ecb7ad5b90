// CDIBSnrVVram: the saved record. Front page index (int32), screen action number (int32), the
// 256 action records, the 32 layer records (page 0 layers 0–15, then page 1), the two camera
// records.

#include "common/ExecLog.h"
#include "graphics/CDIBCamera.h"
#include "graphics/CDIBImage.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CDIBSnrVVram.h"
#include "graphics/FrameDirtyArea.h"
#include "graphics/VVramHost.h"

namespace qw {

bool CDIBSnrVVram::Save(ByteWriter& out) const {
    AddExecLog("CDIBSnrVVram::Save");
    if (!overlap_) return false;
    out.Put<int32_t>(front_);
    out.Put<int32_t>(screenAct_);
    for (const auto& action : actions_)
        if (!action->Save(out)) return false;
    for (const Page& p : pages_)
        for (const CDIBSnrLayer& layer : p.layers)
            if (!layer.Save(out)) return false;
    for (const Page& p : pages_)
        if (!p.camera->Save(out)) return false;
    return true;
}

std::optional<size_t> CDIBSnrVVram::Load(ByteSpan record) {
    AddExecLog("CDIBSnrVVram::Load");
    if (!overlap_) return std::nullopt;
    const auto front = LoadLE<int32_t>(record, 0);
    const auto screenAct = LoadLE<int32_t>(record, 4);
    if (!front || !screenAct || (*front != 0 && *front != 1)) return std::nullopt;
    if (*screenAct < 0 || *screenAct > kActions) return std::nullopt;
    size_t at = 8;

    // Everything is read into fresh objects first; the VVram changes only once all of it has
    // been read.
    LayerActionTable actions;
    for (auto& action : actions) {
        action = std::make_unique<CDIBSnrAction>();
        action->Initialize(host_->GetSpriteCache());
        const std::optional<size_t> used = action->Load(record.subspan(at));
        if (!used) return std::nullopt;
        at += *used;
    }
    CDIBSnrLayer::Record layers[2][kLayers];
    for (auto& page : layers) {
        for (CDIBSnrLayer::Record& layer : page) {
            const std::optional<size_t> used = CDIBSnrLayer::ParseRecord(record.subspan(at), layer);
            if (!used) return std::nullopt;
            if (layer.prop.action < 0 || layer.prop.action > kActions) return std::nullopt;
            at += *used;
        }
    }
    CDIBCamera cameras[2];
    for (CDIBCamera& camera : cameras) {
        const std::optional<size_t> used = camera.Load(record.subspan(at));
        if (!used) return std::nullopt;
        at += *used;
    }

    front_ = *front;
    screenAct_ = *screenAct;
    for (Page& p : pages_)
        for (CDIBSnrLayer& layer : p.layers)
            layer.SetDefaultProp();
    for (size_t i = 0; i < actions_.size(); ++i)
        actions_[i].swap(actions[i]);
    for (int page = 0; page < 2; ++page) {
        Page& p = pages_[page];
        for (int i = 0; i < kLayers; ++i)
            p.layers[i].ApplyRecord(layers[page][i]);
        *p.camera = cameras[page];
        ComposeFull(page);
    }
    if (FrameDirtyArea* frame = host_->GetFrame()) frame->InvalidateAll();
    return at;
}

} // namespace qw
