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

void DebugHook::OnUpdateLayImage(int page, int layer, const char* name, int a, int b, int c) {
    using Fn = void (*)(int, int, const char*, int, int, int);
    if (auto fn = reinterpret_cast<Fn>(module_.Symbol("QWDOnUpdateLayImage")))
        fn(page, layer, name, a, b, c);
}

void DebugHook::OnUpdateLayValues(const char* exportName, int page, int layer, int a, int b,
                                  int c) {
    using Fn = void (*)(int, int, int, int, int);
    if (auto fn = reinterpret_cast<Fn>(module_.Symbol(exportName))) fn(page, layer, a, b, c);
}

} // namespace qw
