#include "graphics/CDIBFireEx.h"

#include <cstdlib>

#include "common/ExecLog.h"
#include "common/Random.h"

namespace qw {

CDIBFireEx::~CDIBFireEx() = default;

bool CDIBFireEx::Initialize() {
    AddExecLog("CDIBFireEx::Initialize");
    centre_ = kDefaultCentre;
    spread_ = kDefaultSpread;
    return CDIBFire::Initialize();
}

void CDIBFireEx::SetShape(int centre, int spread) {
    AddExecLog("CDIBFireEx::SetShape");
    centre_ = centre;
    spread_ = spread;
}

int CDIBFireEx::SeedPercent(int column) const {
    const int64_t half = spread_ / 2;
    if (half <= 0) return 0;
    const int64_t e = (half - std::llabs(int64_t{column} - centre_)) * 40 / half;
    return e > 0 ? static_cast<int>(e) : 0;
}

void CDIBFireEx::Seed() {
    int32_t* bottom = HeatRow(kGridHeight - 1);
    for (int c = 0; c < kGridWidth; ++c)
        bottom[c] = NextRandom() % 100 < SeedPercent(c) ? NextRandom() % 1000 + baseHeat_ : 0;
}

void CDIBFireEx::Draw(CDIBImage* dst) {
    AddExecLog("CDIBFireEx::Draw");
    if (!active_ || !dst) return;
    MakeQuad();
    StretchBltBlend(dst, quad_, true);
}

} // namespace qw
