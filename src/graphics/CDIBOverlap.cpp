#include "graphics/CDIBOverlap.h"

#include <algorithm>
#include <cstring>

#include "app/ExecLog.h"
#include "graphics/CDIBImage.h"

namespace qw {

CDIBOverlap::~CDIBOverlap() { CDIBOverlap::Release(); }

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
        if (to_->GetByteSize() == frame.GetByteSize())
            std::memcpy(frame.GetPixels(), to_->GetPixels(), frame.GetByteSize());
        break;
    case kEffectFade: DrawFade(frame); break;
    default: break;
    }
}

void CDIBOverlap::DrawFade(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawFade");
    if (!from_ || from_->GetByteSize() != frame.GetByteSize() || to_->GetByteSize() != frame.GetByteSize())
        return;
    int level = duration_ > 0 ? static_cast<int>(static_cast<int64_t>(elapsed_) * 255 / duration_) : 255;
    size_t count = frame.GetByteSize() / 4;
    uint32_t* dst = frame.GetPixels();
    if (level >= 255) {
        std::memcpy(dst, to_->GetPixels(), count * 4);
        return;
    }
    const uint32_t* a = from_->GetPixels();
    const uint32_t* b = to_->GetPixels();
    uint32_t keep = static_cast<uint32_t>(255 - level), take = static_cast<uint32_t>(level);
    for (size_t i = 0; i < count; ++i) {
        uint32_t out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            uint32_t ca = (a[i] >> shift) & 0xFF, cb = (b[i] >> shift) & 0xFF;
            out |= ((ca * keep + cb * take) >> 8) << shift;
        }
        dst[i] = out;
    }
}

} // namespace qw
