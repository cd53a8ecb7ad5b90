// CDIBSnrAction: the state machine, the saved record and the drawing rules shared by the types.

#include "graphics/CDIBSnrAction.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/ExecLog.h"
#include "graphics/CDIBCamera.h"
#include "graphics/CDIBFireEx.h"
#include "graphics/CSpriteCache.h"

namespace qw {

std::optional<ActionDefinition> ActionDefinition::FromBytes(ByteSpan data) {
    if (data.size() < kSize) return std::nullopt;
    ActionDefinition d;
    std::memcpy(d.bytes.data(), data.data(), kSize);
    return d;
}

std::string_view ActionDefinition::RainDropName() const {
    const size_t at = kExtraOffset + 4;
    const ByteSpan all(bytes);
    return *LoadFixedString(all, at, kSize - at);
}

void ActionDefinition::SetRainDropName(std::string_view name) {
    const size_t at = kExtraOffset + 4, room = kSize - at;
    std::fill(bytes.begin() + at, bytes.end(), uint8_t{0});
    std::memcpy(bytes.data() + at, name.data(), std::min(name.size(), room));
}

int ScaledFrameMs(int frameMs, int frameSpeed) {
    const int64_t ms = frameSpeed <= 0 ? frameMs / 2 : int64_t{frameMs} * frameSpeed;
    return static_cast<int>(std::clamp<int64_t>(ms, 0, INT32_MAX));
}

CDIBSnrAction::CDIBSnrAction() = default;

CDIBSnrAction::~CDIBSnrAction() {
    CDIBSnrAction::Release();
}

bool CDIBSnrAction::Initialize(CSpriteCache* cache) {
    AddExecLog("CDIBSnrAction::Initialize");
    Release();
    cache_ = cache;
    return true;
}

void CDIBSnrAction::Release() {
    AddExecLog("CDIBSnrAction::Release");
    switch (Type()) {
    case ActionType::Rot2D:
        Release2DRot();
        break;
    case ActionType::Scroll:
        ReleaseScroll();
        break;
    case ActionType::Raster:
        ReleaseRaster();
        break;
    case ActionType::Rain:
        ReleaseRain();
        break;
    case ActionType::Fire:
        ReleaseFire();
        break;
    default:
        break;
    }
    active_ = playing_ = drawn_ = playedIn_ = stopped_ = fast_ = 0;
    reserved_ = 0;
    def_ = ActionDefinition{};
    time_ = turns_ = fadeIn_ = fadeOut_ = rasterPeriod_ = 0;
}

bool CDIBSnrAction::Setup(const ActionDefinition& definition) {
    AddExecLog("CDIBSnrAction::Setup");
    Release();
    def_ = definition;
    playedIn_ = 0;
    stopped_ = 0;
    bool ok = false;
    switch (Type()) {
    case ActionType::Rot2D:
        ok = Setup2DRot();
        break;
    case ActionType::Scroll:
        ok = SetupScroll();
        break;
    case ActionType::Raster:
        ok = SetupRaster();
        break;
    case ActionType::Rain:
        ok = SetupRain();
        break;
    case ActionType::Fire:
        ok = SetupFire();
        break;
    default:
        break;
    }
    // A failed set-up leaves nothing defined: a half-built action (a rain without its drop
    // picture) must not move or draw.
    if (!ok) Release();
    return ok;
}

void CDIBSnrAction::Play() {
    AddExecLog("CDIBSnrAction::Play");
    if (!IsDefined()) return;
    // A raster that starts again fades in again (else a second play pops in at full amplitude).
    if (Type() == ActionType::Raster && !active_) fadeIn_ = 0;
    playing_ = 1;
    active_ = 1;
    playedIn_ = 0;
}

void CDIBSnrAction::Stop() {
    AddExecLog("CDIBSnrAction::Stop");
    if (!IsDefined()) return;
    // A raster stopped while playing fades out from the start (else a second stop ends at once).
    if (Type() == ActionType::Raster && playing_) fadeOut_ = 0;
    playing_ = 0;
    active_ = 1;
    stopped_ = 0;
}

void CDIBSnrAction::Move(bool fast, int frameMs, int frameSpeed) {
    AddExecLog("CDIBSnrAction::Move");
    // An inactive action changed nothing this tick (else the stop's last drawn flag would keep
    // its page recomposed every frame).
    if (!active_) {
        drawn_ = 0;
        return;
    }
    fast_ = fast ? 1 : 0;
    const int ms = ScaledFrameMs(frameMs, frameSpeed);
    switch (Type()) {
    case ActionType::Rot2D:
        Move2DRot(ms);
        break;
    case ActionType::Scroll:
        MoveScroll(ms);
        break;
    case ActionType::Raster:
        MoveRaster(ms);
        break;
    case ActionType::Rain:
        MoveRain(ms);
        break;
    case ActionType::Fire:
        MoveFire(ms);
        break;
    default:
        break;
    }
}

void CDIBSnrAction::Draw(const ActionDrawParam& param) {
    AddExecLog("CDIBSnrAction::Draw");
    if (!param.dst || !param.picture || !param.picture->IsCreated()) return;
    switch (Type()) {
    case ActionType::Rot2D:
        Draw2DRot(param);
        break;
    case ActionType::Scroll:
        DrawScroll(param);
        break;
    case ActionType::Raster:
        DrawRaster(param);
        break;
    case ActionType::Rain:
        DrawRain(param);
        break;
    case ActionType::Fire:
        DrawFire(param);
        break;
    default:
        break;
    }
}

bool CDIBSnrAction::CommonMove() {
    drawn_ = 0;
    if (playing_) {
        playedIn_ = 1;
        return true;
    }
    stopped_ = 1;
    active_ = 0;
    // The page is composed once more without what the action added (fire, drops).
    drawn_ = 1;
    return false;
}

// ---- saved record ----

bool CDIBSnrAction::Save(ByteWriter& out) const {
    AddExecLog("CDIBSnrAction::Save");
    out.Put<uint8_t>(active_);
    out.Put<uint8_t>(playing_);
    out.Put<int32_t>(reserved_);
    out.Put<uint8_t>(drawn_);
    out.Put<uint8_t>(playedIn_);
    out.Put<uint8_t>(stopped_);
    out.PutBytes(ByteSpan(def_.bytes));
    switch (Type()) {
    case ActionType::Rot2D:
        Save2DRot(out);
        break;
    case ActionType::Scroll:
        SaveScroll(out);
        break;
    case ActionType::Raster:
        SaveRaster(out);
        break;
    case ActionType::Rain:
        SaveRain(out);
        break;
    case ActionType::Fire:
        SaveFire(out);
        break;
    default:
        break;
    }
    return true;
}

namespace {

// Bytes of the type's own part of the record; nullopt for a type outside 0–5.
std::optional<size_t> BodySize(int32_t type) {
    switch (static_cast<ActionType>(type)) {
    case ActionType::None:
    case ActionType::Fire:
        return 0;
    case ActionType::Rot2D:
        return 8;
    case ActionType::Scroll:
        return 4;
    case ActionType::Raster:
        return 12;
    case ActionType::Rain:
        return 4 + CDIBSnrAction::kDropNameSize;
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<size_t> CDIBSnrAction::Load(ByteSpan record) {
    AddExecLog("CDIBSnrAction::Load");
    if (record.size() < kRecordHead) return std::nullopt;
    const auto def = ActionDefinition::FromBytes(record.subspan(9));
    const std::optional<size_t> body = BodySize(def->Type());
    if (!body || record.size() - kRecordHead < *body) return std::nullopt;
    // Counts the drawing relies on.
    if (def->Type() == static_cast<int32_t>(ActionType::Scroll) &&
        (def->C() < 0 || def->C() > ActionDefinition::kScrollPoints))
        return std::nullopt;
    if (def->Type() == static_cast<int32_t>(ActionType::Rain) &&
        (def->B() < 0 || def->B() > kMaxDrops))
        return std::nullopt;

    Release();
    active_ = record[0];
    playing_ = record[1];
    reserved_ = LoadLEUnchecked<int32_t>(record.data() + 2);
    drawn_ = record[6];
    playedIn_ = record[7];
    stopped_ = record[8];
    def_ = *def;
    const ByteSpan rest = record.subspan(kRecordHead, *body);
    switch (Type()) {
    case ActionType::Rot2D:
        Load2DRot(rest);
        break;
    case ActionType::Scroll:
        LoadScroll(rest);
        break;
    case ActionType::Raster:
        LoadRaster(rest);
        break;
    case ActionType::Rain:
        LoadRain(rest);
        break;
    case ActionType::Fire:
        LoadFire(rest);
        break;
    default:
        break;
    }
    return kRecordHead + *body;
}

// ---- shared drawing ----

void CDIBSnrAction::BlitQuadNoCamera(const ActionDrawParam& param, CDIBImage& picture,
                                     const VertexQuad& quad) {
    if (param.blend)
        picture.StretchBltBlend(param.dst, quad, param.anti);
    else if (param.colour == 0xFFFFFFFFu)
        picture.StretchBltCopy(param.dst, quad, false);
    else
        picture.StretchBltFast(param.dst, quad, false);
}

bool CDIBSnrAction::CameraTransform(const ActionDrawParam& param, VertexQuad& quad, float* g) {
    if (!param.camera || !param.camera->IsOn()) return true;
    float depth = 0;
    param.camera->Transform(&quad, 1, &depth);
    if (!(depth > 0.1f)) return false; // dropped: behind or too near the eye
    if (g) *g = depth;
    return true;
}

bool CDIBSnrAction::CameraBillboard(const ActionDrawParam& param) {
    return param.camera && param.camera->IsOn() && param.camera->IsBillboard();
}

void CDIBSnrAction::BlitQuad(const ActionDrawParam& param, CDIBImage& picture, VertexQuad& quad) {
    if (CameraTransform(param, quad, nullptr)) BlitQuadNoCamera(param, picture, quad);
}

bool CDIBSnrAction::SetCorner(QuadCorner& corner, double x, double y, double z, bool round) {
    int16_t v[3];
    const double in[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        const double t = round ? std::round(in[i]) : std::trunc(in[i]);
        if (!(t >= INT16_MIN && t <= INT16_MAX)) return false; // NaN fails too
        v[i] = static_cast<int16_t>(t);
    }
    corner = {v[0], v[1], v[2]};
    return true;
}

bool CDIBSnrAction::RectQuad(VertexQuad& quad, const CDIBImage& picture, double x, double y,
                             double w, double h, double z, uint32_t colour, double slant) {
    const int pw = picture.GetWidth(), ph = picture.GetHeight();
    if (pw < 1 || ph < 1 || pw > INT16_MAX || ph > INT16_MAX) return false;
    if (!SetCorner(quad.corner[0], x, y, z) || !SetCorner(quad.corner[1], x + w - 1, y, z) ||
        !SetCorner(quad.corner[2], x + w - 1 + slant, y + h - 1, z) ||
        !SetCorner(quad.corner[3], x + slant, y + h - 1, z))
        return false;
    const auto i16 = [](int v) { return static_cast<int16_t>(v); };
    quad.source[0] = {0, 0};
    quad.source[1] = {i16(pw - 1), 0};
    quad.source[2] = {i16(pw - 1), i16(ph - 1)};
    quad.source[3] = {0, i16(ph - 1)};
    quad.colour = colour;
    return true;
}

void CDIBSnrAction::DrawLayerQuad(const ActionDrawParam& param, int x, int y, int z) {
    VertexQuad quad;
    if (RectQuad(quad, *param.picture, x, y, param.width, param.height, z, param.colour))
        BlitQuad(param, *param.picture, quad);
}

} // namespace qw
