#pragma once
// The 800 × 600 frame the screens draw into, with the dirty areas of the current and the
// previous frame: what was drawn one frame ago is refreshed too when only the dirty part of the
// window is updated.

#include <memory>
#include <vector>

#include "graphics/CRegion.h"
#include "graphics/FrameDirtyArea.h"
#include "platform/Window.h"

namespace qw {

class CDIBImage;

class CScreenBuffer : public FrameDirtyArea {
public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;

    CScreenBuffer();
    virtual ~CScreenBuffer();

    bool Initialize();
    void Release();

    // Inclusive corners, each clamped to the screen.
    void AddDirtyRect(int left, int top, int right, int bottom) override;
    // The bounding box of four corners, clamped the same way.
    void AddDirtyQuad(const int16_t x[4], const int16_t y[4]);
    void InvalidateAll() override;
    // Starts a frame: the current area becomes the previous one and a new empty one begins.
    void FlipDirty();
    // The rectangle list of this frame: the union of both areas.
    void BuildRectList();
    // The list built by BuildRectList for this frame, or null when none was built.
    const std::vector<RegionRect>* GetRectList() const override {
        return hasRectList_ ? &rectList_ : nullptr;
    }
    // The union of both areas, for presentation.
    std::vector<platform::Rect> DirtyRects() const;

    CDIBImage* GetImage() const { return image_.get(); }

private:
    CRegion& Current() { return regions_[current_]; }

    std::unique_ptr<CDIBImage> image_;
    CRegion regions_[2];
    int current_ = 0;
    std::vector<RegionRect> rectList_;
    bool hasRectList_ = false;
};

} // namespace qw
