// CDIBSnrAction: the fire (a = amount, b = centre column, c = spread; extra: order, 0 behind the
// picture, else in front of it).

#include "common/ExecLog.h"
#include "graphics/CDIBSnrAction.h"

namespace qw {

bool CDIBSnrAction::SetupFire() {
    AddExecLog("CDIBSnrAction::SetupFire");
    return false; // the fire surface is not built yet
}

void CDIBSnrAction::ReleaseFire() {
    AddExecLog("CDIBSnrAction::ReleaseFire");
}

void CDIBSnrAction::SaveFire(ByteWriter& /*out*/) const {
    AddExecLog("CDIBSnrAction::SaveFire");
}

void CDIBSnrAction::LoadFire(ByteSpan /*body*/) {
    AddExecLog("CDIBSnrAction::LoadFire");
    if (!SetupFire()) Release();
}

void CDIBSnrAction::MoveFire(int /*ms*/) {
    AddExecLog("CDIBSnrAction::MoveFire");
    CommonMove();
}

void CDIBSnrAction::DrawFire(const ActionDrawParam& param) {
    AddExecLog("CDIBSnrAction::DrawFire");
    DrawLayerQuad(param, param.x, param.y, param.z);
}

} // namespace qw
