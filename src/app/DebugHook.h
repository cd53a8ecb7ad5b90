#pragma once
// The optional development module "QWDebug.so" in the game directory. When it is present the
// engine reports variables, scenario positions and layer changes to it; every export is looked
// up at each call and skipped when missing. Without it nothing changes.

#include <cstdint>
#include <string>

#include "platform/Process.h"

namespace qw {

class DebugHook {
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
    void OnLayOverlap();
    // The layer hooks: page flag (1 back, 0 front), layer, then the values of that export.
    void OnUpdateLayImage(int page, int layer, const char* name, int a, int b, int c);
    void OnUpdateLayValues(const char* exportName, int page, int layer, int a, int b = 0,
                           int c = 0);

private:
    platform::DynamicModule module_;
};

} // namespace qw
