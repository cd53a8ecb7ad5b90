#include "ui/CDIBImageCtrl.h"

#include "common/ExecLog.h"
#include "graphics/CDIBSprite.h"
#include "ui/CtrlGeometry.h"

namespace qw {

CDIBImageCtrl::CDIBImageCtrl(CBaseGame* owner) : CDIBBaseCtrl(owner, kCtrlImage) {}

bool CDIBImageCtrl::Initialize(const CtrlParam& param) {
    AddExecLog("CDIBImageCtrl::Initialize");
    if (!CDIBBaseCtrl::Initialize(static_cast<const CtrlCommonParam&>(param))) return false;
    ctrlType_ = kCtrlImage;
    cell_ = param.image.cell;
    redraw_ = 1;
    UpdateVertex();
    return true;
}

void CDIBImageCtrl::UpdateVertex() {
    AddExecLog("CDIBImageCtrl::UpdateVertex");
    if (parts_) parts_->SetVertex(quad_, cell_, QuadCoord(x_), QuadCoord(y_), colour_);
}

void CDIBImageCtrl::Blt(CDIBImage& target) {
    AddExecLog("CDIBImageCtrl::Blt");
    if (show_ && parts_) parts_->StretchBltBlend(&target, quad_, false);
}

void CDIBImageCtrl::Save(ByteWriter& out) const {
    AddExecLog("CDIBImageCtrl::Save");
    CDIBBaseCtrl::Save(out);
    out.Put<int32_t>(cell_);
}

std::optional<size_t> CDIBImageCtrl::Load(ByteSpan record) {
    AddExecLog("CDIBImageCtrl::Load");
    if (record.size() < kSavedSize) return std::nullopt;
    std::optional<SavedCommon> common = ParseCommon(record);
    if (!common) return std::nullopt;
    const int32_t cell = LoadLEUnchecked<int32_t>(record.data() + kSavedCommonSize);
    if (!ApplyCommon(*common)) return std::nullopt;
    cell_ = cell;
    UpdateVertex();
    return kSavedSize;
}

} // namespace qw
