#include "scenario/SnrVVramHost.h"

#include "app/CInput.h"
#include "app/CScreenBuffer.h"
#include "app/DebugHook.h"
#include "app/GameServices.h"
#include "save/CSaveData.h"

namespace qw {

FrameDirtyArea* SnrVVramHost::GetFrame() const {
    return Services().GetScreenBuffer();
}

CSpriteCache* SnrVVramHost::GetSpriteCache() const {
    return Services().GetSpriteCache();
}

void SnrVVramHost::ReportReadError(const char* object, const char* file) {
    Services().ErrorRead(object, file);
}

int SnrVVramHost::GetFrameTime() const {
    return Services().GetFrameTime();
}

int SnrVVramHost::GetFrameSpeed() const {
    const CSaveData* save = Services().GetSaveData();
    return save ? save->configEx.frameSpeed : 1;
}

bool SnrVVramHost::IsSkipKeyHeld() const {
    const CInput* input = Services().GetInput();
    return input && input->Key(vk::kControl).down;
}

bool SnrVVramHost::IsNoEffects() const {
    const CSaveData* save = Services().GetSaveData();
    return save && save->configEx.noneEffect != 0;
}

LayerDebugHook* SnrVVramHost::GetLayerDebugHook() const {
    return Services().GetLoadedDebugHook();
}

} // namespace qw
