#include "ui/CDIBScrollCtrl.h"

#include <algorithm>
#include <cstdint>

#include "app/CInput.h"
#include "common/ExecLog.h"
#include "graphics/CDIBSprite.h"
#include "ui/CtrlServices.h"

namespace qw {

CDIBScrollCtrl::CDIBScrollCtrl(CBaseGame* owner) : CDIBBaseCtrl(owner, kCtrlScroll) {}

bool CDIBScrollCtrl::Initialize(const CtrlParam& param) {
    AddExecLog("CDIBScrollCtrl::Initialize");
    if (!CDIBBaseCtrl::Initialize(static_cast<const CtrlCommonParam&>(param))) return false;
    ctrlType_ = kCtrlScroll;
    cells_ = param.scroll.cells;
    orientation_ = param.scroll.orientation;
    minimum_ = param.scroll.minimum;
    maximum_ = param.scroll.maximum;
    startMargin_ = param.scroll.startMargin;
    endMargin_ = param.scroll.endMargin;
    // A value outside the range would put the knob off the track.
    value_ = ClampToRange(param.scroll.value, minimum_, maximum_);
    state_ = enable_ ? kStateNormal : kStateDisabled;
    redraw_ = 1;
    UpdateVertex();
    return true;
}

void CDIBScrollCtrl::SetLook(Look look) {
    state_ = StateOf(look, enable_ != 0);
}

void CDIBScrollCtrl::SetEnable(bool enable) {
    AddExecLog("CDIBScrollCtrl::SetEnable");
    if (enable_ == static_cast<uint8_t>(enable)) return;
    CDIBBaseCtrl::SetEnable(enable);
}

void CDIBScrollCtrl::OnLockInput() {
    AddExecLog("CDIBScrollCtrl::OnLockInput");
    OnKillForcus();
}

SliderSpan CDIBScrollCtrl::Span() const {
    const SpriteElement* track =
        parts_ ? parts_->GetElement(cells_[static_cast<size_t>(state_)]) : nullptr;
    const int32_t length = track ? (IsVertical() ? track->h : track->w) : 0;
    SliderSpan span;
    span.minimum = minimum_;
    span.maximum = maximum_;
    span.startMargin = startMargin_;
    span.usable = static_cast<int32_t>(
        std::clamp<int64_t>(int64_t{length} - startMargin_ - endMargin_, 0, INT32_MAX));
    return span;
}

int32_t CDIBScrollCtrl::CalcScrollPos(int x, int y) const {
    AddExecLog("CDIBScrollCtrl::CalcScrollPos");
    const int64_t offset = IsVertical() ? int64_t{y} - y_ : int64_t{x} - x_;
    const int32_t clamped =
        static_cast<int32_t>(std::clamp<int64_t>(offset, INT32_MIN / 2, INT32_MAX / 2));
    return SliderValueAt(Span(), clamped);
}

void CDIBScrollCtrl::UpdateVertex() {
    AddExecLog("CDIBScrollCtrl::UpdateVertex");
    if (!parts_) return;
    const int32_t trackCell = cells_[static_cast<size_t>(state_)];
    const int32_t knobCell = cells_[static_cast<size_t>(state_) + kCtrlStates];
    parts_->SetVertex(quads_[0], trackCell, QuadCoord(x_), QuadCoord(y_), colour_);
    const SpriteElement* track = parts_->GetElement(trackCell);
    const SpriteElement* knob = parts_->GetElement(knobCell);
    const int trackW = track ? track->w : 0, trackH = track ? track->h : 0;
    const int knobW = knob ? knob->w : 0, knobH = knob ? knob->h : 0;
    const int64_t centre = SliderKnobCentre(Span(), value_);
    int64_t kx, ky;
    if (IsVertical()) {
        kx = int64_t{x_} + (trackW - knobW) / 2;
        ky = int64_t{y_} + centre - knobH / 2;
    } else {
        kx = int64_t{x_} + centre - knobW / 2;
        ky = int64_t{y_} + (trackH - knobH) / 2;
    }
    parts_->SetVertex(quads_[1], knobCell, QuadCoord(kx), QuadCoord(ky), colour_);
}

void CDIBScrollCtrl::Blt(CDIBImage& target) {
    AddExecLog("CDIBScrollCtrl::Blt");
    if (!show_ || !parts_) return;
    parts_->StretchBltBlend(&target, quads_[0], false);
    parts_->StretchBltBlend(&target, quads_[1], false);
}

int32_t CDIBScrollCtrl::GetScrollPos() const {
    AddExecLog("CDIBScrollCtrl::GetScrollPos");
    return value_;
}

void CDIBScrollCtrl::SetScrollPos(int32_t value) {
    AddExecLog("CDIBScrollCtrl::SetScrollPos");
    value_ = ClampToRange(value, minimum_, maximum_);
    redraw_ = 1;
    fired_ = 1;
}

bool CDIBScrollCtrl::Step(int towardsMaximum) {
    // A disabled slider is not stepped, as it is not dragged.
    if (!focus_ || !enable_) return false;
    const int64_t step = maximum_ >= minimum_ ? towardsMaximum : -towardsMaximum;
    const int64_t low = std::min(minimum_, maximum_), high = std::max(minimum_, maximum_);
    value_ = static_cast<int32_t>(std::clamp<int64_t>(int64_t{value_} + step, low, high));
    redraw_ = 1;
    fired_ = 1;
    return true;
}

bool CDIBScrollCtrl::OnKeyUpBtn() {
    AddExecLog("CDIBScrollCtrl::OnKeyUpBtn");
    return IsVertical() ? Step(-1) : CDIBBaseCtrl::OnKeyUpBtn();
}

bool CDIBScrollCtrl::OnKeyDownBtn() {
    AddExecLog("CDIBScrollCtrl::OnKeyDownBtn");
    return IsVertical() ? Step(+1) : CDIBBaseCtrl::OnKeyDownBtn();
}

bool CDIBScrollCtrl::OnKeyLeftBtn() {
    AddExecLog("CDIBScrollCtrl::OnKeyLeftBtn");
    return IsVertical() ? CDIBBaseCtrl::OnKeyLeftBtn() : Step(-1);
}

bool CDIBScrollCtrl::OnKeyRightBtn() {
    AddExecLog("CDIBScrollCtrl::OnKeyRightBtn");
    return IsVertical() ? CDIBBaseCtrl::OnKeyRightBtn() : Step(+1);
}

void CDIBScrollCtrl::TakeValue(int32_t value) {
    if (value == value_) return;
    value_ = value;
    redraw_ = 1;
    fired_ = 1;
}

bool CDIBScrollCtrl::OnMouseLBtnDown() {
    AddExecLog("CDIBScrollCtrl::OnMouseLBtnDown");
    if (!CDIBBaseCtrl::OnMouseLBtnDown()) return false;
    // The value jumps to the pointer, and the owner hears of it now: a drag that ends off the
    // track may not change it again.
    if (CInput* input = ctrl::Input())
        TakeValue(CalcScrollPos(input->GetMouseX(), input->GetMouseY()));
    return true;
}

bool CDIBScrollCtrl::OnMouseMove() {
    AddExecLog("CDIBScrollCtrl::OnMouseMove");
    CInput* input = ctrl::Input();
    const bool dragging = PressFlag() && focus_ && input && input->Key(vk::kLButton).down;
    CDIBBaseCtrl::OnMouseMove();
    if (dragging) TakeValue(CalcScrollPos(input->GetMouseX(), input->GetMouseY()));
    return true;
}

void CDIBScrollCtrl::Save(ByteWriter& out) const {
    AddExecLog("CDIBScrollCtrl::Save");
    CDIBBaseCtrl::Save(out);
    for (int32_t cell : cells_)
        out.Put<int32_t>(cell);
    for (int32_t v : {state_, value_, orientation_, minimum_, maximum_, startMargin_, endMargin_})
        out.Put<int32_t>(v);
}

std::optional<size_t> CDIBScrollCtrl::Load(ByteSpan record) {
    AddExecLog("CDIBScrollCtrl::Load");
    if (record.size() < kSavedSize) return std::nullopt;
    std::optional<SavedCommon> common = ParseCommon(record);
    if (!common) return std::nullopt;
    const uint8_t* p = record.data() + kSavedCommonSize;
    auto next = [&p] {
        const int32_t v = LoadLEUnchecked<int32_t>(p);
        p += 4;
        return v;
    };
    std::array<int32_t, kCtrlStates * 2> cells{};
    for (int32_t& cell : cells)
        cell = next();
    const int32_t state = next();
    const int32_t value = next(), orientation = next(), minimum = next(), maximum = next();
    const int32_t startMargin = next(), endMargin = next();
    if (state < 0 || state >= kCtrlStates) return std::nullopt;
    if (!ApplyCommon(*common)) return std::nullopt;
    cells_ = cells;
    state_ = state;
    value_ = value;
    orientation_ = orientation;
    minimum_ = minimum;
    maximum_ = maximum;
    startMargin_ = startMargin;
    endMargin_ = endMargin;
    UpdateVertex();
    return kSavedSize;
}

} // namespace qw
