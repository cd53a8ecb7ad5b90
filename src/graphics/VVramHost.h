#pragma once
// What the virtual VRAM is handed by the screen that owns it: the frame it marks dirty, the
// picture cache, the frame time and settings of the tick, and the development module's layer
// reports. graphics/ never looks for these itself; a scenario screen implements the host over
// the game's services, a test over fixed values.

#include <cstdint>

namespace qw {

class CSpriteCache;
class FrameDirtyArea;

// The development module's layer exports, in the order a layer is reported. `page` is 1 for the
// back page and 0 for the front page.
class LayerDebugHook {
public:
    virtual void OnLayOverlap() = 0;
    virtual void OnUpdateLayImage(int page, int layer, const char* name, int width, int height,
                                  const void* pixels) = 0;
    virtual void OnUpdateLayDrawPos(int page, int layer, int x, int y, int z) = 0;
    virtual void OnUpdateLayDrawSize(int page, int layer, int width, int height) = 0;
    virtual void OnUpdateLayColor(int page, int layer, uint32_t colour) = 0;
    virtual void OnUpdateLayBlend(int page, int layer, int blend) = 0;
    virtual void OnUpdateLayAnti(int page, int layer, int anti) = 0;
    virtual void OnUpdateLayActListNo(int page, int layer, int action) = 0;
    virtual void OnUpdateLayCamera(int page, int layer, int camera) = 0;
    virtual void OnUpdateLayCamBill(int page, int layer, int billboard) = 0;
    virtual void OnUpdateLayCamXYRate(int page, int layer, float rate) = 0;
    virtual void OnUpdateLayCamWRate(int page, int layer, float rate) = 0;

protected:
    ~LayerDebugHook() = default;
};

class VVramHost {
public:
    // The frame the shown page is copied into; null: no frame to mark, Draw copies all of it.
    virtual FrameDirtyArea* GetFrame() const { return nullptr; }
    // Where layer pictures and the transitions' pictures come from.
    virtual CSpriteCache* GetSpriteCache() const { return nullptr; }
    // A transition picture that cannot be read (object, file name).
    virtual void ReportReadError(const char* /*object*/, const char* /*file*/) {}
    // Milliseconds of game time in this tick, and the stored frame-speed setting (which the
    // transitions and actions apply again).
    virtual int GetFrameTime() const { return 30; }
    virtual int GetFrameSpeed() const { return 1; }
    // The skip key (Control) is held; the no-effects setting is on. Either hurries the tick.
    virtual bool IsSkipKeyHeld() const { return false; }
    virtual bool IsNoEffects() const { return false; }
    // The development module when it is loaded, else null.
    virtual LayerDebugHook* GetLayerDebugHook() const { return nullptr; }

protected:
    ~VVramHost() = default;
};

} // namespace qw
