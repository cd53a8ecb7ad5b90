// CDIBOverlap: the effects drawn through an effect surface — Fire (the old page burns away
// behind a rising flame), Water (the old page ripples under random drops while the new one
// comes up) and Film (an old-film look over the old page that shrinks away over the new one).

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/ExecLog.h"
#include "common/Random.h"
#include "graphics/CDIBFilm.h"
#include "graphics/CDIBFire.h"
#include "graphics/CDIBOverlap.h"
#include "graphics/CDIBSprite.h"
#include "graphics/CDIBWater.h"
#include "graphics/PixelRules.h"

namespace qw {

namespace {

constexpr int kW = 800, kH = 600;

// The longest stretch of time the fire and the water simulate in one tick. A tick is at most
// 60 ms, times "FrameSpeed" 2 in the frame time and again in the transition (240 ms); above
// that speed the transition jumps to its end and shows the new page. The bound keeps a huge
// frame time from running millions of simulation steps.
constexpr int64_t kLongestStepMs = 240;

// The fire whose base heat ("amount") the transition sets as it grows.
class TransitionFire final : public CDIBFire {
public:
    void SetAmount(int amount) { baseHeat_ = amount; }
};

int StepMs(int64_t advance) {
    return static_cast<int>(std::clamp<int64_t>(advance, 0, kLongestStepMs));
}

uint32_t WithAlpha(double alpha) {
    return static_cast<uint32_t>(std::clamp(alpha, 0.0, 255.0)) << 24 | 0xFFFFFFu;
}

} // namespace

// --- Fire -----------------------------------------------------------------------------------

void CDIBOverlap::SetupFire() {
    AddExecLog("CDIBOverlap::SetupFire");
    auto fire = std::make_unique<TransitionFire>();
    if (!fire->Initialize()) return; // no flame: the pages are drawn without it
    fire->SetMove(true, true);
    state_.fire = std::move(fire);
    MoveFire(0);
}

void CDIBOverlap::MoveFire(int64_t advance) {
    AddExecLog("CDIBOverlap::MoveFire");
    if (!state_.fire) return;
    // The flame's strength grows to full over the first 90 % of the time: its colour climbs the
    // fire's table, it grows more opaque and its heat rises.
    const double d = std::min(Progress() / 0.9, 1.0);
    static_cast<TransitionFire&>(*state_.fire).SetAmount(static_cast<int>(d * 10000 + 5000));
    const uint32_t colour = static_cast<uint32_t>(d * 127 + 128) << 24 |
                            CDIBFire::FireColour(static_cast<int>(d * 767));
    state_.fire->SetDrawParam(0, 0, kW, kH, colour, 0, 0, 0);
    state_.fire->Move(StepMs(advance));
}

void CDIBOverlap::DrawFire(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawFire");
    const double p = Progress();
    if (p >= 1) {
        CopyTo(frame);
        return;
    }
    CopyFrom(frame);
    if (state_.fire) state_.fire->Draw(&frame);
    if (p >= 0.9)
        to_->BltBlend(&frame, 0, 0, 0, 0, to_->GetWidth(), to_->GetHeight(),
                      WithAlpha((p - 0.9) / 0.1 * 255));
}

// --- Water ----------------------------------------------------------------------------------

void CDIBOverlap::SetupWater() {
    AddExecLog("CDIBOverlap::SetupWater");
    auto water = std::make_unique<CDIBWater>();
    if (!water->Initialize(kW, kH)) return; // no ripple: the pages are drawn without it
    from_->Copy(water.get(), 0, 0, 0, 0, from_->GetWidth(), from_->GetHeight());
    water->SetDrawParam(0, 0, kW, kH, pixel::kWhite);
    water->SetMove(true, true);
    state_.water = std::move(water);
}

void CDIBOverlap::MoveWater(int64_t advance) {
    AddExecLog("CDIBOverlap::MoveWater");
    if (!state_.water) return;
    // Half the ticks add a drop at a random point; x is drawn before y.
    if (NextRandom() % 100 < 50) {
        const int x = NextRandom() % kW;
        const int y = NextRandom() % kH;
        state_.water->Drop(x, y, 3, 3, 500);
    }
    state_.water->Move(StepMs(advance));
}

void CDIBOverlap::DrawWater(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawWater");
    const double p = Progress();
    if (p >= 1) {
        CopyTo(frame);
        return;
    }
    CopyFrom(frame);
    if (state_.water) state_.water->Draw(&frame);
    if (p >= 0.4)
        to_->BltBlend(&frame, 0, 0, 0, 0, to_->GetWidth(), to_->GetHeight(),
                      WithAlpha((p - 0.4) * 1.6666666 * 255));
}

// --- Film -----------------------------------------------------------------------------------

// state_.current: the page under the film (0 the old, 1 the new, 2 the end: the new page
// alone); state_.level: 1 while the film is drawn.
void CDIBOverlap::SetupFilm(const CallEffectParam& param) {
    AddExecLog("CDIBOverlap::SetupFilm");
    state_.fadeIn = std::max(param.FilmFadeIn(), 0);
    state_.hold = std::max(param.FilmHold(), 0);
    state_.finalTime = std::max(param.FilmFinal(), 0);
    state_.current = 2;
    // A film without time (as OVERLAP starts it) ends at once: nothing is made and no random
    // number drawn.
    if (duration_ <= 0) return;
    // The scratch picture (three elements) and the overlay; one that cannot be read is left out.
    state_.picture = ReadPicture(param.FilmFirstImage(), false);
    state_.picture2 = ReadPicture(param.FilmSecondImage(), false);
    auto film = std::make_unique<CDIBFilm>();
    if (film->Initialize(kW, kH, 4, state_.picture, state_.picture2) && film->MakeAnmCell(from_)) {
        film->SetMove(true, true);
        state_.film = std::move(film);
    }
    MoveFilm();
}

void CDIBOverlap::MoveFilm() {
    AddExecLog("CDIBOverlap::MoveFilm");
    const int64_t e = elapsed_, fadeIn = state_.fadeIn, hold = state_.hold;
    int x = 0, y = 0, w = kW, h = kH;
    double alpha = 255;
    // A phase without time is skipped.
    if (e < fadeIn) {
        state_.current = 0;
        alpha = static_cast<double>(e) / static_cast<double>(fadeIn) * 255;
    } else if (e < fadeIn + hold) {
        state_.current = 0;
    } else if (e < duration_ && state_.finalTime > 0) {
        // The film frame shrinks about the centre, flatter first and narrower in the middle.
        state_.current = 1;
        const double t = static_cast<double>(e - fadeIn - hold) / state_.finalTime;
        w = static_cast<int>((1 - std::sin(t * std::numbers::pi) * 0.6) * kW);
        h = static_cast<int>((1 - std::sin(t * std::numbers::pi / 2)) * kH);
        x = (kW - w) / 2;
        y = (kH - h) / 2;
        alpha = 255 - t * 128;
    } else {
        state_.current = 2;
    }
    state_.level = state_.current != 2 && w > 0 && h > 0 ? 1 : 0;
    if (!state_.film || !state_.level) return;
    const uint32_t colour = static_cast<uint32_t>(std::clamp(alpha, 0.0, 255.0)) << 24 | 0xFFAB50u;
    state_.film->SetDrawParam(x, y, w, h, colour);
    state_.film->Move();
}

void CDIBOverlap::DrawFilm(CDIBImage& frame) {
    AddExecLog("CDIBOverlap::DrawFilm");
    if (state_.current == 0)
        CopyFrom(frame);
    else
        CopyTo(frame);
    if (state_.film && state_.level) state_.film->Draw(&frame);
}

} // namespace qw
