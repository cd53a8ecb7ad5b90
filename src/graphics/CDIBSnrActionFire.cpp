// CDIBSnrAction: the fire (a = amount, b = centre column, c = spread; extra: order, 0 behind the
// picture, else in front of it). A flame surface burns over the layer's rectangle; it is drawn
// straight onto the page, not through the camera.

#include "common/ExecLog.h"
#include "graphics/CDIBFireEx.h"
#include "graphics/CDIBSnrAction.h"

namespace qw {

namespace {

constexpr int kWarmUpMs = 1000; // the flame is already burning when it first shows

} // namespace

bool CDIBSnrAction::SetupFire() {
    AddExecLog("CDIBSnrAction::SetupFire");
    fire_ = std::make_unique<CDIBFireEx>();
    if (!fire_->Initialize()) {
        fire_.reset();
        return false;
    }
    fire_->SetMove(true, true);
    fire_->SetBaseHeat(def_.A());
    fire_->SetShape(def_.B(), def_.C());
    fire_->Move(kWarmUpMs);
    // No emitter until the first draw gives it the layer's rectangle.
    fire_->SetDrawParam(0, 0, 0, 0, 0, 0, 0, 0);
    return true;
}

void CDIBSnrAction::ReleaseFire() {
    AddExecLog("CDIBSnrAction::ReleaseFire");
    fire_.reset();
}

void CDIBSnrAction::SaveFire(ByteWriter& /*out*/) const {
    AddExecLog("CDIBSnrAction::SaveFire");
}

// The record keeps only the definition: the flame is rebuilt as a set-up builds it.
void CDIBSnrAction::LoadFire(ByteSpan /*body*/) {
    AddExecLog("CDIBSnrAction::LoadFire");
    if (!SetupFire()) Release();
}

// The flame changes every step, so a burning fire keeps its page recomposed. Hurrying does not
// touch it: it burns for ever until stopped.
void CDIBSnrAction::MoveFire(int ms) {
    AddExecLog("CDIBSnrAction::MoveFire");
    if (!CommonMove() || !fire_) return;
    fire_->Move(ms);
    drawn_ = 1;
}

void CDIBSnrAction::DrawFire(const ActionDrawParam& param) {
    AddExecLog("CDIBSnrAction::DrawFire");
    if (!playing_ || !fire_) {
        DrawLayerQuad(param, param.x, param.y, param.z);
        return;
    }
    fire_->SetDrawParam(param.x, param.y, param.width, param.height, param.colour, 0, 0, 0);
    const bool behind = def_.Extra(0) == 0;
    if (behind) fire_->Draw(param.dst);
    DrawLayerQuad(param, param.x, param.y, param.z);
    if (!behind) fire_->Draw(param.dst);
}

} // namespace qw
