#pragma once
// A ripple over a picture: a height field on a grid of 50 cells along the surface's longer side,
// stepped every 33 ms, displaces a mesh of quads that each draw their undisturbed cell of the
// picture (copied into this surface by its user) into the destination, every destination pixel
// blended once.

#include <cstdint>
#include <vector>

#include "graphics/CDIBImage.h"
#include "graphics/WaterBlit.h"

namespace qw {

class CDIBWater : public CDIBImage {
public:
    static constexpr int kGridCells = 50;
    static constexpr int kStepMs = 33;
    static constexpr int kDamping = 30;

    CDIBWater() = default;
    ~CDIBWater() override;

    // A width × height surface and its grid (all heights 0). False when it cannot be had.
    virtual bool Initialize(int width, int height);
    void Release() override;
    void SetMove(bool on, bool clear);
    void SetDrawParam(int x, int y, int width, int height, uint32_t colour);
    // Adds `strength` to a w × h block of heights centred on the grid point of surface point
    // (x, y), clipped to the height buffer.
    void Drop(int x, int y, int w, int h, int strength);
    void Move(int ms);
    void Draw(CDIBImage* dst);

    int GetGridWidth() const { return gw_; }
    int GetGridHeight() const { return gh_; }
    // Height of grid cell (i, j) in the current buffer; i, j may reach one past the grid.
    int32_t Height(int i, int j) const;

private:
    int32_t* Buffer(int which) { return heights_[which].data(); }
    size_t At(int i, int j) const {
        return static_cast<size_t>(i + gh_ / 2) * static_cast<size_t>(2 * gw_) +
               static_cast<size_t>(j + gw_ / 2);
    }
    void Step();

    bool active_ = false;
    int drawX_ = 0, drawY_ = 0, drawW_ = 0, drawH_ = 0;
    uint32_t colour_ = 0xFFFFFFFF;
    int gw_ = 0, gh_ = 0;
    std::vector<int32_t> heights_[2];
    // The mesh's gw × gh points and their source positions, made anew by each Draw (sized by
    // Initialize, so drawing does not allocate): every point is a corner of up to four quads.
    std::vector<QuadCorner> points_;
    std::vector<QuadSource> sources_;
    int current_ = 0;
    int leftOver_ = 0;
    BlendMask mask_;
};

} // namespace qw
