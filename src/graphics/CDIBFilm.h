#pragma once
// An old-film look: n cells pre-rendered once from a source picture (a ghosted double image,
// dust specks, an optional scratch and an optional darkening overlay), one picked at random each
// frame and blended into the destination.

#include <cstdint>

#include "graphics/CDIBImage.h"

namespace qw {

class CDIBSprite;

class CDIBFilm : public CDIBImage {
public:
    CDIBFilm() = default;
    ~CDIBFilm() override;

    // A surface of n cells of width × height, one above the other; `scratch` (three elements) and
    // `overlay` may be null and are not owned. False for n < 1 or sizes that cannot be had.
    virtual bool Initialize(int width, int height, int n, CDIBSprite* scratch, CDIBImage* overlay);
    void Release() override;
    // Renders the n cells from `source`; every pixel ends opaque.
    bool MakeAnmCell(CDIBImage* source);
    void SetMove(bool on, bool clear);
    void SetDrawParam(int x, int y, int width, int height, uint32_t colour);
    // Picks the cell to show (random mod n) when active.
    void Move();
    void Draw(CDIBImage* dst);

    int GetCellCount() const { return cells_; }
    int GetCell() const { return cell_; }
    const VertexQuad& GetQuad() const { return quad_; }

private:
    void MakeCell(CDIBImage& source, int index);

    bool active_ = false;
    int drawX_ = 0, drawY_ = 0, drawW_ = 0, drawH_ = 0;
    uint32_t colour_ = 0xFFFFFFFF;
    int cellW_ = 0, cellH_ = 0, cells_ = 0, cell_ = 0;
    CDIBSprite* scratch_ = nullptr;
    CDIBImage* overlay_ = nullptr;
    CDIBImage work_, specks_;
    VertexQuad quad_{};
};

} // namespace qw
