#pragma once
// The engine's one pixel surface: 32-bit, top-down, B, G, R, A bytes per pixel (0xAARRGGBB as a
// little-endian word), not premultiplied, pitch = width × 4; with a dirty region, a clip
// rectangle and a small software renderer.
//
// In the blits the object is the source and the first argument the destination; the
// destination's clip rectangle (intersected with the destination) governs. Source rectangles and
// quad source coordinates are clipped to the source surface, so no caller can make a blit read
// outside it.
//
// The operations live in several sources: CDIBImage.cpp (creation, regions, fills), DIBBlit.cpp
// (rectangle blits), DIBQuad.cpp (quad blits and their rasteriser), DIBFilters.cpp (mosaic and
// blur). The per-pixel rules are in PixelRules.h, their fast span forms in PixelKernels*.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/CRegion.h"
#include "platform/Font.h"
#include "text/TextProfile.h"

namespace qw {

// The four corners of a quad blit: destination corners in drawing order (made as top-left,
// top-right, bottom-right, bottom-left), the source pixel each maps to, and the colour.
struct QuadCorner {
    int16_t x = 0, y = 0, shade = 0;
};
struct QuadSource {
    int16_t s = 0, t = 0; // column, row
};
struct VertexQuad {
    QuadCorner corner[4];
    QuadSource source[4];
    uint32_t colour = 0;
};
static_assert(sizeof(VertexQuad) == 44);

// One destination row of the quad rasteriser's edge table: the span's ends with the source
// position and light at each. Empty: minX = 0x7FFF, maxX = −0x8000.
struct ScanEdgeRow {
    int16_t minX, maxX;
    int16_t uMin, vMin;
    int16_t uMax, vMax;
    int32_t lightMin, lightMax;
};

// Destination rows the edge table holds; a quad blit that would reach row kEdgeTableRows or
// below draws nothing.
inline constexpr int kEdgeTableRows = 4096;

// A quad that draws nothing through any blit: every corner far above and left of any surface,
// sources 0, the colour kept. What a sprite element outside its table and a quad the camera
// drops become (an all-zero quad would still paint pixel (0, 0)).
VertexQuad& SetNowhereQuad(VertexQuad& quad, uint32_t colour);

// (a × b) >> 16 computed in 64 bits.
int32_t FixMul16(int32_t a, int32_t b);
// The quad blend on one pixel (see PixelRules.h, pixel::Blend).
void BlendPixel(uint32_t* dst, uint32_t src, uint32_t colour);

class CDIBImage {
public:
    CDIBImage() = default;
    CDIBImage(const CDIBImage&) = delete;
    CDIBImage& operator=(const CDIBImage&) = delete;
    virtual ~CDIBImage();

    // Frees the pixels, the region and the region's rectangle list.
    virtual void Release();
    // All pixels 0; clip rectangle (0, 0, width − 1, height − 1). False for sizes that are not
    // positive or too large to allocate.
    virtual bool Create(int width, int height);

    // The dirty region. Every call but CreateRGN does nothing until CreateRGN has made one.
    // Rectangles follow the system's rule (right and bottom excluded), so ClearRGN and FullRGN,
    // which use (0, 0, width − 1, height − 1), leave out the last column and row.
    virtual void CreateRGN();
    virtual CRegion* GetRGN();
    virtual void ClearRGN();
    virtual void MergeRGN(const CRegion* region);
    virtual void FullRGN();
    // The quad's bounding box, right and bottom one past its largest x and y.
    virtual void AddRGN(const VertexQuad& quad);
    // As given; reversed edges are put in order, as the system does.
    virtual void AddRGN(int left, int top, int right, int bottom);
    // Stores a fresh copy of the region's rectangles; GetRegionData returns it (null before).
    virtual void UpdateRegionData();
    virtual const std::vector<RegionRect>* GetRegionData() const;

    // Text (DIBText.cpp). BeginDrawString makes the font later calls draw with, replacing one
    // made before; heights outside 1–1024, or a face no font file answers, make none, and the
    // drawing calls then draw nothing. Texts are in the image's text code page (the build's,
    // unless SetTextProfile chose the other).
    virtual void BeginDrawString(const char* face, int height, int weight, bool italic,
                                 bool underline, bool strikeOut, int escapement);
    virtual void EndDrawString();
    // Glyph by glyph with 65-level coverage, colour 0x00RRGGBB (the top byte is not used); the
    // text image keeps its own alpha. Clipped to the clip rectangle.
    virtual void DrawString(int x, int y, uint32_t colour, const char* text);
    // The text in the shadow colour at (x + dx, y + dy), then in the colour at (x, y).
    virtual void DrawStringS(int x, int y, int dx, int dy, uint32_t colour, uint32_t shadowColour,
                             const char* text);
    // A monochrome rendering blended at the colour's alpha (0xAARRGGBB), leaving alpha 255.
    virtual void DrawString2(int x, int y, uint32_t colour, const char* text);

