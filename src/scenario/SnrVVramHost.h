#pragma once
// The scenario screen's virtual VRAM host: the game's screen buffer, picture cache, frame time,
// settings, Control key and development module, as the services of the running game give them.

#include "graphics/VVramHost.h"

namespace qw {

class SnrVVramHost : public VVramHost {
public:
    FrameDirtyArea* GetFrame() const override;
    CSpriteCache* GetSpriteCache() const override;
    void ReportReadError(const char* object, const char* file) override;
    int GetFrameTime() const override;
    // The stored setting as it is (a value of 0 or below halves the transitions' time).
    int GetFrameSpeed() const override;
    bool IsSkipKeyHeld() const override;
    bool IsNoEffects() const override;
    LayerDebugHook* GetLayerDebugHook() const override;
};

} // namespace qw
