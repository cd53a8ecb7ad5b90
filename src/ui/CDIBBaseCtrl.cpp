// The control base: set-up, the parts image, the simple setters, navigation, dirty areas and
// drawing. Input handling is in CDIBBaseCtrlInput.cpp, the saved record in CDIBBaseCtrlSave.cpp.

#include "ui/CDIBBaseCtrl.h"

#include <algorithm>

#include "app/CInput.h"
#include "common/ExecLog.h"
#include "graphics/CSpriteCache.h"
#include "scenario/CBaseGame.h"
#include "ui/CtrlGeometry.h"
#include "ui/CtrlServices.h"

namespace qw {

CDIBBaseCtrl::CDIBBaseCtrl(CBaseGame* owner, int32_t type) : owner_(owner), ctrlType_(type) {
    for (CtrlJumpRow& row : jumpTable_)
        row.fill(-1);
}

CDIBBaseCtrl::~CDIBBaseCtrl() {
    CDIBBaseCtrl::Release();
}

bool CDIBBaseCtrl::Initialize(const CtrlCommonParam& param) {
    AddExecLog("CDIBBaseCtrl::Initialize");
    Release();
    CSpriteCache* cache = ctrl::SpriteCache();
    const std::string_view name = CtrlNameText(param.parts);
    CDIBSprite* parts = cache && !name.empty() ? cache->Read(name) : nullptr;
    if (!parts) {
        ctrl::ReportMissingFile(name);
        return false;
    }
    parts_ = parts;
    partsCache_ = cache;
    partsName_ = param.parts;
    hitName_ = param.hitName;
    id_ = param.id;
    hitNo_ = param.hitNo;
    show_ = param.show;
    enable_ = param.enable;
    x_ = param.x;
    y_ = param.y;
    colour_ = param.colour;
    enterSE_ = param.enterSE;
    oncurSE_ = param.oncurSE;
    jumpRows_ = std::clamp(param.jumpRows, 0, kCtrlJumpRows);
    jumpTable_ = param.jumpTable;
    soundKind_ = param.soundKind;
    focus_ = 0;
    fired_ = 0;
    clicked_ = 0;
    inputEnable_ = 1;
    // The mode the player uses now counts as seen: a control made while the mouse is in use
    // does not take that for a change of mode on its first Move and drop a focus it was given.
    if (CInput* input = ctrl::Input()) inputType_ = input->GetInputMode();
    return true;
}

void CDIBBaseCtrl::Release() {
    AddExecLog("CDIBBaseCtrl::Release");
    if (parts_ && partsCache_) partsCache_->Free(parts_);
    parts_ = nullptr;
    partsCache_ = nullptr;
}

void CDIBBaseCtrl::SetNext(CDIBBaseCtrl* next) {
    AddExecLog("CDIBBaseCtrl::SetNext");
    next_ = next;
}

bool CDIBBaseCtrl::SetParts(std::string_view file) {
    AddExecLog("CDIBBaseCtrl::SetParts");
    CSpriteCache* cache = ctrl::SpriteCache();
    if (!cache || file.empty() || file.size() >= kCtrlNameSize) return false;
    CDIBSprite* parts = cache->Read(file);
    if (!parts) return false;
    if (parts_ && partsCache_) partsCache_->Free(parts_);
    parts_ = parts;
    partsCache_ = cache;
    SetCtrlName(partsName_, file);
    redraw_ = 1;
    return true;
}

bool CDIBBaseCtrl::SetHitFName(std::string_view file) {
    AddExecLog("CDIBBaseCtrl::SetHitFName");
    if (file.size() >= kCtrlNameSize) return false;
    if (!file.empty() && !ctrl::HasDataMember(file)) return false;
    SetCtrlName(hitName_, file);
    return true;
}

void CDIBBaseCtrl::SetShow(bool show) {
    AddExecLog("CDIBBaseCtrl::SetShow");
    show_ = show;
    redraw_ = 1;
}

void CDIBBaseCtrl::SetEnable(bool enable) {
    AddExecLog("CDIBBaseCtrl::SetEnable");
    if (enable_ != static_cast<uint8_t>(enable) && focus_) SetPressFlag(0);
    enable_ = enable;
    redraw_ = 1;
    SetLook(focus_ ? Look::Focused : Look::Normal);
}

void CDIBBaseCtrl::SetPos(int x, int y) {
    AddExecLog("CDIBBaseCtrl::SetPos");
    x_ = x;
    y_ = y;
    redraw_ = 1;
}

void CDIBBaseCtrl::SetColor(uint32_t colour) {
    AddExecLog("CDIBBaseCtrl::SetColor");
    colour_ = colour;
    redraw_ = 1;
}

void CDIBBaseCtrl::SetEnterSE(bool on) {
    AddExecLog("CDIBBaseCtrl::SetEnterSE");
    enterSE_ = on;
}

void CDIBBaseCtrl::SetOncurSE(bool on) {
    AddExecLog("CDIBBaseCtrl::SetOncurSE");
    oncurSE_ = on;
}

int CDIBBaseCtrl::GetJumpToCtrlID(int direction) const {
    AddExecLog("CDIBBaseCtrl::GetJumpToCtrlID");
    if (!owner_ || direction < 0 || direction >= kCtrlDirections) return -1;
    // Rows are alternatives in priority order: a hidden or missing target falls through.
    for (int row = 0; row < jumpRows_; ++row) {
        const int32_t target = jumpTable_[static_cast<size_t>(row)][static_cast<size_t>(direction)];
        if (target == -1) continue;
        const CDIBBaseCtrl* c = owner_->GetCtrl(target);
        if (c && c->IsShow()) return target;
    }
    return -1;
}

int32_t CDIBBaseCtrl::GetJumpTable(int row, int direction) const {
    AddExecLog("CDIBBaseCtrl::GetJumpTable");
    if (row < 0 || row >= kCtrlJumpRows || direction < 0 || direction >= kCtrlDirections) return -1;
    return jumpTable_[static_cast<size_t>(row)][static_cast<size_t>(direction)];
}

void CDIBBaseCtrl::SetInputEnable(bool on) {
    AddExecLog("CDIBBaseCtrl::SetInputEnable");
    inputEnable_ = on;
}

void CDIBBaseCtrl::AddArea(CDIBImage* image, const VertexQuad& quad) const {
    int left = quad.corner[0].x, right = left, top = quad.corner[0].y, bottom = top;
    for (const QuadCorner& c : quad.corner) {
        left = std::min<int>(left, c.x);
        right = std::max<int>(right, c.x);
        top = std::min<int>(top, c.y);
        bottom = std::max<int>(bottom, c.y);
    }
    // One past the largest corner, as the drawn pixels reach it.
    ++right;
    ++bottom;
    if (!image) {
        ctrl::AddPresentationArea(left, top, right, bottom);
        return;
    }
    // Only the part on the image: a quad that draws nothing (a missing cell) adds nothing.
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image->GetWidth());
    bottom = std::min(bottom, image->GetHeight());
    if (left < right && top < bottom) image->AddRGN(left, top, right, bottom);
}

