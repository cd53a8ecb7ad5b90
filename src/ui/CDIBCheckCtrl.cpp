#include "ui/CDIBCheckCtrl.h"

#include "common/ExecLog.h"
#include "graphics/CDIBSprite.h"
#include "ui/CtrlGeometry.h"

namespace qw {

CDIBCheckCtrl::CDIBCheckCtrl(CBaseGame* owner) : CDIBBaseCtrl(owner, kCtrlCheck) {}

bool CDIBCheckCtrl::Initialize(const CtrlParam& param) {
    AddExecLog("CDIBCheckCtrl::Initialize");
    if (!CDIBBaseCtrl::Initialize(static_cast<const CtrlCommonParam&>(param))) return false;
    ctrlType_ = kCtrlCheck;
    cells_ = param.check.cells;
    checked_ = param.check.checked;
    SetLook(Look::Normal);
    redraw_ = 1;
    UpdateVertex();
    return true;
}

void CDIBCheckCtrl::SetLook(Look look) {
    state_ = StateOf(look, enable_ != 0) + (checked_ ? kCtrlStates : 0);
}

void CDIBCheckCtrl::OnClickDone() {
    checked_ = !checked_;
}

void CDIBCheckCtrl::SetEnable(bool enable) {
    AddExecLog("CDIBCheckCtrl::SetEnable");
    if (enable_ == static_cast<uint8_t>(enable)) return;
    CDIBBaseCtrl::SetEnable(enable);
}

bool CDIBCheckCtrl::GetCheck() const {
    AddExecLog("CDIBCheckCtrl::GetCheck");
    return checked_ != 0;
}

void CDIBCheckCtrl::SetCheck(bool checked) {
    AddExecLog("CDIBCheckCtrl::SetCheck");
    checked_ = checked;
    redraw_ = 1;
    // A focused box keeps its focused look.
    SetLook(focus_ ? Look::Focused : Look::Normal);
}

void CDIBCheckCtrl::OnLockInput() {
    AddExecLog("CDIBCheckCtrl::OnLockInput");
    OnKillForcus();
}

void CDIBCheckCtrl::UpdateVertex() {
    AddExecLog("CDIBCheckCtrl::UpdateVertex");
    if (parts_)
        parts_->SetVertex(quad_, cells_[static_cast<size_t>(state_)], QuadCoord(x_), QuadCoord(y_),
                          colour_);
}

void CDIBCheckCtrl::Blt(CDIBImage& target) {
    AddExecLog("CDIBCheckCtrl::Blt");
    if (show_ && parts_) parts_->StretchBltBlend(&target, quad_, false);
}

void CDIBCheckCtrl::Save(ByteWriter& out) const {
    AddExecLog("CDIBCheckCtrl::Save");
    CDIBBaseCtrl::Save(out);
    for (int32_t cell : cells_)
        out.Put<int32_t>(cell);
    out.Put<int32_t>(state_);
    out.Put<uint8_t>(checked_);
}

std::optional<size_t> CDIBCheckCtrl::Load(ByteSpan record) {
    AddExecLog("CDIBCheckCtrl::Load");
    if (record.size() < kSavedSize) return std::nullopt;
    std::optional<SavedCommon> common = ParseCommon(record);
    if (!common) return std::nullopt;
    const uint8_t* p = record.data() + kSavedCommonSize;
    std::array<int32_t, kCtrlStates * 2> cells{};
    for (int32_t& cell : cells) {
        cell = LoadLEUnchecked<int32_t>(p);
        p += 4;
    }
    const int32_t state = LoadLEUnchecked<int32_t>(p);
    const uint8_t checked = p[4];
    if (state < 0 || state >= kCtrlStates * 2) return std::nullopt;
    if (!ApplyCommon(*common)) return std::nullopt;
    cells_ = cells;
    state_ = state;
    checked_ = checked;
    UpdateVertex();
    return kSavedSize;
}

} // namespace qw