    virtual void FillFull(uint32_t colour);
    virtual void FillBox(uint32_t colour, int x, int y, int w, int h);
    // Every pixel's alpha byte becomes `alpha`; colour bytes unchanged.
    virtual void FillAlpha(uint8_t alpha);
    // Fills the quad's polygon on this surface with its colour.
    virtual void StretchFillBox(const VertexQuad& quad);

    virtual void Copy(CDIBImage* dst, int dx, int dy, int sx, int sy, int w, int h);
    virtual void Copy(CDIBImage* dst, const VertexQuad& quad);
    // Width × height × 4 bytes of pixels into `buffer`.
    virtual void Copy(void* buffer) const;
    virtual void StretchBltCopy(CDIBImage* dst, const VertexQuad& quad, bool smooth);
    virtual void BltBlend(CDIBImage* dst, int dx, int dy, int sx, int sy, int w, int h,
                          uint32_t colour);
    virtual void BltBlend(CDIBImage* dst, const VertexQuad& quad);
    virtual void StretchBltBlend(CDIBImage* dst, const VertexQuad& quad, bool smooth);
    virtual void StretchBltBlendShadow(CDIBImage* dst, const VertexQuad& quad, bool smooth);
    virtual void BltFast(CDIBImage* dst, int dx, int dy, int sx, int sy, int w, int h,
                         uint32_t colour);
    virtual void BltFast(CDIBImage* dst, const VertexQuad& quad);
    virtual void StretchBltFast(CDIBImage* dst, const VertexQuad& quad, bool smooth);
    virtual void StretchBltAddBlend(CDIBImage* dst, const VertexQuad& quad);
    virtual void AddBlendPixel(uint32_t* dst, uint32_t src, uint32_t colour);
    virtual void StretchBltXorBlend(CDIBImage* dst, const VertexQuad& quad);
    virtual void StretchBltOneBlend(CDIBImage* dst, const VertexQuad& quad);
    virtual void StretchBltGrayBlend(CDIBImage* dst, const VertexQuad& quad);

    // In place: a mosaic of block × block cells (optionally centred, optionally with colour
    // noise from the engine's random generator), and `passes` rounds of a 7 × 7 blur. Alpha is
    // not touched. Befog reports false when its working copy cannot be allocated.
    virtual void Mozaiku(int block, bool noise, bool centre);
    virtual bool Befog(int passes);

    // An unscaled copy of the w × h source rectangle at (sx, sy) to (x, y).
    virtual VertexQuad& SetVertex(VertexQuad& quad, int x, int y, int sx, int sy, int w, int h,
                                  uint32_t colour);
    // The whole surface stretched onto the w × h rectangle at (x, y).
    virtual VertexQuad& SetStretchVertex(VertexQuad& quad, int x, int y, int w, int h,
                                         uint32_t colour);

    bool IsCreated() const { return !pixels_.empty(); }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    uint32_t* GetPixels() { return pixels_.data(); }
    const uint32_t* GetPixels() const { return pixels_.data(); }
    uint32_t* Row(int y) {
        return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
    }
    const uint32_t* Row(int y) const {
        return pixels_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
    }
    size_t GetByteSize() const { return pixels_.size() * 4; }

    // The clip rectangle, all edges inclusive. Drawing into the surface stays inside it and
    // inside the surface.
    void SetClipRect(int left, int top, int right, int bottom);
    RegionRect GetClipRect() const { return {clipLeft_, clipTop_, clipRight_, clipBottom_}; }

    void SetTextProfile(const TextProfile& profile) { textProfile_ = &profile; }
    // The font BeginDrawString made, or null.
    platform::Font* GetFont() const { return font_.get(); }

protected:
    // The clip rectangle intersected with the surface, inclusive; empty when left > right or
    // top > bottom.
    struct Window {
        int left, top, right, bottom;
    };
    Window ClipWindow() const;

    std::vector<uint32_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<CRegion> region_;
    std::unique_ptr<std::vector<RegionRect>> regionData_;
    // Clip rectangle, all edges inclusive.
    int clipLeft_ = 0, clipTop_ = 0, clipRight_ = 0, clipBottom_ = 0;

    // Text state: the parameters of the last BeginDrawString and the font made from them.
    struct TextState {
        std::string face;
        int height = 0, weight = 0;
        bool italic = false, underline = false, strikeOut = false;
        int escapement = 0;
    };
    TextState text_;
    std::unique_ptr<platform::Font> font_;
    const TextProfile* textProfile_ = &BuildTextProfile();

private:
    void DrawGlyphs(int x, int y, uint32_t colour, const char* text, bool monochrome);
    enum class RectOp { Copy, Blend, Fast };
    enum class QuadOp { Copy, Blend, Shadow, Fast, Add, Xor, One, Gray };
    void RectBlit(RectOp op, CDIBImage* dst, int dx, int dy, int sx, int sy, int w, int h,
                  uint32_t colour);
    bool QuadShortcut(QuadOp op, CDIBImage* dst, const VertexQuad& quad);
    void QuadBlit(QuadOp op, CDIBImage* dst, const VertexQuad& quad, bool smooth);
};

} // namespace qw
