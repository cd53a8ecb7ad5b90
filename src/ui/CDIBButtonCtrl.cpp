#include "ui/CDIBButtonCtrl.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>

#include "common/ExecLog.h"
#include "graphics/CSpriteCache.h"
#include "ui/CtrlGeometry.h"
#include "ui/CtrlServices.h"

namespace qw {

CDIBButtonCtrl::CDIBButtonCtrl(CBaseGame* owner) : CDIBBaseCtrl(owner, kCtrlButton) {}

CDIBButtonCtrl::~CDIBButtonCtrl() {
    ReleaseCaption();
}

bool CDIBButtonCtrl::Initialize(const CtrlParam& param) {
    AddExecLog("CDIBButtonCtrl::Initialize");
    if (!CDIBBaseCtrl::Initialize(static_cast<const CtrlCommonParam&>(param))) return false;
    ctrlType_ = kCtrlButton;
    cells_ = param.button.cells;
    state_ = enable_ ? kStateNormal : kStateDisabled;
    blend_ = param.button.blend;
    redraw_ = 1;
    UpdateVertex();
    return true;
}

void CDIBButtonCtrl::Release() {
    AddExecLog("CDIBButtonCtrl::Release");
    ReleaseCaption();
    CDIBBaseCtrl::Release();
}

void CDIBButtonCtrl::ReleaseCaption() {
    if (caption_ && captionCache_) captionCache_->Free(caption_);
    caption_ = nullptr;
    captionCache_ = nullptr;
}

void CDIBButtonCtrl::SetLook(Look look) {
    state_ = StateOf(look, enable_ != 0);
}

void CDIBButtonCtrl::OnLockInput() {
    AddExecLog("CDIBButtonCtrl::OnLockInput");
    OnKillForcus();
}

void CDIBButtonCtrl::UpdateVertex() {
    AddExecLog("CDIBButtonCtrl::UpdateVertex");
    if (caption_)
        caption_->SetVertex(quad_, state_, QuadCoord(x_), QuadCoord(y_), colour_);
    else if (parts_)
        parts_->SetVertex(quad_, cells_[static_cast<size_t>(state_)], QuadCoord(x_), QuadCoord(y_),
                          colour_);
}

void CDIBButtonCtrl::Blt(CDIBImage& target) {
    AddExecLog("CDIBButtonCtrl::Blt");
    CDIBImage* source = caption_ ? caption_ : parts_;
    if (!show_ || !source) return;
    if (blend_)
        source->StretchBltBlend(&target, quad_, false);
    else
        source->StretchBltCopy(&target, quad_, false);
}

void CDIBButtonCtrl::Save(ByteWriter& out) const {
    AddExecLog("CDIBButtonCtrl::Save");
    CDIBBaseCtrl::Save(out);
    for (int32_t cell : cells_)
        out.Put<int32_t>(cell);
    out.Put<int32_t>(state_);
}

std::optional<size_t> CDIBButtonCtrl::Load(ByteSpan record) {
    AddExecLog("CDIBButtonCtrl::Load");
    if (record.size() < kSavedSize) return std::nullopt;
    std::optional<SavedCommon> common = ParseCommon(record);
    if (!common) return std::nullopt;
    const uint8_t* p = record.data() + kSavedCommonSize;
    std::array<int32_t, kCtrlStates> cells{};
    for (int32_t& cell : cells) {
        cell = LoadLEUnchecked<int32_t>(p);
        p += 4;
    }
    const int32_t state = LoadLEUnchecked<int32_t>(p);
    if (state < 0 || state >= kCtrlStates) return std::nullopt;
    if (!ApplyCommon(*common)) return std::nullopt;
    cells_ = cells;
    state_ = state;
    UpdateVertex();
    return kSavedSize;
}

// --- captions ------------------------------------------------------------------------------

bool CDIBButtonCtrl::InitCaption() {
    AddExecLog("CDIBButtonCtrl::InitCaption");
    ReleaseCaption();
    CSpriteCache* cache = ctrl::SpriteCache();
    if (!parts_ || !cache) return false;
    // The five state cells stacked top to bottom; a cell missing from the parts image is empty.
    int width = 0, height = 0;
    for (int32_t cell : cells_) {
        if (const SpriteElement* e = parts_->GetElement(cell)) {
            width = std::max<int>(width, e->w);
            height += std::max<int>(e->h, 0);
        }
    }
    auto sprite = std::make_unique<CDIBSprite>();
    if (!sprite->Create(width, height) || !sprite->InitSprtInfo(kCtrlStates, 4)) return false;
    int top = 0;
    for (int i = 0; i < kCtrlStates; ++i) {
        SpriteElement* slot = sprite->GetElementForWrite(i);
        const SpriteElement* e = parts_->GetElement(cells_[static_cast<size_t>(i)]);
        *slot = {};
        slot->y = static_cast<int16_t>(top);
        if (e && e->h > 0) {
            slot->w = e->w;
            slot->h = e->h;
            top += e->h;
        }
    }
    // A name no other picture has: a counter, since an address can come back while the cache
    // still holds a freed caption under it.
    static uint32_t serial = 0;
    char name[32];
    std::snprintf(name, sizeof name, "QWCAPTION%08" PRIX32, ++serial);
    sprite->SetName(name);
    CDIBSprite* raw = sprite.get();
    if (!cache->RegisterSprite(sprite)) return false;
    caption_ = raw;
    captionCache_ = cache;
    ResCaption();
    UpdateVertex();
    return true;
}

void CDIBButtonCtrl::ResCaption() {
    AddExecLog("CDIBButtonCtrl::ResCaption");
    if (!caption_ || !parts_) return;
    caption_->FillFull(0);
    for (int i = 0; i < kCtrlStates; ++i) {
        const SpriteElement* from = parts_->GetElement(cells_[static_cast<size_t>(i)]);
        const SpriteElement* to = caption_->GetElement(i);
        if (from && to && to->h > 0)
            parts_->Copy(caption_, to->x, to->y, from->x, from->y, from->w, from->h);
    }
    redraw_ = 1;
}

void CDIBButtonCtrl::SetCaption(int state, CDIBImage& image, const VertexQuad& quad) {
    AddExecLog("CDIBButtonCtrl::SetCaption");
    const SpriteElement* cell = caption_ ? caption_->GetElement(state) : nullptr;
    if (!cell || cell->w <= 0 || cell->h <= 0) return;
    VertexQuad shifted = quad;
    for (QuadCorner& c : shifted.corner) {
        c.x = static_cast<int16_t>(c.x + cell->x);
        c.y = static_cast<int16_t>(c.y + cell->y);
    }
    // Kept inside the cell, so a caption never spills into the next state's look.
    caption_->SetClipRect(cell->x, cell->y, cell->x + cell->w - 1, cell->y + cell->h - 1);
    image.StretchBltBlend(caption_, shifted, false);
    caption_->SetClipRect(0, 0, caption_->GetWidth() - 1, caption_->GetHeight() - 1);
    redraw_ = 1;
}

} // namespace qw
