#include "graphics/CDIBOverlap.h"

#include <algorithm>
#include <limits>
#include <string>

#include "common/ExecLog.h"
#include "graphics/CDIBFilm.h"
#include "graphics/CDIBFire.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CDIBWater.h"
#include "graphics/CSpriteCache.h"
#include "graphics/DIBFade.h"

namespace qw {

CDIBOverlap::EffectState::EffectState() = default;
CDIBOverlap::EffectState::~EffectState() = default;
CDIBOverlap::EffectState::EffectState(EffectState&&) noexcept = default;
CDIBOverlap::EffectState& CDIBOverlap::EffectState::operator=(EffectState&&) noexcept = default;

CDIBOverlap::CDIBOverlap() = default;

CDIBOverlap::~CDIBOverlap() {
    CDIBOverlap::Release();
}

void CDIBOverlap::SetServices(CSpriteCache* cache, ReadErrorReport report) {
    cache_ = cache;
    reportReadError_ = std::move(report);
}

void CDIBOverlap::Release() {
    AddExecLog("CDIBOverlap::Release");
    // The film refers to its pictures: it goes before they are given back.
    state_.film.reset();
    FreePicture(state_.picture);
    FreePicture(state_.picture2);
    effect_ = 0;
    state_ = EffectState{};
}

CDIBSprite* CDIBOverlap::ReadPicture(std::string_view name, bool report) {
    AddExecLog("CDIBOverlap::ReadPicture");
    CDIBSprite* picture = cache_ ? cache_->Read(name) : nullptr;
    if (!picture && report && reportReadError_)
        reportReadError_("CDIBOverlap", std::string(name).c_str());
    return picture;
}

void CDIBOverlap::FreePicture(CDIBSprite*& picture) {
    if (picture && cache_) cache_->Free(picture);
    picture = nullptr;
}

void CDIBOverlap::InitEffect(CDIBImage* from, CDIBImage* to, const CallEffectParam& param) {
    AddExecLog("CDIBOverlap::InitEffect");
    // A running effect gives its pictures and surfaces back before the next one starts.
    Release();
    active_ = false;
    const int type = param.Type();
    if (type < kEffectBlt || type > kEffectBlur) return;
    if (!from || !to || !from->IsCreated() || !to->IsCreated()) return;
    from_ = from;
    to_ = to;
    effect_ = type;
    elapsed_ = 0;
    if (type == kEffectFilm) {
        // The sum of the three phase times; a negative time counts as 0.
        int64_t sum = 0;
        for (int32_t t : {param.FilmFadeIn(), param.FilmHold(), param.FilmFinal()})
            sum += std::max<int32_t>(t, 0);
        duration_ = static_cast<int>(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
    } else {
        duration_ = param.Time();
    }
    finishNow_ = false;
    active_ = true;
    state_.width = std::min(from->GetWidth(), to->GetWidth());
    state_.height = std::min(from->GetHeight(), to->GetHeight());
    SetupEffect(param);
}

void CDIBOverlap::InitFade(CDIBImage* from, CDIBImage* to, int timeMs) {
    AddExecLog("CDIBOverlap::InitFade");
    InitEffect(from, to, CallEffectParam::Make(kEffectFade, timeMs));
}

void CDIBOverlap::InitAlpha(CDIBImage* from, CDIBImage* to, int timeMs, int mode,
                            std::string_view rule, int level) {
    AddExecLog("CDIBOverlap::InitAlpha");
    InitEffect(from, to, CallEffectParam::MakeAlpha(timeMs, mode, rule, level));
}

void CDIBOverlap::SetupEffect(const CallEffectParam& param) {
    AddExecLog("CDIBOverlap::SetupEffect");
    state_.mode = param.Mode();
    switch (effect_) {
    case kEffectAlpha:
        SetupAlpha(param.ImageName(), param.Mode(), param.AlphaLevel());
        break;
    case kEffectWipe:
        SetupWipe(param.ImageName(), param.Mode());
        break;
    case kEffectRotate:
        SetupRotate(param.Mode());
        break;
    case kEffectLensFlare:
        SetupLensFlare(param);
        break;
    case kEffectBound:
        SetupBound(param);
        break;
    case kEffectBlur:
        SetupBlur(param.Mode());
        break;
    case kEffectGlass:
        SetupGlass(param.Mode());
        break;
    case kEffectRotDoor:
        SetupRotDoor(param.Mode());
        break;
    case kEffectFire:
        SetupFire();
        break;
    case kEffectWater:
        SetupWater();
        break;
    case kEffectFilm:
        SetupFilm(param);
        break;
    default:
        break;
    }
}

void CDIBOverlap::Move(int frameMs, int frameSpeed) {
    AddExecLog("CDIBOverlap::Move");
    if (!active_) return;
    if (elapsed_ < duration_) {
        const int64_t a = frameSpeed <= 0 ? int64_t{frameMs} >> 1 : int64_t{frameMs} * frameSpeed;
        elapsed_ = static_cast<int>(std::clamp<int64_t>(int64_t{elapsed_} + a, 0, duration_));
        if (finishNow_ || frameSpeed > 2) elapsed_ = duration_;
        MoveEffect(std::max<int64_t>(a, 0));
    } else {
        Release();
        active_ = false;
    }
}

void CDIBOverlap::MoveEffect(int64_t advance) {
    switch (effect_) {
    case kEffectBlur:
        MoveBlur();
        break;
    case kEffectGlass:
        MoveGlass();
        break;
    case kEffectRotDoor:
        MoveRotDoor();
        break;
    case kEffectFire:
        MoveFire(advance);
        break;
    case kEffectWater:
        MoveWater(advance);
        break;
    case kEffectFilm:
        MoveFilm();
        break;
    default:
        break;
    }
}

void CDIBOverlap::Draw(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::Draw");
    if (!active_ || !from_ || !to_ || !frame.IsCreated()) return;
    switch (effect_) {
    case kEffectBlt:
        CopyTo(frame);
        break;
    case kEffectFade:
        DrawFade(frame);
        break;
    case kEffectAlpha:
        DrawAlpha(frame);
        break;
    case kEffectWipe:
        DrawWipe(frame);
        break;
    case kEffectRotate:
        DrawRotate(frame);
        break;
    case kEffectLensFlare:
        DrawLensFlare(frame);
        break;
    case kEffectTwist:
        DrawTwist(frame);
        break;
    case kEffectBound:
        DrawBound(frame);
        break;
    case kEffectKacchin:
        DrawKacchin(frame);
        break;
    case kEffectBlur:
        DrawBlur(frame);
        break;
    case kEffectGlass:
        DrawGlass(frame);
        break;
    case kEffectRotDoor:
        DrawRotDoor(frame);
        break;
    case kEffectFire:
        DrawFire(frame);
        break;
    case kEffectWater:
        DrawWater(frame);
        break;
    case kEffectFilm:
        DrawFilm(frame);
        break;
    default:
        break;
    }
}

double CDIBOverlap::Progress() const {
    if (duration_ <= 0 || elapsed_ >= duration_) return 1.0;
    return std::max(0.0, static_cast<double>(elapsed_) / duration_);
}

int64_t CDIBOverlap::Level(int64_t scale) const {
    if (duration_ <= 0) return scale;
    return int64_t{elapsed_} * scale / duration_;
}

int CDIBOverlap::DrawWidth(const CDIBImage& frame) const {
    return std::min(state_.width, frame.GetWidth());
}

int CDIBOverlap::DrawHeight(const CDIBImage& frame) const {
    return std::min(state_.height, frame.GetHeight());
}

void CDIBOverlap::CopyTo(CDIBImage& frame) const {
    to_->Copy(&frame, 0, 0, 0, 0, to_->GetWidth(), to_->GetHeight());
}

void CDIBOverlap::CopyFrom(CDIBImage& frame) const {
    from_->Copy(&frame, 0, 0, 0, 0, from_->GetWidth(), from_->GetHeight());
}

void CDIBOverlap::DrawFade(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawFade");
    const int level = static_cast<int>(Level(255));
    // Below the end the two pictures mix in 16-bit lanes (>> 8); the end shows the target exactly.
    if (level < 255 && CrossFadeShift8(frame, *from_, *to_, level)) return;
    if (level >= 255) CopyTo(frame);
}

} // namespace qw
