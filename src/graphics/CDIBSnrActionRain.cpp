// CDIBSnrAction: the rain (a = fall period in ms, b = number of drops, c = swing amplitude;
// extra: wind, negative, zero or positive, then the drop picture's name). Drops fall over the
// layer from above the page, swaying and fading in, farthest first.

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/ExecLog.h"
#include "common/Random.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CSpriteCache.h"

namespace qw {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kFall = 3000;     // pixels per fall period (the first half of the drops)
constexpr double kFastFall = 5000; // the second half
constexpr double kBottom = 601;    // a drop below this starts again

} // namespace

void CDIBSnrAction::SeedDrop(Drop& drop, bool restart) {
    const int32_t wind = def_.Extra(0);
    drop.x = NextRandom() % 1000 - 100 + (wind < 0 ? 400 : 0) - (wind > 0 ? 400 : 0);
    drop.y = -1000;
    drop.z = 100 - NextRandom() % 200;
    drop.time = -(NextRandom() % (restart ? 500 : RainPeriod()));
    drop.angle = (NextRandom() % 1000) * 0.001 * kTwoPi;
    drop.size = (NextRandom() % 1000) * 0.0009 + 0.1;
}

bool CDIBSnrAction::SetupRain() {
    AddExecLog("CDIBSnrAction::SetupRain");
    const std::string_view name = def_.RainDropName();
    dropName_.fill(0);
    std::copy_n(name.begin(), std::min(name.size(), kDropNameSize), dropName_.begin());
    return BuildRain();
}

bool CDIBSnrAction::BuildRain() {
    // The period divides the start times; the count sizes the arrays.
    const int32_t count = def_.B();
    if (RainPeriod() <= 0 || count < 0 || count > kMaxDrops || !cache_) return false;
    drop_ = cache_->Read(*LoadFixedString(ByteSpan(dropName_), 0, kDropNameSize));
    if (!drop_ || !drop_->IsCreated()) return false;
    drops_.assign(static_cast<size_t>(count), Drop{});
    order_.assign(static_cast<size_t>(count), DrawnDrop{});
    quads_.assign(static_cast<size_t>(count), VertexQuad{});
    for (Drop& d : drops_)
        SeedDrop(d, false);
    return true;
}

void CDIBSnrAction::ReleaseRain() {
    AddExecLog("CDIBSnrAction::ReleaseRain");
    if (drop_ && cache_) cache_->Free(drop_);
    drop_ = nullptr;
    dropName_.fill(0);
    rainReserved_ = 0;
    drops_.clear();
    drops_.shrink_to_fit();
    order_.clear();
    order_.shrink_to_fit();
    quads_.clear();
    quads_.shrink_to_fit();
}

void CDIBSnrAction::SaveRain(ByteWriter& out) const {
    AddExecLog("CDIBSnrAction::SaveRain");
    out.Put<int32_t>(rainReserved_);
    out.PutBytes(ByteSpan(dropName_));
}

void CDIBSnrAction::LoadRain(ByteSpan body) {
    AddExecLog("CDIBSnrAction::LoadRain");
    const int32_t reserved = LoadLEUnchecked<int32_t>(body.data());
    std::copy_n(body.data() + 4, kDropNameSize, dropName_.begin());
    // The drops start afresh, as a set-up does; without its picture the action is undefined.
    if (!BuildRain()) {
        Release();
        return;
    }
    rainReserved_ = reserved;
}

void CDIBSnrAction::MoveRain(int ms) {
    AddExecLog("CDIBSnrAction::MoveRain");
    if (!CommonMove()) return;
    const double period = RainPeriod();
    for (Drop& d : drops_) {
        d.time = static_cast<int32_t>(std::min<int64_t>(int64_t{d.time} + ms, INT32_MAX));
        if (d.y + d.time / period * kFall >= kBottom) SeedDrop(d, true);
    }
    drawn_ = 1;
}

void CDIBSnrAction::DrawRain(const ActionDrawParam& param) {
    AddExecLog("CDIBSnrAction::DrawRain");
    if (!playing_ || !drop_) {
        DrawLayerQuad(param, param.x, param.y, param.z);
        return;
    }
    const int32_t wind = def_.Extra(0);
    const double period = RainPeriod(), swing = def_.C();
    const double dw = drop_->GetWidth(), dh = drop_->GetHeight();
    const bool billboard = CameraBillboard(param);
    const int half = def_.B() / 2;
    const uint32_t rgb = param.colour & 0x00FFFFFFu;
    size_t shown = 0;
    for (size_t i = 0; i < drops_.size(); ++i) {
        const Drop& d = drops_[i];
        if (d.time < 0) continue;
        const double e = d.time / period;
        const double drift = wind > 0 ? e * kFall : wind < 0 ? -e * kFall : 0;
        const double slant = billboard ? 0 : dh * d.size * wind / 100;
        const double sway = std::sin(e * 2 * kTwoPi);
        const double sx = swing * std::sin(d.angle) * sway, sz = swing * std::cos(d.angle) * sway;
        const double fall = static_cast<int>(i) < half ? e * kFall : e * kFastFall;
        const double alpha = std::min(e * 10, 1.0) * (d.z + 100) * 0.005 * 128;
        const auto a = static_cast<uint32_t>(std::clamp(std::trunc(alpha), 0.0, 255.0));
        VertexQuad& q = quads_[i];
        if (!RectQuad(q, *drop_, d.x + drift + sx, d.y + fall, dw * d.size, dh * d.size, d.z + sz,
                      a << 24 | rgb, slant))
            continue;
        // Without a camera the depth is the drop's own z.
        float g = static_cast<float>(d.z + sz);
        if (!CameraTransform(param, q, &g)) continue;
        order_[shown++] = {g, static_cast<int>(i)};
    }
    // Farthest first; drops at the same depth keep their order.
    std::sort(order_.begin(), order_.begin() + static_cast<std::ptrdiff_t>(shown),
              [](const DrawnDrop& l, const DrawnDrop& r) {
                  return l.g != r.g ? l.g > r.g : l.index < r.index;
              });
    const auto drawDrops = [&](size_t from, size_t to) {
        for (size_t j = from; j < to; ++j)
            drop_->StretchBltBlend(param.dst, quads_[static_cast<size_t>(order_[j].index)],
                                   param.anti);
    };
    if (!param.blend) {
        DrawLayerQuad(param, param.x, param.y, param.z);
        drawDrops(0, shown);
    } else {
        drawDrops(0, shown / 2);
        DrawLayerQuad(param, param.x, param.y, param.z);
        drawDrops(shown / 2, shown);
    }
}

} // namespace qw
