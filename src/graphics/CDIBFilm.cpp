#include "graphics/CDIBFilm.h"

#include <cmath>
#include <numbers>

#include "common/ExecLog.h"
#include "common/Random.h"
#include "graphics/CDIBSprite.h"

namespace qw {

CDIBFilm::~CDIBFilm() = default;

bool CDIBFilm::Initialize(int width, int height, int n, CDIBSprite* scratch, CDIBImage* overlay) {
    AddExecLog("CDIBFilm::Initialize");
    Release();
    if (n < 1 || width < 1 || height < 1 || int64_t{height} * n > 0x7FFF) return false;
    if (!Create(width, height * n) || !work_.Create(width, height) ||
        !specks_.Create(width, height))
        return false;
    cellW_ = width, cellH_ = height, cells_ = n, cell_ = 0;
    scratch_ = scratch;
    overlay_ = overlay;
    return true;
}

void CDIBFilm::Release() {
    AddExecLog("CDIBFilm::Release");
    work_.Release();
    specks_.Release();
    cells_ = 0;
    active_ = false;
    scratch_ = nullptr;
    overlay_ = nullptr;
    CDIBImage::Release();
}

void CDIBFilm::SetMove(bool on, bool /*clear: a film keeps no state between frames*/) {
    AddExecLog("CDIBFilm::SetMove");
    active_ = on;
}

void CDIBFilm::SetDrawParam(int x, int y, int width, int height, uint32_t colour) {
    AddExecLog("CDIBFilm::SetDrawParam");
    drawX_ = x, drawY_ = y, drawW_ = width, drawH_ = height;
    colour_ = colour;
}

// The random draws of a cell, in order: angle, specks count, each specks pixel, then with a
// scratch picture its element, x and width choice.
void CDIBFilm::MakeCell(CDIBImage& source, int index) {
    VertexQuad q;
    work_.FillFull(0);
    source.StretchBltCopy(&work_, source.SetStretchVertex(q, 0, 0, cellW_, cellH_, 0xFFFFFFFF),
                          false);
    const double a = (NextRandom() % 1000) * 0.001 * 2 * std::numbers::pi;
    const int dx = static_cast<int>(std::cos(a) * 5), dy = static_cast<int>(std::sin(a) * 10);
    source.StretchBltBlend(&work_, source.SetStretchVertex(q, dx, dy, cellW_, cellH_, 0x40FFFFFF),
                           false);
    const int specks = NextRandom() % 5;
    for (int s = 0; s < specks; ++s) {
        uint32_t* p = specks_.GetPixels();
        for (size_t i = 0; i < specks_.GetByteSize() / 4; ++i)
            p[i] = NextRandom() % 100 < 5 ? 0xFFFFFFFFu : 0u;
        specks_.BltBlend(&work_, 0, 0, 0, 0, cellW_, cellH_, 0x20FFFFFF);
    }
    if (scratch_) {
        const int element = NextRandom() % 3;
        const int x = NextRandom() % cellW_;
        const bool wide = NextRandom() % 100 < 20;
        // Scaled to the cell height; in width by the same factor only for a wide scratch. A
        // missing element gives a quad that draws nothing.
        const SpriteElement* e = scratch_->GetElement(element);
        int w = e ? e->w : 1;
        if (wide && e && e->h > 0) w = static_cast<int>(int64_t{e->w} * cellH_ / e->h);
        scratch_->StretchBltBlend(
            &work_, scratch_->SetStretchVertex(q, element, x, 0, w, cellH_, 0xFFFFFFFF), false);
    }
    if (overlay_)
        overlay_->StretchBltBlend(
            &work_, overlay_->SetStretchVertex(q, 0, 0, cellW_, cellH_, 0xFF000000), false);
    work_.Copy(this, 0, index * cellH_, 0, 0, cellW_, cellH_);
}

bool CDIBFilm::MakeAnmCell(CDIBImage* source) {
    AddExecLog("CDIBFilm::MakeAnmCell");
    if (!source || !source->IsCreated() || cells_ < 1) return false;
    for (int i = 0; i < cells_; ++i)
        MakeCell(*source, i);
    FillAlpha(255);
    return true;
}

void CDIBFilm::Move() {
    AddExecLog("CDIBFilm::Move");
    if (!active_ || cells_ < 1) return;
    cell_ = NextRandom() % cells_;
    SetStretchVertex(quad_, drawX_, drawY_, drawW_, drawH_, colour_);
    const auto i16 = [](int v) { return static_cast<int16_t>(v); };
    const int top = cell_ * cellH_, bottom = top + cellH_ - 1;
    quad_.source[0] = {0, i16(top)};
    quad_.source[1] = {i16(cellW_ - 1), i16(top)};
    quad_.source[2] = {i16(cellW_ - 1), i16(bottom)};
    quad_.source[3] = {0, i16(bottom)};
}

void CDIBFilm::Draw(CDIBImage* dst) {
    AddExecLog("CDIBFilm::Draw");
    if (!active_ || !dst || cells_ < 1) return;
    StretchBltBlend(dst, quad_, true);
}

} // namespace qw
