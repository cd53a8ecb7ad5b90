#include "graphics/CDIBSnrLayer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/ExecLog.h"
#include "common/Text.h"
#include "graphics/CDIBCamera.h"
#include "graphics/CDIBSnrAction.h"
#include "graphics/CSpriteCache.h"
#include "graphics/LayerMovie.h"

namespace qw {

namespace {

bool FitsInt16(int64_t v) {
    return v >= INT16_MIN && v <= INT16_MAX;
}

// The name of a movie member: its extension starts with ".mpg", as the cache decides.
bool IsMovieName(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot != std::string_view::npos && EqualsNoCase(name.substr(dot).substr(0, 4), ".mpg");
}

} // namespace

LayerMovie* AsLayerMovie(CDIBSprite* picture) {
    if (!picture) return nullptr;
    const char* type = picture->GetTypeName();
    if (!type || std::strlen(type) < 9 || !EqualsNoCase(std::string_view(type, 9), "CDIBMovie"))
        return nullptr;
    return dynamic_cast<LayerMovie*>(picture);
}

CDIBSnrLayer::CDIBSnrLayer() = default;

CDIBSnrLayer::~CDIBSnrLayer() {
    CDIBSnrLayer::Release();
}

bool CDIBSnrLayer::Initialize(const LayerActionTable* actions, CSpriteCache* cache) {
    AddExecLog("CDIBSnrLayer::Initialize");
    Release();
    actions_ = actions;
    cache_ = cache;
    prop_ = LayerProp{};
    name_.clear();
    return true;
}

void CDIBSnrLayer::Release() {
    AddExecLog("CDIBSnrLayer::Release");
    FreePicture();
}

void CDIBSnrLayer::FreePicture() {
    if (prop_.picture && cache_) cache_->Free(prop_.picture);
    prop_.picture = nullptr;
    name_.clear();
}

void CDIBSnrLayer::SetDefaultProp() {
    AddExecLog("CDIBSnrLayer::SetDefaultProp");
    FreePicture();
    prop_ = LayerProp{};
    // The page must be recomposed without the layer: emptied at a transition's end, it is drawn
    // transparent black rather than kept with its old picture.
    prop_.updated = 1;
}

bool CDIBSnrLayer::SetImage(std::string_view name) {
    AddExecLog("CDIBSnrLayer::SetImage");
    FreePicture();
    prop_.updated = 1;
    if (name.empty() || !cache_) return false;
    prop_.picture = cache_->Read(name);
    if (!prop_.picture) return false;
    name_.assign(name);
    return true;
}

void CDIBSnrLayer::SetPos(int x, int y, int z) {
    AddExecLog("CDIBSnrLayer::SetPos");
    prop_.x = x, prop_.y = y, prop_.z = z;
    prop_.updated = 1;
}

void CDIBSnrLayer::SetBaseSize(int width, int height) {
    AddExecLog("CDIBSnrLayer::SetBaseSize");
    prop_.width = width, prop_.height = height;
    prop_.updated = 1;
}

void CDIBSnrLayer::SetColor(int a, int r, int g, int b) {
    AddExecLog("CDIBSnrLayer::SetColor");
    const auto ch = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    prop_.colour = ch(a) << 24 | ch(r) << 16 | ch(g) << 8 | ch(b);
    prop_.updated = 1;
}

void CDIBSnrLayer::SetBlend(bool on) {
    AddExecLog("CDIBSnrLayer::SetBlend");
    prop_.blend = on ? 1 : 0;
    prop_.updated = 1;
}

void CDIBSnrLayer::SetAnti(bool on) {
    AddExecLog("CDIBSnrLayer::SetAnti");
    prop_.anti = on ? 1 : 0;
    prop_.updated = 1;
}

void CDIBSnrLayer::SetAction(int number) {
    AddExecLog("CDIBSnrLayer::SetAction");
    prop_.action = number;
    prop_.updated = 1;
}

void CDIBSnrLayer::SetCameraState(bool camera, bool billboard, float xyRate, float wRate) {
    AddExecLog("CDIBSnrLayer::SetCameraState");
    prop_.camera = camera ? 1 : 0;
    prop_.billboard = billboard ? 1 : 0;
    prop_.xyRate = xyRate;
    prop_.wRate = wRate;
    prop_.updated = 1;
}

CDIBSnrAction* CDIBSnrLayer::GetActionObject() const {
    if (!actions_ || prop_.action < 1 || prop_.action > static_cast<int>(actions_->size()))
        return nullptr;
    return (*actions_)[static_cast<size_t>(prop_.action - 1)].get();
}

int CDIBSnrLayer::DrawWidth() const {
    if (prop_.width != 0 || !prop_.picture) return prop_.width;
    return prop_.picture->GetWidth();
}

int CDIBSnrLayer::DrawHeight() const {
    if (prop_.height != 0 || !prop_.picture) return prop_.height;
    return prop_.picture->GetHeight();
}

void CDIBSnrLayer::Move(int frameMs) {
    AddExecLog("CDIBSnrLayer::Move");
    if (LayerMovie* movie = AsLayerMovie(prop_.picture)) {
        // A movie on two layers is one picture: only the first layer to reach it this tick
        // advances it.
        if (!movie->IsMoved()) movie->Move(frameMs);
        prop_.updated = 1;
        return;
    }
    const CDIBSnrAction* action = prop_.action != 0 ? GetActionObject() : nullptr;
    prop_.updated = action && action->IsDrawn() ? 1 : 0;
}

CDIBSnrLayer::Plan CDIBSnrLayer::PlanDraw(const CDIBImage& page, CDIBCamera* camera) const {
    Plan plan;
    CDIBSprite* picture = prop_.picture;
    if (!picture) return plan;
    if (camera)
        camera->SetLayerParam(prop_.camera != 0, prop_.billboard != 0, prop_.xyRate, prop_.wRate);
    if (prop_.action != 0) {
        plan.op = PlanOp::Action;
        plan.bounds = {0, 0, page.GetWidth(), page.GetHeight()};
        return plan;
    }
    const int64_t x = prop_.x, y = prop_.y, z = prop_.z;
    const int64_t right = x + DrawWidth() - 1, bottom = y + DrawHeight() - 1;
    const int64_t sRight = picture->GetWidth() - 1, sBottom = picture->GetHeight() - 1;
    // A corner or source position that does not fit the quad's 16-bit fields draws nothing
    // rather than wrapping round to somewhere else on the page.
    for (int64_t v : {x, y, z, right, bottom, sRight, sBottom})
        if (!FitsInt16(v)) return plan;
    VertexQuad& q = plan.quad;
    const auto i16 = [](int64_t v) { return static_cast<int16_t>(v); };
    q.corner[0] = {i16(x), i16(y), i16(z)};
    q.corner[1] = {i16(right), i16(y), i16(z)};
    q.corner[2] = {i16(right), i16(bottom), i16(z)};
    q.corner[3] = {i16(x), i16(bottom), i16(z)};
    q.source[0] = {0, 0};
    q.source[1] = {i16(sRight), 0};
    q.source[2] = {i16(sRight), i16(sBottom)};
    q.source[3] = {0, i16(sBottom)};
    q.colour = prop_.colour;
    if (camera) camera->Transform(&q, 1);
    plan.op = prop_.blend                  ? PlanOp::Blend
              : prop_.colour == 0xFFFFFFFF ? PlanOp::Copy
                                           : PlanOp::Fast;
    // The blits write only inside the corners' bounding box.
    int left = INT32_MAX, top = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
    for (const QuadCorner& c : q.corner) {
        left = std::min<int>(left, c.x), maxX = std::max<int>(maxX, c.x);
        top = std::min<int>(top, c.y), maxY = std::max<int>(maxY, c.y);
    }
    RegionRect b{std::max(left, 0), std::max(top, 0), std::min(maxX + 1, page.GetWidth()),
                 std::min(maxY + 1, page.GetHeight())};
    plan.bounds = b.IsEmpty() ? RegionRect{} : b;
    return plan;
}

void CDIBSnrLayer::DrawPlanned(const Plan& plan, CDIBImage* page, CDIBCamera* camera) const {
    CDIBSprite* picture = prop_.picture;
    if (!picture || !page) return;
    switch (plan.op) {
    case PlanOp::None:
        return;
    case PlanOp::Action:
        if (CDIBSnrAction* action = GetActionObject()) {
            ActionDrawParam param;
            param.dst = page;
            param.x = prop_.x, param.y = prop_.y, param.z = prop_.z;
            param.picture = picture;
            param.width = DrawWidth(), param.height = DrawHeight();
            param.colour = prop_.colour;
            param.blend = prop_.blend != 0;
            param.anti = prop_.anti != 0;
            param.camera = camera;
            action->Draw(param);
        }
        return;
    case PlanOp::Blend:
        picture->StretchBltBlend(page, plan.quad, prop_.anti != 0);
        return;
    case PlanOp::Copy:
        picture->StretchBltCopy(page, plan.quad, false);
        return;
    case PlanOp::Fast:
        picture->StretchBltFast(page, plan.quad, false);
        return;
    }
}

void CDIBSnrLayer::Draw(CDIBImage* page, CDIBCamera* camera) {
    AddExecLog("CDIBSnrLayer::Draw");
    if (!page) return;
    DrawPlanned(PlanDraw(*page, camera), page, camera);
}

bool CDIBSnrLayer::Save(ByteWriter& out) const {
    AddExecLog("CDIBSnrLayer::Save");
    const auto f = [&](float v) { out.Put(std::bit_cast<uint32_t>(v)); };
    out.Put<uint8_t>(prop_.updated);
    out.PutFixedString(prop_.picture ? name_ : std::string_view(), kNameSize);
    // The rate and pause follow the name of a movie (the rule Load reads them by), whatever
    // became of the movie itself.
    if (prop_.picture && IsMovieName(name_)) {
        const LayerMovie* movie = AsLayerMovie(prop_.picture);
        f(movie ? movie->GetRate() : 1.0f);
        out.Put<uint8_t>(movie && movie->IsPaused() ? 1 : 0);
    }
    for (int32_t v : {prop_.x, prop_.y, prop_.z, prop_.width, prop_.height})
        out.Put<int32_t>(v);
    out.Put<uint32_t>(prop_.colour);
    out.Put<uint8_t>(prop_.blend);
    out.Put<uint8_t>(prop_.anti);
    out.Put<int32_t>(prop_.action);
    out.Put<uint8_t>(prop_.camera);
    out.Put<uint8_t>(prop_.billboard);
    f(prop_.xyRate);
    f(prop_.wRate);
    return true;
}

std::optional<size_t> CDIBSnrLayer::ParseRecord(ByteSpan record, Record& out) {
    if (record.size() < 1 + kNameSize) return std::nullopt;
    Record r;
    r.updated = record[0];
    const std::string_view name = *LoadFixedString(record, 1, kNameSize);
    std::copy(name.begin(), name.end(), r.name.begin());
    r.movie = IsMovieName(name);
    const size_t size = r.movie ? kMovieRecordSize : kRecordSize;
    if (record.size() < size) return std::nullopt;
    const uint8_t* p = record.data() + 1 + kNameSize;
    const auto i32 = [&] {
        const int32_t v = LoadLEUnchecked<int32_t>(p);
        p += 4;
        return v;
    };
    const auto f = [&] { return std::bit_cast<float>(i32()); };
    if (r.movie) {
        r.rate = f();
        r.paused = *p++;
    }
    LayerProp& prop = r.prop;
    prop.updated = r.updated;
    prop.x = i32(), prop.y = i32(), prop.z = i32();
    prop.width = i32(), prop.height = i32();
    prop.colour = static_cast<uint32_t>(i32());
    prop.blend = *p++;
    prop.anti = *p++;
    prop.action = i32();
    prop.camera = *p++;
    prop.billboard = *p++;
    prop.xyRate = f();
    prop.wRate = f();
    out = r;
    return size;
}

void CDIBSnrLayer::ApplyRecord(const Record& record) {
    FreePicture();
    prop_ = record.prop;
    prop_.picture = nullptr;
    const std::string_view name(record.name.data(),
                                strnlen(record.name.data(), record.name.size()));
    if (name.empty() || !cache_) return;
    prop_.picture = cache_->Read(name);
    if (!prop_.picture) return;
    name_.assign(name);
    if (LayerMovie* movie = AsLayerMovie(prop_.picture)) {
        movie->SetRate(record.rate);
        if (record.paused) movie->SetPause(true);
    }
}

std::optional<size_t> CDIBSnrLayer::Load(ByteSpan record) {
    AddExecLog("CDIBSnrLayer::Load");
    Record r;
    const std::optional<size_t> used = ParseRecord(record, r);
    if (used) ApplyRecord(r);
    return used;
}

} // namespace qw
