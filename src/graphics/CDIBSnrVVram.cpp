#include "graphics/CDIBSnrVVram.h"

#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"
#include "graphics/FrameDirtyArea.h"

namespace qw {

CDIBSnrVVram::CDIBSnrVVram() = default;

CDIBSnrVVram::~CDIBSnrVVram() {
    CDIBSnrVVram::Release();
}

bool CDIBSnrVVram::Initialize(FrameDirtyArea* frame) {
    AddExecLog("CDIBSnrVVram::Initialize");
    Release();
    frame_ = frame;
    for (auto& page : pages_) {
        page = std::make_unique<CDIBImage>();
        if (!page->Create(kPageWidth, kPageHeight)) return false;
        page->FillFull(0);
    }
    front_ = 0;
    composed_ = false;
    return true;
}

void CDIBSnrVVram::Release() {
    AddExecLog("CDIBSnrVVram::Release");
    frame_ = nullptr;
    pages_[0].reset();
    pages_[1].reset();
    composed_ = false;
}

bool CDIBSnrVVram::Save(ByteWriter& /*out*/) const {
    AddExecLog("CDIBSnrVVram::Save");
    return true; // nothing to keep until the pages hold layers
}

std::optional<size_t> CDIBSnrVVram::Load(ByteSpan /*record*/) {
    AddExecLog("CDIBSnrVVram::Load");
    return size_t{0};
}

void CDIBSnrVVram::Move(bool /*skip*/) {
    AddExecLog("CDIBSnrVVram::Move");
    if (composed_ || !pages_[front_]) return;
    // The first picture: the whole frame has to show it.
    composed_ = true;
    if (frame_) frame_->InvalidateAll();
}

void CDIBSnrVVram::Draw(CDIBImage& frame) {
    AddExecLog("CDIBSnrVVram::Draw");
    CDIBImage* page = pages_[front_].get();
    if (!page) return;
    if (const std::vector<RegionRect>* list = frame_ ? frame_->GetRectList() : nullptr) {
        for (const RegionRect& r : *list)
            page->Copy(&frame, r.left, r.top, r.left, r.top, r.right - r.left, r.bottom - r.top);
        return;
    }
    page->Copy(&frame, 0, 0, 0, 0, kPageWidth, kPageHeight);
}

void CDIBSnrVVram::CopyImage(CDIBImage& target) {
    AddExecLog("CDIBSnrVVram::CopyImage");
    if (CDIBImage* page = pages_[front_].get())
        page->Copy(&target, 0, 0, 0, 0, kPageWidth, kPageHeight);
}

CDIBImage* CDIBSnrVVram::GetScreen() const {
    return pages_[front_].get();
}
CDIBImage* CDIBSnrVVram::GetBackScreen() const {
    return pages_[front_ ^ 1].get();
}

} // namespace qw
