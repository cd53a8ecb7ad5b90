#include "app/DebugHook.h"

#include "common/ExecLog.h"
#include "common/Text.h"

namespace qw {

bool DebugHook::Load(const std::string& installDir) {
    AddExecLog("DebugHook::Load");
    return module_.Load(installDir + kModuleName);
}

void DebugHook::Initialize(bool attachWindow) {
    using Fn = void (*)(const void*);
    static const int kWindowToken = 1;
    if (auto fn = reinterpret_cast<Fn>(module_.Symbol("QWDInitialize")))
        fn(attachWindow ? &kWindowToken : nullptr);
}

void DebugHook::Release() {
    using Fn = void (*)();
    if (auto fn = reinterpret_cast<Fn>(module_.Symbol("QWDRelease"))) fn();
    module_.Unload();
}

void DebugHook::OnUpdateValue(int index, int value) {
    using Fn = void (*)(int, int);
    if (auto fn = reinterpret_cast<Fn>(module_.Symbol("QWDOnUpdateValue"))) fn(index, value);
}

void DebugHook::OnSnrFileChange(const char* name) {
    using Fn = void (*)(const char*);
    if (auto fn = reinterpret_cast<Fn>(module_.Symbol("QWDOnSnrFileChange"))) fn(name);
}

void DebugHook::OnSnrCmdChange(int position) {
    using Fn = void (*)(int);
    if (auto fn = reinterpret_cast<Fn>(module_.Symbol("QWDOnSnrCmdChange"))) fn(position);
}

void DebugHook::OnLayOverlap() {
    using Fn = void (*)();
    if (auto fn = reinterpret_cast<Fn>(module_.Symbol("QWDOnLayOverlap"))) fn();
}

void DebugHook::OnUpdateLayImage(int page, int layer, const char* name, int width, int height,
                                 const void* pixels) {
    using Fn = void (*)(int, int, const char*, int, int, const void*);
    if (auto fn = reinterpret_cast<Fn>(module_.Symbol("QWDOnUpdateLayImage")))
        fn(page, layer, name, width, height, pixels);
}

namespace {

// An export taking the page flag, the layer and the values of type T.
template <typename... T>
void CallLayerExport(platform::DynamicModule& module, const char* name, int page, int layer,
                     T... values) {
    using Fn = void (*)(int, int, T...);
    if (auto fn = reinterpret_cast<Fn>(module.Symbol(name))) fn(page, layer, values...);
}

} // namespace

void DebugHook::OnUpdateLayDrawPos(int page, int layer, int x, int y, int z) {
    CallLayerExport(module_, "QWDOnUpdateLayDrawPos", page, layer, x, y, z);
}
void DebugHook::OnUpdateLayDrawSize(int page, int layer, int width, int height) {
    CallLayerExport(module_, "QWDOnUpdateLayDrawSize", page, layer, width, height);
}
void DebugHook::OnUpdateLayColor(int page, int layer, uint32_t colour) {
    CallLayerExport(module_, "QWDOnUpdateLayColor", page, layer, colour);
}
void DebugHook::OnUpdateLayBlend(int page, int layer, int blend) {
    CallLayerExport(module_, "QWDOnUpdateLayBlend", page, layer, blend);
}
void DebugHook::OnUpdateLayAnti(int page, int layer, int anti) {
    CallLayerExport(module_, "QWDOnUpdateLayAnti", page, layer, anti);
}
void DebugHook::OnUpdateLayActListNo(int page, int layer, int action) {
    CallLayerExport(module_, "QWDOnUpdateLayActListNo", page, layer, action);
}
void DebugHook::OnUpdateLayCamera(int page, int layer, int camera) {
    CallLayerExport(module_, "QWDOnUpdateLayCamera", page, layer, camera);
}
void DebugHook::OnUpdateLayCamBill(int page, int layer, int billboard) {
    CallLayerExport(module_, "QWDOnUpdateLayCamBill", page, layer, billboard);
}
void DebugHook::OnUpdateLayCamXYRate(int page, int layer, float rate) {
    CallLayerExport(module_, "QWDOnUpdateLayCamXYRate", page, layer, rate);
}
void DebugHook::OnUpdateLayCamWRate(int page, int layer, float rate) {
    CallLayerExport(module_, "QWDOnUpdateLayCamWRate", page, layer, rate);
}

} // namespace qw
