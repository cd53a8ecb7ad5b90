#pragma once
// The scenario's picture: two 800 × 600 pages of 16 layers each, 256 layer actions, one
// transition and a camera per page. The front page is shown; the scenario builds the next
// picture on the back page, and a transition (OVERLAP) blends from the front page to the back
// page, after which the two swap and the old front page starts empty.
//
// Each tick (Move) the cameras, actions and layers move, and a page whose layers, camera or
// actions changed is recomposed — only over the area that changed when it can be: each layer
// keeps the page rectangle its last draw covered, and the area recomposed is the old and new
// rectangles of the layers that changed, each filled with transparent black and the layers that
// meet it drawn again in order. The result is the same, byte for byte, as recomposing the whole
// page, which is done when the camera moved, a layer draws through an action, or something else
// may have drawn on the page (a transition, a load).
//
// Sources: CDIBSnrVVram.cpp (life cycle, ticks, drawing), CDIBSnrVVramCompose.cpp (page
// composition), CDIBSnrVVramRecord.cpp (the saved record).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "common/Bytes.h"
#include "graphics/CDIBSnrLayer.h"
#include "graphics/CRegion.h"

namespace qw {

class CDIBCamera;
class CDIBImage;
class CDIBOverlap;
class CDIBSnrAction;
struct CallEffectParam;
class VVramHost;

class CDIBSnrVVram {
public:
    static constexpr int kPageWidth = 800;
    static constexpr int kPageHeight = 600;
    static constexpr int kLayers = 16;
    static constexpr int kActions = 256;
    // Damage rectangles a page keeps per composition: the old and new rectangle of each layer.
    static constexpr int kMaxDamage = 2 * kLayers;

    // A page's composition counts and what its last composition drew.
    struct PageStats {
        int full = 0;
        int partial = 0;
    };

    CDIBSnrVVram();
    virtual ~CDIBSnrVVram();
    CDIBSnrVVram(const CDIBSnrVVram&) = delete;
    CDIBSnrVVram& operator=(const CDIBSnrVVram&) = delete;

    // Creates the transition, both pages (transparent black; front page 0), the 256 actions,
    // the 32 layers and both cameras, then reports every layer to the development module.
    // `host` (not owned, may be null) gives the frame, the picture cache, the tick's time and
    // settings and the module. False when something cannot be made.
    virtual bool Initialize(VVramHost* host = nullptr);
    virtual void Release();
    // The saved record, appended: front page, screen action, 256 actions, 32 layers, 2 cameras.
    virtual bool Save(ByteWriter& out) const;
    // Reads a record made by Save. The whole record is checked first (lengths, front page 0 or
    // 1, action numbers 0–256); nullopt changes nothing. Then both pages are recomposed and the
    // whole frame is marked. The bytes used.
    virtual std::optional<size_t> Load(ByteSpan record);
    // One tick; `skip` hurries what moves (skip mode).
    virtual void Move(bool skip);
    // The shown picture into the frame: the transition, or the screen action over the front
    // page, or the front page inside the frame's dirty rectangles (all of it without a list).
    virtual void Draw(CDIBImage& frame);
    // As Draw, with the whole front page copied.
    virtual void Blt(CDIBImage& frame);
    virtual CDIBOverlap* GetOverlap() const { return overlap_.get(); }
    // Actions 1–256; null for other numbers.
    virtual CDIBSnrAction* GetAction(int number) const;
    virtual CDIBImage* GetScreen() const;
    virtual CDIBImage* GetBackScreen() const;
    // Layers 0–15 of the front and the back page; null for other indices.
    virtual CDIBSnrLayer* GetLayer(int index) const;
    virtual CDIBSnrLayer* GetBackLayer(int index) const;
    virtual CDIBCamera* GetCamera() const;
    virtual CDIBCamera* GetBackCamera() const;
    virtual void SetScreenAct(int number) { screenAct_ = number; }
    virtual int GetScreenAct() const { return screenAct_; }
    // Reports the layer's eleven properties to the development module; `page` 1 is the back
    // page, 0 the front page.
    virtual void SendToDebug_LayerInfo(int page, int layer);

    // The screen's whole picture (captures for screen transitions): Blt.
    void CopyImage(CDIBImage& target) { Blt(target); }
    // Starts a transition from the front page to the back page (OVERLAP).
    void StartTransition(const CallEffectParam& param);
    bool IsTransitionRunning() const;

    int GetFrontPage() const { return front_; }
    // Page 0 or 1 by number, not by role.
    CDIBImage* GetPage(int page) const;
    CDIBSnrLayer* GetPageLayer(int page, int index) const;
    CDIBCamera* GetPageCamera(int page) const;
    const PageStats& GetPageStats(int page) const { return pages_[page & 1].stats; }
    // Whether layer `index` of page `page` was drawn by the page's last composition (a layer
    // without an action whose quad met the page, or one with a defined action), and the page
    // rectangle its quad covered (right and bottom excluded; empty for none, and for actions).
    bool IsLayerVisible(int page, int index) const;
    RegionRect GetLayerBounds(int page, int index) const;

    // Recomposes a page in full: filled with 0 and every layer drawn in order with its camera.
    void ComposeFull(int page);

private:
    struct Page {
        std::unique_ptr<CDIBImage> surface;
        std::unique_ptr<CDIBCamera> camera;
        CDIBSnrLayer layers[kLayers];
        CDIBSnrLayer::Plan plans[kLayers];
        bool visible[kLayers] = {};
        // Something other than the layers may have drawn on the surface: the next composition
        // covers the whole page.
        bool unknown = false;
        PageStats stats;
    };

    // Step 5 of a tick for one page: the layers in `updated` (bit per layer) changed.
    void Compose(int page, uint32_t updated);
    void ComposePartial(int page, uint32_t updated);
    void DrawLayerPlanned(Page& p, int index);
    void RecordVisible(Page& p, int index);
    void FinishTransition();
    void DrawShown(CDIBImage& frame, bool useRectList);

    VVramHost* host_ = nullptr; // not owned
    std::unique_ptr<CDIBOverlap> overlap_;
    Page pages_[2];
    int front_ = 0;
    int screenAct_ = 0;
    LayerActionTable actions_;
    bool shownOnce_ = false; // the first tick marks the whole frame
};

} // namespace qw
