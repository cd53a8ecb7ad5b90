#include "scenario/CDIBSnrScreen.h"

#include <string>

#include "app/CMainWindow.h"
#include "app/DebugHook.h"
#include "common/ExecLog.h"
#include "save/CSaveData.h"
#include "scenario/CSnrBuffer.h"

namespace qw {

CDIBSnrScreen::CDIBSnrScreen(CBaseGame* parent) : CDIBSnrBaseScreen(parent) {}

CDIBSnrScreen::~CDIBSnrScreen() = default;

bool CDIBSnrScreen::Initialize(const SnrStartRecord& start) {
    AddExecLog("CDIBSnrScreen::Initialize");
    CMainWindow* main = GetMainWindow();
    if (!main) return false;
    if (!CDIBSnrBaseScreen::Initialize(start)) {
        main->ErrorETC("CDIBSnrScreen", "CDIBSnrBaseScreen::Initialize()");
        return false;
    }
    if (main->GetSaveData()) main->GetSaveData()->currentCharacter = 0;
    if (start.loadFlag) return false; // saved games start through the message window's screen
    const std::string name(start.FileName());
    if (!buffer_->Read(name)) {
        main->ErrorRead("CDIBSnrBaseScreen", name.c_str());
        return false;
    }
    if (main->GetSaveData()) main->GetSaveData()->SetSnrFileName(name);
    if (DebugHook* hook = main->GetDebugHook(); hook && hook->IsLoaded())
        hook->OnSnrFileChange(name.c_str());
    main->ResetLossTime();
    return true;
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
