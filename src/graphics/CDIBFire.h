#pragma once
// A heat-map flame: an 800 × 150 grid of heats whose bottom row is reseeded with random heat
// every 10 ms step while each cell above takes the average of its neighbourhood below it, cooling
// as it rises. The surface (the same size) shows the heats through one 768-entry pixel table and
// is blended into a destination with smoothing (the flame is stretched several times over).

#include <cstdint>
#include <vector>

#include "graphics/CDIBImage.h"

namespace qw {

class CDIBFire : public CDIBImage {
public:
    static constexpr int kGridWidth = 800;
    static constexpr int kGridHeight = 150;
    static constexpr int kStepMs = 10;
    static constexpr int kBaseHeat = 10000;
    static constexpr int kTableSize = 768;
    static constexpr int kMaxBaseHeat = 1 << 28;

    CDIBFire() = default;
    ~CDIBFire() override;

    // The surface and the grid (all heats 0). False when the surface cannot be had.
    virtual bool Initialize();
    void Release() override;
    // on: the flame moves and draws. clear: the heats and the left-over time become 0.
    void SetMove(bool on, bool clear);
    // Where the flame is drawn (x, y, width, height), the draw colour and the additive tints.
    void SetDrawParam(int x, int y, int width, int height, uint32_t colour, int tintR, int tintG,
                      int tintB);
    // Whole 10 ms steps of `ms` plus the time left over, then the surface is rendered again
    // (also when no step was due).
    void Move(int ms);
    // Blends the flame into `dst` when active.
    virtual void Draw(CDIBImage* dst);
    // The heat a seeded bottom cell gets on top of its random part (the flame's amount). Kept
    // within 0 … 2^28: the step sums four heats in 32 bits and relies on none being negative.
    void SetBaseHeat(int heat) {
        baseHeat_ = heat < 0 ? 0 : heat > kMaxBaseHeat ? kMaxBaseHeat : heat;
    }
    int GetBaseHeat() const { return baseHeat_; }

    // The colour table entry for heat `i` (0 … 767).
    static uint32_t FireColour(int i);
    // The pixel heat `h` renders as: 0 for 0, else the colour of min(h, 767) with alpha
    // min(h, 767) × 128 / 767; with a tint the colour is tinted and opaque.
    uint32_t PixelFor(int32_t h) const;

    int32_t* HeatRow(int r) { return heat_.data() + static_cast<size_t>(r) * kGridWidth; }
    const int32_t* HeatRow(int r) const {
        return heat_.data() + static_cast<size_t>(r) * kGridWidth;
    }
    bool IsActive() const { return active_; }
    int GetLeftOver() const { return leftOver_; }
    const VertexQuad& GetQuad() const { return quad_; }

    // One step of the heat grid: the bottom row reseeded, then rows 1 … 148 averaged upwards.
    void Step();

protected:
    // The bottom row's new heats, one random draw per cell (and a second for a seeded cell).
    virtual void Seed();
    // The grid's middle (0.1 of each side cut away) onto the drawing rectangle.
    void MakeQuad();
    virtual bool BuildsQuadInMove() const { return true; }
    void Render();
    void MakePixelTable();

    bool active_ = false;
    int drawX_ = 0, drawY_ = 0, drawW_ = 0, drawH_ = 0;
    uint32_t colour_ = 0xFFFFFFFF;
    int tint_[3] = {}; // R, G, B
    VertexQuad quad_{};
    std::vector<int32_t> heat_;
    uint32_t pixels768_[kTableSize] = {};
    int baseHeat_ = kBaseHeat;
    int leftOver_ = 0;
};

} // namespace qw
