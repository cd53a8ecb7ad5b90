#include "scenario/CDIBSnrScreen.h"

#include <string>

#include "app/DebugHook.h"
#include "app/GameServices.h"
#include "common/ExecLog.h"
#include "save/CSaveData.h"
#include "scenario/CSnrBuffer.h"

namespace qw {

bool CDIBSnrScreen::Initialize(const SnrStartRecord& start) {
    AddExecLog("CDIBSnrScreen::Initialize");
    GameServices& services = Services();
    if (!CDIBSnrBaseScreen::Initialize(start)) {
        services.ErrorETC("CDIBSnrScreen", "CDIBSnrBaseScreen::Initialize()");
        return false;
    }
    save_->currentCharacter = 0;
    save_->ClearSnapshot();
    textBuffer_ = std::make_unique<CMesTextBuffer>();
    textBuffer_->Initialize();
    textBuffer_->Setup(MesTextSetup{});
    DropPendingLoad();
    startSlot_ = -1;
    if (start.loadFlag) {
        startSlot_ = start.saveSlot;
        services.ResetLossTime();
        return true;
    }
    const std::string name(start.FileName());
    if (!buffer_->Read(name)) {
        services.ErrorRead("CDIBSnrBaseScreen", name.c_str());
        return false;
    }
    save_->SetSnrFileName(name);
    if (DebugHook* hook = services.GetLoadedDebugHook()) hook->OnSnrFileChange(name.c_str());
    services.ResetLossTime();
    return true;
}

CDIBSnrScreen* MakeLoadScreen(int slot) {
    AddExecLog("MakeLoadScreen");
    auto* screen = new CDIBSnrScreen();
    SnrStartRecord start;
    start.loadFlag = 1;
    start.saveSlot = slot;
    if (!screen->Initialize(start)) {
        delete screen;
        return nullptr;
    }
    return screen;
}

CDIBSnrScreen* MakeScenarioScreen(std::string_view name) {
    AddExecLog("MakeScenarioScreen");
    auto* screen = new CDIBSnrScreen();
    if (!screen->Initialize(SnrStartRecord::ForFile(name))) {
        delete screen;
        return nullptr;
    }
    return screen;
}

} // namespace qw
