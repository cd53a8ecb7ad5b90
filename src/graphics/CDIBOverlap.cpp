#include "graphics/CDIBOverlap.h"

#include <algorithm>

#include "common/ExecLog.h"
#include "graphics/CDIBImage.h"
#include "graphics/DIBFade.h"

namespace qw {

CDIBOverlap::~CDIBOverlap() {
    CDIBOverlap::Release();
}

void CDIBOverlap::Release() {
    AddExecLog("CDIBOverlap::Release");
    effect_ = 0;
}

void CDIBOverlap::InitEffect(CDIBImage* from, CDIBImage* to, const CallEffectParam& param) {
    AddExecLog("CDIBOverlap::InitEffect");
    int type = param.Type();
    // The cut and the cross-fade are built in; the other effects join this switch as they come.
    if (type != kEffectBlt && type != kEffectFade) return;
    from_ = from;
    to_ = to;
    effect_ = type;
    elapsed_ = 0;
    duration_ = param.Time();
    finishNow_ = false;
    active_ = true;
}

void CDIBOverlap::Move(int frameMs, int frameSpeed) {
    AddExecLog("CDIBOverlap::Move");
    if (!active_) return;
    if (elapsed_ < duration_) {
        int a = frameSpeed <= 0 ? frameMs >> 1 : frameMs * frameSpeed;
        elapsed_ = std::min(elapsed_ + a, duration_);
        if (finishNow_ || frameSpeed > 2) elapsed_ = duration_;
    } else {
        Release();
        active_ = false;
    }
}

void CDIBOverlap::Draw(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::Draw");
    if (!active_ || !to_) return;
    switch (effect_) {
    case kEffectBlt:
        to_->Copy(&frame, 0, 0, 0, 0, to_->GetWidth(), to_->GetHeight());
        break;
    case kEffectFade:
        DrawFade(frame);
        break;
    default:
        break;
    }
}

void CDIBOverlap::DrawFade(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawFade");
    if (!from_) return;
    int level =
        duration_ > 0 ? static_cast<int>(static_cast<int64_t>(elapsed_) * 255 / duration_) : 255;
    // Below the end the two pictures mix in 16-bit lanes (>> 8); the end shows the target exactly.
    if (level < 255)
        CrossFadeShift8(frame, *from_, *to_, level);
    else
        to_->Copy(&frame, 0, 0, 0, 0, to_->GetWidth(), to_->GetHeight());
}

} // namespace qw
