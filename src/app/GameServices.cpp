#include "app/GameServices.h"

#include "app/DebugHook.h"
#include "common/ExecLog.h"
#include "save/CSaveData.h"

namespace qw {

namespace {
GameServices g_none;
GameServices* g_services = nullptr;
} // namespace

GameServices& Services() {
    return g_services ? *g_services : g_none;
}

void SetServices(GameServices* services) {
    g_services = services;
}

DebugHook* GameServices::GetLoadedDebugHook() const {
    DebugHook* hook = GetDebugHook();
    return hook && hook->IsLoaded() ? hook : nullptr;
}

int GameServices::GetFrameSpeed() const {
    const CSaveData* save = GetSaveData();
    if (!save) return 1;
    int speed = save->configEx.frameSpeed;
    return speed < 1 ? 1 : speed;
}

void GameServices::ErrorMsg(const char* format, ...) {
    va_list args;
    va_start(args, format);
    VErrorMsg(format, args);
    va_end(args);
}

void GameServices::ErrorRead(const char* object, const char* file) {
    AddExecLog("GameServices::ErrorRead");
    ErrorMsg("読み込みエラー\nOBJECT:%s\nFILE:%s", object, file);
}

void GameServices::ErrorMemory(const char* object, const char* name) {
    AddExecLog("GameServices::ErrorMemory");
    ErrorMsg("メモリエラー\nOBJECT:%s\nNAME:%s", object, name);
}

void GameServices::ErrorETC(const char* object, const char* name) {
    AddExecLog("GameServices::ErrorETC");
    ErrorMsg("エラー\nOBJECT:%s\nNAME:%s", object, name);
}

} // namespace qw