void CDIBBaseCtrl::UpdateRGN(CDIBImage* image) {
    AddExecLog("CDIBBaseCtrl::UpdateRGN");
    if (!redraw_) return;
    for (const VertexQuad& q : Quads())
        AddArea(image, q);
    if (!show_) return;
    UpdateVertex();
    for (const VertexQuad& q : Quads())
        AddArea(image, q);
}

void CDIBBaseCtrl::Draw(CDIBImage& target, bool force) {
    AddExecLog("CDIBBaseCtrl::Draw");
    if (!redraw_ && !force) return;
    Blt(target);
    redraw_ = 0;
}

bool CDIBBaseCtrl::IsHit() {
    AddExecLog("CDIBBaseCtrl::IsHit");
    CInput* input = ctrl::Input();
    if (!input) return false;
    const std::string_view map = CtrlNameText(hitName_);
    if (!map.empty()) {
        // -1 (outside the screen, or a map that cannot be read) never matches.
        const int region = input->GetHitMapNo(map);
        return region >= 0 && region == hitNo_;
    }
    const std::span<const VertexQuad> quads = Quads();
    return !quads.empty() && QuadContains(quads.front(), input->GetMouseX(), input->GetMouseY());
}

int32_t CDIBBaseCtrl::StateOf(Look look, bool enabled) {
    switch (look) {
    case Look::Normal:
        return enabled ? kStateNormal : kStateDisabled;
    case Look::Focused:
        return enabled ? kStateFocused : kStateFocusedDisabled;
    case Look::Pressed:
        return enabled ? kStatePressed : kStateFocusedDisabled;
    }
    return kStateNormal;
}

// --- owner services ----------------------------------------------------------------------

uint8_t CDIBBaseCtrl::PressFlag() const {
    return owner_ ? owner_->GetCtrlFlag() : 0;
}

void CDIBBaseCtrl::SetPressFlag(uint8_t flag) {
    if (owner_) owner_->SetCtrlFlag(flag);
}

void CDIBBaseCtrl::RequestFocus(int id) {
    if (owner_) owner_->SetForcus(id);
}

void CDIBBaseCtrl::PlayEnterSE() {
    // Sound kind 0 plays the decide sound (1), kind 1 the cancel sound (0).
    if (enterSE_) ctrl::PlaySysSE(soundKind_ ? 0 : 1);
}

} // namespace qw
