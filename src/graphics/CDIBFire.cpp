#include "graphics/CDIBFire.h"

#include <algorithm>

#include "common/ExecLog.h"
#include "common/Random.h"
#include "graphics/PixelKernels.h"

namespace qw {

CDIBFire::~CDIBFire() = default;

bool CDIBFire::Initialize() {
    AddExecLog("CDIBFire::Initialize");
    Release();
    if (!Create(kGridWidth, kGridHeight)) return false;
    heat_.assign(static_cast<size_t>(kGridWidth) * kGridHeight, 0);
    leftOver_ = 0;
    MakePixelTable();
    return true;
}

void CDIBFire::Release() {
    AddExecLog("CDIBFire::Release");
    heat_.clear();
    heat_.shrink_to_fit();
    active_ = false;
    CDIBImage::Release();
}

void CDIBFire::SetMove(bool on, bool clear) {
    AddExecLog("CDIBFire::SetMove");
    active_ = on;
    if (clear) {
        std::fill(heat_.begin(), heat_.end(), 0);
        leftOver_ = 0;
    }
}

void CDIBFire::SetDrawParam(int x, int y, int width, int height, uint32_t colour, int tintR,
                            int tintG, int tintB) {
    AddExecLog("CDIBFire::SetDrawParam");
    drawX_ = x, drawY_ = y, drawW_ = width, drawH_ = height;
    colour_ = colour;
    tint_[0] = tintR, tint_[1] = tintG, tint_[2] = tintB;
    MakePixelTable();
    MakeQuad();
}

uint32_t CDIBFire::FireColour(int i) {
    const auto u = static_cast<uint32_t>(i);
    if (i < 256) return u << 16;
    if (i < 512) return (u | 0xFF00u) << 8;
    return u | 0xFFFF00u;
}

// Built whenever the tints change, so rendering is one clamp and one look-up per cell.
void CDIBFire::MakePixelTable() {
    const bool tinted = tint_[0] != 0 || tint_[1] != 0 || tint_[2] != 0;
    for (int h = 0; h < kTableSize; ++h) {
        uint32_t p = h == 0 ? 0 : FireColour(h) | static_cast<uint32_t>(h * 128 / 767) << 24;
        // A tint lays over every pixel, the cold ones too, and makes it opaque.
        if (tinted) {
            uint32_t out = 0xFF000000u;
            for (int c = 0; c < 3; ++c) {
                const int shift = 16 - 8 * c;
                const int v = std::clamp(static_cast<int>((p >> shift) & 0xFF) + tint_[c], 0, 255);
                out |= static_cast<uint32_t>(v) << shift;
            }
            p = out;
        }
        pixels768_[h] = p;
    }
}

uint32_t CDIBFire::PixelFor(int32_t h) const {
    return pixels768_[std::clamp<int32_t>(h, 0, kTableSize - 1)];
}

void CDIBFire::Seed() {
    int32_t* bottom = HeatRow(kGridHeight - 1);
    for (int c = 0; c < kGridWidth; ++c)
        bottom[c] = NextRandom() % 100 >= 40 ? 0 : NextRandom() % 1000 + baseHeat_;
}

// Row r − 1 is written from rows r and r + 1 before row r is, so every output row reads only
// rows this step has not changed yet: a row at a time gives the same heats as a cell at a time.
void CDIBFire::Step() {
    if (heat_.empty()) return;
    Seed();
    const PixelKernels& k = ActivePixelKernels();
    for (int r = 1; r <= kGridHeight - 2; ++r)
        k.fireRow(HeatRow(r - 1) + 1, HeatRow(r) + 1, HeatRow(r + 1) + 1, kGridWidth - 2);
}

void CDIBFire::Render() {
    uint32_t* out = GetPixels();
    const size_t n = heat_.size();
    for (size_t i = 0; i < n; ++i)
        out[i] = PixelFor(heat_[i]);
}

void CDIBFire::MakeQuad() {
    // Columns 80 … 720 and rows 15 … 135 of the grid.
    constexpr int16_t left = kGridWidth / 10, top = kGridHeight / 10;
    constexpr int16_t right = left + kGridWidth - 160, bottom = top + kGridHeight - 30;
    SetStretchVertex(quad_, drawX_, drawY_, drawW_, drawH_, colour_);
    quad_.source[0] = {left, top};
    quad_.source[1] = {right, top};
    quad_.source[2] = {right, bottom};
    quad_.source[3] = {left, bottom};
}

void CDIBFire::Move(int ms) {
    AddExecLog("CDIBFire::Move");
    if (!active_ || heat_.empty()) return;
    leftOver_ = static_cast<int>(std::clamp<int64_t>(int64_t{leftOver_} + ms, 0, INT32_MAX));
    for (; leftOver_ >= kStepMs; leftOver_ -= kStepMs)
        Step();
    if (BuildsQuadInMove()) MakeQuad();
    Render();
}

void CDIBFire::Draw(CDIBImage* dst) {
    AddExecLog("CDIBFire::Draw");
    if (!active_ || !dst) return;
    StretchBltBlend(dst, quad_, true);
}

} // namespace qw
