#pragma once
// The optional development module "QWDebug.so" in the game directory. When it is present the
// engine reports variables, scenario positions and layer changes to it; every export is looked
// up at each call and skipped when missing. Without it nothing changes.

#include <cstdint>
#include <string>

#include "graphics/VVramHost.h"
#include "platform/Process.h"

namespace qw {

class DebugHook final : public LayerDebugHook {
public:
    static constexpr const char* kModuleName = "QWDebug.so";

    // Loads the module from `installDir`; false when it is absent.
    bool Load(const std::string& installDir);
    bool IsLoaded() const { return module_.IsLoaded(); }
    // QWDInitialize, with the window (a non-null token) when attach is on.
    void Initialize(bool attachWindow);
    // QWDRelease, then the module is unloaded.
    void Release();

    void OnUpdateValue(int index, int value);
    void OnSnrFileChange(const char* name);
    void OnSnrCmdChange(int position);
    // The layer exports (LayerDebugHook): page flag (1 back, 0 front), layer, then the values.
    void OnLayOverlap() override;
    void OnUpdateLayImage(int page, int layer, const char* name, int width, int height,
                          const void* pixels) override;
    void OnUpdateLayDrawPos(int page, int layer, int x, int y, int z) override;
    void OnUpdateLayDrawSize(int page, int layer, int width, int height) override;
    void OnUpdateLayColor(int page, int layer, uint32_t colour) override;
    void OnUpdateLayBlend(int page, int layer, int blend) override;
    void OnUpdateLayAnti(int page, int layer, int anti) override;
    void OnUpdateLayActListNo(int page, int layer, int action) override;
    void OnUpdateLayCamera(int page, int layer, int camera) override;
    void OnUpdateLayCamBill(int page, int layer, int billboard) override;
    void OnUpdateLayCamXYRate(int page, int layer, float rate) override;
    void OnUpdateLayCamWRate(int page, int layer, float rate) override;

private:
    platform::DynamicModule module_;
};

} // namespace qw
